#include "frame/displaycommands.h"

#include <QRegularExpression>
#include <QString>
#include <QWidget>

#include "dialogs/displaywidthdialog.h"
#include "dialogs/htmldisplaydialog.h"
#include "dialogs/zoomdialog.h"
#include "frame/commandids.h"
#include "frame/commandregistry.h"
#include "settings/parablock.h"
#include "settings/zoommodel.h"
#include "view/browsercontrol.h"
#include "view/messagebox.h"
#include "view/pagoraview.h"

namespace {

// The engine's version as major plus fraction, read from its user agent.
double EngineVersion(CPagoraView* view) {
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("Chrome/(\\d+)\\.(\\d+)"))
                                          .match(QString::fromStdString(view->Browser()->UserAgent()));
    return m.hasMatch() ? (m.captured(1) + '.' + m.captured(2)).toDouble() : 0.0;
}

}  // namespace

void RegisterDisplayCommands(CCommandRegistry& commands, CPagoraView* view, QWidget* window) {
    commands.Add(ID_ZOOM, "view.zoom", "显示比例...", "设置页面显示比例\n显示比例", [view, window] {
        const std::string refusal = CZoomModel::UnavailableMessage(MainParaBlock(), EngineVersion(view));
        if (!refusal.empty()) {
            readerbox::Message(window, refusal);
            return;
        }
        CZoomDialog dialog(MainParaBlock(), window);
        // An unchanged value ends the dialog as cancelled: nothing to apply.
        if (dialog.exec() != QDialog::Accepted) return;
        view->ApplyDisplayControls(true);
    });
    commands.Add(ID_DISPLAY_WIDTH, "view.display-width", "显示宽度限制为...", "将显示区域限制为指定的宽度\n显示宽度",
                 [view, window] {
                     CDisplayWidthDialog dialog(MainParaBlock(), window);
                     if (dialog.exec() != QDialog::Accepted) return;
                     // The engine lays the page out anew for the new width
                     // by itself; the margins take their colour at once.
                     view->LayoutBrowser();
                     view->update();
                 });
    commands.Add(ID_HTML_DISPLAY, "options.html-display", "HTML文件显示...",
                 "设置显示HTML文件时的字体、背景色等\nHTML文件显示", [view, window] {
                     CHtmlDisplayDialog dialog(MainParaBlock(), window);
                     if (dialog.exec() != QDialog::Accepted) return;
                     view->ApplyDisplayControls(false);
                 });
}
