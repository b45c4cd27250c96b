#include "app/scriptdriver.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QRegularExpression>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <cstdio>

#include "settings/parablock.h"
#include "frame/addressbar.h"
#include "frame/archivepromptbridge.h"
#include "frame/commandmenus.h"
#include "frame/mainframe.h"
#include "frame/progressstatusbar.h"
#include "server/pageserver.h"
#include "view/browsercontrol.h"
#include "view/messagebox.h"
#include "view/pagoraview.h"

namespace {
// How long a scripted question to the page may take on a busy machine.
constexpr int kAnswerMs = 20000;
}  // namespace

CScriptDriver::CScriptDriver(CMainFrame* frame, QStringList commands, QObject* parent)
    : QObject(parent), m_frame(frame), m_probe(frame), m_commands(std::move(commands)) {
    connect(m_frame->View(), &CPagoraView::DocumentCompleted, this, [this](const QString& address, bool) {
        ++m_completions;
        if (m_reportFirstLoad && address != QLatin1String("about:blank")) {
            m_reportFirstLoad = false;
            auto now = std::chrono::system_clock::now().time_since_epoch();
            Print("FIRSTLOAD: " + std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(now).count()));
        }
        if (m_armed && !m_started && address != QLatin1String("about:blank")) {
            m_started = true;
            // Let the page paint before the first command looks at it.
            QTimer::singleShot(300, this, &CScriptDriver::RunNext);
        }
    });
}

void CScriptDriver::Arm() { m_armed = true; }

void CScriptDriver::Print(const std::string& line) {
    if (m_capture) {
        m_captured += line + "\n";
        return;
    }
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

bool CScriptDriver::WaitForNextPage(int timeoutMs) {
    int before = m_completions;
    QElapsedTimer timer;
    timer.start();
    while (m_completions == before && timer.elapsed() < timeoutMs) {
        QEventLoop loop;
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
    }
    // A moment for the renderer to settle (scroll positions, pictures).
    QEventLoop loop;
    QTimer::singleShot(200, &loop, &QEventLoop::quit);
    loop.exec();
    return m_completions != before;
}

template <typename Done>
bool CScriptDriver::WaitUntil(Done done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() >= timeoutMs) return false;
        QEventLoop loop;
        QTimer::singleShot(50, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

void CScriptDriver::RunNext() {
    while (m_next < m_commands.size()) {
        QString line = m_commands[m_next++].trimmed();
        if (line.isEmpty() || line.startsWith('#')) continue;
        if (!RunLine(line)) return;
    }
}

bool CScriptDriver::RunLine(const QString& line) {
    CPagoraView* view = m_frame->View();
    // Taken anew for every command: a page that closes its window gets a new browser.
    CBrowserControl* browser = view->Browser();
    QString verb = line.section(' ', 0, 0);
    QString rest = line.section(' ', 1);
    if (verb == "until") {
        // "until PATTERN | COMMAND": the command's answer, once it matches
        // the pattern; for states that other programs change in their own time.
        const QRegularExpression pattern(rest.section(" | ", 0, 0));
        const QString command = rest.section(" | ", 1);
        std::string answer;
        const bool reached = WaitUntil(
            [&] {
                m_capture = true;
                m_captured.clear();
                RunLine(command);
                m_capture = false;
                answer = m_captured;
                return QString::fromStdString(answer).contains(pattern);
            },
            90000);
        if (!reached) Print("TIMEOUT: " + line.toStdString());
        if (!answer.empty()) answer.pop_back();  // its line break
        Print(answer);
        return true;
    }
    if (verb == "wait") {
        browser->WaitComplete(60000);
    } else if (verb == "restored") {
        // Waits until a saved reading position has been applied.
        if (!WaitUntil([view] { return !view->RestorePending(); }, 90000)) Print("TIMEOUT: restored");
    } else if (verb == "eval" || verb == "eval-ms") {
        // One line per answer: line breaks are shown as "\n". "eval-ms MS
        // SCRIPT" gives the page only that long to answer.
        int within = kAnswerMs;
        if (verb == "eval-ms") {
            within = rest.section(' ', 0, 0).toInt();
            rest = rest.section(' ', 1);
        }
        std::string value = browser->EvaluateText(rest.toStdString(), within).value_or("<no answer>");
        std::string escaped;
        for (char c : value) {
            if (c == '\n') escaped += "\\n";
            else if (c != '\r') escaped += c;
        }
        Print("EVAL: " + escaped);
    } else if (verb == "clock") {
        // Milliseconds of a steady clock, for rates measured between two lines.
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        Print("CLOCK: " + std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(now).count()));
    } else if (verb == "location") {
        Print("LOCATION: " + view->Location());
    } else if (verb == "title") {
        Print("TITLE: " + m_frame->windowTitle().toStdString());
    } else if (verb == "scroll") {
        auto offsets = browser->ReadScrollOffsets(kAnswerMs);
        Print("SCROLL: " + (offsets ? std::to_string(offsets->first) + "," + std::to_string(offsets->second)
                                    : std::string("<no answer>")));
    } else if (verb == "scrollto") {
        // Ends once the view has been told of the new offsets, so that a
        // command after it sees them even on a busy machine. A page still
        // growing is asked again until it is tall enough; one that never
        // gets there ends it after half a minute.
        const std::pair<int, int> target(rest.section(' ', 0, 0).toInt(), rest.section(' ', 1, 1).toInt());
        QElapsedTimer timer;
        timer.start();
        do {
            view->ScrollTo(target.first, target.second);
            QEventLoop loop;
            QTimer::singleShot(200, &loop, &QEventLoop::quit);
            loop.exec();
        } while (browser->ScrollOffsets() != target && timer.elapsed() < 30000);
    } else if (verb == "click") {
        browser->EvaluateText("document.getElementById('" + rest.toStdString() + "').click(); 'ok'", kAnswerMs);
        if (!WaitForNextPage(30000)) Print("TIMEOUT: click " + rest.toStdString());
    } else if (verb == "open" || verb == "navigate") {
        if (verb == "open") view->OpenFile(rest.toStdString());
        else view->NavigateTo(rest.toStdString());
        if (!WaitForNextPage(30000)) Print("TIMEOUT: " + line.toStdString());
    } else if (verb == "navigate-nowait") {
        view->NavigateTo(rest.toStdString());
    } else if (verb == "password-answer") {
        m_frame->ArchivePrompt()->AnswerPending(rest.toInt());
        WaitForNextPage(30000);
    } else if (verb == "firstscreen") {
        // Time from opening a document until its converted text is on
        // screen, long before a large text has finished loading.
        QElapsedTimer timer;
        timer.start();
        view->OpenFile(rest.toStdString());
        bool shown = false;
        while (!shown && timer.elapsed() < 60000) {
            QEventLoop loop;
            QTimer::singleShot(25, &loop, &QEventLoop::quit);
            loop.exec();
            shown = browser->EvaluateText("document.querySelector('td') && document.querySelector('td').innerText"
                                          ".length > 0 ? 'yes' : 'no'", 1000).value_or("") == "yes";
        }
        Print("FIRSTSCREEN: " + (shown ? std::to_string(timer.elapsed()) : std::string("timeout")));
    } else if (verb == "address") {
        QComboBox* bar = m_frame->AddressBar()->Combo();
        bar->setEditText(rest);
        Q_EMIT bar->lineEdit()->returnPressed();
        if (!WaitForNextPage(30000)) Print("TIMEOUT: " + line.toStdString());
        Print("ADDRESSITEMS: " + std::to_string(bar->count()));
    } else if (verb == "command" || verb == "command-wait") {
        // By number or stable name, as the menu item or key would run it.
        if (QAction* a = m_frame->Commands()->Action(rest.trimmed())) a->trigger();
        else if (const Command* c = m_frame->Registry().FindByKey(rest.trimmed().toStdString()))
            m_frame->Commands()->Run(c->id);  // a command without an action of its own (recent entries 2 to 8)
        else Print("NO COMMAND: " + rest.toStdString());
        if (verb == "command-wait" && !WaitForNextPage(30000)) Print("TIMEOUT: " + line.toStdString());
    } else if (verb == "windows") {
        // Top-level windows on screen: the main window and any a page opened.
        int shown = 0;
        for (QWidget* w : QApplication::topLevelWidgets()) shown += w->isVisible() && w->isWindow() ? 1 : 0;
        Print("WINDOWS: " + std::to_string(shown));
    } else if (verb == "server") {
        Print(std::string("SERVER: ") + (server::ThePageServer().IsRunning() ? "running" : "stopped"));
    } else if (verb == "pane") {
        Print("PANE: " + m_frame->StatusBar()->PaneText(rest.toInt()).toStdString());
    } else if (verb == "setting") {
        Print("SETTING: " + std::to_string(MainParaBlock().GetValue(rest.toInt())));
    } else if (verb == "string") {
        Print("STRING: " + MainParaBlock().GetString(rest.toInt()));
    } else if (verb == "waitfor") {
        // For states the page has no event for (complete, a part shown).
        const std::string script = rest.toStdString();
        if (!WaitUntil([&] { return view->Browser()->EvaluateText(script, kAnswerMs).value_or("") == "true"; },
                       90000))
            Print("TIMEOUT: " + line.toStdString());
    } else if (verb == "answer") {
        // "answer yes": the questions that follow are answered Yes (No is the default).
        readerbox::SetPrintedAnswer(rest.trimmed() == "yes");
    } else if (verb == "answer-file") {
        // "answer-file PATH": the file dialogs that follow return PATH (none: cancelled).
        readerbox::SetPrintedFile(rest.trimmed().toStdString());
    } else if (verb == "messages") {
        const int count = rest.toInt();
        if (!WaitUntil([count] { return readerbox::MessageCount() >= count; }, 90000))
            Print("TIMEOUT: " + line.toStdString());
    } else if (verb == "sleep") {
        QEventLoop loop;
        QTimer::singleShot(rest.toInt(), &loop, &QEventLoop::quit);
        loop.exec();
    } else if (verb == "screenshot") {
        m_frame->grab().save(rest);
        Print("SCREENSHOT: " + rest.toStdString());
    } else if (verb == "frame") {
        // A question about the main window's bars and state (see CFrameProbe).
        Print("FRAME: " + m_probe.Answer(rest).toStdString());
    } else if (verb == "frame-wait") {
        // The same, then waits for the page it started.
        QString answer = m_probe.Answer(rest);
        if (!WaitForNextPage(30000)) Print("TIMEOUT: " + line.toStdString());
        Print("FRAME: " + answer.toStdString());
    } else if (verb == "close") {
        m_frame->close();
        QApplication::quit();
        return false;
    } else {
        Print("UNKNOWN: " + line.toStdString());
    }
    return true;
}
