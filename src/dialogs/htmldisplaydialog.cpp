#include "dialogs/htmldisplaydialog.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "dialogs/optionbuttons.h"
#include "controls/colourpicker.h"
#include "settings/htmldisplaymodel.h"

CHtmlDisplayDialog::CHtmlDisplayDialog(CParaBlock& block, QWidget* parent)
    : QDialog(parent), m_model(std::make_unique<CHtmlDisplayModel>(block)) {
    setWindowTitle(QStringLiteral("HTML文件显示"));
    auto* box = new QGroupBox(QStringLiteral("背景色"), this);
    auto* group = new QButtonGroup(this);
    const char* names[] = {"useBrowser", "useMine", "usePage"};
    const QString texts[] = {QStringLiteral("使用 IE 的背景色设置"), QStringLiteral("使用我自己的背景色"),
                             QStringLiteral("使用网页自己的背景色")};
    auto* picker = new CColourPicker(box);
    picker->setObjectName(QStringLiteral("colour"));
    picker->SetAutomaticColour(CHtmlDisplayModel::kAutomaticColour);
    picker->SetColour(m_model->Colour());
    auto* boxLayout = new QVBoxLayout(box);
    for (int i = 0; i < 3; ++i) {
        auto* radio = new QRadioButton(texts[i], box);
        radio->setObjectName(QLatin1String(names[i]));
        group->addButton(radio, i);
        if (i == m_model->Choice()) radio->setChecked(true);
        if (i == 1) {
            auto* row = new QHBoxLayout;
            row->addWidget(radio);
            row->addWidget(picker);
            row->addStretch();
            boxLayout->addLayout(row);
        } else {
            boxLayout->addWidget(radio);
        }
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(box);
    AddOptionButtons(this, layout);

    connect(group, &QButtonGroup::idClicked, this, [this](int id) { m_model->Choose(id); });
    connect(picker, &CColourPicker::ColourChanged, this, [this](uint32_t colour) { m_model->SetColour(colour); });
}

CHtmlDisplayDialog::~CHtmlDisplayDialog() = default;

void CHtmlDisplayDialog::accept() {
    m_model->Accept();
    QDialog::accept();
}
