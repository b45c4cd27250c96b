#include "frame/filtercommands.h"

#include <QTimer>
#include <QWidget>

#include "dialogs/downloadcontroldialog.h"
#include "dialogs/esckeydialog.h"
#include "dialogs/homepagedialog.h"
#include "dialogs/windowfilterdialog.h"
#include "frame/commandids.h"
#include "frame/commandregistry.h"
#include "session/addressmapping.h"
#include "settings/parablock.h"
#include "settings/sidefiles.h"
#include "view/pagoraview.h"

namespace {

// The page shown, as a home page that still works in the next run: an
// archive's page lives at this run's loopback port, so the archive stands
// for it (it opens at its first page).
std::string CurrentPageAsHome(CPagoraView* v) {
    const std::string location = v->Location();
    if (!IsLoopbackAddress(location)) return location;
    return MainParaBlock().GetString(PARA_STR_CURRENT_PATH);
}

}  // namespace

void RegisterFilterCommands(CCommandRegistry& commands, CPagoraView* v, QWidget* window) {
    commands.Add(ID_DOWNLOAD_CONTROL, "options.downloads", "下载控制...",
                 "选择是否下载图像、视频、音乐，是否执行脚本、控件等\n下载控制", [v, window] {
                     CDownloadControlDialog dialog(MainParaBlock(), window);
                     if (dialog.exec() == QDialog::Accepted) v->ApplyDownloadControls();
                 });
    commands.Add(ID_WINDOW_FILTER, "options.window-filter", "窗口过滤器...", "设置窗口过滤器\n窗口过滤器", [window] {
        CWindowFilterDialog dialog(MainParaBlock(), TheSideFiles().flt, window);
        dialog.exec();
    });
    commands.Add(ID_HOMEPAGE_OPTIONS, "options.homepage", "主页...", "设置主页\n主页", [v, window, &commands] {
        CHomePageDialog dialog(MainParaBlock(), CurrentPageAsHome(v), window);
        if (dialog.exec() != QDialog::Accepted) return;
        // The view goes to the new home page once the dialog is gone.
        QTimer::singleShot(0, window, [&commands] { commands.Run(ID_HOME); });
    });
    commands.Add(ID_ESC_OPTIONS, "options.esc-key", "ESC键...", "配置按下ESC键后的行为\nESC键", [window] {
        CEscKeyDialog dialog(MainParaBlock(), window);
        dialog.exec();
    });
}
