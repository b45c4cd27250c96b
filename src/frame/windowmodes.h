#pragma once
// CWindowModes: the ways the main window shows other than as a plain
// window: full screen (bars hidden, and brought back as they were), hidden
// to the notification area (Esc, when set so), and limited to a column 800
// pixels wide in the middle of the screen.
#include <QList>
#include <QObject>
#include <QRect>

#include <functional>
#include <optional>

class CCommandRegistry;
class QAction;
class QMainWindow;
class QSystemTrayIcon;
class QWidget;

class CWindowModes : public QObject {
    Q_OBJECT
public:
    // `bars` lists the bars full screen hides, always in the same order,
    // with nullptr for a bar that does not exist (yet).
    CWindowModes(QMainWindow* window, std::function<QList<QWidget*>()> bars);
    void RegisterCommands(CCommandRegistry& commands);
    // The full-screen command's action: it must keep its key while the
    // menu bar that holds it is hidden.
    void SetFullScreenAction(QAction* action) { m_fullScreenAction = action; }

    bool IsFullScreen() const { return m_fullScreen.has_value(); }
    void ToggleFullScreen();
    void ToggleWidth800();
    // After a change of the window's state: a maximised window takes the column.
    void OnWindowStateChange();
    // Esc: quits, or hides to the notification area (PARA_ESC_KEY 1).
    void OnEsc();
    QSystemTrayIcon* TrayIcon() const { return m_tray; }
    // The window to the front and focused: back from the notification area,
    // out of the minimised state (keeping maximised or full screen), raised
    // and activated, also when it stands on another workspace.
    void BringToFront();

signals:
    // A mode changed: check marks may be out of date.
    void Changed();

private:
    // What full screen hid, to bring it back: which of the bars were shown
    // (a bar made meanwhile was not), and the window's state and place.
    struct FullScreenReturn {
        QList<bool> barsShown;
        bool maximized = false;
        QRect geometry;
    };

    void HideToTray();
    void ReturnFromTray();
    void ApplyWidth800();

    QMainWindow* m_window;
    std::function<QList<QWidget*>()> m_bars;
    std::optional<FullScreenReturn> m_fullScreen;
    QAction* m_fullScreenAction = nullptr;
    QSystemTrayIcon* m_tray = nullptr;
};
