#include "dialogs/homepagedialog.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

#include "dialogs/optionbuttons.h"
#include "settings/homepagemodel.h"

CHomePageDialog::CHomePageDialog(CParaBlock& block, const std::string& currentAddress, QWidget* parent)
    : QDialog(parent), m_model(std::make_unique<CHomePageModel>(block, currentAddress)) {
    setWindowTitle(QStringLiteral("主页设置"));
    static const char* const kTexts[] = {"使用 Pagora 主页", "使用IE主页", "使用空白主页（about:blank）",
                                         "使用当前页作为主页"};
    auto* layout = new QVBoxLayout(this);
    auto* group = new QButtonGroup(this);
    for (int i = 0; i < 4; ++i) {
        auto* button = new QRadioButton(QString::fromUtf8(kTexts[i]), this);
        button->setObjectName(QStringLiteral("home%1").arg(i));
        group->addButton(button, i);
        layout->addWidget(button);
    }
    // With no choice (an address the dialog has no button for) none is checked.
    if (m_model->Choice() != CHomePageModel::None) group->button(m_model->Choice())->setChecked(true);
    connect(group, &QButtonGroup::idClicked, this, [this](int id) { m_model->Choose(id); });
    AddOptionButtons(this, layout);
}

CHomePageDialog::~CHomePageDialog() = default;

void CHomePageDialog::accept() {
    m_model->Accept();
    QDialog::accept();
}
