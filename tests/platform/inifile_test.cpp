#include "platform/inifile.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

#include "support/tempfolder.h"

using namespace platform::ini;

namespace {

const char* const kMessy =
    "; a comment line\r\n"
    "orphan=before any section\r\n"
    "[Main]\r\n"
    "  Width = 630  \r\n"
    "Quoted=\"  padded  \"\r\n"
    "garbage line without equals\r\n"
    "=value without key\r\n"
    "Empty=\r\n"
    "Neg=-12abc\r\n"
    "[ other ]\r\n"
    "Key=\xff\xfe bytes \x81\r\n"
    "[main]\r\n"
    "Width=999\r\n"
    "[Last]\r\n"
    "tail=no final break";

}  // namespace

TEST(IniRead, MessyFileKeepsEveryWellFormedKey) {
    TempFolder dir;
    std::string ini = dir.Write("a.ini", kMessy);
    EXPECT_EQ(GetString(ini, "MAIN", "width", "x"), "630");  // first section and key win, case-insensitive
    EXPECT_EQ(GetString(ini, "main", "Quoted", "x"), "  padded  ");
    EXPECT_EQ(GetString(ini, "main", "Empty", "x"), "");
    EXPECT_EQ(GetString(ini, "main", "Missing", "dflt"), "dflt");
    EXPECT_EQ(GetString(ini, "Nope", "Width", "dflt"), "dflt");
    EXPECT_EQ(GetString(ini, "Other", "key", ""), "\xff\xfe bytes \x81");
    EXPECT_EQ(GetString(ini, "Last", "tail", ""), "no final break");
    EXPECT_EQ(GetInt(ini, "main", "Neg", 5), -12);
    EXPECT_EQ(GetInt(ini, "main", "Empty", 5), 5);
    EXPECT_EQ(GetInt(ini, "main", "Quoted", 5), 0);
    EXPECT_EQ(GetString(ini, "main", "Width", "", 2), "63");
    EXPECT_EQ(SectionNames(ini), (std::vector<std::string>{"Main", "other", "Last"}));
    EXPECT_EQ(KeyNames(ini, "MAIN"), (std::vector<std::string>{"Width", "Quoted", "Empty", "Neg"}));
}

TEST(IniRead, HostileInputNeverCrashes) {
    std::string text(200000, 'k');
    text += "=v\n";
    text += std::string(100000, '[') + "\n";
    text += "[s]\n";
    text += std::string("a\0b=c\0d\n", 8);
    text += "x=" + std::string(300000, 'y') + "\n\n\r\r\n[";
    IniDocument doc = IniDocument::FromText(text);
    EXPECT_EQ(doc.GetString("s", std::string("a\0b", 3), "", 100000), std::string("c\0d", 3));
    EXPECT_EQ(doc.Get("s", "x")->size(), 300000u);
    EXPECT_FALSE(doc.Get("missing", "x").has_value());
    EXPECT_EQ(GetString("/nonexistent/folder/x.ini", "s", "k", "d"), "d");
}

TEST(IniRead, ParseIntFollowsDecimalRules) {
    EXPECT_EQ(ParseInt("  42xyz"), 42);
    EXPECT_EQ(ParseInt("\t-7"), -7);
    EXPECT_EQ(ParseInt("+3"), 3);
    EXPECT_EQ(ParseInt("abc"), 0);
    EXPECT_EQ(ParseInt("-"), 0);
    EXPECT_EQ(ParseInt("99999999999999999999"), 2147483647);
    EXPECT_EQ(ParseInt("-99999999999999999999"), -2147483647 - 1);
    EXPECT_EQ(ParseInt("-16777216"), -16777216);
}

TEST(IniWrite, EditsKeepOtherLinesAndLineEnds) {
    TempFolder dir;
    std::string ini = dir.Write("a.ini", kMessy);
    ASSERT_TRUE(WriteString(ini, "MAIN", "WIDTH", "700"));
    ASSERT_TRUE(WriteString(ini, "Main", "New", "added"));
    ASSERT_TRUE(WriteString(ini, "Fresh", "k", "v"));
    std::string text = TempFolder::Read(ini);
    EXPECT_NE(text.find("; a comment line\r\n"), std::string::npos);
    EXPECT_NE(text.find("garbage line without equals\r\n"), std::string::npos);
    EXPECT_NE(text.find("Width=700\r\n"), std::string::npos);
    EXPECT_EQ(text.find("\n\n"), std::string::npos) << "line ends must stay CR LF";
    EXPECT_EQ(GetString(ini, "main", "new", ""), "added");
    EXPECT_EQ(GetString(ini, "Last", "tail", ""), "no final break");
    EXPECT_EQ(GetString(ini, "fresh", "K", ""), "v");
    EXPECT_EQ(GetString(ini, "main", "Width", ""), "700");

    ASSERT_TRUE(DeleteKey(ini, "main", "Quoted"));
    EXPECT_EQ(GetString(ini, "main", "Quoted", "gone"), "gone");
    ASSERT_TRUE(DeleteSection(ini, "MAIN"));  // both [Main] and [main]
    EXPECT_EQ(GetString(ini, "main", "Width", "gone"), "gone");
    EXPECT_EQ(GetString(ini, "Other", "Key", ""), "\xff\xfe bytes \x81");
}

TEST(IniWrite, RewritingTheSameValueLeavesTheFileInPlace) {
    TempFolder dir;
    std::string ini = dir.Write("a.ini", "[Main]\r\nWidth=630\r\n");
    struct stat before, after;
    ASSERT_EQ(stat(ini.c_str(), &before), 0);
    ASSERT_TRUE(WriteString(ini, "main", "WIDTH", "630"));
    ASSERT_EQ(stat(ini.c_str(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino) << "an unchanged value must not replace the file";
    ASSERT_TRUE(WriteString(ini, "main", "Width", "700"));
    ASSERT_EQ(stat(ini.c_str(), &after), 0);
    EXPECT_NE(before.st_ino, after.st_ino);
    EXPECT_EQ(GetString(ini, "Main", "Width", ""), "700");
    // A missing file is still created, even for an empty section's first key.
    std::string fresh = dir.Path() + "/fresh.ini";
    ASSERT_TRUE(WriteString(fresh, "S", "k", ""));
    EXPECT_EQ(stat(fresh.c_str(), &after), 0);
}

TEST(IniWrite, ValuesRoundTripAndUnsafeTextIsRefused) {
    TempFolder dir;
    std::string ini = dir.File("b.ini");
    for (std::string v : {std::string(" lead"), std::string("trail "), std::string("\"q\""), std::string(""),
                          std::string("a=b;c"), std::string("中文路径")}) {
        ASSERT_TRUE(WriteString(ini, "S", "k", v));
        EXPECT_EQ(GetString(ini, "S", "k", "x"), v);
    }
    ASSERT_TRUE(WriteString(ini, "S", "keep", "1"));
    EXPECT_FALSE(WriteString(ini, "S", "k", "line\n[Injected]\nkeep=2"));
    EXPECT_FALSE(WriteString(ini, "S", "a=b", "v"));
    EXPECT_FALSE(WriteString(ini, "S]x", "k", "v"));
    EXPECT_FALSE(WriteString(ini, "", "k", "v"));
    EXPECT_EQ(GetString(ini, "S", "keep", ""), "1");
    EXPECT_TRUE(SectionNames(ini) == std::vector<std::string>{"S"});
    EXPECT_FALSE(WriteString("/nonexistent/folder/x.ini", "s", "k", "v"));
}

TEST(IniWrite, StructValuesCarryAChecksum) {
    TempFolder dir;
    std::string ini = dir.File("c.ini");
    struct Placement {
        int a, b;
        unsigned char c[3];
    } in{-1, 258, {0, 0x7f, 0xff}}, out{};
    ASSERT_TRUE(WriteStruct(ini, "WindowState", "WindowPlacement", &in, sizeof in));
    ASSERT_TRUE(GetStruct(ini, "windowstate", "windowplacement", &out, sizeof out));
    EXPECT_EQ(0, memcmp(&in, &out, sizeof in));
    unsigned char two[2] = {0x12, 0xAB};
    ASSERT_TRUE(WriteStruct(ini, "S", "v", two, 2));
    EXPECT_EQ(GetString(ini, "S", "v", ""), "12ABBD");
    Placement untouched{7, 7, {7, 7, 7}};
    EXPECT_FALSE(GetStruct(ini, "S", "v", &untouched, sizeof untouched));  // wrong length
    WriteString(ini, "S", "v", "12ABBE");
    EXPECT_FALSE(GetStruct(ini, "S", "v", two, 2));  // checksum mismatch
    WriteString(ini, "S", "v", "12AGBD");
    EXPECT_FALSE(GetStruct(ini, "S", "v", two, 2));  // not hex
    EXPECT_EQ(untouched.a, 7);
    EXPECT_FALSE(GetStruct(ini, "S", "missing", two, 2));
}

TEST(IniConcurrency, ThreadsWritingDifferentKeysLoseNothing) {
    TempFolder dir;
    std::string ini = dir.File("t.ini");
    const int kKeys = 40;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kKeys; ++i)
                WriteString(ini, "S" + std::to_string(t % 2), "k" + std::to_string(t) + "_" + std::to_string(i),
                            std::to_string(i));
        });
    }
    for (auto& th : threads) th.join();
    IniDocument doc = IniDocument::FromFile(ini);
    for (int t = 0; t < 4; ++t)
        for (int i = 0; i < kKeys; ++i)
            EXPECT_EQ(doc.GetString("S" + std::to_string(t % 2), "k" + std::to_string(t) + "_" + std::to_string(i), ""),
                      std::to_string(i));
}

TEST(IniConcurrency, TwoProcessesWritingDifferentKeysLoseNothing) {
    TempFolder dir;
    std::string ini = dir.File("p.ini");
    const int kKeys = 150;
    pid_t children[2];
    for (int c = 0; c < 2; ++c) {
        children[c] = fork();
        ASSERT_GE(children[c], 0);
        if (children[c] == 0) {
            for (int i = 0; i < kKeys; ++i)
                if (!WriteString(ini, "ParaBlock", "P" + std::to_string(c) + "_" + std::to_string(i), std::to_string(i)))
                    _exit(2);
            _exit(0);
        }
    }
    for (pid_t pid : children) {
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    IniDocument doc = IniDocument::FromFile(ini);
    EXPECT_EQ(doc.KeyNames("ParaBlock").size(), 2u * kKeys);
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < kKeys; ++i)
            EXPECT_EQ(doc.GetString("ParaBlock", "P" + std::to_string(c) + "_" + std::to_string(i), ""),
                      std::to_string(i));
}

TEST(IniConcurrency, KilledWriterLeavesOldOrNewFile) {
    TempFolder dir;
    std::string ini = dir.File("k.ini");
    ASSERT_TRUE(WriteString(ini, "Keep", "sentinel", "present"));
    const std::string big(20000, 'z');
    for (int round = 0; round < 15; ++round) {
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            for (int i = 0;; ++i) WriteString(ini, "Busy", "k" + std::to_string(i % 50), big + std::to_string(i));
        }
        usleep(2000 + round * 1500);
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        IniDocument doc = IniDocument::FromFile(ini);
        ASSERT_EQ(doc.GetString("Keep", "sentinel", ""), "present") << "round " << round;
        for (const std::string& k : doc.KeyNames("Busy")) {
            std::string v = doc.GetString("Busy", k, "", 1 << 20);
            ASSERT_EQ(v.compare(0, big.size(), big), 0) << "truncated value in round " << round;
            ASSERT_GT(v.size(), big.size());
        }
    }
    int leftovers = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.Path()))
        leftovers += e.path().filename() != "k.ini";
    EXPECT_LE(leftovers, 1) << "temporary files of killed writers must not pile up";
}
