#pragma once
// CBookmarkCommands: adding and organising bookmarks, opening one, and the
// two recent lists of "文件(&F)" ("最近文件", "最近书签") with their commands.
#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <string>

class CCommandMenus;
class CCommandRegistry;
class CIniRecentList;
class CPagoraView;
class QAction;
class QMenu;
class QWidget;

class CBookmarkCommands : public QObject {
    Q_OBJECT
public:
    // `openLocation` opens a document as the frame does for a chosen location.
    CBookmarkCommands(QWidget* window, CPagoraView* view, std::function<void(const QString&)> openLocation);
    void RegisterCommands(CCommandRegistry& commands);
    // Finds the two sub-menus once the menus are built.
    void Attach(CCommandMenus* menus);
    // Shows the lists' entries in their sub-menus, or the disabled placeholder.
    void UpdateMenus();

    // Opens the bookmark's document, page and scroll offsets, and puts the
    // name at the top of the recent bookmarks; false when there is no such
    // bookmark (its recent entry then goes).
    bool OpenBookmark(const std::string& name);

private:
    void AddBookmark();
    void OrganiseBookmarks();
    void OpenRecentFile(int index);
    void OpenRecentBookmark(int index);
    void UpdateMenu(CIniRecentList& list, int firstId, const QString& placeholder, QList<QAction*>& extra);

    QWidget* m_window;
    CPagoraView* m_view;
    std::function<void(const QString&)> m_openLocation;
    CCommandMenus* m_menus = nullptr;
    QList<QAction*> m_fileActions;      // entries 2 to 8 of "最近文件"
    QList<QAction*> m_bookmarkActions;  // entries 2 to 8 of "最近书签"
};
