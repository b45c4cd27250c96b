#pragma once
// CMainFrame: the reader's main window. Holds the view, the menu bar and
// tool bar built from the registered commands, the address bar, the side
// bars and the status bar, and wires them together: it keeps the places
// that show the current location in step and the window's state across runs.
#include <QList>
#include <QMainWindow>
#include <QUrl>

#include <memory>

#include "frame/commandregistry.h"
#include "frame/locationsync.h"

class CAddressBar;
class CArchivePromptBridge;
class CBookmarkCommands;
class CClockCommands;
class CCommandMenus;
class CDocumentMemory;
class CFavouritesMenu;
class CLibraryCommands;
class CPagoraView;
class CProgressStatusBar;
class CSideBars;
class CTextEncodingSwitch;
class CWindowModes;
class QAction;
class QToolBar;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(QWidget* parent = nullptr);
    ~CMainFrame() override;

    CPagoraView* View() const { return m_view; }
    CProgressStatusBar* StatusBar() const { return m_statusBar; }
    CAddressBar* AddressBar() const { return m_address; }
    QToolBar* ToolBar() const;
    CArchivePromptBridge* ArchivePrompt() const { return m_prompt; }
    const CCommandRegistry& Registry() const { return m_registry; }
    CCommandMenus* Commands() const { return m_menus; }
    CSideBars* SideBars() const { return m_sideBars; }
    CWindowModes* Modes() const { return m_modes; }
    CFavouritesMenu* Favourites() const { return m_favourites; }
    CTextEncodingSwitch* Encodings() const { return m_encodings; }
    CBookmarkCommands* Bookmarks() const { return m_bookmarks; }
    CClockCommands* Clock() const { return m_clock; }

    void SetPaneText(int id, const QString& text);
    void ShowProgress(int position, int total);
    // UM_SYNC_LOCATION: a location chosen (origin 0 frame, 3 file list,
    // 4 archive bar) or reached (origin 1 view).
    void SyncLocation(const QString& location, int origin);
    // Restores the saved placement, or maximises on the first run.
    void RestorePlacement();
    // Restores the saved bar layout when it is usable.
    void RestoreBarLayout();
    // Writes placement, bar layout and address-bar visibility to the INI file.
    void SaveWindowState();
    // Restore defaults; `askFirst` false answers its question with Yes
    // (scripted runs, which answer every question No).
    void RestoreDefaults(bool askFirst);
    // Opens the first of the dropped files that exists; false when none does.
    bool OpenDropped(const QList<QUrl>& urls);
    // F6 (+1) and Shift+F6 (-1): the keyboard focus to the next or previous
    // of the page, the visible side bars and the address bar.
    void FocusPane(int step);

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void RegisterCommands();
    void ConnectView();
    void RefreshCommands();
    void ShowAbout();
    void ToggleSessionRestore();
    void EditArchivePasswords();
    void EditArchiveHomeNames();
    QList<QWidget*> Panes() const;

    CCommandRegistry m_registry;
    CPagoraView* m_view = nullptr;
    CProgressStatusBar* m_statusBar = nullptr;
    CAddressBar* m_address = nullptr;
    CSideBars* m_sideBars = nullptr;
    CWindowModes* m_modes = nullptr;
    CFavouritesMenu* m_favourites = nullptr;
    CCommandMenus* m_menus = nullptr;
    CTextEncodingSwitch* m_encodings = nullptr;
    CArchivePromptBridge* m_prompt = nullptr;
    CBookmarkCommands* m_bookmarks = nullptr;
    CLibraryCommands* m_library = nullptr;
    CClockCommands* m_clock = nullptr;
    std::unique_ptr<CDocumentMemory> m_memory;
    CLocationSync m_sync;
};
