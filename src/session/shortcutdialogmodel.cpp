#include "session/shortcutdialogmodel.h"

#include <sys/stat.h>
#include <unistd.h>

namespace {

bool Exists(const std::string& path) {
    struct stat st;
    return !path.empty() && lstat(path.c_str(), &st) == 0;
}

}  // namespace

CShortcutDialogModel::CShortcutDialogModel(const desktop::DesktopFolders& folders, const std::string& programPath)
    : m_program(programPath) {
    // A folder whose path is unknown has no box to follow.
    if (!folders.desktop.empty()) m_desktopPath = desktop::DesktopLauncherPath(folders, programPath);
    if (!folders.applications.empty()) m_menuPath = desktop::MenuLauncherPath(folders, programPath);
    m_onDesktop = Exists(m_desktopPath);
    m_inMenu = Exists(m_menuPath);
}

void CShortcutDialogModel::Follow(const std::string& path, bool wanted) {
    if (path.empty()) return;
    if (!wanted) {
        unlink(path.c_str());  // a missing file is no error
        return;
    }
    if (!desktop::WriteLauncher(path, m_program) && m_message.empty())
        m_message = "抱歉，无法创建启动图标" + path + "。";
}

bool CShortcutDialogModel::Apply(bool onDesktop, bool inMenu) {
    m_message.clear();
    Follow(m_desktopPath, onDesktop);
    Follow(m_menuPath, inMenu);
    m_onDesktop = Exists(m_desktopPath);
    m_inMenu = Exists(m_menuPath);
    return m_message.empty();
}
