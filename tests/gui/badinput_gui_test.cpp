// The real reader against input that is broken or hostile: it shows a page
// or a message within seconds, stays responsive, and keeps its settings.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "readerrun.h"

namespace {

void Put32(std::string& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

uint16_t Get16(const std::string& bytes, size_t at) {
    return static_cast<uint16_t>(static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8);
}

// Changes the central directory record of `name`: `patch` gets the record's offset.
template <typename Patch>
bool PatchDirectory(std::string& zip, const std::string& name, Patch patch) {
    for (size_t at = zip.find("PK\x01\x02"); at != std::string::npos; at = zip.find("PK\x01\x02", at + 4)) {
        if (zip.compare(at + 46, Get16(zip, at + 28), name) == 0 && Get16(zip, at + 28) == name.size()) {
            patch(at);
            return true;
        }
    }
    return false;
}

std::string ReadAll(const std::string& path) {
    std::string text;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char buf[65536];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
        std::fclose(f);
    }
    return text;
}

// Settings a run must leave as they are.
const char kKeptSettings[] = "[ParaBlock]\nPARA_ZOOM_PERSENT=120\nPARA_WIDTH_LIMITED=750\n";

void ExpectSettingsKept(const CReaderRun& run) {
    const std::string ini = run.IniText();
    EXPECT_NE(ini.find("PARA_ZOOM_PERSENT=120"), std::string::npos) << ini;
    EXPECT_NE(ini.find("PARA_WIDTH_LIMITED=750"), std::string::npos) << ini;
}

long long Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

TEST(BadInputGui, ZipWhoseDirectoryLiesAboutSizesAnswersNotFoundAtOnce) {
    CReaderRun run;
    run.WriteFile("Pagora.ini", kKeptSettings);
    run.WriteFile("book/index.htm", "<html><head><title>index</title></head><body><img id=p src=pic.png></body></html>");
    std::string body;
    for (int i = 0; i < 2000; ++i) body += "<p>lying entry " + std::to_string(i) + "</p>\n";
    for (const char* name : {"deflated.htm", "stored.htm", "away.htm"}) run.WriteFile(std::string("book/") + name, body);
    run.WriteFile("book/pic.png", std::string(5000, 'x'));
    const std::string zip = run.Folder() + "/lies.zip";
    ASSERT_EQ(std::system(("cd '" + run.Folder() + "/book' && zip -q -0 '" + zip + "' index.htm stored.htm pic.png &&"
                           " zip -q -9 '" + zip + "' deflated.htm away.htm").c_str()), 0);
    std::string bytes = ReadAll(zip);
    // Sizes far beyond the data (below the entry limit), and an entry whose
    // local header lies beyond the end of the file.
    ASSERT_TRUE(PatchDirectory(bytes, "deflated.htm", [&](size_t at) { Put32(bytes, at + 24, 250u << 20); }));
    ASSERT_TRUE(PatchDirectory(bytes, "stored.htm", [&](size_t at) {
        Put32(bytes, at + 20, 200u << 20);
        Put32(bytes, at + 24, 200u << 20);
    }));
    ASSERT_TRUE(PatchDirectory(bytes, "pic.png", [&](size_t at) { Put32(bytes, at + 24, 100u << 20); }));
    ASSERT_TRUE(PatchDirectory(bytes, "away.htm", [&](size_t at) { Put32(bytes, at + 42, 0x7FFFFFF0u); }));
    run.WriteFile("lies.zip", bytes);

    const auto start = std::chrono::steady_clock::now();
    const char kShown[] = "eval document.title + '|' + document.body.innerText.substring(0, 40)";
    auto out = run.Run({"eval String(document.getElementById('p').naturalWidth)", "address deflated.htm", kShown,
                        "address stored.htm", kShown, "address away.htm", kShown, "address index.htm", kShown, "server",
                        "close"},
                       {zip});
    EXPECT_LT(Seconds(start), 40) << "each page must come in seconds";
    EXPECT_EQ(CReaderRun::Value(out, "EVAL", 0), "0") << "the lying picture is no picture";
    for (int i = 1; i <= 3; ++i) EXPECT_NE(CReaderRun::Value(out, "EVAL", i).find("404"), std::string::npos) << i;
    EXPECT_EQ(CReaderRun::Value(out, "EVAL", 4).rfind("index|", 0), 0u) << "the archive still serves its good pages";
    EXPECT_EQ(CReaderRun::Value(out, "TIMEOUT"), "");
    EXPECT_EQ(CReaderRun::Value(out, "SERVER"), "running");
    ExpectSettingsKept(run);

    // A directory libzip refuses outright: the reader's error page, at once.
    ASSERT_TRUE(PatchDirectory(bytes, "pic.png", [&](size_t at) {
        Put32(bytes, at + 20, 0xFFFFFFFFu);
        Put32(bytes, at + 24, 0xFFFFFFFFu);
    }));
    run.WriteFile("lies.zip", bytes);
    auto refused = run.Run({"location", "server", "close"}, {zip});
    EXPECT_EQ(CReaderRun::Value(refused, "LOCATION").rfind("res://pagora/dnserror.htm#", 0), 0u)
        << CReaderRun::Value(refused, "LOCATION");
    EXPECT_EQ(CReaderRun::Value(refused, "SERVER"), "stopped");
    ExpectSettingsKept(run);
}

TEST(BadInputGui, APageOpeningAThousandWindowsOpensNoneAndStaysResponsive) {
    CReaderRun run;
    run.WriteFile("Pagora.ini", kKeptSettings);
    run.WriteFile("target.htm", "<html><head><title>target</title></head><body>target</body></html>");
    // While loading, and again once it has settled: a thousand windows each time.
    const std::string page = run.WriteFile(
        "popper.htm",
        "<html><head><title>popper</title></head><body><p id=t>running</p>"
        "<button id=b onclick=\"for(var i=0;i<1000;i++)window.open('target.htm?'+i,'_blank')\">open</button>"
        "<script>for(var i=0;i<1000;i++)window.open('target.htm?'+i,'_blank');"
        "setTimeout(function(){for(var i=0;i<1000;i++)window.open('target.htm?late'+i,'_blank');},1500);"
        "document.getElementById('t').textContent='done';</script></body></html>");
    const auto start = std::chrono::steady_clock::now();
    // "frame-wait" ends with the next page that loads.
    auto out = run.Run({"eval document.getElementById('t').textContent", "windows", "location", "frame-wait bars",
                        "location", "eval document.title", "windows", "close"},
                       {page});
    EXPECT_LT(Seconds(start), 40);
    EXPECT_EQ(CReaderRun::Value(out, "EVAL", 0), "done") << "the page's script did not get through its loop";
    EXPECT_EQ(CReaderRun::Value(out, "WINDOWS", 0), "1");
    EXPECT_EQ(CReaderRun::Value(out, "LOCATION", 0), "file://" + page);
    // Once settled, the page's window opens in the reader's own view: one page, no window.
    EXPECT_EQ(CReaderRun::Value(out, "TIMEOUT"), "");
    EXPECT_NE(CReaderRun::Value(out, "LOCATION", 1).find("/target.htm?late"), std::string::npos)
        << CReaderRun::Value(out, "LOCATION", 1);
    EXPECT_EQ(CReaderRun::Value(out, "EVAL", 1), "target");
    EXPECT_EQ(CReaderRun::Value(out, "WINDOWS", 1), "1");
    ExpectSettingsKept(run);

    // With pop-ups allowed, a click still gets only a few windows of their own.
    run.WriteFile("Pagora.ini", std::string(kKeptSettings) + "PARA_NO_POP_WND=0\n");
    // (The page's loop asks for every window before the click's answer comes back.)
    auto allowed = run.Run({"eval document.getElementById('t').textContent",
                            "eval document.getElementById('b').click(); 'clicked'",
                            "eval document.getElementById('t').textContent", "windows", "close"},
                           {page});
    EXPECT_EQ(CReaderRun::Value(allowed, "EVAL", 1), "clicked");
    EXPECT_EQ(CReaderRun::Value(allowed, "EVAL", 2), "done") << "the reader stopped answering";
    const int windows = std::atoi(CReaderRun::Value(allowed, "WINDOWS").c_str());
    EXPECT_GE(windows, 2);
    EXPECT_LE(windows, 5);
    ExpectSettingsKept(run);
}

TEST(BadInputGui, AGigabyteTextOfOneLineShowsItsFirstScreenInSeconds) {
    CReaderRun run;
    run.WriteFile("Pagora.ini", kKeptSettings);
    const std::string small = run.WriteFile("small.htm", "<html><body>small</body></html>");
    // 1 GiB of Chinese without a single line break, written in pieces.
    const std::string book = run.Folder() + "/oneline.txt";
    {
        std::string chunk;
        while (chunk.size() < (4u << 20)) chunk += "雨下了整整三天，城里的灯一盏一盏亮起来。";
        FILE* f = std::fopen(book.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        size_t written = 0;
        while (written < (1u << 30)) written += std::fwrite(chunk.data(), 1, chunk.size(), f);
        ASSERT_EQ(std::fclose(f), 0);
    }
    const auto start = std::chrono::steady_clock::now();
    auto out = run.Run({"firstscreen " + book, "location",
                        "eval String(document.querySelector('td').textContent.length <= 65536)",
                        "eval String(document.querySelector('td').innerText.indexOf('\\ufffd'))", "close"},
                       {small}, nullptr, 120);
    std::remove(book.c_str());
    const std::string first = CReaderRun::Value(out, "FIRSTSCREEN");
    ASSERT_NE(first, "") << "the reader did not answer";
    ASSERT_NE(first, "timeout");
    EXPECT_LT(std::atoi(first.c_str()), 15000) << "first screen after " << first << " ms";
    EXPECT_LT(Seconds(start), 60);
    EXPECT_EQ(CReaderRun::Value(out, "LOCATION"), "file://" + book);
    EXPECT_EQ(CReaderRun::Value(out, "EVAL", 0), "true") << "the line is not cut into tables";
    EXPECT_EQ(CReaderRun::Value(out, "EVAL", 1), "-1") << "a character was split";
    ExpectSettingsKept(run);
}
