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
class CTextEncodingSwitch;
class CArchivePromptBridge;
class CArchiveBar;
class CFileListBar;
class QMenu;
class QSystemTrayIcon;
class QStringListModel;

#include "frame/addresshistory.h"
#include "frame/favouritesfolder.h"
#include "frame/locationsync.h"

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
    // Opens the file list bar if hidden and shows that folder in it.
    void ShowFileListAt(const QString& folder);
    // Restores the saved placement, or maximises on the first run.
    void RestorePlacement();
    // Restores the saved bar layout when it is usable.
    void RestoreBarLayout();
    // Writes placement, bar layout and address-bar visibility to the INI file.
    void SaveWindowState();
    // Fills the favourites menu from this folder (once per run unless forced).
    void BuildFavourites(const std::string& folder, bool force);

    CFileListBar* FileListBar() const { return m_fileList; }
    CArchiveBar* ArchiveBar() const { return m_archiveBar; }
    QMenu* FavouritesMenu() const { return m_favouritesMenu; }
    QSystemTrayIcon* TrayIcon() const { return m_tray; }
    bool IsFullScreenMode() const { return m_fullScreen; }
    // Answers a test script's question about the window ("" when unknown).
    QString Describe(const QString& what);

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void BuildMenus();
    void BuildToolBars();
    void ConnectCommands();
    void OnCommand(int id);
    void UpdateCommandUi();
    void ToggleFullScreen();
    void OnAddressEntered();
    void ShowAbout();
    void ToggleFileList();
    void ToggleArchiveBar();
    void CreateFileList();
    void CreateArchiveBar();
    void HideToTray();
    void ReturnFromTray();
    void ToggleWidth800();
    void ApplyWidth800();
    // Restore defaults; `askFirst` false answers its question with Yes
    // (scripted runs, which answer every question No).
    void RestoreDefaults(bool askFirst);
    void OfferCompletions(const QString& typed);
    // "添加到收藏夹": writes an internet shortcut for the current page.
    void AddFavourite();
    // The page, the visible side bars and the address bar, in F6 order.
    QList<QWidget*> Panes() const;
    void FocusPane(int step);
    void FillFavourites(QMenu* menu, const CFavouritesFolder::Menu& content);

    CPagoraView* m_view = nullptr;
    CProgressStatusBar* m_statusBar = nullptr;
    CTextEncodingSwitch* m_encodings = nullptr;
    QToolBar* m_toolBar = nullptr;
    QToolBar* m_addressToolBar = nullptr;
    QComboBox* m_address = nullptr;
    CArchivePromptBridge* m_prompt = nullptr;
    QHash<int, QAction*> m_actions;
    QHash<int, QAction*> m_toolBarTwins;  // second tool-bar buttons of a command
    CLocationSync m_sync;
    CFileListBar* m_fileList = nullptr;
    CArchiveBar* m_archiveBar = nullptr;
    QMenu* m_favouritesMenu = nullptr;
    CFavouritesFolder m_favourites;
    bool m_favouritesBuilt = false;
    QSystemTrayIcon* m_tray = nullptr;
    bool m_fsFileList = false;
    bool m_fsArchiveBar = false;
    bool m_fsMaximized = false;
    QRect m_fsGeometry;
    bool m_archiveBarWanted = false;
    // Full screen: which bars were visible before.
    bool m_fullScreen = false;
    bool m_fsToolBar = false;
    bool m_fsAddress = false;
    bool m_fsStatus = false;
    QString m_documentTitle;
    CAddressHistory m_history;
    QStringListModel* m_completions = nullptr;
    int m_lastDialogResult = -1;  // of the last option dialog, for scripted runs
};
