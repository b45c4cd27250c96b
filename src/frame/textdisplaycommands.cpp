#include "frame/textdisplaycommands.h"

#include <QWidget>

#include "dialogs/textdisplaydialog.h"
#include "frame/commandids.h"
#include "frame/commandregistry.h"
#include "session/textdisplaymodel.h"
#include "session/textfiltermodule.h"
#include "settings/parablock.h"
#include "view/browsercontrol.h"
#include "view/pagescripts.h"
#include "view/pagoraview.h"

namespace {

// The beginning of the text page on screen, for the preview; empty for other pages.
std::string OpenTextStart(CPagoraView* view) {
    if (!IsTextAddress(view->Location())) return {};
    const QString script = PageScript("text-start").arg(CTextDisplayModel::kMaxOwnText);
    return view->Browser()->EvaluateText(script.toStdString(), 3000).value_or("");
}

}  // namespace

void RegisterTextDisplayCommands(CCommandRegistry& commands, CPagoraView* view, QWidget* window) {
    commands.Add(ID_TEXT_DISPLAY, "options.text-display", "文本文件显示...",
                 "设置显示文本文件时的行宽、字体、背景色等\n文本文件显示", [view, window] {
                     const std::string start = OpenTextStart(view);
                     view->Browser()->Stop();
                     CTextDisplayDialog dialog(MainParaBlock(), start, window);
                     if (dialog.exec() != QDialog::Accepted) return;
                     if (dialog.FilterChange() < 0) UnregisterTextFilter(false);
                     else if (dialog.FilterChange() > 0) RegisterTextFilter();
                     // The filter reads the settings for each document: the
                     // page is converted anew, at the place the reader was.
                     view->Browser()->Stop();
                     view->ReopenAtSameLine();
                 });
}
