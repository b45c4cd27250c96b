#include "frame/librarycommands.h"

#include <QWidget>

#include "dialogs/librarydialog.h"
#include "frame/commandids.h"
#include "frame/commandregistry.h"
#include "frame/sidebars.h"
#include "session/bookshelf.h"
#include "settings/sidefiles.h"

CLibraryCommands::CLibraryCommands(QWidget* window, CSideBars* sideBars)
    : QObject(window), m_window(window), m_sideBars(sideBars) {}

void CLibraryCommands::RegisterCommands(CCommandRegistry& r) {
    r.Add(ID_DEFAULT_SHELF, "library.default-shelf", "缺省书架", "打开文件列表并跳至书库缺省书架\n缺省书架",
          [this] { m_sideBars->ShowFileListAt(QString::fromStdString(DefaultShelf())); });
    r.Add(ID_LIBRARY, "library.manage", "书库管理...", "管理书库中的书架（文件夹）\n书库管理", [this] {
        CLibraryDialog dialog(
            TheSideFiles().blb, [this](const std::string& folder) { m_sideBars->ShowFileListAt(QString::fromStdString(folder)); },
            m_window);
        dialog.exec();
    });
}
