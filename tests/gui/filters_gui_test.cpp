// What pages may load and open, in the real program: pictures and scripts
// turned off in the download control dialog, windows a page asks for while
// loading or just after a click, the window filter's keyword file, the home
// page and Esc key dialogs.
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>

#include "readerrun.h"

namespace {

const char* const kPicture =
    "<svg xmlns='http://www.w3.org/2000/svg' width='40' height='30'><rect width='40' height='30' fill='red'/></svg>";

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A loopback port that takes connections and never answers: a picture
// asked of it keeps its page loading for as long as the test runs.
class CSilentPort {
public:
    CSilentPort() {
        m_socket = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (bind(m_socket, reinterpret_cast<sockaddr*>(&address), size) == 0 && listen(m_socket, 16) == 0 &&
            getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &size) == 0)
            m_port = ntohs(address.sin_port);
    }
    ~CSilentPort() { close(m_socket); }
    int Port() const { return m_port; }

private:
    int m_socket = -1;
    int m_port = 0;
};

// A page that asks for a window while it loads (and keeps loading), and
// asks for another 100 ms after its big button is clicked.
std::string PopupPage(int silentPort) {
    return "<html><body style='margin:0'>"
           "<button id='b' style='width:100%;height:300px' "
           "onclick=\"setTimeout(function(){window.open('target.htm')},100)\">go</button>"
           "<script>window.open('target.htm?early');</script>"
           "<img src='http://127.0.0.1:" + std::to_string(silentPort) + "/slow.png'>"
           "</body></html>";
}

const char* const kButtonShown = "waitfor document.getElementById('b') ? 'true' : 'false'";

}  // namespace

TEST(FiltersGui, PicturesTurnedOffStayAwayAfterTheRefreshAndOnTheNextPageThoughCached) {
    CReaderRun run;
    run.WriteFile("pic.svg", kPicture);
    const std::string a = run.WriteFile("a.htm", "<html><body><img src='pic.svg'></body></html>");
    const std::string b = run.WriteFile("b.htm", "<html><body><img src='pic.svg'></body></html>");
    const std::string width = "eval String(document.images[0].naturalWidth)";
    auto out = run.Run({width, "frame-wait dialog options.downloads set:noImage:1 ok", width, "navigate " + b, width,
                        "frame dialog options.downloads values", "close"},
                       {a});
    EXPECT_EQ(CReaderRun::Value(out, "EVAL", 0), "40") << "pictures load while allowed";
    EXPECT_EQ(CReaderRun::Value(out, "EVAL", 1), "0");
    EXPECT_EQ(CReaderRun::Value(out, "EVAL", 2), "0") << "the picture the engine had cached";
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 1),
              "noScript=0,noJava=0,noActiveX=0,noImage=1,noSound=0,noVideo=0 cancel");
    EXPECT_TRUE(Has(run.IniText(), "PARA_NO_IMAGE=1"));
}

TEST(FiltersGui, ScriptsTurnedOffKeepAPageScriptFromRunningAndComeBackFromTheDialog) {
    CReaderRun run;
    run.WriteFile("Pagora.ini", "[ParaBlock]\nPARA_NO_SCRIPT=1\n");
    const std::string page =
        run.WriteFile("s.htm", "<html><body><p id='p'>still</p>"
                               "<script>document.getElementById('p').textContent='ran'</script></body></html>");
    const std::string text = "eval document.getElementById('p').textContent";
    auto out = run.Run({text, "frame-wait dialog options.downloads set:noScript:0 ok", text, "close"}, {page});
    // The reader still reads the page while the page's own scripts are off.
    EXPECT_EQ(CReaderRun::Value(out, "EVAL", 0), "still");
    EXPECT_EQ(CReaderRun::Value(out, "EVAL", 1), "ran");
    EXPECT_TRUE(Has(run.IniText(), "PARA_NO_SCRIPT=0"));
}

TEST(FiltersGui, AWindowAskedForWhileLoadingIsRefusedOneAfterAClickOpensInTheReadersView) {
    CSilentPort silent;
    ASSERT_GT(silent.Port(), 0);
    CReaderRun run;
    const std::string start = run.WriteFile("start.htm", "<html><body>start</body></html>");
    run.WriteFile("target.htm", "<html><body>target</body></html>");
    const std::string popups = run.WriteFile("popups.htm", PopupPage(silent.Port()));
    auto out = run.Run({"navigate-nowait " + popups, kButtonShown, "until refused=1 | frame popups",
                        "eval document.readyState", "mouseclick 50 50", "until here=1 | frame popups",
                        "until target.htm$ | location", "eval document.body.innerText", "windows", "close"},
                       {start});
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 0), "refused=1 here=0 own=0");
    EXPECT_NE(CReaderRun::Value(out, "EVAL", 0), "complete") << "the page still loads when the click comes";
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 1), "refused=1 here=1 own=0");
    EXPECT_TRUE(EndsWith(CReaderRun::Value(out, "LOCATION"), "/target.htm"));
    EXPECT_EQ(CReaderRun::Value(out, "EVAL", 1), "target");
    EXPECT_EQ(CReaderRun::Value(out, "WINDOWS"), "1") << "no window of its own";
}

TEST(FiltersGui, WithPopupsAllowedThePageGetsItsWindow) {
    CSilentPort silent;
    ASSERT_GT(silent.Port(), 0);
    CReaderRun run;
    run.WriteFile("Pagora.ini", "[ParaBlock]\nPARA_NO_POP_WND=0\n");
    const std::string start = run.WriteFile("start.htm", "<html><body>start</body></html>");
    run.WriteFile("target.htm", "<html><body>target</body></html>");
    const std::string popups = run.WriteFile("popups.htm", PopupPage(silent.Port()));
    auto out = run.Run({"navigate-nowait " + popups, kButtonShown, "until own=1 | frame popups",
                        "until ^WINDOWS: 2$ | windows", "location", "close"},
                       {start});
    EXPECT_EQ(CReaderRun::Value(out, "FRAME"), "refused=0 here=0 own=1");
    EXPECT_EQ(CReaderRun::Value(out, "WINDOWS"), "2");
    EXPECT_TRUE(EndsWith(CReaderRun::Value(out, "LOCATION"), "/popups.htm"));
}

TEST(FiltersGui, WindowFilterWritesTheTypedTextAndRefusesPagesWithAKeyword) {
    CReaderRun run;
    run.WriteFile("Pagora.flt", "old\n");
    const std::string start = run.WriteFile("start.htm", "<html><body>start</body></html>");
    const std::string blocked = run.WriteFile("ads.page.htm", "<html><body>blocked</body></html>");
    const std::string loads = run.WriteFile("loads.htm", "<html><body>loads</body></html>");
    auto out = run.Run({"frame dialog options.window-filter values lines:ads\\n\\n\\sbanner\\s\\n ok",
                        "frame dialog options.window-filter values", "navigate-nowait " + blocked, "navigate " + loads,
                        "location", "close"},
                       {start});
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 0), "noPopups=1,oneInstance=1-,filterOn=1,keywords=old\\n ok");
    EXPECT_EQ(ReadText(run.Folder() + "/Pagora.flt"), "ads\n\n banner \n") << "written as typed";
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 1), "noPopups=1,oneInstance=1-,filterOn=1,keywords=ads\\nbanner\\n cancel");
    // The refused page never loads: the next one is the first to complete.
    EXPECT_TRUE(EndsWith(CReaderRun::Value(out, "LOCATION"), "/loads.htm"));
}

TEST(FiltersGui, HomePageDialogStoresTheChoiceAndTheHomeCommandGoesThere) {
    CReaderRun run;
    run.WriteFile("Pagora.ini", "[ParaBlock]\nHomepage=http://example.invalid/\n");
    const std::string page = run.WriteFile("book.htm", "<html><body>book</body></html>");
    const std::string other = run.WriteFile("other.htm", "<html><body>other</body></html>");
    auto out = run.Run({"frame dialog options.homepage values", "navigate " + other,
                        "frame-wait dialog options.homepage set:home3:1 ok", "location",
                        "frame dialog options.homepage values", "frame-wait dialog options.homepage set:home2:1 ok",
                        "location", "close"},
                       {page});
    // An address the dialog has no button for selects none; 确定 stores "".
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 0), "home0=0,home1=0,home2=0,home3=0 cancel");
    EXPECT_TRUE(EndsWith(CReaderRun::Value(out, "LOCATION", 0), "/other.htm"));
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 2), "home0=0,home1=0,home2=0,home3=0 cancel")
        << "the current page is an address like any other";
    EXPECT_EQ(CReaderRun::Value(out, "LOCATION", 1), "about:blank");
    EXPECT_TRUE(Has(run.IniText(), "Homepage=about:blank"));
}

TEST(FiltersGui, EscKeyDialogShowsAndStoresTheChoice) {
    CReaderRun run;
    const std::string page = run.WriteFile("book.htm", "<html><body>book</body></html>");
    auto out = run.Run({"frame dialog options.esc-key set:hide:1 ok", "frame dialog options.esc-key values", "close"},
                       {page});
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 1), "quit=0,hide=1 cancel");
    EXPECT_TRUE(Has(run.IniText(), "PARA_ESC_KEY=1"));
}
