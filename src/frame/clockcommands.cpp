#include "frame/clockcommands.h"

#include <QAbstractButton>
#include <QEvent>
#include <QPushButton>
#include <QTime>
#include <QWidget>

#include <algorithm>

#include "dialogs/clockoptionsdialog.h"
#include "frame/commandids.h"
#include "frame/commandregistry.h"
#include "settings/clockoptionsmodel.h"
#include "settings/parablock.h"
#include "settings/sidefiles.h"
#include "view/clockface.h"
#include "view/clockwindow.h"
#include "view/translucency.h"

namespace {
constexpr int kDaySeconds = 24 * 60 * 60;
}  // namespace

CClockCommands::CClockCommands(QWidget* window)
    : QObject(window), m_window(window), m_supported(TranslucentWindowsSupported()) {
    m_alarmTimer.setInterval(CAlarmModel::kCheckMs);
    connect(&m_alarmTimer, &QTimer::timeout, this, &CClockCommands::OnAlarmTimer);
    window->installEventFilter(this);
}

CClockCommands::~CClockCommands() {
    if (m_window) m_window->removeEventFilter(this);
    HideClock();
}

void CClockCommands::RegisterCommands(CCommandRegistry& commands) {
    commands.Add(ID_CLOCK_ALARM, "options.clock", "时钟/闹钟设置...", "设置时钟显示参数，设定、开启、关闭闹钟\n时钟闹钟",
                 [this] { OnClockAlarmOptions(); });
}

int CClockCommands::NowSeconds() const {
    const int real = QTime::currentTime().msecsSinceStartOfDay() / 1000;
    return ((real + m_shiftSeconds) % kDaySeconds + kDaySeconds) % kDaySeconds;
}

void CClockCommands::SetNow(int secondsOfDay) {
    m_shiftSeconds = secondsOfDay - QTime::currentTime().msecsSinceStartOfDay() / 1000;
}

CClockWindow* CClockCommands::Clock() const { return m_clock.data(); }

void CClockCommands::ShowClock() {
    if (!m_supported) return;
    CParaBlock& block = MainParaBlock();
    const int radius = std::clamp(block.GetValue(PARA_CLOCK_RADIUS), CClockOptionsModel::kMinRadius,
                                  CClockOptionsModel::kMaxRadius);
    if (!m_clock) {
        m_clock = new CClockWindow(m_window, [this] {
            return QTime::fromMSecsSinceStartOfDay(NowSeconds() * 1000 + QTime::currentTime().msec());
        });
        const clockface::Point place = clockface::FirstPlace(m_window->width(), radius);
        m_clock->move(m_window->mapToGlobal(QPoint(place.x, place.y)));
    }
    // A later call changes size, second hand and transparency; the place stays.
    const int side = clockface::Side(radius);
    m_clock->resize(side, side);
    m_clock->SetShowSeconds(block.GetValue(PARA_CLOCK_SHOW_SECOND) != 0);
    m_clock->SetTransparency(block.GetValue(PARA_CLOCK_TRANSPARENCY));
    if (m_window->isVisible()) m_clock->show();
    m_clock->update();
    const QRect frame = m_window->frameGeometry();
    m_lastFrameRight = frame.x() + frame.width();
    m_lastFrameTop = frame.y();
    m_window->activateWindow();
}

void CClockCommands::HideClock() {
    if (!m_clock) return;
    m_clock->Run(false);
    delete m_clock.data();
}

void CClockCommands::FollowWindow() {
    if (!m_clock || m_window->isMinimized()) return;
    const QRect frame = m_window->frameGeometry();
    const int right = frame.x() + frame.width(), top = frame.y();
    if (right == m_lastFrameRight && top == m_lastFrameTop) return;
    // The clock keeps its distance from the window's top-right corner.
    m_clock->MoveBy(right - m_lastFrameRight, top - m_lastFrameTop);
    m_lastFrameRight = right;
    m_lastFrameTop = top;
}

bool CClockCommands::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_window) {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize: FollowWindow(); break;
        // Hidden to the notification area or minimised, the clock goes
        // with the window and comes back with it.
        case QEvent::Hide:
            if (m_clock) m_clock->hide();
            break;
        case QEvent::Show:
            if (m_clock) {
                m_clock->show();
                FollowWindow();
            }
            break;
        case QEvent::Close:
            HideClock();
            m_alarmTimer.stop();
            break;
        default: break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void CClockCommands::OnClockAlarmOptions() {
    CClockOptionsDialog dialog(MainParaBlock(), TheSideFiles().ini, m_supported, NowSeconds(), m_window);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    m_window->activateWindow();
    if (!accepted) return;
    CParaBlock& block = MainParaBlock();
    if (block.GetValue(PARA_CLOCK_SHOW) != 0) ShowClock();
    else HideClock();
    m_alarm.ApplyOptions(block.GetValue(PARA_AlARM_SHOW) != 0, block.GetValue(PARA_AlARM_TIME), NowSeconds());
    if (m_alarm.Armed()) StartAlarmTimer();
    else m_alarmTimer.stop();
}

void CClockCommands::StartAlarmTimer() {
    m_alarmTimer.stop();
    m_alarmTimer.start();
}

void CClockCommands::OnAlarmTimer() {
    if (!m_alarm.Check(NowSeconds())) return;
    m_alarmTimer.stop();
    BringWindowToFront();
    m_lastMessage = CClockOptionsModel::ReadMessage(TheSideFiles().ini);
    ++m_rings;
    CAlarmDialog dialog(m_lastMessage, m_window);
    if (m_scriptedAnswer >= 0) {
        const QString button = m_scriptedAnswer == 0 ? QStringLiteral("5分钟后再提醒我")
                                                     : QStringLiteral("我知道了，不用再提醒我");
        QTimer::singleShot(0, &dialog, [&dialog, button] {
            for (QPushButton* b : dialog.findChildren<QPushButton*>())
                if (b->text() == button) b->click();
        });
    }
    // "5分钟后再提醒我" (and Esc) rejects: the alarm comes again in five
    // minutes; "我知道了" leaves it off until the options arm it again.
    if (dialog.exec() != QDialog::Accepted) {
        m_alarm.Snooze(NowSeconds());
        StartAlarmTimer();
    }
}

void CClockCommands::BringWindowToFront() {
    if (m_window->isMinimized()) m_window->showNormal();
    else m_window->show();
    m_window->raise();
    m_window->activateWindow();
}
