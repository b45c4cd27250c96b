#include "dialogs/scrolloptionsdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "dialogs/optionbuttons.h"
#include "settings/scrolloptionsmodel.h"

CScrollOptionsDialog::CScrollOptionsDialog(CParaBlock& block, QWidget* parent)
    : QDialog(parent), m_model(std::make_unique<CScrollOptionsModel>(block)) {
    setWindowTitle(QStringLiteral("页面滚动选项"));
    // Children are named so that scripted runs can find them.
    m_smooth = new QRadioButton(QStringLiteral("平滑滚动"), this);
    m_smooth->setObjectName(QStringLiteral("smooth"));
    m_page = new QRadioButton(QStringLiteral("整屏滚动"), this);
    m_page->setObjectName(QStringLiteral("page"));
    auto* smoothSpeed = new QComboBox(this);
    smoothSpeed->setObjectName(QStringLiteral("smoothSpeed"));
    for (int i = 1; i <= 5; ++i) smoothSpeed->addItem(QString::number(i));
    smoothSpeed->setCurrentIndex(m_model->SmoothSpeedIndex());
    auto* period = new QSpinBox(this);
    period->setObjectName(QStringLiteral("period"));
    period->setRange(CScrollOptionsModel::kMinPeriod, CScrollOptionsModel::kMaxPeriod);
    period->setValue(m_model->Period());
    auto* showTime = new QCheckBox(QStringLiteral("在状态条上显示剩余时间"), this);
    showTime->setObjectName(QStringLiteral("showTime"));
    showTime->setChecked(m_model->ShowTime());
    auto* pageSpeed = new QComboBox(this);
    pageSpeed->setObjectName(QStringLiteral("pageSpeed"));
    for (int i = 0; i <= 5; ++i) pageSpeed->addItem(QString::number(i));
    pageSpeed->setCurrentIndex(m_model->PageSpeedIndex());
    ShowType();

    auto* grid = new QGridLayout;
    grid->addWidget(m_smooth, 0, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("滚动速度:"), this), 1, 0);
    grid->addWidget(smoothSpeed, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("(1最慢，5最快)"), this), 1, 2);
    grid->addWidget(m_page, 2, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("滚动间隔:"), this), 3, 0);
    grid->addWidget(period, 3, 1);
    grid->addWidget(new QLabel(QStringLiteral("秒"), this), 3, 2);
    grid->addWidget(showTime, 4, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("滚动速度:"), this), 5, 0);
    grid->addWidget(pageSpeed, 5, 1);
    grid->addWidget(new QLabel(QStringLiteral("(1最慢，5最快，0直接滚屏)"), this), 5, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    AddOptionButtons(this, layout);

    // Connected after the controls were filled: only the reader's changes
    // choose a mode.
    connect(m_smooth, &QRadioButton::clicked, this, [this] { m_model->ChooseType(0); });
    connect(m_page, &QRadioButton::clicked, this, [this] { m_model->ChooseType(1); });
    connect(smoothSpeed, &QComboBox::activated, this, [this](int index) {
        m_model->ChooseSmoothSpeed(index);
        ShowType();
    });
    connect(pageSpeed, &QComboBox::activated, this, [this](int index) {
        m_model->ChoosePageSpeed(index);
        ShowType();
    });
    connect(period, &QSpinBox::valueChanged, this, [this](int seconds) {
        m_model->SetPeriod(seconds);
        ShowType();
    });
    connect(showTime, &QCheckBox::toggled, this, [this](bool on) {
        m_model->SetShowTime(on);
        ShowType();
    });
}

CScrollOptionsDialog::~CScrollOptionsDialog() = default;

void CScrollOptionsDialog::ShowType() {
    (m_model->Type() == 0 ? m_smooth : m_page)->setChecked(true);
}

void CScrollOptionsDialog::accept() {
    m_model->Accept();
    QDialog::accept();
}
