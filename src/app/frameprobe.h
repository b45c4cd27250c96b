#pragma once
// CFrameProbe: answers a test script's questions about the main window (its
// bars, state, commands and dialogs), some of which act as a user would
// first. It sees the window only through the window's public interface.
#include <QString>

class CMainFrame;

class CFrameProbe {
public:
    explicit CFrameProbe(CMainFrame* frame) : m_frame(frame) {}
    // The answer to one question ("" when the question is unknown):
    //   actions            every command in the menus, "id:1" enabled or "id:0"
    //   checked COMMAND    its check mark, "1" or "0"
    //   active             whether the main window is the active window
    //   toolbar            the tool bar's commands in order, "|" a separator
    //   bars               which of menu, tool, address and status bars show
    //   window             state, place, size and visibility of the window
    //   filelist, archivebar   a side bar's state (and selection, entries)
    //   archive-pick E, filelist-pick F   picks in a side bar as a click would
    //   dock BAR AREA [SIZE]   docks a side bar on an edge
    //   move X Y W H, minimize
    //   esc, tray, tray-click  the Esc key's command and the notification icon
    //   dialog COMMAND STEP... runs a command and takes steps in its dialog
    //   restore-defaults, keylocks, drop FILE..., focus-pane [back]
    //   address-type TEXT, address-list   the address bar's completions and list
    //   favourites FOLDER, favourite-open N
    //   encoding-menu, encoding-choose NAME   the text encoding menu
    //   clock, clock-hit X Y, clock-shot PATH, alarm, alarm-now T, alarm-answer A   the clock and the alarm
    // COMMAND is a number or a stable name.
    QString Answer(const QString& question);

private:
    QString Dialog(const QStringList& words);
    QString Encoding(const QStringList& words);
    QString Clock(const QStringList& words);

    CMainFrame* m_frame;
};
