#include "frame/bookmarkcommands.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>

#include "dialogs/addbookmarkdialog.h"
#include "dialogs/organisebookmarksdialog.h"
#include "frame/commandids.h"
#include "frame/commandmenus.h"
#include "frame/commandregistry.h"
#include "platform/inifile.h"
#include "session/bookmarks.h"
#include "session/recentlist.h"
#include "settings/parablock.h"
#include "view/browsercontrol.h"
#include "view/messagebox.h"
#include "view/pagoraview.h"

namespace {

constexpr int kRecentCount = 8;

}  // namespace

CBookmarkCommands::CBookmarkCommands(QWidget* window, CPagoraView* view,
                                     std::function<void(const QString&)> openLocation)
    : QObject(window), m_window(window), m_view(view), m_openLocation(std::move(openLocation)) {}

void CBookmarkCommands::RegisterCommands(CCommandRegistry& r) {
    r.Add(ID_ADD_BOOKMARK, "bookmarks.add", "加入书签...", "将当前页面加入书签\n加入书签", [this] { AddBookmark(); });
    r.Add(ID_ORGANIZE_BOOKMARKS, "bookmarks.organize", "整理书签...", "整理书签\n整理书签",
          [this] { OrganiseBookmarks(); });
    // One command per entry; the first holds the sub-menu's place and shows
    // the placeholder while its list is empty.
    for (int i = 0; i < kRecentCount; ++i) {
        std::string suffix = i == 0 ? "" : "-" + std::to_string(i + 1);
        r.Add(ID_FILE_MRU_FIRST + i, "file.recent" + suffix, "最近文件", "打开该文档", [this, i] { OpenRecentFile(i); })
            .EnabledWhen([i] { return static_cast<int>(TheRecentFiles().Entries().size()) > i; });
        r.Add(ID_BMK_MRU_FIRST + i, "file.recent-bookmarks" + suffix, "最近书签", "打开该文档",
              [this, i] { OpenRecentBookmark(i); })
            .EnabledWhen([i] { return static_cast<int>(TheRecentBookmarks().Entries().size()) > i; });
    }
}

void CBookmarkCommands::Attach(CCommandMenus* menus) {
    m_menus = menus;
    for (int first : {ID_FILE_MRU_FIRST, ID_BMK_MRU_FIRST})
        if (QMenu* menu = menus->MenuOf(first)) connect(menu, &QMenu::aboutToShow, this, &CBookmarkCommands::UpdateMenus);
    UpdateMenus();
}

void CBookmarkCommands::UpdateMenus() {
    UpdateMenu(TheRecentFiles(), ID_FILE_MRU_FIRST, QStringLiteral("最近文件"), m_fileActions);
    UpdateMenu(TheRecentBookmarks(), ID_BMK_MRU_FIRST, QStringLiteral("最近书签"), m_bookmarkActions);
}

void CBookmarkCommands::UpdateMenu(CIniRecentList& list, int firstId, const QString& placeholder,
                                   QList<QAction*>& extra) {
    if (!m_menus) return;
    QAction* first = m_menus->Action(firstId);
    QMenu* menu = m_menus->MenuOf(firstId);
    if (!first || !menu) return;
    const int count = static_cast<int>(list.Entries().size());
    first->setText(count > 0 ? QString::fromStdString(list.MenuText(0)) : placeholder);
    first->setEnabled(count > 0);
    while (extra.size() < kRecentCount - 1) {
        const int id = firstId + extra.size() + 1;
        auto* action = new QAction(menu);
        action->setStatusTip(QStringLiteral("打开该文档"));
        connect(action, &QAction::triggered, this, [this, id] { m_menus->Run(id); });
        extra << action;
    }
    // The entries follow the first one, in order.
    for (QAction* action : extra) menu->removeAction(action);
    QList<QAction*> shown;
    for (int i = 1; i < count; ++i) {
        QAction* action = extra[i - 1];
        action->setText(QString::fromStdString(list.MenuText(i)));
        shown << action;
    }
    QList<QAction*> actions = menu->actions();
    int at = actions.indexOf(first) + 1;
    menu->insertActions(at < actions.size() ? actions[at] : nullptr, shown);
}

void CBookmarkCommands::AddBookmark() {
    if (!m_view) {
        readerbox::Beep();
        return;
    }
    CParaBlock& main = MainParaBlock();
    std::string name = bookmarkname::Default(main.GetString(PARA_STR_CURRENT_PATH), m_view->Browser()->LocationName(),
                                             bookmarkname::LocaleLeadBytes());
    CBookmarkFile file(BookmarkFilePath());
    CAddBookmarkDialog dialog(file, main, [this] { return m_view->GetScrollOffsets(); }, name, m_window);
    dialog.exec();
}

void CBookmarkCommands::OrganiseBookmarks() {
    CBookmarkFile file(BookmarkFilePath());
    COrganiseBookmarksDialog dialog(file, m_window);
    if (dialog.exec() == QDialog::Accepted) OpenBookmark(dialog.Chosen());
}

bool CBookmarkCommands::OpenBookmark(const std::string& name) {
    CBookmarkFile file(BookmarkFilePath());
    CParaBlock record;
    CIniRecentList& recent = TheRecentBookmarks();
    if (!file.Load(name, record)) {
        // A bookmark deleted since: its entry goes, as a vanished recent file's does.
        std::vector<std::string> entries = recent.Entries();
        for (size_t i = 0; i < entries.size(); ++i) {
            if (platform::ini::NamesEqual(entries[i], name)) {
                recent.Remove(static_cast<int>(i));
                recent.WriteList();
                break;
            }
        }
        readerbox::Beep();
        UpdateMenus();
        return false;
    }
    m_view->OpenPosition(record);
    recent.Add(record.Section());
    recent.WriteList();
    UpdateMenus();
    return true;
}

void CBookmarkCommands::OpenRecentFile(int index) {
    CIniRecentList& recent = TheRecentFiles();
    std::vector<std::string> entries = recent.Entries();
    if (index < 0 || index >= static_cast<int>(entries.size())) return;
    const QString path = QString::fromStdString(entries[static_cast<size_t>(index)]);
    if (!QFileInfo::exists(path)) {
        recent.Remove(index);
        recent.WriteList();
        UpdateMenus();
        return;
    }
    m_openLocation(path);
}

void CBookmarkCommands::OpenRecentBookmark(int index) {
    std::vector<std::string> entries = TheRecentBookmarks().Entries();
    if (index >= 0 && index < static_cast<int>(entries.size())) OpenBookmark(entries[static_cast<size_t>(index)]);
}
