// The program's side with the real library: load, register in the session,
// convert, switch, remove; and the pagora-txt2html tool run from a folder of its own.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>

#include "settings/parablock.h"
#include "settings/sidefiles.h"
#include "session/textfiltermodule.h"
#include "platform/modulepath.h"
#include "platform/registrystore.h"
#include "platform/urlmon.h"
#include "support/tempfolder.h"
#include "txtfilter/filterrun.h"

using namespace platform;
using namespace testing_txt;
namespace fs = std::filesystem;

namespace {

const std::string kClsidKey = "HKCR\\CLSID\\{5C3E9A10-4B7D-4F21-8E6A-2D9B40C7A115}";

std::string Through(const std::string& path) {
    auto src = CFileSourceProtocol::Create();
    CUrlmonDocument doc(src.Get(), "text/plain", path);
    if (Failed(doc.Open())) return "<open failed>";
    std::string out;
    if (Failed(doc.Pump([&](const char* p, size_t n) {
            out.append(p, n);
            return true;
        })))
        return "<read failed>";
    return out;
}

// Runs a command; returns its standard output and sets the exit status.
std::string RunCommand(const std::string& command, int* status) {
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    if (!p) return out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    int rc = pclose(p);
    *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return out;
}

}  // namespace

// One test on purpose: the library, the registry store beside this test
// program and the process's session are shared state.
TEST(ProgramSide, LoadsRegistersConvertsSwitchesAndRemoves) {
    TempDir dir;
    SideFiles files = MakeSideFiles();
    files.txtLib = PAGORA_BIN_DIR "/Pagora_txt.so";
    SetSideFiles(files);
    EXPECT_EQ(TextFilterModulePath(), files.txtLib);
    MainParaBlock().SetValue(PARA_INTERNET_TXT_FILE, 1, false);

    // The library reads the INI file of the process that loaded it.
    const std::string hostIni = ProfileSideFile(".ini");
    WriteFile(hostIni, "[ParaBlock]\nPARA_TXT_WIDTH=50\nPARA_TXT_BK_IMAGE=0\n");
    WriteFile(dir.File("book.txt"), "x<y\n");

    ASSERT_TRUE(LoadTextFilterModule());
    RegisterTextFilter();
    ASSERT_TRUE(TextFilterRegistered());
    RegistryStore& store = RegistryStore::Instance();
    EXPECT_EQ(store.GetString(kClsidKey + "\\InprocServer32", ""), fs::canonical(files.txtLib).string());
    EXPECT_TRUE(CInternetSession::Process().HasMimeFilter("text/plain"));

    std::string html = Through(dir.File("book.txt"));
    EXPECT_NE(html.find("table {width: 100%;"), std::string::npos) << html;
    EXPECT_NE(html.find("<body bgcolor=\"#E4EBF1\">"), std::string::npos);
    EXPECT_NE(html.find("x&lt;y\n<BR>"), std::string::npos);

    SetTextConversion(false);
    EXPECT_EQ(Through(dir.File("book.txt")), "x<y\n");
    SetTextConversion(true);
    EXPECT_NE(Through(dir.File("book.txt")).find("x&lt;y"), std::string::npos);

    // An association of ".txt" with the private type is undone; the class goes with `true`.
    store.SetString("HKCR\\.txt", "Content Type", "text/pagora");
    store.CreateKey("HKCR\\MIME\\Database\\Content Type\\text/pagora");
    RemoveTextFilter(true);
    EXPECT_FALSE(TextFilterRegistered());
    EXPECT_FALSE(CInternetSession::Process().HasMimeFilter("text/plain"));
    EXPECT_EQ(store.GetString("HKCR\\.txt", "Content Type"), "text/plain");
    EXPECT_FALSE(store.KeyExists("HKCR\\MIME\\Database\\Content Type\\text/pagora"));
    EXPECT_FALSE(store.KeyExists(kClsidKey));
    EXPECT_EQ(Through(dir.File("book.txt")), "x<y\n");

    // "PARA_INTERNET_TXT_FILE" 0: the class is registered but no filter is.
    MainParaBlock().SetValue(PARA_INTERNET_TXT_FILE, 0, false);
    RegisterTextFilter();
    EXPECT_FALSE(TextFilterRegistered());
    EXPECT_TRUE(store.KeyExists(kClsidKey));
    RemoveTextFilter(true);
    MainParaBlock().SetValue(PARA_INTERNET_TXT_FILE, 1, false);

    FreeTextFilterModule();
    EXPECT_FALSE(TextFilterModuleLoaded());
    SetTextConversion(false);  // nothing loaded: nothing happens

    // A missing library: nothing loads and nothing is registered.
    files.txtLib = dir.File("Pagora_txt.so");
    SetSideFiles(files);
    EXPECT_FALSE(LoadTextFilterModule());
    RegisterTextFilter();
    EXPECT_FALSE(TextFilterRegistered());
    UnregisterTextFilter(true);
    std::remove(hostIni.c_str());
}

TEST(ProgramSide, TextAddresses) {
    for (const char* on : {"/books/README.TXT", "http://127.0.0.1:50001/notes.Txt", ".txt"})
        EXPECT_TRUE(IsTextAddress(on)) << on;
    for (const char* off : {"/books/notes.txt.htm", "notes.text", "txt", "", "a.tx"})
        EXPECT_FALSE(IsTextAddress(off)) << off;
}

TEST(Txt2Html, WritesThePageOfTheExampleFromItsOwnFolder) {
    TempDir dir;
    fs::copy_file(PAGORA_BIN_DIR "/pagora-txt2html", dir.File("pagora-txt2html"));
    const std::string tool = dir.File("pagora-txt2html");
    int status = 0;

    // Without the library beside it the tool fails and writes nothing.
    EXPECT_EQ(RunCommand(tool + " " + PAGORA_SOURCE_DIR "/tests/txtfilter/golden/example.txt 2>/dev/null", &status), "");
    EXPECT_EQ(status, 1);

    fs::copy_file(PAGORA_BIN_DIR "/Pagora_txt.so", dir.File("Pagora_txt.so"));
    const std::string golden = PAGORA_SOURCE_DIR "/tests/txtfilter/golden/example";
    EXPECT_EQ(RunCommand(tool + " " + golden + ".txt", &status), ReadFile(golden + ".html"));
    EXPECT_EQ(status, 0);
    // The settings come from the INI file beside the tool.
    WriteFile(dir.File("pagora-txt2html.ini"), "[ParaBlock]\nPARA_TXT_BK_IMAGE=2\n");
    EXPECT_NE(RunCommand(tool + " " + golden + ".txt", &status).find("res://Pagora/bkimg01.gif"), std::string::npos);
    EXPECT_EQ(RunCommand(tool + " " + dir.File("missing.txt") + " 2>/dev/null", &status), "");
    EXPECT_EQ(status, 1);
}
