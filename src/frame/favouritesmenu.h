#pragma once
// CFavouritesMenu: "收藏(&A)": the "我的收藏夹" sub-menu filled from the
// favourites folder the first time it opens, adding the current page as a
// favourite and opening the folder to organise it.
#include <QObject>
#include <QString>

#include <string>

#include "frame/favouritesfolder.h"

class CCommandRegistry;
class CPagoraView;
class QAction;
class QMenu;
class QWidget;

class CFavouritesMenu : public QObject {
    Q_OBJECT
public:
    CFavouritesMenu(CPagoraView* view, QWidget* window);
    void RegisterCommands(CCommandRegistry& commands);
    // The sub-menu to fill, holding the first favourite's placeholder.
    void Attach(QMenu* menu, QAction* placeholder);

    QMenu* Menu() const { return m_menu; }
    // Fills the sub-menu from this folder (once per run unless forced).
    void Build(const std::string& folder, bool force);
    // Opens favourite `id` (CFavouritesFolder::kFirstId and on).
    void Open(int id);

signals:
    void Chosen(const QString& address);

private:
    void Fill(QMenu* menu, const CFavouritesFolder::Menu& content);
    // Writes an internet shortcut for the current page.
    void AddCurrentPage();
    void OpenFolder();

    CPagoraView* m_view;
    QWidget* m_window;
    QMenu* m_menu = nullptr;
    QAction* m_placeholder = nullptr;
    CFavouritesFolder m_favourites;
    bool m_built = false;
    QString m_title;  // of the page on screen
};
