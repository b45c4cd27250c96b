#pragma once
// CShortcutDialogModel: the logic of the shortcut dialog ("创建快捷方式"):
// a launcher on the desktop and one in the applications menu, each box
// checked when its launcher exists; OK creates the checked ones and removes
// the others without a word.
#include <string>

#include "session/desktopintegration.h"

class CShortcutDialogModel {
public:
    CShortcutDialogModel(const desktop::DesktopFolders& folders, const std::string& programPath);

    bool OnDesktop() const { return m_onDesktop; }
    bool InMenu() const { return m_inMenu; }
    // "确定": makes the files follow the boxes. False when a launcher that
    // was asked for could not be written (the message names it).
    bool Apply(bool onDesktop, bool inMenu);
    const std::string& Message() const { return m_message; }

    const std::string& DesktopLauncher() const { return m_desktopPath; }
    const std::string& MenuLauncher() const { return m_menuPath; }

private:
    void Follow(const std::string& path, bool wanted);

    std::string m_program;
    std::string m_desktopPath;
    std::string m_menuPath;
    bool m_onDesktop = false;
    bool m_inMenu = false;
    std::string m_message;
};
