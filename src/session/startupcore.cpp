#include "session/startupcore.h"

#include <cctype>
#include <filesystem>
#include <mutex>

#include "settings/extensionlists.h"
#include "settings/localpath.h"
#include "settings/parablock.h"
#include "server/portchoice.h"
#include "settings/sidefiles.h"
#include "platform/atomicfile.h"
#include "platform/steptrace.h"

namespace {

std::mutex s_keywordMutex;
std::vector<std::string> s_keywords;

void Call(const std::function<void()>& hook, const char* step) {
    if (!hook) return;
    hook();
    steptrace::Mark(step);
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

bool HasScheme(const std::string& s) {
    size_t colon = s.find(':');
    if (colon == std::string::npos || colon < 2) return false;  // "c:" is no scheme
    for (size_t i = 0; i < colon; ++i) {
        char c = s[i];
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (i > 0 && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'));
        if (!ok) return false;
    }
    return true;
}

}  // namespace

std::string IdleStatusText() { return "完成"; }

std::vector<std::string> ReadWindowFilterKeywords(const std::string& path) {
    std::vector<std::string> out;
    std::string text;
    if (!platform::ReadWholeFile(path, text)) return out;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t nl = text.find('\n', pos);
        size_t end = (nl == std::string::npos) ? text.size() : nl;
        size_t b = pos, e = end;
        while (b < e && IsSpace(text[b])) ++b;
        while (e > b && IsSpace(text[e - 1])) --e;
        if (e > b) out.push_back(text.substr(b, e - b));
        pos = end + 1;
    }
    return out;
}

std::vector<std::string> WindowFilterKeywords() {
    std::lock_guard<std::mutex> lock(s_keywordMutex);
    return s_keywords;
}

void SetWindowFilterKeywords(std::vector<std::string> keywords) {
    std::lock_guard<std::mutex> lock(s_keywordMutex);
    s_keywords = std::move(keywords);
}

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args, const std::string& currentDir) {
    ParsedCommandLine cmd;
    if (args.size() != 1 || args[0].empty() || args[0][0] == '-') return cmd;
    const std::string& arg = args[0];
    std::string path;
    std::string scheme = arg.substr(0, 5);
    for (char& c : scheme) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (scheme == "file:") {
        path = AddressToLocalPath(arg);
        if (path.empty()) return cmd;
    } else if (arg[0] == '/' || HasScheme(arg)) {
        path = arg;  // an absolute path, or an address the browser opens
    } else {
        std::string dir = currentDir.empty() ? "/" : currentDir;
        // "./a.txt" or "../b/c.txt" become a plain absolute path.
        path = (std::filesystem::path(dir) / arg).lexically_normal().string();
    }
    cmd.action = CommandAction::Open;
    cmd.path = path;
    return cmd;
}

void OpenFirstPage(CParaBlock& main, const ParsedCommandLine& cmd,
                   const std::function<void(CParaBlock& position)>& openPosition) {
    if (cmd.action == CommandAction::Open) {
        main.SetValue(PARA_STARTPOINT_X, 0, true);
        main.SetValue(PARA_STARTPOINT_Y, 0, true);
        main.SetString(PARA_STR_CURRENT_DIR, "", true);
        main.SetString(PARA_STR_CUR_PATH_IN_ZIP, "", true);
        main.SetString(PARA_STR_CURRENT_PATH, cmd.path, true);
        if (openPosition) openPosition(main);
        return;
    }
    if (!main.GetString(PARA_STR_CURRENT_PATH).empty() && main.GetValue(PARA_SAVE_RST) != 0) {
        if (openPosition) openPosition(main);
        return;
    }
    CParaBlock fresh;  // fully reset and unbound: the home page
    if (openPosition) openPosition(fresh);
}

void RunStartupDataSteps(const StartupHooks& hooks) {
    SetSideFiles(MakeSideFiles());
    CParaBlock& main = MainParaBlock();
    main.SetLocation(kParaBlockSection, &TheSideFiles().ini);
    ChooseLoopbackPort();

    SetWindowFilterKeywords(ReadWindowFilterKeywords(TheSideFiles().flt));
    DocumentExtensions();
    HtmlExtensions();
    Call(hooks.loadPasswords, "loadPasswords");
    Call(hooks.loadHomeNames, "loadHomeNames");
    Call(hooks.loadBookshelf, "loadBookshelf");
    Call(hooks.readRecentLists, "readRecentLists");

    main.Load();
    steptrace::Mark("settings loaded");
    if (main.GetValue(PARA_SAVE_RST) == 0) {
        main.Reset(true);
        main.SetValue(PARA_STARTPOINT_X, 0, true);
        main.SetValue(PARA_STARTPOINT_Y, 0, true);
        main.SetString(PARA_STR_CURRENT_DIR, "", true);
        main.SetString(PARA_STR_CURRENT_PATH, "", true);
        main.SetString(PARA_STR_CUR_PATH_IN_ZIP, "", true);
        main.SetValue(PARA_SAVE_RST, 0, true);
    }
}

bool RunStartup(const StartupHooks& hooks, const ParsedCommandLine& cmd) {
    RunStartupDataSteps(hooks);
    CParaBlock& main = MainParaBlock();
    Call(hooks.loadTextFilterModule, "loadTextFilterModule");
    if (main.GetValue(PAEA_TXT_USE_IE_DEFAULT) == 0) Call(hooks.registerTextFilter, "registerTextFilter");
    // The first page of an archive needs the page server: it starts while
    // the windows are made (the engine's start is the longest step here).
    const bool restores = !main.GetString(PARA_STR_CURRENT_PATH).empty() && main.GetValue(PARA_SAVE_RST) != 0;
    const std::string first = cmd.action == CommandAction::Open ? cmd.path
                              : restores                        ? main.GetString(PARA_STR_CURRENT_PATH)
                                                                : std::string();
    if (IsArchiveName(AddressToLocalPath(first))) Call(hooks.launchPageServer, "page server launch begun");
    Call(hooks.createWindows, "createWindows");
    if (main.GetValue(PARA_CLOCK_SHOW) != 0) Call(hooks.showClock, "showClock");
    try {
        OpenFirstPage(main, cmd, hooks.openPosition);
        steptrace::Mark("first page asked for");
    } catch (...) {
        return false;
    }
    Call(hooks.waitForBrowser, "waitForBrowser");
    return true;
}

void RunShutdown(const ShutdownHooks& hooks) {
    Call(hooks.removeDisplayReplacements, "removeDisplayReplacements");
    Call(hooks.removeTextFilter, "removeTextFilter");
    Call(hooks.freeTextFilterModule, "freeTextFilterModule");
    Call(hooks.writeRecentBookmarks, "writeRecentBookmarks");
    Call(hooks.writeRecentFiles, "writeRecentFiles");
}
