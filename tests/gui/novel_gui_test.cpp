// Long texts and dying renderers in the real reader under an offscreen display.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <sys/types.h>
#include <unistd.h>

#include "readerrun.h"

namespace fs = std::filesystem;

namespace {

// A novel of about `megabytes` MB: chapters of numbered Chinese lines.
std::string Novel(size_t megabytes) {
    std::string text;
    text.reserve(megabytes << 20);
    int line = 0;
    while (text.size() < (megabytes << 20)) {
        if (line % 400 == 0) text += "第" + std::to_string(line / 400 + 1) + "章\n";
        text += "　　雨下了整整三天，城里的灯一盏一盏亮起来。第" + std::to_string(line++) + "行。\n";
    }
    return text;
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

pid_t ParentOf(pid_t pid) {
    // /proc/PID/stat: "pid (comm) state ppid ..."; comm may hold spaces.
    std::string stat = ReadAll("/proc/" + std::to_string(pid) + "/stat");
    size_t close = stat.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream rest(stat.substr(close + 2));
    std::string state;
    pid_t ppid = 0;
    rest >> state >> ppid;
    return ppid;
}

// Kills every renderer process that descends from the reader copy in `folder`.
int KillRenderersOf(const std::string& folder) {
    const fs::path program = fs::path(folder) / "Pagora";
    int killed = 0;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::string cmdline = ReadAll(entry.path() / "cmdline");
        pid_t pid = std::stoi(name);
        // Renderers forked by the engine's zygote keep the zygote's command
        // line: a renderer is then an engine process whose parent is the zygote.
        bool renderer = cmdline.find("--type=renderer") != std::string::npos;
        if (!renderer && cmdline.find("QtWebEngineProcess") != std::string::npos) {
            std::string parent = ReadAll("/proc/" + std::to_string(ParentOf(pid)) + "/cmdline");
            renderer = parent.find("QtWebEngineProcess") != std::string::npos &&
                       parent.find("--type=zygote") != std::string::npos;
        }
        if (!renderer) continue;
        for (pid_t up = ParentOf(pid); up > 1; up = ParentOf(up)) {
            std::error_code ec;
            fs::path exe = fs::read_symlink("/proc/" + std::to_string(up) + "/exe", ec);
            if (!ec && exe == program) {
                if (::kill(pid, SIGKILL) == 0) ++killed;
                break;
            }
        }
    }
    return killed;
}

const char kComplete[] = "document.readyState=='complete'";

// An HTML page titled "tall" of 400 short lines, about 14 000 pixels high.
std::string TallPage() {
    std::string html = "<html><head><title>tall</title></head><body>";
    for (int i = 0; i < 400; ++i) html += "<p>line " + std::to_string(i) + "</p>";
    return html + "</body></html>";
}

}  // namespace

TEST(NovelGui, LongTextReopensAtTheExactSavedOffset) {
    CReaderRun run;
    std::string book = run.WriteFile("novel.txt", Novel(10));
    // 80 % into the book, read from the page itself.
    auto first = run.Run({"eval String(Math.round((document.scrollingElement.scrollHeight - innerHeight) * 0.8))",
                          "close"},
                         {book}, nullptr, 180);
    int y = std::atoi(CReaderRun::Value(first, "EVAL").c_str());
    ASSERT_GT(y, 100000) << "the page is not as tall as a long text";
    auto placed = run.Run({"scrollto 0 " + std::to_string(y), "scroll", "close"}, {book}, nullptr, 180);
    ASSERT_EQ(CReaderRun::Value(placed, "SCROLL"), "0," + std::to_string(y));
    EXPECT_NE(run.IniText().find("PARA_STARTPOINT_Y=" + std::to_string(y)), std::string::npos) << run.IniText();

    // A restart restores the offset exactly, and it stays after the text completed.
    auto again = run.Run({"scroll", std::string("waitfor ") + kComplete, "scroll", "location", "close"},
                         {"--report-first-load"}, nullptr, 180);
    EXPECT_EQ(CReaderRun::Value(again, "SCROLL", 0), "0," + std::to_string(y));
    EXPECT_EQ(CReaderRun::Value(again, "SCROLL", 1), "0," + std::to_string(y));
    EXPECT_EQ(CReaderRun::Value(again, "LOCATION"), "file://" + book);
    EXPECT_FALSE(CReaderRun::Value(again, "RESTORED").empty());
    // Closing again keeps the position for the next start.
    EXPECT_NE(run.IniText().find("PARA_STARTPOINT_Y=" + std::to_string(y)), std::string::npos) << run.IniText();
}

TEST(NovelGui, SavedOffsetIsAppliedWhileTheTextIsStillLoading) {
    CReaderRun run;
    // About 20 million pixels of text; the offset lies a twentieth in, so the
    // page is tall enough for it long before it is complete, on a fast machine too.
    std::string book = run.WriteFile("novel.txt", Novel(60));
    const std::string y = "1000000";
    auto placed = run.Run({"scrollto 0 " + y, "scroll", "close"}, {book}, nullptr, 180);
    ASSERT_EQ(CReaderRun::Value(placed, "SCROLL"), "0," + y);
    auto again = run.Run({"scroll", "close"}, {"--report-first-load"}, nullptr, 180);
    long long restored = std::atoll(CReaderRun::Value(again, "RESTORED").c_str());
    long long complete = std::atoll(CReaderRun::Value(again, "FIRSTLOAD").c_str());
    ASSERT_GT(restored, 0);
    ASSERT_GT(complete, 0);
    std::printf("restored %lld ms before the page was complete\n", complete - restored);
    EXPECT_LT(restored + 300, complete) << "the offset waited for the complete page";
    EXPECT_EQ(CReaderRun::Value(again, "SCROLL"), "0," + y);
}

// The numbered line at the top of the window, e.g. "第51234行". A table that
// has just come into view is drawn at the next frame; until then a point on
// it finds no text of its own, so the line is asked for until it is there.
const char kWaitLineAtTop[] =
    "waitfor (function(){var p=document.elementFromPoint(innerWidth/2,12),t=p&&p.closest('table'),"
    "r=document.caretRangeFromPoint(innerWidth/2,12);window.__line='';"
    "if(!t||!r||!t.contains(r.startContainer))return false;"
    "var m=(r.startContainer.textContent||'').match(/第[0-9]+行/);window.__line=m?m[0]:'';return !!m;})()";
const char kLineAtTop[] = "eval window.__line";

TEST(NovelGui, ReopenedTextShowsTheSameLinesAtTheSavedOffset) {
    CReaderRun run;
    std::string book = run.WriteFile("novel.txt", Novel(10));
    const std::string y = "2000000";
    // A jump far into the text: the tables passed over were never laid out.
    auto first = run.Run({std::string("waitfor ") + kComplete, "eval document.readyState", "scrollto 0 " + y, "scroll", kWaitLineAtTop, kLineAtTop, "close"},
                         {book}, nullptr, 180);
    ASSERT_EQ(CReaderRun::Value(first, "EVAL", 0), "complete") << "the text did not finish loading in time";
    ASSERT_EQ(CReaderRun::Value(first, "SCROLL"), "0," + y);
    const std::string line = CReaderRun::Value(first, "EVAL", 1);
    ASSERT_FALSE(line.empty());
    EXPECT_TRUE(fs::exists(run.Folder() + "/TextLayout")) << "the table heights were not kept";

    auto again = run.Run({"restored", "scroll", kWaitLineAtTop, kLineAtTop, "close"}, {"--report-first-load"}, nullptr, 180);
    EXPECT_FALSE(CReaderRun::Value(again, "RESTORED").empty());
    EXPECT_EQ(CReaderRun::Value(again, "SCROLL"), "0," + y);
    EXPECT_EQ(CReaderRun::Value(again, "EVAL"), line);

    // The file changed since: its kept heights no longer count, the offset
    // still comes back exactly.
    { std::ofstream(book, std::ios::app) << "尾声\n"; }
    auto changed = run.Run({"restored", "scroll", "close"}, {"--report-first-load"}, nullptr, 180);
    EXPECT_EQ(CReaderRun::Value(changed, "SCROLL"), "0," + y);
}

TEST(NovelGui, WithoutKeptHeightsTheOffsetCountsOnRealLayout) {
    CReaderRun run;
    std::string book = run.WriteFile("novel.txt", Novel(10));
    const std::string y = "1500000";
    // The whole text laid out for real: the line at the offset there is the reference.
    auto reference = run.Run({std::string("waitfor ") + kComplete, "eval document.readyState",
                              "eval (function(){var t=document.getElementsByTagName('table');"
                              "for(var i=0;i<t.length;i++)t[i].style.contentVisibility='visible';"
                              "return String(t.length);})()",
                              "scrollto 0 " + y, "scroll", kWaitLineAtTop, kLineAtTop, "close"},
                             {book}, nullptr, 180);
    ASSERT_EQ(CReaderRun::Value(reference, "EVAL", 0), "complete") << "the text did not finish loading in time";
    ASSERT_EQ(CReaderRun::Value(reference, "SCROLL"), "0," + y);
    const std::string line = CReaderRun::Value(reference, "EVAL", 2);
    ASSERT_FALSE(line.empty());

    // Kept heights lost (or never written): the tables above the offset are laid out first.
    fs::remove_all(run.Folder() + "/TextLayout");
    auto restored = run.Run({"restored", "scroll", kWaitLineAtTop, kLineAtTop, "close"}, {"--report-first-load"}, nullptr, 180);
    EXPECT_FALSE(CReaderRun::Value(restored, "RESTORED").empty());
    EXPECT_EQ(CReaderRun::Value(restored, "SCROLL"), "0," + y);
    EXPECT_EQ(CReaderRun::Value(restored, "EVAL"), line);

    // A kept record that no longer fits the page (here: every height off by
    // 100 px) is recognised by the first table and not used.
    for (const auto& entry : fs::directory_iterator(run.Folder() + "/TextLayout")) {
        std::string text = ReadAll(entry.path());
        std::istringstream in(text);
        std::string magic, address, identity, count, out;
        std::getline(in, magic), std::getline(in, address), std::getline(in, identity), std::getline(in, count);
        out = magic + "\n" + address + "\n" + identity + "\n" + count + "\n";
        long long h;
        while (in >> h) out += std::to_string(h + 6400) + " ";
        std::ofstream(entry.path(), std::ios::trunc) << out << "\n";
    }
    auto stale = run.Run({"restored", "scroll", kWaitLineAtTop, kLineAtTop, "close"}, {"--report-first-load"}, nullptr, 180);
    EXPECT_EQ(CReaderRun::Value(stale, "SCROLL"), "0," + y);
    EXPECT_EQ(CReaderRun::Value(stale, "EVAL"), line);
}

TEST(NovelGui, AVeryLongTextIsReadInPartsAndReopensInThePartBeingRead) {
    // Parts of 1 MB instead of 80 MB, so that a small text needs several.
    ::setenv("PAGORA_TEXT_PART_BYTES", "1048576", 1);
    CReaderRun run;
    std::string book = run.WriteFile("novel.txt", Novel(3));
    const char kIsPart[] = "eval String(document.getElementById('pagora-text-part') != null)";
    auto first = run.Run({"eval String(document.getElementById('pagora-text-limit') != null)",
                          "eval (function(){document.querySelector('#pagora-text-limit a').click();return 'ok';})()",
                          "waitfor document.getElementById('pagora-text-part') != null && " + std::string(kComplete),
                          "location", kIsPart, "scrollto 0 20000", "scroll", kWaitLineAtTop, kLineAtTop, "close"},
                         {book}, nullptr, 180);
    EXPECT_EQ(CReaderRun::Value(first, "EVAL", 0), "true") << "the first part does not end with a link";
    EXPECT_EQ(CReaderRun::Value(first, "LOCATION"), "file://" + book) << "the view knows the text by its plain address";
    EXPECT_EQ(CReaderRun::Value(first, "EVAL", 2), "true") << "the second part does not say it is one";
    EXPECT_EQ(CReaderRun::Value(first, "SCROLL"), "0,20000");
    const std::string line = CReaderRun::Value(first, "EVAL", 3);
    ASSERT_FALSE(line.empty());
    // Lines of the second part come after those of the first (about 17 000 lines a part).
    EXPECT_GT(std::atoi(line.c_str() + std::string("第").size()), 10000) << line;

    auto again = run.Run({"restored", "location", kIsPart, "scroll", kWaitLineAtTop, kLineAtTop, "close"}, {}, nullptr, 180);
    ::unsetenv("PAGORA_TEXT_PART_BYTES");
    EXPECT_EQ(CReaderRun::Value(again, "LOCATION"), "file://" + book);
    EXPECT_EQ(CReaderRun::Value(again, "EVAL", 0), "true") << "the reader did not come back to the second part";
    EXPECT_EQ(CReaderRun::Value(again, "SCROLL"), "0,20000");
    EXPECT_EQ(CReaderRun::Value(again, "EVAL", 1), line);
}

TEST(NovelGui, KilledRendererComesBackAtTheSameAddressAndOffsetWithOneNotice) {
    CReaderRun run;
    std::string page = run.WriteFile("tall.htm", TallPage());
    std::string text = run.WriteFile("story.txt", Novel(1));
    const std::string marker = run.Folder() + "/kill-now.png";
    const std::string marker2 = run.Folder() + "/kill-again.png";

    std::atomic<bool> stop{false};
    std::atomic<int> killed{0};
    std::thread killer([&] {
        for (const std::string& m : {marker, marker2}) {
            while (!stop && !fs::exists(m)) std::this_thread::sleep_for(std::chrono::milliseconds(50));
            if (stop) return;
            killed += KillRenderersOf(run.Folder());
        }
    });
    // Each kill is seen through the reader's notice; the page is then read
    // once the reader has put the offset back.
    auto out = run.Run({"scrollto 0 1500", "screenshot " + marker, "messages 1", "restored", "location", "scroll",
                        "eval document.title", "open " + text, "scrollto 0 4000", "screenshot " + marker2,
                        "messages 2", "restored", "location", "scroll", "close"},
                       {page}, nullptr, 120);
    stop = true;
    killer.join();
    ASSERT_GE(killed.load(), 2) << "no renderer process was found to kill";
    EXPECT_EQ(CReaderRun::Value(out, "LOCATION", 0), "file://" + page);
    EXPECT_EQ(CReaderRun::Value(out, "SCROLL", 0), "0,1500");
    EXPECT_EQ(CReaderRun::Value(out, "EVAL", 0), "tall");
    // A converted text comes back converted, at its offset.
    EXPECT_EQ(CReaderRun::Value(out, "LOCATION", 1), "file://" + text);
    EXPECT_EQ(CReaderRun::Value(out, "SCROLL", 1), "0,4000");
    // One notice per death, no more.
    int notices = 0;
    for (const std::string& line : out)
        if (line.rfind("MESSAGE: ", 0) == 0) ++notices;
    EXPECT_EQ(notices, 2);
    EXPECT_NE(CReaderRun::Value(out, "MESSAGE").find("重新打开"), std::string::npos);
}

TEST(NovelGui, ClosingWhileTheNextDocumentLoadsKeepsThePlaceInThePageBefore) {
    CReaderRun run;
    std::string page = run.WriteFile("tall.htm", TallPage());
    std::string book = run.WriteFile("novel.txt", Novel(60));
    // The long text shows its first screen long before it has loaded; the
    // settings still name the page before it, whose place must be the one kept.
    auto out = run.Run({"scrollto 0 1500", "navigate-nowait " + book, "waitfor document.querySelector('td') != null",
                        "eval document.readyState", "close"},
                       {page}, nullptr, 180);
    ASSERT_EQ(CReaderRun::Value(out, "EVAL"), "loading") << "the text finished loading before the reader closed";
    const std::string ini = run.IniText();
    EXPECT_NE(ini.find("CurrentPath=file://" + page), std::string::npos) << ini;
    EXPECT_NE(ini.find("PARA_STARTPOINT_Y=1500"), std::string::npos) << ini;
}

TEST(NovelGui, AStreamingTextIsReadyForWaitingCommandsAtItsFirstScreen) {
    CReaderRun run;
    // Large enough to be still loading well after its first screen (a local
    // text reaches the engine from a file of the page cache, in seconds).
    std::string book = run.WriteFile("novel.txt", Novel(60));
    // "wait" ends when the page counts as ready; the text is then still streaming in.
    // (The pause lets the refused first navigation of the text end first.)
    auto out = run.Run({"navigate-nowait " + book, "sleep 300", "wait", "eval document.readyState",
                        "eval String(document.querySelector('td').innerText.length > 0)", "location", "close"},
                       {}, nullptr, 180);
    EXPECT_EQ(CReaderRun::Value(out, "LOCATION"), "file://" + book);
    EXPECT_EQ(CReaderRun::Value(out, "EVAL", 0), "loading");
    EXPECT_EQ(CReaderRun::Value(out, "EVAL", 1), "true");
}
