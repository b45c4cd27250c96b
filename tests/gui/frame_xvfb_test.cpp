// The main window on real X servers, where the program's own answers are not
// enough: Esc pressed as a key (quitting, or hiding to a real notification
// area and back with a click on the icon), the 800-pixel column on a screen
// wider than that with and without a window manager, and the keyboard lock
// panes following keys pressed on the server.
// Each test starts its own Xvfb (plus a tray or window manager where needed).
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include "readerrun.h"

// Xlib last: its macros (None, Bool, Status...) would clash with other names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

const std::string kSamples = std::string(PAGORA_SOURCE_DIR) + "/samples";
constexpr int kCapsPane = 0xE701, kNumPane = 0xE702;

bool StartsWith(const std::string& s, const std::string& head) { return s.rfind(head, 0) == 0; }

// Starts a helper with its output sent to `log` (or dropped); only `keepFd`
// is passed on besides the standard ones.
pid_t Spawn(const std::vector<std::string>& argv, const std::string& display, int keepFd = -1,
            const std::string& log = "/dev/null") {
    pid_t pid = fork();
    if (pid != 0) return pid;
    if (!display.empty()) setenv("DISPLAY", display.c_str(), 1);
    int in = open("/dev/null", O_RDONLY);
    int out = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    dup2(in, 0), dup2(out, 1), dup2(out, 2);
    for (int fd = 3; fd < 1024; ++fd)
        if (fd != keepFd) close(fd);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
}

void Stop(pid_t pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}

// Asks the server repeatedly (up to 10 s) until `ready` holds.
bool WaitFor(const std::string& display, const std::function<bool(::Display*)>& ready) {
    for (int i = 0; i < 100; ++i) {
        if (::Display* d = XOpenDisplay(display.c_str())) {
            bool ok = ready(d);
            XCloseDisplay(d);
            if (ok) return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

// A private Xvfb server of the given size, on a display number it picks itself.
class CXServer {
public:
    CXServer(int width, int height) {
        char pattern[] = "/tmp/pagora-xvfb-XXXXXX";
        m_logFolder = mkdtemp(pattern);
        int fds[2];
        if (pipe(fds) != 0) return;
        std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
        // -noreset: by default the server resets whenever its last client
        // leaves (as the probe below does), refusing connections meanwhile.
        m_server = Spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", screen, "-nolisten", "tcp",
                          "-noreset"},
                         "", fds[1], m_logFolder + "/xvfb.log");
        close(fds[1]);
        // Xvfb writes the number and its line end in two writes, then closes
        // the descriptor; a pipe closed after the first read makes the second
        // write fail, and Xvfb ends with a fatal error. Read to the end.
        std::string number;
        char buffer[32];
        ssize_t n;
        while ((n = read(fds[0], buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR))
            if (n > 0) number.append(buffer, static_cast<size_t>(n));
        close(fds[0]);
        if (number.empty() || number.find_first_not_of("0123456789\n") != std::string::npos) return;
        std::string display = ":" + std::to_string(std::stoi(number));
        if (WaitFor(display, [](::Display*) { return true; })) m_display = display;
    }
    ~CXServer() {
        Stop(m_windowManager);
        Stop(m_tray);
        Stop(m_server);
        std::error_code ec;
        std::filesystem::remove_all(m_logFolder, ec);
    }
    CXServer(const CXServer&) = delete;
    CXServer& operator=(const CXServer&) = delete;

    const std::string& Display() const { return m_display; }

    // A notification area (trayer); true once it owns the tray selection.
    bool StartTray() {
        m_tray = Spawn({"trayer", "--edge", "bottom", "--align", "right"}, m_display);
        return WaitFor(m_display, [](::Display* d) {
            return XGetSelectionOwner(d, XInternAtom(d, "_NET_SYSTEM_TRAY_S0", False)) != 0;
        });
    }

    // A window manager (openbox); true once it announces itself on the root.
    bool StartWindowManager() {
        m_windowManager = Spawn({"openbox", "--sm-disable"}, m_display);
        return WaitFor(m_display, [](::Display* d) {
            Atom check = XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", False);
            Atom type = 0;
            int format = 0;
            unsigned long count = 0, left = 0;
            unsigned char* data = nullptr;
            bool set = XGetWindowProperty(d, DefaultRootWindow(d), check, 0, 1, False, XA_WINDOW, &type, &format,
                                          &count, &left, &data) == Success &&
                       count == 1;
            if (data) XFree(data);
            return set;
        });
    }

    // Runs a shell command with this display; true when it succeeded.
    bool Shell(const std::string& command) const {
        return std::system(("DISPLAY=" + m_display + " " + command + " >/dev/null 2>&1").c_str()) == 0;
    }

    // Gives the reader's main window the keyboard focus and presses keys on
    // the server, as a user would.
    bool PressInMainWindow(const std::string& keys) const {
        return Shell("xdotool search --name ' - Pagora$' windowfocus --sync") && Shell("xdotool key " + keys);
    }

    // Clicks the centre of the icon that a program embedded in the
    // notification area (the window there that carries the embedding info).
    bool ClickTrayIcon() const {
        ::Display* d = XOpenDisplay(m_display.c_str());
        if (!d) return false;
        Atom info = XInternAtom(d, "_XEMBED_INFO", True);
        int x = -1, y = -1;
        std::function<void(Window)> walk = [&](Window w) {
            Window root = 0, parent = 0, *children = nullptr;
            unsigned int count = 0;
            if (!XQueryTree(d, w, &root, &parent, &children, &count)) return;
            for (unsigned int i = 0; i < count && x < 0; ++i) {
                Window c = children[i];
                Atom type = 0;
                int format = 0;
                unsigned long items = 0, left = 0;
                unsigned char* data = nullptr;
                XWindowAttributes a;
                if (info && w != root && XGetWindowProperty(d, c, info, 0, 2, False, AnyPropertyType, &type, &format,
                                                            &items, &left, &data) == Success &&
                    type != 0 && XGetWindowAttributes(d, c, &a) && a.map_state == IsViewable) {
                    Window child = 0;
                    XTranslateCoordinates(d, c, root, a.width / 2, a.height / 2, &x, &y, &child);
                }
                if (data) XFree(data);
                if (x < 0) walk(c);
            }
            if (children) XFree(children);
        };
        walk(DefaultRootWindow(d));
        XCloseDisplay(d);
        if (x < 0) return false;
        // Away first, so that arriving over the icon is a real pointer motion.
        return Shell("xdotool mousemove 1 1 sleep 0.2 mousemove " + std::to_string(x) + " " + std::to_string(y) +
                     " sleep 0.2 click 1");
    }

private:
    pid_t m_server = -1, m_tray = -1, m_windowManager = -1;
    std::string m_display, m_logFolder;
};

struct CDisplayRun {
    std::vector<std::string> lines;  // "WORD: ..." lines, in order
    int exitCode = -1;
    std::string errors;  // the end of the program's error output, for failure messages
};

// Runs the program of `run` on the display. `onLine` sees each printed line
// as it comes, to act on the server while the script goes on.
CDisplayRun RunOnDisplay(const CReaderRun& run, const CXServer& x, const std::vector<std::string>& script,
                         const std::function<void(const std::string&)>& onLine = {}, int timeoutSeconds = 90,
                         const std::string& environment = "") {
    std::string text;
    for (const std::string& line : script) text += line + "\n";
    std::string scriptPath = run.WriteFile("script.txt", text);
    std::string command = "cd '" + run.Folder() + "' && " + environment + " DISPLAY=" + x.Display() +
                          " QTWEBENGINE_DISABLE_SANDBOX=1 QT_QPA_PLATFORM=xcb timeout " +
                          std::to_string(timeoutSeconds) + " ./Pagora --no-message-boxes --script '" + scriptPath +
                          "' '" + kSamples + "/story.txt' 2>stderr.txt";
    CDisplayRun result;
    // One reader at a time across test processes (they choose loopback ports).
    int lockFd = ::open("/tmp/pagora-reader-gui.lock", O_CREAT | O_RDWR | O_CLOEXEC, 0666);
    if (lockFd >= 0) ::flock(lockFd, LOCK_EX);
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[65536];
        while (std::fgets(buffer, sizeof buffer, pipe)) {
            std::string line(buffer);
            while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
            size_t colon = line.find(": ");
            if (colon == std::string::npos || colon == 0 ||
                line.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ") != colon)
                continue;
            result.lines.push_back(line);
            if (onLine) onLine(line);
        }
        int status = pclose(pipe);
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    if (lockFd >= 0) ::close(lockFd);
    std::ifstream in(run.Folder() + "/stderr.txt");
    std::stringstream all;
    all << in.rdbuf();
    std::string errors = all.str();
    result.errors = errors.size() > 1500 ? errors.substr(errors.size() - 1500) : errors;
    return result;
}

// The answers (text after "PREFIX: ") in order.
std::vector<std::string> Answers(const CDisplayRun& r, const std::string& prefix) {
    std::vector<std::string> out;
    for (const std::string& line : r.lines)
        if (StartsWith(line, prefix + ": ")) out.push_back(line.substr(prefix.size() + 2));
    return out;
}

// "maximized 400,0 800x900 visible=1" -> its width (-1 when not in that form).
int WidthOf(const std::string& window) {
    size_t x = window.find('x', window.find(' ', window.find(' ') + 1));
    size_t space = window.rfind(' ', x);
    return x == std::string::npos || space == std::string::npos ? -1 : std::atoi(window.c_str() + space + 1);
}

// The colour the X server shows at a point of the screen, as 0xRRGGBB (-1
// when it cannot be read). No compositing manager runs: what is seen is the
// windows' own pixels where their shapes let them show.
long ScreenPixel(const std::string& display, int x, int y) {
    ::Display* d = XOpenDisplay(display.c_str());
    if (!d) return -1;
    long rgb = -1;
    if (XImage* image = XGetImage(d, DefaultRootWindow(d), x, y, 1, 1, AllPlanes, ZPixmap)) {
        rgb = static_cast<long>(XGetPixel(image, 0, 0) & 0xFFFFFF);
        XDestroyImage(image);
    }
    XCloseDisplay(d);
    return rgb;
}

}  // namespace

TEST(FrameXvfb, ClockShowsOnlyItsMarksAndHandsTakesOnlyThemAsHandlesAndFollowsTheWindow) {
    CXServer x(1280, 800);
    ASSERT_FALSE(x.Display().empty()) << "Xvfb did not start";
    CReaderRun run;
    // A white page that tells of a click reaching it.
    const std::string page = run.WriteFile(
        "white.htm", "<html><body style='margin:0;background:#fff;height:2000px' "
                     "onmousedown=\"document.title='clicked'\"></body></html>");
    std::string screenshot = "/tmp/shots/clock-over-page.png";
    std::system("mkdir -p /tmp/shots");
    long background = -2, mark = -2, centre = -2;
    bool clicked = false, dragged = false;
    // Maximised without a window manager the window fills the screen: the
    // clock (radius 60) stands at (1280 - 120 - 30, 100).
    std::vector<std::string> script = {
        "open " + page, "frame alarm-now 10:10:30", "until time=10:10 | frame clock", "frame clock-hit 60 60",
        "frame clock-hit 3 3", "frame clock-shot " + screenshot,
        // The click beside the hands reaches the page; the 12 o'clock mark drags.
        "until clicked | title", "until ^FRAME: 1030,150 | frame clock",
        "frame move 100 100 900 600", "until ^FRAME: 750,250 | frame clock",
        // A new radius keeps the top-left corner; hidden by the options, the
        // clock comes back at its first place after restore defaults.
        "frame dialog options.clock values set:radius:80 set:transparency:100 ok", "frame clock",
        "frame dialog options.clock set:showClock:0 ok", "frame clock", "frame restore-defaults",
        "until ^FRAME: 850,200 | frame clock", "frame clock-shot /tmp/shots/clock-after-restore.png", "close"};
    int frames = 0;
    auto r = RunOnDisplay(
        run, x, script,
        [&](const std::string& line) {
            if (!StartsWith(line, "FRAME: ")) return;
            if (++frames != 5) return;  // the screenshot is taken: the clock is on screen
            background = ScreenPixel(x.Display(), 1130 + 3, 100 + 3);
            mark = ScreenPixel(x.Display(), 1130 + 60, 100 + 6);
            centre = ScreenPixel(x.Display(), 1130 + 60, 100 + 60);
            clicked = x.Shell("xdotool mousemove 1133 103 sleep 0.2 click 1");
            dragged = x.Shell("xdotool mousemove 1190 106 sleep 0.2 mousedown 1 sleep 0.2 mousemove 1140 130 "
                              "sleep 0.2 mousemove 1090 156 sleep 0.2 mouseup 1");
        },
        90, "PAGORA_TRANSLUCENT_WINDOWS=1");
    auto frame = Answers(r, "FRAME");
    ASSERT_GE(frame.size(), 15u) << r.errors;
    EXPECT_TRUE(StartsWith(frame[1], "1130,100 120x120 alpha=153 visible=1 ")) << frame[1];
    EXPECT_TRUE(Has(frame[1], "time=10:10:")) << frame[1];
    EXPECT_EQ(frame[2], "1") << "the hands take the mouse";
    EXPECT_EQ(frame[3], "0") << "the background lets it through";
    // Where nothing is painted the page shows (white); a mark is red.
    EXPECT_EQ(background, 0xFFFFFF);
    EXPECT_EQ(mark, 0xFF0000);
    EXPECT_NE(centre, 0xFFFFFF) << "the hands cover the centre";
    ASSERT_TRUE(clicked && dragged) << "xdotool is needed";
    EXPECT_TRUE(Has(Answers(r, "TITLE").at(0), "clicked"));
    EXPECT_TRUE(StartsWith(frame[5], "1030,150 120x120")) << frame[5];
    // The window's right edge went from 1280 to 1000 and its top from 0 to 100.
    EXPECT_TRUE(StartsWith(frame[7], "750,250 120x120")) << frame[7];
    EXPECT_TRUE(StartsWith(frame[9], "750,250 160x160 alpha=0 visible=1")) << frame[9];
    EXPECT_EQ(frame[11], "absent");
    EXPECT_TRUE(StartsWith(frame[13], "850,200 120x120 alpha=153 visible=1")) << frame[13];
    EXPECT_EQ(Answers(r, "TIMEOUT").size(), 0u);
    EXPECT_EQ(r.exitCode, 0) << r.errors;
}

TEST(FrameXvfb, NoClockWithoutACompositingManager) {
    CXServer x(1024, 768);
    ASSERT_FALSE(x.Display().empty()) << "Xvfb did not start";
    CReaderRun run;
    auto r = RunOnDisplay(run, x, {"frame clock", "windows", "frame dialog options.clock values cancel", "close"});
    ASSERT_EQ(Answers(r, "FRAME").size(), 2u) << r.errors;
    EXPECT_EQ(Answers(r, "FRAME")[0], "absent unsupported");
    EXPECT_EQ(Answers(r, "WINDOWS").at(0), "1");
    EXPECT_TRUE(StartsWith(Answers(r, "FRAME")[1], "showClock=0-,")) << Answers(r, "FRAME")[1];
}

TEST(FrameXvfb, EscKeyQuitsWhenSetToQuit) {
    CXServer x(1024, 768);
    ASSERT_FALSE(x.Display().empty()) << "Xvfb did not start";
    CReaderRun run;
    bool pressed = false;
    // The script never closes the window: only Esc ends the run before the
    // time limit (which would exit with 124).
    auto r = RunOnDisplay(run, x, {"frame window", "sleep 40000", "frame window"},
                          [&](const std::string& line) {
                              if (!pressed && StartsWith(line, "FRAME: ")) pressed = x.PressInMainWindow("Escape");
                          },
                          60);
    ASSERT_TRUE(pressed) << "xdotool is needed";
    ASSERT_FALSE(Answers(r, "FRAME").empty()) << r.errors;
    EXPECT_TRUE(Has(Answers(r, "FRAME")[0], "visible=1"));
    EXPECT_EQ(r.exitCode, 0) << r.errors;
    // It left through the window's close, which saves the placement.
    EXPECT_TRUE(Has(run.IniText(), "WindowPlacement=")) << run.IniText();
}

TEST(FrameXvfb, EscKeyHidesToTheNotificationAreaAndAClickOnTheIconReturns) {
    CXServer x(1024, 768);
    ASSERT_FALSE(x.Display().empty()) << "Xvfb did not start";
    ASSERT_TRUE(x.StartTray()) << "trayer did not provide a notification area";
    CReaderRun run;
    run.WriteFile("Pagora.ini", "[ParaBlock]\nPARA_ESC_KEY=1\n");
    // Each state is waited for as the window manager and the tray get to it.
    std::vector<std::string> script = {"frame window", "until visible=0 | frame window", "until shown | frame tray",
                                       "sleep 1000", "frame window", "until visible=1 | frame window",
                                       "until none | frame tray", "close"};
    bool pressed = false, clicked = false;
    int frames = 0;
    auto r = RunOnDisplay(run, x, script, [&](const std::string& line) {
        if (!StartsWith(line, "FRAME: ")) return;
        if (frames == 0) pressed = x.PressInMainWindow("Escape");
        if (frames == 3) clicked = x.ClickTrayIcon();
        ++frames;
    });
    auto frame = Answers(r, "FRAME");
    ASSERT_EQ(frame.size(), 6u) << r.errors;
    ASSERT_TRUE(pressed) << "xdotool is needed";
    EXPECT_TRUE(Has(frame[0], "visible=1")) << frame[0];
    // Hidden after the key with its icon shown, and it stays hidden.
    EXPECT_TRUE(Has(frame[1], "visible=0")) << frame[1];
    EXPECT_EQ(frame[2], "shown");
    EXPECT_TRUE(Has(frame[3], "visible=0")) << frame[3];
    EXPECT_TRUE(clicked) << "no icon to click in the notification area";
    // The click brings the window back and takes the icon away.
    EXPECT_TRUE(Has(frame[4], "visible=1")) << frame[4];
    EXPECT_EQ(frame[5], "none");
    EXPECT_EQ(Answers(r, "TIMEOUT").size(), 0u);
    EXPECT_EQ(r.exitCode, 0) << r.errors;
}

TEST(FrameXvfb, WidthLimitWithoutWindowManagerCentresTheMaximisedColumn) {
    CXServer x(1600, 900);
    ASSERT_FALSE(x.Display().empty()) << "Xvfb did not start";
    CReaderRun run;
    run.WriteFile("Pagora.ini", "[ParaBlock]\nPARA_WIDTH_800=1\n");
    // Nothing acts on maximising here: the program places the window itself,
    // once (the two readings a second apart agree), and the limit's toggle
    // widens and narrows the maximised window.
    auto r = RunOnDisplay(run, x, {"until 400,0 800x900 | frame window", "sleep 1000", "frame window", "command 32807",
                                   "until 0,0 1600x900 | frame window", "setting 20", "command 32807",
                                   "until 400,0 800x900 | frame window", "close"});
    auto frame = Answers(r, "FRAME");
    ASSERT_EQ(frame.size(), 4u) << r.errors;
    EXPECT_EQ(frame[0], "maximized 400,0 800x900 visible=1");
    EXPECT_EQ(frame[1], frame[0]);
    EXPECT_EQ(frame[2], "maximized 0,0 1600x900 visible=1");
    EXPECT_EQ(Answers(r, "SETTING").at(0), "0");
    EXPECT_EQ(frame[3], "maximized 400,0 800x900 visible=1");
    // Closed maximised: the placement says so (show command 3).
    EXPECT_TRUE(Has(run.IniText(), "WindowPlacement=2C0000000000000003000000")) << run.IniText();

    // A screen no wider than the limit: the limit changes nothing.
    CXServer narrow(800, 600);
    ASSERT_FALSE(narrow.Display().empty()) << "Xvfb did not start";
    CReaderRun second;
    second.WriteFile("Pagora.ini", "[ParaBlock]\nPARA_WIDTH_800=1\n");
    auto n = RunOnDisplay(second, narrow, {"frame window", "close"});
    EXPECT_EQ(Answers(n, "FRAME").at(0), "maximized 0,0 800x600 visible=1") << n.errors;
}

TEST(FrameXvfb, WidthLimitUnderWindowManagerKeepsTheWindowMaximisedWithoutAFight) {
    CXServer x(1600, 900);
    ASSERT_FALSE(x.Display().empty()) << "Xvfb did not start";
    ASSERT_TRUE(x.StartWindowManager()) << "openbox did not start";
    CReaderRun run;
    run.WriteFile("Pagora.ini", "[ParaBlock]\nPARA_WIDTH_800=1\n");
    // The manager answers asynchronously: each state is waited for, and a
    // second reading a second later must agree (no back and forth).
    std::vector<std::string> script;
    for (const char* width : {"800", "1600", "800"}) {
        if (script.size()) script.push_back("command 32807");
        script.push_back(std::string("until ^FRAME: maximized \\S+ ") + width + "x | frame window");
        script.push_back("sleep 1000");
        script.push_back("frame window");
    }
    script.push_back("close");
    auto r = RunOnDisplay(run, x, script);
    auto frame = Answers(r, "FRAME");
    ASSERT_EQ(frame.size(), 6u) << r.errors;
    for (int phase = 0; phase < 3; ++phase) {
        const std::string& last = frame[phase * 2 + 1];
        EXPECT_TRUE(StartsWith(last, "maximized ")) << "phase " << phase << ": " << last;
        EXPECT_EQ(frame[phase * 2], last) << "phase " << phase;
        EXPECT_EQ(WidthOf(last), phase == 1 ? 1600 : 800) << "phase " << phase << ": " << last;
    }
    EXPECT_EQ(r.exitCode, 0) << r.errors;
}

TEST(FrameXvfb, LockPanesFollowTheKeyboard) {
    CXServer x(1024, 768);
    ASSERT_FALSE(x.Display().empty()) << "Xvfb did not start";
    CReaderRun run;
    // The panes are read without asking for a refresh ("pane"): the status
    // bar's own polling must notice a key that went to the server, not to
    // the program. Then Caps Lock goes off again and Num Lock on.
    std::vector<std::string> script = {"frame keylocks", "until ^PANE: CAP$ | pane " + std::to_string(kCapsPane),
                                       "frame keylocks", "until ^PANE: NUM$ | pane " + std::to_string(kNumPane),
                                       "frame keylocks", "close"};
    int frames = 0;
    bool pressed = true;
    auto r = RunOnDisplay(run, x, script, [&](const std::string& line) {
        if (!StartsWith(line, "FRAME: ")) return;
        if (frames == 0) pressed &= x.Shell("xdotool key Caps_Lock");
        if (frames == 1) pressed &= x.Shell("xdotool key Caps_Lock Num_Lock");
        ++frames;
    });
    ASSERT_TRUE(pressed) << "xdotool is needed";
    auto frame = Answers(r, "FRAME");
    auto panes = Answers(r, "PANE");
    ASSERT_EQ(frame.size(), 3u) << r.errors;
    ASSERT_EQ(panes.size(), 2u) << r.errors;
    EXPECT_EQ(frame[0], "CAP= NUM= SCRL=");
    EXPECT_EQ(panes[0], "CAP");
    EXPECT_EQ(frame[1], "CAP=CAP NUM= SCRL=");
    EXPECT_EQ(panes[1], "NUM");
    EXPECT_EQ(frame[2], "CAP= NUM=NUM SCRL=");
}
