#include "dialogs/displaywidthdialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "dialogs/optionbuttons.h"
#include "controls/colourpicker.h"
#include "settings/displaywidthmodel.h"

CDisplayWidthDialog::CDisplayWidthDialog(CParaBlock& block, QWidget* parent)
    : QDialog(parent), m_model(std::make_unique<CDisplayWidthModel>(block)) {
    setWindowTitle(QStringLiteral("显示区宽度"));
    auto* widthBox = new QGroupBox(QStringLiteral("宽度"), this);
    m_limit[0] = new QRadioButton(QStringLiteral("不限制"), widthBox);
    m_limit[0]->setObjectName(QStringLiteral("unlimited"));
    m_limit[1] = new QRadioButton(QStringLiteral("限制为"), widthBox);
    m_limit[1]->setObjectName(QStringLiteral("limited"));
    m_width = new QSpinBox(widthBox);
    m_width->setObjectName(QStringLiteral("width"));
    m_width->setRange(CDisplayWidthModel::kMinWidth, CDisplayWidthModel::kMaxWidth);
    // Text that is no number or lies outside the range ends at the nearest value.
    m_width->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    m_width->setValue(m_model->Width());
    auto* widthLayout = new QGridLayout(widthBox);
    widthLayout->addWidget(m_limit[0], 0, 0, 1, 3);
    widthLayout->addWidget(m_limit[1], 1, 0);
    widthLayout->addWidget(m_width, 1, 1);
    widthLayout->addWidget(new QLabel(QStringLiteral("象素（200～1000）"), widthBox), 1, 2);

    auto* colourBox = new QGroupBox(QStringLiteral("多余部分颜色"), this);
    m_fill[0] = new QRadioButton(QStringLiteral("使用指定颜色填充:"), colourBox);
    m_fill[0]->setObjectName(QStringLiteral("fillColour"));
    m_fill[1] = new QRadioButton(QStringLiteral("使用Windows背景色"), colourBox);
    m_fill[1]->setObjectName(QStringLiteral("fillWindow"));
    auto* picker = new CColourPicker(colourBox);
    picker->setObjectName(QStringLiteral("colour"));
    picker->SetAutomaticColour(CDisplayWidthModel::kAutomaticColour);
    picker->SetColour(m_model->Colour());
    auto* colourLayout = new QGridLayout(colourBox);
    colourLayout->addWidget(m_fill[0], 0, 0);
    colourLayout->addWidget(picker, 0, 1);
    colourLayout->addWidget(m_fill[1], 1, 0, 1, 2);
    ShowChoices();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(widthBox);
    layout->addWidget(colourBox);
    AddOptionButtons(this, layout);

    // Connected after the controls were filled: only the reader's changes
    // select a button.
    for (int i = 0; i < 2; ++i) {
        connect(m_limit[i], &QRadioButton::clicked, this, [this, i] { m_model->ChooseLimit(i); });
        connect(m_fill[i], &QRadioButton::clicked, this, [this, i] { m_model->ChooseFill(i); });
    }
    connect(m_width, &QSpinBox::valueChanged, this, [this](int width) {
        m_model->TypeWidth(width);
        ShowChoices();
    });
    connect(picker, &CColourPicker::ColourChanged, this, [this](uint32_t colour) {
        m_model->PickColour(colour);
        ShowChoices();
    });
}

CDisplayWidthDialog::~CDisplayWidthDialog() = default;

void CDisplayWidthDialog::ShowChoices() {
    m_limit[m_model->LimitChoice()]->setChecked(true);
    m_fill[m_model->FillChoice()]->setChecked(true);
}

void CDisplayWidthDialog::accept() {
    m_width->interpretText();
    if (m_width->value() != m_model->Width()) m_model->TypeWidth(m_width->value());
    m_model->Accept();
    QDialog::accept();
}
