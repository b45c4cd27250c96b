#pragma once
// CMainFrame: the reader's main window with its menu bar, tool bar, address
// bar and status bar around the view; it keeps the places that show the
// current location in step.
#include <QHash>
#include <QMainWindow>

#include <string>

class QAction;
class QComboBox;
class QToolBar;
class CPagoraView;
class CProgressStatusBar;
class CArchivePromptBridge;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(QWidget* parent = nullptr);
    ~CMainFrame() override;

    CPagoraView* View() const { return m_view; }
    CProgressStatusBar* StatusBar() const { return m_statusBar; }
    QAction* Action(int id) const { return m_actions.value(id); }
    QComboBox* AddressBar() const { return m_address; }
    CArchivePromptBridge* ArchivePrompt() const { return m_prompt; }

    void SetPaneText(int id, const QString& text);
    void ShowProgress(int position, int total);
    // Shows an address; the loopback base is cut off.
    void SetAddressText(const QString& address);
    // UM_SYNC_LOCATION: a location chosen (origin 0 frame, 3 file list,
    // 4 archive bar) or reached (origin 1 view).
    void SyncLocation(const QString& location, int origin);
    void LeaveArchive();
    void EnterArchive();
    // Restores the saved placement, or maximises on the first run.
    void RestorePlacement();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void BuildMenus();
    void BuildToolBars();
    void ConnectCommands();
    void OnCommand(int id);
    void UpdateCommandUi();
    void ToggleFullScreen();
    void OnAddressEntered();
    void ShowAbout();

    CPagoraView* m_view = nullptr;
    CProgressStatusBar* m_statusBar = nullptr;
    QToolBar* m_toolBar = nullptr;
    QToolBar* m_addressToolBar = nullptr;
    QComboBox* m_address = nullptr;
    CArchivePromptBridge* m_prompt = nullptr;
    QHash<int, QAction*> m_actions;
    bool m_syncBusy = false;
    bool m_archiveBarWanted = false;
    // Full screen: which bars were visible before.
    bool m_fullScreen = false;
    bool m_fsToolBar = false;
    bool m_fsAddress = false;
    bool m_fsStatus = false;
    QString m_documentTitle;
};
