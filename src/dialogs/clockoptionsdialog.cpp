#include "dialogs/clockoptionsdialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "dialogs/optionbuttons.h"
#include "settings/clockoptionsmodel.h"
#include "view/messagebox.h"

CClockOptionsDialog::CClockOptionsDialog(CParaBlock& block, const std::string& iniPath, bool clockSupported,
                                         int nowSeconds, QWidget* parent)
    : QDialog(parent), m_model(std::make_unique<CClockOptionsModel>(block, iniPath, clockSupported, nowSeconds)) {
    setWindowTitle(QStringLiteral("时钟/闹钟选项"));
    // Children are named so that scripted runs can find them.
    auto* showClock = new QCheckBox(QStringLiteral("显示时钟"), this);
    showClock->setObjectName(QStringLiteral("showClock"));
    showClock->setChecked(m_model->ShowClock());
    showClock->setEnabled(m_model->ClockSwitchEnabled());
    auto* radius = new QSpinBox(this);
    radius->setObjectName(QStringLiteral("radius"));
    radius->setRange(CClockOptionsModel::kMinRadius, CClockOptionsModel::kMaxRadius);
    radius->setValue(m_model->Radius());
    auto* showSecond = new QCheckBox(QStringLiteral("显示秒针"), this);
    showSecond->setObjectName(QStringLiteral("showSecond"));
    showSecond->setChecked(m_model->ShowSecond());
    auto* transparency = new QSpinBox(this);
    transparency->setObjectName(QStringLiteral("transparency"));
    transparency->setRange(CClockOptionsModel::kMinTransparency, CClockOptionsModel::kMaxTransparency);
    transparency->setValue(m_model->Transparency());
    auto* alarmTime = new QTimeEdit(this);
    alarmTime->setObjectName(QStringLiteral("alarmTime"));
    alarmTime->setDisplayFormat(QStringLiteral("HH:mm"));
    alarmTime->setTime(QTime(m_model->AlarmHour(), m_model->AlarmMinute(), 0));
    auto* alarmOn = new QCheckBox(QStringLiteral("启动闹钟"), this);
    alarmOn->setObjectName(QStringLiteral("alarmOn"));
    alarmOn->setChecked(m_model->AlarmOn());
    auto* message = new QLineEdit(QString::fromStdString(m_model->Message()), this);
    message->setObjectName(QStringLiteral("message"));

    auto* clockBox = new QGroupBox(QStringLiteral("时钟"), this);
    auto* clockGrid = new QGridLayout(clockBox);
    clockGrid->addWidget(showClock, 0, 0, 1, 3);
    clockGrid->addWidget(new QLabel(QStringLiteral("时钟半径:"), this), 1, 0);
    clockGrid->addWidget(radius, 1, 1);
    clockGrid->addWidget(showSecond, 2, 0, 1, 3);
    clockGrid->addWidget(new QLabel(QStringLiteral("透明度:"), this), 3, 0);
    clockGrid->addWidget(transparency, 3, 1);
    clockGrid->addWidget(new QLabel(QStringLiteral("%"), this), 3, 2);
    auto* alarmBox = new QGroupBox(QStringLiteral("闹钟"), this);
    auto* alarmGrid = new QGridLayout(alarmBox);
    alarmGrid->addWidget(new QLabel(QStringLiteral("闹钟时间:"), this), 0, 0);
    alarmGrid->addWidget(alarmTime, 0, 1);
    alarmGrid->addWidget(new QLabel(QStringLiteral("(24小时制)"), this), 0, 2);
    alarmGrid->addWidget(alarmOn, 1, 0, 1, 3);
    alarmGrid->addWidget(new QLabel(QStringLiteral("闹钟提示:"), this), 2, 0);
    alarmGrid->addWidget(message, 2, 1, 1, 2);
    auto* notes = new QLabel(QStringLiteral("提示：\n1、只有在Windows 2000/XP下才能显示时钟\n"
                                            "2、鼠标左键按住时针、分针可以拖动时钟\n3、在笔记本、液晶屏上最好不显示秒针"),
                             this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(clockBox);
    layout->addWidget(alarmBox);
    layout->addWidget(notes);
    AddOptionButtons(this, layout);

    connect(showClock, &QCheckBox::toggled, this, [this](bool on) { m_model->SetShowClock(on); });
    connect(radius, &QSpinBox::valueChanged, this, [this](int r) { m_model->SetRadius(r); });
    connect(showSecond, &QCheckBox::toggled, this, [this](bool on) { m_model->SetShowSecond(on); });
    connect(transparency, &QSpinBox::valueChanged, this, [this](int t) { m_model->SetTransparency(t); });
    connect(alarmTime, &QTimeEdit::timeChanged, this,
            [this](const QTime& t) { m_model->SetAlarmTime(t.hour(), t.minute()); });
    connect(alarmOn, &QCheckBox::toggled, this, [this](bool on) { m_model->SetAlarmOn(on); });
    connect(message, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_model->SetMessage(text.toStdString()); });
}

CClockOptionsDialog::~CClockOptionsDialog() = default;

void CClockOptionsDialog::accept() {
    if (!m_model->Accept()) readerbox::Message(this, "抱歉，闹钟提示没能保存到设置文件中。");
    QDialog::accept();
}

CAlarmDialog::CAlarmDialog(const std::string& message, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("闹钟到点了"));
    auto* text = new QLineEdit(QString::fromStdString(message), this);
    text->setObjectName(QStringLiteral("message"));
    text->setReadOnly(true);
    text->setMinimumWidth(320);
    auto* snooze = new QPushButton(QStringLiteral("5分钟后再提醒我"), this);
    snooze->setDefault(true);
    snooze->setAutoDefault(true);
    auto* dismiss = new QPushButton(QStringLiteral("我知道了，不用再提醒我"), this);
    dismiss->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(snooze);
    buttons->addWidget(dismiss);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addLayout(buttons);
    connect(snooze, &QPushButton::clicked, this, &QDialog::reject);
    connect(dismiss, &QPushButton::clicked, this, &QDialog::accept);
    snooze->setFocus();
}
