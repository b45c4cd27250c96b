#include "dialogs/windowfilterdialog.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "dialogs/optionbuttons.h"
#include "session/windowfiltermodel.h"

CWindowFilterDialog::CWindowFilterDialog(CParaBlock& block, const std::string& keywordFile, QWidget* parent)
    : QDialog(parent), m_model(std::make_unique<CWindowFilterModel>(block, keywordFile)) {
    setWindowTitle(QStringLiteral("窗口过滤器"));
    auto* noPopups = new QCheckBox(QStringLiteral("不显示弹出窗口"), this);
    noPopups->setObjectName(QStringLiteral("noPopups"));
    noPopups->setChecked(m_model->NoPopups());
    auto* oneInstance = new QCheckBox(QStringLiteral("在同一个实例中打开窗口"), this);
    oneInstance->setObjectName(QStringLiteral("oneInstance"));
    oneInstance->setChecked(m_model->OneInstance());
    oneInstance->setEnabled(false);
    auto* filterOn = new QCheckBox(QStringLiteral("不打开地址中包含如下关键字的网页:"), this);
    filterOn->setObjectName(QStringLiteral("filterOn"));
    filterOn->setChecked(m_model->FilterOn());
    m_keywords = new QPlainTextEdit(this);
    m_keywords->setObjectName(QStringLiteral("keywords"));
    m_keywords->setPlainText(QString::fromStdString(m_model->Text()));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(noPopups);
    layout->addWidget(oneInstance);
    layout->addWidget(filterOn);
    layout->addWidget(m_keywords);
    AddOptionButtons(this, layout);
    connect(noPopups, &QCheckBox::toggled, this, [this](bool on) { m_model->SetNoPopups(on); });
    connect(filterOn, &QCheckBox::toggled, this, [this](bool on) { m_model->SetFilterOn(on); });
}

CWindowFilterDialog::~CWindowFilterDialog() = default;

void CWindowFilterDialog::accept() {
    m_model->SetText(m_keywords->toPlainText().toStdString());
    // A keyword file that cannot be written is passed over: the old file and
    // the list read from it stay.
    m_model->Accept();
    QDialog::accept();
}
