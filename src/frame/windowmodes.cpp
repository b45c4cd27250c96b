#include "frame/windowmodes.h"

#include <QApplication>

#include <QAction>
#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWindow>

#include "settings/parablock.h"
#include "frame/commandids.h"
#include "frame/commandmenus.h"
#include "frame/commandregistry.h"
#include "frame/windowmanager.h"
#include "frame/windowplacement.h"

CWindowModes::CWindowModes(QMainWindow* window, std::function<QList<QWidget*>()> bars)
    : QObject(window), m_window(window), m_bars(std::move(bars)) {}

void CWindowModes::RegisterCommands(CCommandRegistry& commands) {
    commands.Add(ID_FULL_SCREEN, "view.full-screen", "全屏\tF11", "将窗口扩大到全屏幕\n全屏",
                 [this] { ToggleFullScreen(); })
        .Checks([this] { return IsFullScreen(); });
    commands.Add(ID_WIDTH_800, "view.width-800", "窗口宽度限制为800象素", "将窗口宽度限制为800象素\n800象素宽",
                 [this] { ToggleWidth800(); })
        .Checks([] { return MainParaBlock().GetValue(PARA_WIDTH_800) != 0; });
    // The Esc key's command; it has no menu item.
    commands.Add(ID_ESC_KEY, "window.esc", "Esc\tEsc", "", [this] { OnEsc(); });
}

void CWindowModes::ToggleFullScreen() {
    m_window->setUpdatesEnabled(false);
    QList<QWidget*> bars = m_bars();
    if (!m_fullScreen) {
        FullScreenReturn back;
        for (QWidget* bar : bars) back.barsShown << (bar && bar->isVisibleTo(m_window));
        back.maximized = m_window->isMaximized();
        back.geometry = m_window->normalGeometry();
        for (QWidget* bar : bars)
            if (bar) bar->hide();
        m_window->menuBar()->hide();
        m_window->showFullScreen();
        m_fullScreen = back;
    } else {
        m_window->showNormal();
        if (m_fullScreen->geometry.isValid()) m_window->setGeometry(m_fullScreen->geometry);
        if (m_fullScreen->maximized) m_window->showMaximized();
        m_window->menuBar()->show();
        for (int i = 0; i < bars.size(); ++i)
            if (bars[i]) bars[i]->setVisible(m_fullScreen->barsShown.value(i));
        m_fullScreen.reset();
    }
    m_window->setUpdatesEnabled(true);
    // F11 must work while the menu bar (which owns the shortcut) is hidden.
    if (m_fullScreenAction) m_window->addAction(m_fullScreenAction);
}

void CWindowModes::OnEsc() {
    if (MainParaBlock().GetValue(PARA_ESC_KEY) == 0) m_window->close();
    else HideToTray();
}

void CWindowModes::HideToTray() {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) return;  // the window stays as it is
    if (!m_tray) {
        m_tray = new QSystemTrayIcon(QApplication::windowIcon(), m_window);
        m_tray->setToolTip(QStringLiteral("Pagora"));
        connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
            if (r == QSystemTrayIcon::Trigger || r == QSystemTrayIcon::Context) ReturnFromTray();
        });
    }
    m_tray->show();
    if (!m_tray->isVisible()) return;
    m_window->hide();
    // A tray that restarts loses its icons; while hidden, the icon is offered
    // again whenever the platform reports a notification area.
    auto* watch = new QTimer(m_tray);
    watch->setObjectName(QStringLiteral("TrayWatch"));
    connect(watch, &QTimer::timeout, this, [this, watch] {
        if (m_window->isVisible()) {
            watch->deleteLater();
            return;
        }
        if (QSystemTrayIcon::isSystemTrayAvailable() && !m_tray->isVisible()) m_tray->show();
    });
    watch->start(2000);
}

void CWindowModes::ReturnFromTray() {
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    if (m_tray) m_tray->hide();
}

void CWindowModes::BringToFront() {
    if (!m_window->isVisible()) {
        ReturnFromTray();
        return;
    }
    if (m_window->isMinimized()) m_window->setWindowState(m_window->windowState() & ~Qt::WindowMinimized);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void CWindowModes::ToggleWidth800() {
    MainParaBlock().SetValue(PARA_WIDTH_800, MainParaBlock().GetValue(PARA_WIDTH_800) ? 0 : 1, true);
    bool maximized = m_window->isMaximized();
    if (maximized) m_window->showNormal();
    ApplyWidth800();
    if (maximized) m_window->showMaximized();
    emit Changed();
}

void CWindowModes::OnWindowStateChange() {
    if (m_window->isMaximized()) QTimer::singleShot(0, this, [this] { ApplyWidth800(); });
}

void CWindowModes::ApplyWidth800() {
    QScreen* screen = m_window->screen();
    QRect work = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
    int left = 0, width = 0;
    bool limit = MainParaBlock().GetValue(PARA_WIDTH_800) != 0 &&
                 CWindowPlacement::LimitedMaximum(work.left(), work.width(), &left, &width);
    // A maximum below the current width resizes the window, and a resize
    // ends the widget's maximised state: the state is asked for again.
    bool maximized = m_window->isMaximized();
    m_window->setMaximumWidth(limit ? width : QWIDGETSIZE_MAX);
    if (maximized && !m_window->isMaximized()) m_window->setWindowState(m_window->windowState() | Qt::WindowMaximized);
    // A window manager sizes a maximised window itself, within the maximum
    // width; the frame leaves it there, as moving a maximised window would
    // make the manager drop the maximised state.
    if (!m_window->isMaximized() || WindowManagerRunning()) return;
    // Without one nothing acts on maximising: the window takes the work
    // area, or the centred column, itself. Through the native window, so
    // that the widget stays maximised and keeps its normal geometry.
    QRect target = limit ? QRect(left, work.top(), width, work.height()) : work;
    if (m_window->geometry() != target && m_window->windowHandle()) m_window->windowHandle()->setGeometry(target);
}
