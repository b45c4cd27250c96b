#include "frame/autoscrollcommands.h"

#include <QWidget>

#include "settings/parablock.h"
#include "dialogs/scrolloptionsdialog.h"
#include "frame/commandids.h"
#include "frame/commandregistry.h"
#include "view/pagoraview.h"
#include "view/viewautoscroll.h"

void RegisterAutoScrollCommands(CCommandRegistry& commands, CPagoraView* v, QWidget* window) {
    CViewAutoScroll* scroll = v->AutoScroll();
    commands.Add(ID_AUTO_SCROLL, "view.auto-scroll", "页面滚动\tCtrl+G", "自动滚动当前页面\n页面滚动", [scroll] {
        if (scroll->IsAutoScrolling()) scroll->StopAutoScroll();
        else scroll->StartAutoScroll();
    }).Checks([scroll] { return scroll->IsAutoScrolling(); });
    commands.Add(ID_SCROLL_OPTIONS, "options.scrolling", "页面滚动...", "设置页面滚动的方式、速度等\n页面滚动选项",
                 [scroll, window] {
                     CScrollOptionsDialog dialog(MainParaBlock(), window);
                     const bool accepted = dialog.exec() == QDialog::Accepted;
                     // Scrolling pauses while another window is active: the
                     // main window takes the activation back from its dialog
                     // (not every window system hands it back by itself).
                     window->activateWindow();
                     // A new mode acts at once; speeds and the period would at the next tick anyway.
                     if (accepted && scroll->IsAutoScrolling()) scroll->StartAutoScroll();
                 });
}
