#include "app/frameprobe.h"

#include <functional>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimeEdit>
#include <QTimer>
#include <QTreeWidget>
#include <QToolBar>
#include <QUrl>

#include <memory>

#include "controls/archivebar.h"
#include "controls/colourpicker.h"
#include "controls/encodingmenu.h"
#include "controls/filelistbar.h"
#include "controls/linklabel.h"
#include "frame/addressbar.h"
#include "frame/clockcommands.h"
#include "frame/commandids.h"
#include "frame/commandmenus.h"
#include "frame/favouritesmenu.h"
#include "frame/mainframe.h"
#include "frame/progressstatusbar.h"
#include "view/popuprules.h"
#include "frame/sidebars.h"
#include "frame/textencodingswitch.h"
#include "frame/windowmodes.h"
#include "view/clockwindow.h"
#include "view/browsercontrol.h"
#include "view/pagoraview.h"

namespace {

QString DockAreaName(Qt::DockWidgetArea area) {
    switch (area) {
    case Qt::LeftDockWidgetArea: return QStringLiteral("left");
    case Qt::RightDockWidgetArea: return QStringLiteral("right");
    case Qt::TopDockWidgetArea: return QStringLiteral("top");
    case Qt::BottomDockWidgetArea: return QStringLiteral("bottom");
    default: return QStringLiteral("none");
    }
}

// A menu's items, those of sub-menus after the sub-menu's title and "/";
// separators as "-" where `separators`.
void DescribeMenu(QMenu* menu, const QString& prefix, QStringList& out, bool separators = false) {
    for (QAction* a : menu->actions()) {
        if (a->menu() && separators && a->menu()->actions().isEmpty()) out << prefix + a->text() + "/";
        else if (a->menu()) DescribeMenu(a->menu(), prefix + a->text() + "/", out, separators);
        else if (!a->isSeparator()) out << prefix + a->text();
        else if (separators) out << QStringLiteral("-");
    }
}


// The controls of a dialog by their object names, as a user would set them.
void SetNamedControl(QDialog* dialog, const QString& name, const QString& text) {
    const int value = text.toInt();
    if (auto* picker = dialog->findChild<CColourPicker*>(name)) {
        // A colour as 0xBBGGRR (or decimal); "auto" picks "缺省".
        picker->Choose(text == QLatin1String("auto") ? CColourPicker::kAutomatic : text.toUInt(nullptr, 0));
    } else if (auto* combo = dialog->findChild<QComboBox*>(name)) {
        combo->setCurrentIndex(value);
        Q_EMIT combo->activated(value);
    } else if (auto* spin = dialog->findChild<QSpinBox*>(name)) {
        spin->setValue(value);
    } else if (auto* time = dialog->findChild<QTimeEdit*>(name)) {
        time->setTime(QTime(value / 100, value % 100));  // hour x 100 + minute
    } else if (auto* button = dialog->findChild<QAbstractButton*>(name)) {
        if (button->isChecked() != (value != 0)) button->click();
    }
}

// "name=state" of every named list, spin and check or radio button, in the
// order of the dialog's children.
QString NamedControls(QDialog* dialog) {
    QStringList out;
    for (QWidget* w : dialog->findChildren<QWidget*>()) {
        if (w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_"))) continue;
        if (auto* picker = qobject_cast<CColourPicker*>(w))
            out << w->objectName() + "=" + (picker->IsAutomatic() ? QStringLiteral("auto")
                                                                    : "0x" + QString::number(picker->Colour(), 16));
        else if (auto* combo = qobject_cast<QComboBox*>(w)) out << w->objectName() + "=" + QString::number(combo->currentIndex());
        else if (auto* spin = qobject_cast<QSpinBox*>(w)) out << w->objectName() + "=" + QString::number(spin->value());
        else if (auto* time = qobject_cast<QTimeEdit*>(w)) out << w->objectName() + "=" + time->time().toString("HH:mm");
        else if (auto* edit = qobject_cast<QLineEdit*>(w)) out << w->objectName() + "=" + edit->text();
        else if (auto* text = qobject_cast<QPlainTextEdit*>(w))
            out << w->objectName() + "=" + text->toPlainText().replace('\n', QLatin1String("\\n"));
        else if (auto* button = qobject_cast<QAbstractButton*>(w); button && button->isCheckable())
            out << w->objectName() + "=" + (button->isChecked() ? "1" : "0") + (button->isEnabled() ? "" : "-");
    }
    return out.join(',');
}

}  // namespace

QString CFrameProbe::Answer(const QString& question) {
    CMainFrame* f = m_frame;
    QStringList words = question.split(' ', Qt::SkipEmptyParts);
    QString key = words.value(0);
    if (key.startsWith("encoding-")) return Encoding(words);
    if (key == "dialog") return Dialog(words);
    CFileListBar* fileList = f->SideBars()->FileList();
    CArchiveBar* archiveBar = f->SideBars()->ArchiveBar();
    auto dock = [f](QDockWidget* bar) {
        if (!bar) return QStringLiteral("absent");
        return QStringLiteral("%1 %2 %3x%4")
            .arg(bar->isVisibleTo(f) ? "visible" : "hidden", DockAreaName(f->dockWidgetArea(bar)))
            .arg(bar->width())
            .arg(bar->height());
    };
    if (key == "filelist") return dock(fileList) + (fileList ? " " + fileList->SelectedPath() : QString());
    if (key == "filelist-folder") return fileList ? fileList->Folder() : QStringLiteral("absent");
    if (key == "archivebar") {
        if (!archiveBar) return dock(nullptr);
        QListWidget* list = archiveBar->List();
        QList<QListWidgetItem*> sel = list->selectedItems();
        QStringList entries;
        for (int i = 0; i < list->count(); ++i) entries << list->item(i)->text();
        return dock(archiveBar) + " [" + entries.join(',') + "] " + (sel.isEmpty() ? QString() : sel.first()->text());
    }
    if (key == "archive-pick" && archiveBar) {
        QList<QListWidgetItem*> found = archiveBar->List()->findItems(words.value(1), Qt::MatchExactly);
        if (found.isEmpty()) return QStringLiteral("no such entry");
        archiveBar->List()->setCurrentItem(found.first());
        return QStringLiteral("picked");
    }
    if (key == "filelist-pick" && fileList)
        return fileList->Pick(words.value(1)) ? QStringLiteral("picked") : QStringLiteral("no such file");
    if (key == "dock") {
        QDockWidget* bar = words.value(1) == "filelist" ? static_cast<QDockWidget*>(fileList) : archiveBar;
        static const QHash<QString, Qt::DockWidgetArea> kAreas = {{"left", Qt::LeftDockWidgetArea},
            {"right", Qt::RightDockWidgetArea}, {"top", Qt::TopDockWidgetArea}, {"bottom", Qt::BottomDockWidgetArea}};
        if (!bar || !kAreas.contains(words.value(2))) return QStringLiteral("no");
        f->addDockWidget(kAreas.value(words.value(2)), bar);
        int size = words.value(3).toInt();
        if (size > 0) {
            Qt::Orientation o = (words.value(2) == "left" || words.value(2) == "right") ? Qt::Horizontal : Qt::Vertical;
            f->resizeDocks({bar}, {size}, o);
        }
        return QStringLiteral("docked");
    }
    if (key == "window") {
        QRect g = f->geometry();
        QString state = f->isFullScreen()  ? "fullscreen"
                        : f->isMaximized() ? "maximized"
                        : f->isMinimized() ? "minimized"
                                           : "normal";
        return QStringLiteral("%1 %2,%3 %4x%5 visible=%6").arg(state).arg(g.x()).arg(g.y()).arg(g.width()).arg(g.height())
            .arg(f->isVisible() ? 1 : 0);
    }
    if (key == "bars") {
        return QStringLiteral("menu=%1 tool=%2 address=%3 status=%4")
            .arg(f->menuBar()->isVisibleTo(f)).arg(f->ToolBar()->isVisibleTo(f))
            .arg(f->AddressBar()->isVisibleTo(f)).arg(f->StatusBar()->isVisibleTo(f));
    }
    if (key == "esc") {
        // The Esc key's command, as the key would run it.
        f->Commands()->Run(ID_ESC_KEY);
        return QSystemTrayIcon::isSystemTrayAvailable() ? QStringLiteral("tray-available") : QStringLiteral("no-tray");
    }
    QSystemTrayIcon* tray = f->Modes()->TrayIcon();
    if (key == "tray") return tray && tray->isVisible() ? QStringLiteral("shown") : QStringLiteral("none");
    if (key == "tray-click") {
        if (!tray) return QStringLiteral("none");
        emit tray->activated(QSystemTrayIcon::Trigger);
        return QStringLiteral("clicked");
    }
    if (key == "restore-defaults") {
        f->RestoreDefaults(false);
        return QStringLiteral("restored");
    }
    if (key == "keylocks") {
        CProgressStatusBar* status = f->StatusBar();
        status->RefreshKeyLocks();
        return QStringLiteral("CAP=%1 NUM=%2 SCRL=%3")
            .arg(status->PaneText(PANE_CAPS), status->PaneText(PANE_NUM), status->PaneText(PANE_SCRL));
    }
    QComboBox* address = f->AddressBar()->Combo();
    if (key == "address-type") {
        // Types the text into the address bar as the keyboard would (no Enter).
        address->lineEdit()->setText(words.mid(1).join(' '));
        Q_EMIT address->lineEdit()->textEdited(address->lineEdit()->text());
        return f->AddressBar()->Completions().join('|');
    }
    if (key == "address-list") {
        QStringList items;
        for (int i = 0; i < address->count(); ++i) items << address->itemText(i);
        return items.join('|');
    }
    if (key == "focus-pane") {
        // F6 (or Shift+F6 with "back") as the key would run it; answers the pane that has the focus.
        f->FocusPane(words.value(1) == "back" ? -1 : +1);
        for (QWidget* focus = QApplication::focusWidget(); focus; focus = focus->parentWidget()) {
            if (focus == f->View()) return QStringLiteral("view");
            if (focus == fileList) return QStringLiteral("filelist");
            if (focus == archiveBar) return QStringLiteral("archivebar");
            if (focus == address) return QStringLiteral("address");
        }
        return QStringLiteral("none");
    }
    if (key == "minimize") {
        f->showMinimized();
        return QStringLiteral("minimized");
    }
    if (key == "move") {
        f->showNormal();
        f->setGeometry(words.value(1).toInt(), words.value(2).toInt(), words.value(3).toInt(), words.value(4).toInt());
        return QStringLiteral("moved");
    }
    if (key == "drop") {
        // What a drop of these files does.
        QList<QUrl> urls;
        for (int i = 1; i < words.size(); ++i) urls << QUrl::fromLocalFile(words[i]);
        return f->OpenDropped(urls) ? QStringLiteral("accepted") : QStringLiteral("ignored");
    }
    if (key == "favourites") {
        f->Favourites()->Build(words.mid(1).join(' ').toStdString(), true);
        QStringList out;
        if (QMenu* menu = f->Favourites()->Menu()) DescribeMenu(menu, QString(), out);
        return out.join('|');
    }
    if (key == "favourite-open") {
        f->Favourites()->Open(ID_FAVORITE_FIRST + words.value(1).toInt());
        return QStringLiteral("opened");
    }
    if (key.startsWith("clock") || key.startsWith("alarm")) return Clock(words);
    if (key == "popups") {
        // How the windows pages asked for were answered so far.
        const popuprules::Tally t = popuprules::Answers();
        return QStringLiteral("refused=%1 here=%2 own=%3").arg(t.cancelled).arg(t.openedHere).arg(t.ownWindows);
    }
    if (key == "active") return f->isActiveWindow() ? QStringLiteral("1") : QStringLiteral("0");
    if (key == "checked") {
        // "checked COMMAND": its check mark as the menu would show it now.
        const Command* command = f->Registry().FindByKey(words.value(1).toStdString());
        if (!command || !command->Checkable()) return QStringLiteral("none");
        f->Commands()->Refresh();
        QAction* action = f->Commands()->Action(command->id);
        return action && action->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    }
    if (key == "actions") {
        QStringList out;
        for (int id : f->Commands()->MenuIds())
            out << QStringLiteral("%1:%2").arg(id).arg(f->Commands()->Action(id)->isEnabled() ? 1 : 0);
        return out.join(',');
    }
    if (key == "menus") {
        QStringList menus;
        for (QAction* top : f->menuBar()->actions()) {
            QStringList items;
            if (top->menu()) DescribeMenu(top->menu(), QString(), items, true);
            menus << top->text() + ": " + items.join('|');
        }
        return menus.join(" ; ");
    }
    if (key == "view-size") {
        // "view-size W H" resizes the window until the view is W by H
        // pixels; answers the view's size then.
        CPagoraView* view = f->View();
        const QSize wanted(words.value(1).toInt(), words.value(2).toInt());
        QElapsedTimer timer;
        timer.start();
        while (view->size() != wanted && timer.elapsed() < 10000) {
            f->resize(f->size() + wanted - view->size());
            QEventLoop loop;
            QTimer::singleShot(20, &loop, &QEventLoop::quit);
            loop.exec();
        }
        return QStringLiteral("%1x%2").arg(view->width()).arg(view->height());
    }
    if (key == "browser-rect") {
        // The browser's place in the view: "left top width height".
        const QRect r = f->View()->Browser()->geometry();
        return QStringLiteral("%1 %2 %3 %4").arg(r.left()).arg(r.top()).arg(r.width()).arg(r.height());
    }
    if (key == "view-pixel") {
        // "view-pixel X Y": the colour shown there in the view, as #rrggbb.
        const QImage image = f->View()->grab().toImage();
        const QPoint at(words.value(1).toInt(), words.value(2).toInt());
        return image.rect().contains(at) ? image.pixelColor(at).name() : QStringLiteral("outside");
    }
    if (key == "zoom") return QString::number(f->View()->Browser()->ZoomFactor() * 100, 'f', 0);
    if (key == "toolbar") {
        QStringList out;
        for (QAction* a : f->ToolBar()->actions())
            out << (a->isSeparator() ? QStringLiteral("|") : QString::number(f->Commands()->IdOf(a)));
        return out.join(' ');
    }
    return {};
}

QString CFrameProbe::Dialog(const QStringList& words) {
    // "dialog COMMAND STEP...": runs the command whose modal dialog then
    // takes the steps as a user would: "edit:TEXT" types into the edit
    // field, "lines:LINE\nLINE" fills the multi-line field ("\n" a line
    // break, "\s" a blank), "shot:PATH" (or "grab:PATH") saves a picture of the dialog,
    // "row:N" selects a list row, "set:NAME:N" picks item N of the
    // named list, sets the named spin to N (a time field to hour x 100 +
    // minute N), picks colour N (0xBBGGRR, or "auto") in the named colour
    // picker or clicks the named button when its check state is not N,
    // "text:NAME:TEXT" types into the named edit field, "values" takes the
    // named controls' states as the answer, "drop:PATH,PATH" drops files or
    // folders on it, "picture:PATH" takes a picture file as its choose
    // button would, "preview" answers its preview document once shown,
    // and
    // "add", "delete", "up", "down", "save", "cancel", "ok", "open", "leave",
    // "clear", "set-default" press those buttons; "link:NAME" clicks the named link field. Answers the list shown
    // before the last step and how the dialog ended.
    static const QHash<QString, QString> kButtons = {{"add", "添加"}, {"delete", "删除"}, {"up", "上移"},
        {"down", "下移"}, {"save", "保存"}, {"cancel", "放弃"}, {"ok", "确定"}, {"open", "打开"}, {"leave", "离开"},
        {"clear", "清空"}, {"set-default", "设为缺省书架"}};
    const Command* command = m_frame->Registry().FindByKey(words.value(1).toStdString());
    if (!command) return QStringLiteral("no dialog none");
    auto seen = std::make_shared<QString>(QStringLiteral("no dialog"));
    auto result = std::make_shared<int>(-1);
    QStringList steps = words.mid(2);
    // The command may wait on the page before its dialog opens: the steps
    // wait for the dialog (for up to a minute).
    auto takeSteps = std::make_shared<std::function<void(int)>>();
    *takeSteps = [seen, result, steps, takeSteps, frame = m_frame](int tries) {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            if (tries < 3000)
                QTimer::singleShot(20, frame, [takeSteps, tries] {
                    if (*takeSteps) (*takeSteps)(tries + 1);
                });
            return;
        }
        QObject::connect(dialog, &QDialog::finished, dialog, [result](int code) { *result = code; });
        QListWidget* list = dialog->findChild<QListWidget*>();
        QTreeWidget* rows = dialog->findChild<QTreeWidget*>();
        bool tookValues = false;
        for (const QString& step : steps) {
            QStringList items;
            for (int i = 0; list && i < list->count(); ++i) items << list->item(i)->text();
            for (int i = 0; rows && i < rows->topLevelItemCount(); ++i) items << rows->topLevelItem(i)->text(0);
            if (!tookValues) *seen = QStringLiteral("[%1]").arg(items.join(','));
            if (step.startsWith("edit:")) {
                if (auto* edit = dialog->findChild<QLineEdit*>()) edit->setText(step.mid(5));
            } else if (step.startsWith("lines:")) {
                if (auto* edit = dialog->findChild<QPlainTextEdit*>())
                    edit->setPlainText(step.mid(6).replace("\\n", "\n").replace("\\s", " "));
            } else if (step.startsWith("shot:") || step.startsWith("grab:")) {
                dialog->grab().save(step.mid(5));
            } else if (step.startsWith("row:")) {
                if (list) list->setCurrentRow(step.mid(4).toInt());
                if (rows) rows->setCurrentItem(rows->topLevelItem(step.mid(4).toInt()));
            } else if (step.startsWith("drop:")) {
                QMetaObject::invokeMethod(dialog, "DropPaths", Q_ARG(QStringList, step.mid(5).split(',')));
            } else if (step.startsWith("text:")) {
                if (auto* edit = dialog->findChild<QLineEdit*>(step.section(':', 1, 1))) edit->setText(step.section(':', 2));
            } else if (step.startsWith("link:")) {
                // A click on the named link field.
                if (auto* link = dialog->findChild<CLinkLabel*>(step.mid(5))) link->Open();
            } else if (step.startsWith("set:")) {
                SetNamedControl(dialog, step.section(':', 1, 1), step.section(':', 2));
            } else if (step.startsWith("picture:")) {
                QMetaObject::invokeMethod(dialog, "TakePicture", Q_ARG(QString, step.mid(8)));
            } else if (step == "preview") {
                // The dialog's preview document once its rebuilds have been shown.
                QString html;
                QMetaObject::invokeMethod(dialog, "PreviewHtml", Q_RETURN_ARG(QString, html));
                *seen = html.simplified();
                tookValues = true;
            } else if (step == "values") {
                *seen = NamedControls(dialog);
                tookValues = true;
            } else {
                for (QPushButton* button : dialog->findChildren<QPushButton*>())
                    if (button->text() == kButtons.value(step)) button->click();
            }
            if (!dialog->isVisible()) break;
        }
        // A dialog the steps left open is closed as with its close box.
        if (dialog->isVisible()) dialog->reject();
    };
    QTimer::singleShot(0, m_frame, [takeSteps] { (*takeSteps)(0); });
    m_frame->Commands()->Run(command->id);
    // The steps hold themselves while they wait; the run is over now.
    QTimer::singleShot(0, m_frame, [takeSteps] { *takeSteps = nullptr; });
    QString ended = *result == QDialog::Accepted   ? QStringLiteral("ok")
                    : *result == QDialog::Rejected ? QStringLiteral("cancel")
                                                   : QStringLiteral("none");
    return *seen + " " + ended;
}

QString CFrameProbe::Encoding(const QStringList& words) {
    // "encoding-menu" lists the entries, "encoding-choose NAME" picks one
    // ("auto" for the automatic entry).
    CEncodingMenu* menu = m_frame->Encodings()->Menu();
    if (words.value(0) == "encoding-menu") {
        menu->Refill();
        return menu->Describe().join('|');
    }
    if (words.value(0) == "encoding-choose") {
        const QString name = words.value(1) == "auto" ? QString() : words.value(1);
        return menu->Pick(name) ? QStringLiteral("chosen") : QStringLiteral("no such encoding");
    }
    return {};
}

QString CFrameProbe::Clock(const QStringList& words) {
    // "clock": the clock window's place and size on the screen, its alpha,
    // visibility, paints and shown time, and the main window's client origin
    // and width ("absent" without a clock); "clock-hit X Y": whether that
    // point of the clock takes the mouse; "clock-shot PATH": the screen as
    // the X server shows it; "alarm": the alarm's state; "alarm-now
    // HH:MM:SS": the time this run takes as now; "alarm-answer snooze|dismiss".
    CClockCommands* c = m_frame->Clock();
    CClockWindow* clock = c->Clock();
    const QString key = words.value(0);
    if (key == "clock") {
        if (!clock) return c->ClockSupported() ? QStringLiteral("absent") : QStringLiteral("absent unsupported");
        const QRect g = clock->geometry();
        const QPoint client = m_frame->mapToGlobal(QPoint(0, 0));
        const ClockTime t = clock->Shown();
        return QStringLiteral("%1,%2 %3x%4 alpha=%5 visible=%6 paints=%7 time=%8:%9:%10 client=%11,%12 width=%13")
            .arg(g.x()).arg(g.y()).arg(g.width()).arg(g.height()).arg(clock->Alpha()).arg(clock->isVisible() ? 1 : 0)
            .arg(clock->Paints()).arg(t.hour).arg(t.minute).arg(t.second).arg(client.x()).arg(client.y())
            .arg(m_frame->width());
    }
    if (key == "clock-hit")
        return clock && clock->TakesMouseAt(QPoint(words.value(1).toInt(), words.value(2).toInt())) ? QStringLiteral("1")
                                                                                                    : QStringLiteral("0");
    if (key == "clock-shot") {
        QScreen* screen = m_frame->screen();
        return screen && screen->grabWindow(0).save(words.value(1)) ? QStringLiteral("saved") : QStringLiteral("failed");
    }
    if (key == "alarm")
        return QStringLiteral("rings=%1 armed=%2 timer=%3 message=%4")
            .arg(c->Rings()).arg(c->AlarmTime()).arg(c->AlarmTimerRunning() ? 1 : 0)
            .arg(QString::fromStdString(c->LastMessage()));
    if (key == "alarm-now") {
        const QTime t = QTime::fromString(words.value(1), QStringLiteral("HH:mm:ss"));
        if (!t.isValid()) return QStringLiteral("bad time");
        c->SetNow(t.msecsSinceStartOfDay() / 1000);
        return QStringLiteral("set");
    }
    if (key == "alarm-answer") {
        c->SetScriptedAlarmAnswer(words.value(1) == "snooze" ? 0 : words.value(1) == "dismiss" ? 1 : -1);
        return QStringLiteral("set");
    }
    return {};
}
