#pragma once
// CScriptDriver: runs a small script of commands against the running reader
// once its first page has loaded, printing what it reads back from the page;
// used by the GUI tests, the screenshot option and the start-up benchmark.
#include <QObject>
#include <QStringList>

#include <string>

#include "app/frameprobe.h"

class CMainFrame;

class CScriptDriver : public QObject {
    Q_OBJECT
public:
    // Commands, one a line:
    //   wait                  until the current page is complete
    //   eval <script>         prints "EVAL: <result>" (line breaks as "\\n")
    //   eval-ms <ms> <script> the same, giving the page only that long to answer
    //   location              prints "LOCATION: <address>"
    //   title                 prints "TITLE: <window title>"
    //   scroll                prints "SCROLL: x,y" (read through the page)
    //   scrollto <x> <y>
    //   click <element id>    clicks an element and waits for the next page
    //   open <path>           OpenFile and wait for the page
    //   navigate <address>    NavigateTo and wait for the page
    //   navigate-nowait <a>   NavigateTo without waiting
    //   password-answer <n>   answers waiting archive questions (1 OK, 2 Cancel)
    //   address <text>        types the text into the address bar and presses Enter;
    //                         prints "ADDRESSITEMS: <items in its list>"
    //   command <id>          runs a menu command (by number or stable name)
    //   command-wait <id>     runs a menu command and waits for the next page
    //   windows               prints "WINDOWS: <top-level windows shown>"
    //   server                prints "SERVER: running" or "SERVER: stopped"
    //   pane <id>             prints "PANE: <text>"
    //   setting <key index>   prints "SETTING: <value>"
    //   string <key index>    prints "STRING: <value>"
    //   waitfor <script>      asks the page again until the script answers "true"
    //                         (prints "TIMEOUT: ..." after 90 s)
    //   until <pattern> | <command>   runs the command again (silently) until what
    //                         it prints matches the regular expression, then
    //                         prints that once (after "TIMEOUT: ..." after 90 s)
    //   messages <n>          waits until the run has shown n messages in all
    //   sleep <ms>            (only where a test needs time itself to pass)
    //   screenshot <file>     saves the window, prints "SCREENSHOT: <file>"
    //   firstscreen <path>    opens a text file, prints "FIRSTSCREEN: <ms>" once text shows
    //   frame <question>      prints "FRAME: <answer>" to a question about the main
    //                         window (see CFrameProbe)
    //   frame-wait <question> the same after the page it started has loaded
    //   close                 closes the main window (saving the position) and quits
    CScriptDriver(CMainFrame* frame, QStringList commands, QObject* parent = nullptr);
    // Starts once the first page (not "about:blank") has completed.
    void Arm();
    // Prints "FIRSTLOAD: <milliseconds since the epoch>" when the first page
    // (not "about:blank") has loaded (start-up benchmark).
    void ReportFirstLoad() { m_reportFirstLoad = true; }

private:
    void RunNext();
    // Runs one command; false once the script has ended (close).
    bool RunLine(const QString& line);
    bool WaitForNextPage(int timeoutMs);
    // Pumps events until `done` is true or the time is up; false on time-out.
    template <typename Done>
    bool WaitUntil(Done done, int timeoutMs);
    void Print(const std::string& line);

    CMainFrame* m_frame;
    CFrameProbe m_probe;
    QStringList m_commands;
    int m_next = 0;
    bool m_armed = false;
    bool m_started = false;
    int m_completions = 0;
    bool m_reportFirstLoad = false;
    bool m_capture = false;  // Print collects into m_captured instead
    std::string m_captured;
};
