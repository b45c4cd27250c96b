#include "frame/commandmenus.h"

#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include <algorithm>
#include <functional>
#include <vector>

#include "frame/commandlayout.h"
#include "frame/commandregistry.h"

namespace {

// A tool-bar picture from the desktop's icon theme, by freedesktop names
// (the first the theme has; the fallback theme fills the gaps).
QIcon CommandIcon(const Command& command) {
    static const QHash<QString, QStringList> kNames = {
        {"file.open", {"document-open"}},
        {"file.save-as", {"document-save-as"}},
        {"file.print", {"document-print"}},
        {"file.print-preview", {"document-print-preview"}},
        {"file.page-setup", {"document-page-setup", "document-properties"}},
        {"file.import-export", {"document-import", "document-export"}},
        {"file.exit", {"application-exit"}},
        {"go.back", {"go-previous"}},
        {"go.forward", {"go-next"}},
        {"go.stop", {"process-stop"}},
        {"go.refresh", {"view-refresh"}},
        {"go.home", {"go-home"}},
        {"go.folder-home", {"go-first", "folder-open"}},
        {"go.parent-folder", {"go-up"}},
        {"go.locate-file", {"find-location", "edit-find"}},
        {"page.find", {"edit-find"}},
        {"page.web-search", {"system-search", "edit-find"}},
        {"bookmarks.add", {"bookmark-new"}},
        {"bookmarks.organize", {"bookmarks-organize", "bookmarks", "user-bookmarks"}},
        {"view.file-list", {"view-list-tree", "view-list-details"}},
        {"view.archive-bar", {"package-x-generic", "application-x-archive"}},
        {"view.full-screen", {"view-fullscreen"}},
        {"view.display-width", {"zoom-fit-width", "zoom-fit-best"}},
        {"view.zoom", {"zoom-in"}},
        {"view.auto-scroll", {"media-playback-start"}},
        {"view.source", {"text-html", "text-x-generic"}},
        {"view.decoded-source", {"text-x-script", "text-x-generic"}},
        {"view.text", {"text-plain", "text-x-generic"}},
        {"options.html-display", {"preferences-desktop-color", "preferences-desktop-theme"}},
        {"options.text-display", {"preferences-desktop-font", "format-text-bold"}},
        {"options.scrolling", {"configure", "preferences-system"}},
        {"options.restore-session", {"document-revert", "view-history"}},
        {"library.manage", {"bookcase", "folder-documents"}},
        {"library.default-shelf", {"folder-bookmark", "folder-favorites", "folder"}},
        {"help.about", {"help-about"}},
        {"help.contents", {"help-contents"}},
        {"help.check-update", {"system-software-update", "download", "go-down"}},
    };
    for (const QString& name : kNames.value(QString::fromStdString(command.name))) {
        if (QIcon::hasThemeIcon(name)) return QIcon::fromTheme(name);
    }
    // A command without a picture of its own gets the theme's generic one.
    return QIcon::fromTheme(QStringLiteral("application-x-executable"));
}

}  // namespace

CCommandMenus::CCommandMenus(const CCommandRegistry& registry, QMainWindow* window)
    : QObject(window), m_registry(registry) {
    auto registered = [&registry](const std::string& name) { return registry.Has(name); };
    // One level of a menu; a place takes the action that follows it.
    std::function<void(QMenu*, const std::vector<LayoutItem>&)> fill = [&](QMenu* menu,
                                                                            const std::vector<LayoutItem>& items) {
        QStringList pending;
        auto added = [&](QAction* action) {
            for (const QString& place : pending) m_places[place].second = action;
            pending.clear();
        };
        for (const LayoutItem& item : items) {
            switch (item.kind) {
            case LayoutItem::kSeparator: added(menu->addSeparator()); break;
            case LayoutItem::kPlace:
                m_places.insert(QString::fromStdString(item.name), {menu, nullptr});
                pending << QString::fromStdString(item.name);
                break;
            case LayoutItem::kSubMenu: {
                QMenu* sub = menu->addMenu(QString::fromStdString(item.name));
                added(sub->menuAction());
                fill(sub, item.items);
                break;
            }
            case LayoutItem::kCommand: {
                int id = registry.Find(item.name)->id;
                QAction* action = MakeAction(id, menu);
                menu->addAction(action);
                added(action);
                m_actions.insert(id, action);
                m_menuOf.insert(id, menu);
                break;
            }
            }
        }
    };
    for (const LayoutMenu& popup : ResolveMenus(MenuLayout(), registered)) {
        QMenu* menu = window->menuBar()->addMenu(QString::fromStdString(popup.title));
        fill(menu, popup.items);
        connect(menu, &QMenu::aboutToShow, this, &CCommandMenus::Refresh);
    }

    m_toolBar = new QToolBar(QStringLiteral("工具条"), window);
    m_toolBar->setObjectName("ToolBar");
    m_toolBar->setIconSize(QSize(20, 20));
    for (const LayoutItem& item : ResolveLayout(ToolBarLayout(), registered)) {
        if (item.kind == LayoutItem::kSeparator) {
            m_toolBar->addSeparator();
            continue;
        }
        int id = registry.Find(item.name)->id;
        QAction* action = m_actions.value(id);
        // A command shown twice needs a second action: a widget holds each action once.
        if (!action) {
            action = MakeAction(id, this);
            m_actions.insert(id, action);
        } else if (m_toolBar->actions().contains(action)) {
            // Without the shortcut, which the first action has already.
            action = MakeAction(id, this, false);
            m_twins.insert(id, action);
        }
        m_toolBar->addAction(action);
    }

    for (const Command& command : registry.Commands()) {
        if (m_actions.contains(command.id) || command.shortcut.empty()) continue;
        QAction* action = MakeAction(command.id, window);
        window->addAction(action);
        m_keys.insert(command.id, action);
    }
}

QAction* CCommandMenus::MakeAction(int id, QObject* parent, bool withShortcut) {
    const Command& command = *m_registry.Find(id);
    auto* action = new QAction(CommandIcon(command), QString::fromStdString(command.text), parent);
    action->setIconVisibleInMenu(false);
    action->setStatusTip(QString::fromStdString(command.status));
    action->setToolTip(QString::fromStdString(command.toolTip));
    if (withShortcut && !command.shortcut.empty()) action->setShortcut(QKeySequence(QString::fromStdString(command.shortcut)));
    action->setCheckable(command.Checkable());
    connect(action, &QAction::triggered, this, [this, id] { Run(id); });
    return action;
}

QAction* CCommandMenus::Action(int id) const {
    if (QAction* action = m_actions.value(id)) return action;
    return m_keys.value(id);
}

QAction* CCommandMenus::Action(const QString& key) const {
    const Command* command = m_registry.FindByKey(key.toStdString());
    return command ? Action(command->id) : nullptr;
}

int CCommandMenus::IdOf(const QAction* action) const {
    for (const QHash<int, QAction*>* actions : {&m_actions, &m_twins, &m_keys})
        for (auto it = actions->begin(); it != actions->end(); ++it)
            if (it.value() == action) return it.key();
    return 0;
}

QList<int> CCommandMenus::MenuIds() const {
    QList<int> ids = m_actions.keys();
    std::sort(ids.begin(), ids.end());
    return ids;
}

QMenu* CCommandMenus::MenuOf(int id) const { return m_menuOf.value(id); }

std::pair<QMenu*, QAction*> CCommandMenus::Place(const std::string& name) const {
    return m_places.value(QString::fromStdString(name), {nullptr, nullptr});
}

void CCommandMenus::Run(int id) {
    m_registry.Run(id);
    Refresh();
}

void CCommandMenus::Refresh() {
    for (const QHash<int, QAction*>* actions : {&m_actions, &m_twins, &m_keys}) {
        for (auto it = actions->begin(); it != actions->end(); ++it) {
            const Command* command = m_registry.Find(it.key());
            it.value()->setEnabled(command->Enabled());
            if (command->Checkable()) it.value()->setChecked(command->checked());
        }
    }
}

void CCommandMenus::SetEnabled(int id, bool enabled) {
    for (const QHash<int, QAction*>* actions : {&m_actions, &m_twins, &m_keys})
        if (QAction* action = actions->value(id)) action->setEnabled(enabled);
}
