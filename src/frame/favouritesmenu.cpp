#include "frame/favouritesmenu.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QUrl>

#include "settings/loopback.h"
#include "settings/parablock.h"
#include "frame/addfavouritedialog.h"
#include "frame/commandids.h"
#include "frame/commandregistry.h"
#include "view/messagebox.h"
#include "view/pagoraview.h"

CFavouritesMenu::CFavouritesMenu(CPagoraView* view, QWidget* window)
    : QObject(window), m_view(view), m_window(window) {
    connect(m_view, &CPagoraView::TitleText, this, [this](const QString& title) { m_title = title; });
}

void CFavouritesMenu::RegisterCommands(CCommandRegistry& commands) {
    commands.Add(ID_ADD_FAVORITE, "favourites.add", "添加到收藏夹...", "将当前页添加到收藏夹\n添加到收藏夹",
                 [this] { AddCurrentPage(); });
    commands.Add(ID_ORGANIZE_FAVORITES, "favourites.organize", "整理收藏夹...", "整理收藏夹\n整理收藏夹",
                 [this] { OpenFolder(); });
    commands.Add(ID_FAVORITE_FIRST, "favourites.first", "My Favorite 1", "My Favorites\nMy Favorites",
                 [this] { Open(ID_FAVORITE_FIRST); });
}

void CFavouritesMenu::Attach(QMenu* menu, QAction* placeholder) {
    m_menu = menu;
    m_placeholder = placeholder;
    if (m_menu)
        connect(m_menu, &QMenu::aboutToShow, this, [this] { Build(CFavouritesFolder::DefaultFolder(), false); });
}

void CFavouritesMenu::Build(const std::string& folder, bool force) {
    if (!m_menu || (m_built && !force)) return;
    for (QAction* action : m_menu->actions()) {
        m_menu->removeAction(action);
        if (action != m_placeholder) action->deleteLater();
    }
    m_favourites.Load(folder);
    Fill(m_menu, m_favourites.Root());
    m_built = true;
}

void CFavouritesMenu::Fill(QMenu* menu, const CFavouritesFolder::Menu& content) {
    for (const CFavouritesFolder::Menu& sub : content.folders)
        Fill(menu->addMenu(QString::fromStdString(sub.title)), sub);
    for (const CFavouritesFolder::Item& item : content.items) {
        int id = CFavouritesFolder::kFirstId + item.index;
        QAction* action = menu->addAction(QString::fromStdString(item.title));
        action->setStatusTip(QString::fromStdString(m_favourites.Addresses()[item.index]));
        connect(action, &QAction::triggered, this, [this, id] { Open(id); });
    }
}

void CFavouritesMenu::Open(int id) {
    std::string address = m_favourites.AddressOf(id);
    if (!address.empty()) emit Chosen(QString::fromStdString(address));
}

void CFavouritesMenu::AddCurrentPage() {
    std::string address = m_view->Location();
    if (address.empty() || address == "about:blank") {
        readerbox::Beep();
        return;
    }
    // A page of an archive is served on a port chosen anew at every start:
    // its favourite names the archive, which opens at its first page.
    if (address.rfind(LoopbackBase(), 0) == 0) address = MainParaBlock().GetString(PARA_STR_CURRENT_PATH);
    QString title = m_title.isEmpty() ? QFileInfo(QUrl(QString::fromStdString(address)).path()).completeBaseName()
                                      : m_title;
    CAddFavouriteDialog dialog(title, m_window);
    if (dialog.exec() != QDialog::Accepted) return;
    // The menu keeps what it showed until the next run, as when it was built.
    if (CFavouritesFolder::WriteShortcut(CFavouritesFolder::DefaultFolder(), dialog.Name().toStdString(), address)
            .empty())
        readerbox::Message(m_window, "抱歉，无法添加到收藏夹。");
}

void CFavouritesMenu::OpenFolder() {
    // The desktop's file manager takes the place of the browser's organiser;
    // without one nothing happens.
    QString folder = QString::fromStdString(CFavouritesFolder::DefaultFolder());
    if (!folder.isEmpty() && QDir().mkpath(folder)) QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}
