#include "dialogs/esckeydialog.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

#include "dialogs/optionbuttons.h"
#include "settings/esckeymodel.h"

CEscKeyDialog::CEscKeyDialog(CParaBlock& block, QWidget* parent)
    : QDialog(parent), m_model(std::make_unique<CEscKeyModel>(block)) {
    setWindowTitle(QStringLiteral("ESC键设置"));
    auto* box = new QGroupBox(QStringLiteral("如果用户按下ESC键，则"), this);
    auto* boxLayout = new QVBoxLayout(box);
    auto* group = new QButtonGroup(this);
    auto* quit = new QRadioButton(QStringLiteral("退出程序"), box);
    quit->setObjectName(QStringLiteral("quit"));
    auto* hide = new QRadioButton(QStringLiteral("缩小到屏幕右下角"), box);
    hide->setObjectName(QStringLiteral("hide"));
    group->addButton(quit, CEscKeyModel::Quit);
    group->addButton(hide, CEscKeyModel::HideToTray);
    boxLayout->addWidget(quit);
    boxLayout->addWidget(hide);
    group->button(m_model->Choice())->setChecked(true);
    connect(group, &QButtonGroup::idClicked, this, [this](int id) { m_model->Choose(id); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(box);
    AddOptionButtons(this, layout);
}

CEscKeyDialog::~CEscKeyDialog() = default;

void CEscKeyDialog::accept() {
    m_model->Accept();
    QDialog::accept();
}
