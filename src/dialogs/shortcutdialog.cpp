#include "dialogs/shortcutdialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/modulepath.h"
#include "session/shortcutdialogmodel.h"
#include "view/messagebox.h"

CShortcutDialog::CShortcutDialog(QWidget* parent)
    : QDialog(parent),
      m_model(std::make_unique<CShortcutDialogModel>(desktop::FoldersFromEnvironment(), platform::ProgramPath())) {
    setWindowTitle(QStringLiteral("创建快捷方式"));
    m_desktop = new QCheckBox(QStringLiteral("在桌面上创建启动图标"), this);
    m_desktop->setObjectName("desktop");
    m_desktop->setChecked(m_model->OnDesktop());
    m_desktop->setToolTip(QString::fromStdString(m_model->DesktopLauncher()));
    m_menu = new QCheckBox(QStringLiteral("在“快速启动”栏创建启动图标"), this);
    m_menu->setObjectName("menu");
    m_menu->setChecked(m_model->InMenu());
    m_menu->setToolTip(QString::fromStdString(m_model->MenuLauncher()));
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("放弃"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_desktop);
    layout->addWidget(m_menu);
    layout->addWidget(buttons);
}

CShortcutDialog::~CShortcutDialog() = default;

void CShortcutDialog::accept() {
    if (!m_model->Apply(m_desktop->isChecked(), m_menu->isChecked())) readerbox::Message(this, m_model->Message());
    QDialog::accept();
}
