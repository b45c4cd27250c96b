#pragma once
// CCommandMenus: the menu bar and the tool bar built from the registered
// commands and the layout table, one action per command (a second one where
// the tool bar shows a command twice), with their check marks and enabling
// taken from the commands whenever Refresh is called and when a menu opens.
#include <QHash>
#include <QObject>
#include <QString>

#include <string>
#include <utility>

class CCommandRegistry;
class QAction;
class QIcon;
class QMainWindow;
class QMenu;
class QToolBar;

class CCommandMenus : public QObject {
    Q_OBJECT
public:
    // Fills the window's menu bar and makes the tool bar (not yet added to
    // the window). A registered command with a shortcut but no place in the
    // menus gets an action of the window, so that its key works.
    CCommandMenus(const CCommandRegistry& registry, QMainWindow* window);

    QToolBar* ToolBar() const { return m_toolBar; }
    // The action of a command in the menus or of its key (nullptr if none).
    QAction* Action(int id) const;
    // By number written out or by stable name.
    QAction* Action(const QString& key) const;
    // The command of an action (its tool-bar twin included), 0 for others.
    int IdOf(const QAction* action) const;
    // The commands the menus show, in ascending order.
    QList<int> MenuIds() const;
    // The menu holding a command's action.
    QMenu* MenuOf(int id) const;
    // The spot the layout keeps for a part's own menu ("view.encoding"): the
    // menu and the action the part's menu goes before (nullptr: at the end).
    std::pair<QMenu*, QAction*> Place(const std::string& name) const;

    // Runs a command, then brings every check mark and enabling up to date.
    void Run(int id);
    void Refresh();
    // Enables or disables a command's actions until the next Refresh.
    void SetEnabled(int id, bool enabled);

private:
    QAction* MakeAction(int id, QObject* parent, bool withShortcut = true);

    const CCommandRegistry& m_registry;
    QHash<int, QAction*> m_actions;   // the menus' actions
    QHash<int, QAction*> m_keys;      // window actions of commands not in the menus
    QHash<int, QAction*> m_twins;     // second tool-bar buttons of a command
    QHash<QString, std::pair<QMenu*, QAction*>> m_places;
    QHash<int, QMenu*> m_menuOf;
    QToolBar* m_toolBar = nullptr;
};
