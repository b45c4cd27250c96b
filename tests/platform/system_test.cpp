// The program path, profile folder, listening-port table and code page conversions.
#include <filesystem>
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>

#include "platform/codepage.h"
#include "platform/inifile.h"
#include "platform/modulepath.h"
#include "platform/tcptable.h"
#include "support/tempfolder.h"

using namespace platform;

TEST(ModulePath, ReplaceExtensionNeverCutsInsideAFolder) {
    const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
        {"/opt/pagora/Pagora", ".ini", "/opt/pagora/Pagora.ini"},
        {"/opt/pag.ora/Pagora", ".ini", "/opt/pag.ora/Pagora.ini"},
        {"/opt/x/Pagora.exe", ".bmk", "/opt/x/Pagora.bmk"},
        {"/opt/x/a.b.c", ".css", "/opt/x/a.b.css"},
        {"/home/u/.pagora", ".ini", "/home/u/.pagora.ini"},
        {"/opt/x/Pagora", "", "/opt/x/Pagora"},
        {"Pagora.bin", ".ini", "Pagora.ini"},
    };
    for (const auto& [path, ext, want] : cases) EXPECT_EQ(ReplaceExtension(path, ext), want) << path;
}

TEST(ModulePath, ProgramPathAndProfileFolder) {
    std::string real = ProgramPath();
    ASSERT_FALSE(real.empty());
    EXPECT_EQ(real.substr(real.rfind('/') + 1), "platform_tests");

    TempFolder dir;
    SetProgramPathForTesting(dir.File("Pagora"));
    EXPECT_EQ(ProgramFolder(), dir.Path());
    EXPECT_EQ(ProfileFolder(), dir.Path()) << "a writable program folder is the profile";
    EXPECT_EQ(ProfileSideFile(".ini"), dir.File("Pagora.ini"));

    // A program folder that cannot be written sends side files to $XDG_CONFIG_HOME/Pagora.
    SetProgramPathForTesting("/nonexistent-folder/bin/Pagora");
    std::string oldXdg = getenv("XDG_CONFIG_HOME") ? getenv("XDG_CONFIG_HOME") : "";
    setenv("XDG_CONFIG_HOME", dir.File("config").c_str(), 1);
    EXPECT_EQ(ProfileFolder(), dir.File("config/Pagora"));
    EXPECT_EQ(access(dir.File("config/Pagora").c_str(), W_OK), 0);
    EXPECT_EQ(ProfileSideFile(".pwd"), dir.File("config/Pagora/Pagora.pwd"));

    setenv("PAGORA_PROFILE_DIR", dir.File("explicit/profile").c_str(), 1);
    EXPECT_EQ(ProfileFolder(), dir.File("explicit/profile"));
    EXPECT_EQ(access(dir.File("explicit/profile").c_str(), W_OK), 0);
    setenv("PAGORA_PROFILE_DIR", "relative/ignored", 1);
    EXPECT_EQ(ProfileFolder(), dir.File("config/Pagora"));
    unsetenv("PAGORA_PROFILE_DIR");

    SetProfileFolderForTesting("/elsewhere");
    EXPECT_EQ(ProfileSideFile(".blb"), "/elsewhere/Pagora.blb");
    SetProfileFolderForTesting("");
    SetProgramPathForTesting("");
    if (oldXdg.empty()) unsetenv("XDG_CONFIG_HOME");
    else setenv("XDG_CONFIG_HOME", oldXdg.c_str(), 1);
    EXPECT_EQ(ProgramPath(), real);
}

TEST(ModulePath, InstalledProgramKeepsSettingsInTheUsersFolder) {
    TempFolder dir;
    std::string oldXdg = getenv("XDG_CONFIG_HOME") ? getenv("XDG_CONFIG_HOME") : "";
    setenv("XDG_CONFIG_HOME", dir.File("config").c_str(), 1);
    unsetenv("PAGORA_PROFILE_DIR");
    std::filesystem::create_directories(dir.File("prefix/bin"));
    SetProgramPathForTesting(dir.File("prefix/bin/Pagora"));
    // A writable bin folder without an installation beside it is a build folder.
    EXPECT_EQ(InstalledDataFolder(), "");
    EXPECT_EQ(ProfileFolder(), dir.File("prefix/bin"));
    EXPECT_EQ(TextFilterLibraryPath(), dir.File("prefix/bin/Pagora_txt.so"));

    // Installed: the settings go to the user's folder even though root may write bin.
    std::filesystem::create_directories(dir.File("prefix/share/pagora"));
    EXPECT_EQ(InstalledDataFolder(), dir.File("prefix/share/pagora"));
    EXPECT_EQ(ProfileFolder(), dir.File("config/Pagora"));
    EXPECT_EQ(TextFilterLibraryPath(), dir.File("prefix/lib/pagora/Pagora_txt.so"));
    // A library beside the program still comes first.
    dir.Write("prefix/bin/Pagora_txt.so", "");
    EXPECT_EQ(TextFilterLibraryPath(), dir.File("prefix/bin/Pagora_txt.so"));

    // Only a folder named "bin" marks an installation.
    std::filesystem::create_directories(dir.File("opt/share/pagora"));
    std::filesystem::create_directories(dir.File("opt/binaries"));
    SetProgramPathForTesting(dir.File("opt/binaries/Pagora"));
    EXPECT_EQ(InstalledDataFolder(), "");

    SetProgramPathForTesting("");
    if (oldXdg.empty()) unsetenv("XDG_CONFIG_HOME");
    else setenv("XDG_CONFIG_HOME", oldXdg.c_str(), 1);
}

TEST(TcpTable, ParsesListeningRowsOnly) {
    const std::string text =
        "  sl  local_address rem_address   st tx_queue rx_queue tr tm->when retrnsmt   uid  timeout inode\n"
        "   0: 0100007F:C350 00000000:0000 0A 00000000:00000000 00:00000000 00000000     0        0 1 1\n"
        "   1: 00000000:0016 00000000:0000 0A 00000000:00000000 00:00000000 00000000     0        0 2 1\n"
        "   2: 0100007F:C351 0100007F:D431 01 00000000:00000000 00:00000000 00000000     0        0 3 1\n"
        "   3: garbage\n";
    std::vector<uint16_t> ports;
    ASSERT_TRUE(ParseProcNetTcp(text, ports));
    EXPECT_EQ(ports, (std::vector<uint16_t>{50000, 22}));
    EXPECT_FALSE(ParseProcNetTcp("not a table", ports));
}

TEST(TcpTable, SeesARealListeningSocket) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    socklen_t len = sizeof addr;
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    uint16_t port = ntohs(addr.sin_port);
    auto before = ListeningTcpPorts();
    ASSERT_TRUE(before.has_value());
    EXPECT_FALSE(std::binary_search(before->begin(), before->end(), port)) << "bound but not listening";
    ASSERT_EQ(listen(fd, 1), 0);
    auto after = ListeningTcpPorts();
    ASSERT_TRUE(after.has_value());
    EXPECT_TRUE(std::binary_search(after->begin(), after->end(), port));
    // Both ways of asking see the same listeners (IPv6 ones included).
    int fd6 = socket(AF_INET6, SOCK_STREAM, 0);
    ASSERT_GE(fd6, 0);
    sockaddr_in6 addr6{};
    addr6.sin6_family = AF_INET6;
    addr6.sin6_addr = in6addr_loopback;
    uint16_t port6 = 0;
    if (bind(fd6, reinterpret_cast<sockaddr*>(&addr6), sizeof addr6) == 0 && listen(fd6, 1) == 0) {
        socklen_t len6 = sizeof addr6;
        getsockname(fd6, reinterpret_cast<sockaddr*>(&addr6), &len6);
        port6 = ntohs(addr6.sin6_port);
    }
    auto fromKernel = ListeningTcpPorts();
    auto fromProc = ListeningTcpPortsFromProc();
    ASSERT_TRUE(fromKernel && fromProc);
    // Other programs may open and close listeners meanwhile: only ours are sure.
    for (uint16_t p : {port, port6}) {
        if (p == 0) continue;
        EXPECT_TRUE(std::binary_search(fromKernel->begin(), fromKernel->end(), p)) << p;
        EXPECT_TRUE(std::binary_search(fromProc->begin(), fromProc->end(), p)) << p;
    }
    close(fd6);
    close(fd);
}

TEST(CodePage, Utf8LocaleConversions) {
    // The test runs in whatever locale it was started with; the C locale counts as UTF-8.
    std::string saved = setlocale(LC_ALL, nullptr);
    if (!setlocale(LC_ALL, "C.UTF-8")) setlocale(LC_ALL, "C");
    EXPECT_EQ(AnsiCodeSet(), "UTF-8");
    EXPECT_FALSE(IsDoubleByteCodeSet());
    EXPECT_FALSE(IsLeadByte(0xB0));
    EXPECT_EQ(AnsiToUtf16("中文 a"), u"中文 a");
    EXPECT_EQ(Utf16ToAnsi(u"书签"), "书签");
    EXPECT_EQ(Utf8ToAnsi("完成"), "完成");
    // Broken input is replaced, never a crash or a silent stop.
    EXPECT_EQ(AnsiToUtf8("a\xff" "b\xe4\xb8"), "a?b");
    EXPECT_EQ(Utf16ToAnsi(std::u16string(u"x") + char16_t(0xD800) + u"y"), "x?y");
    EXPECT_EQ(AnsiToUtf16(""), u"");
    setlocale(LC_ALL, saved.c_str());
}

TEST(CodePage, GbkConversionsAndLeadBytes) {
    // "中文" in GBK is D6 D0 CE C4.
    EXPECT_EQ(ConvertCodeSet("中文", "UTF-8", "GBK"), "\xd6\xd0\xce\xc4");
    EXPECT_EQ(ConvertCodeSet("\xd6\xd0\xce\xc4", "GBK", "UTF-8"), "中文");
    EXPECT_EQ(ConvertCodeSet("a\xd6", "GBK", "UTF-8"), "a") << "a cut-off double-byte character is dropped";
    EXPECT_EQ(ConvertCodeSet("\xd6\x20z", "GBK", "UTF-8"), "? z");
    EXPECT_EQ(ConvertCodeSet("x", "NO-SUCH-SET", "UTF-8"), "x");

    std::string saved = setlocale(LC_ALL, nullptr);
    TempFolder locales;
    if (!setlocale(LC_ALL, "zh_CN.GBK")) {
        // Not installed: compile it into a private folder (glibc's locale sources are there).
        std::string cmd = "localedef -i zh_CN -f GBK " + locales.File("zh_CN.GBK") + " >/dev/null 2>&1";
        if (std::system(cmd.c_str()) == 0) setenv("LOCPATH", locales.Path().c_str(), 1);
        if (!setlocale(LC_ALL, "zh_CN.GBK")) {
            unsetenv("LOCPATH");
            setlocale(LC_ALL, saved.c_str());
            GTEST_SKIP() << "no GBK locale available";
        }
    }
    EXPECT_TRUE(IsDoubleByteCodeSet());
    EXPECT_TRUE(IsLeadByte(0xD6));
    EXPECT_FALSE(IsLeadByte('a'));
    EXPECT_EQ(Utf8ToAnsi("中文"), "\xd6\xd0\xce\xc4");
    EXPECT_EQ(AnsiToUtf16("\xd6\xd0"), u"中");
    // INI names fold ASCII case, but not the trail byte of a double-byte character.
    EXPECT_TRUE(ini::NamesEqual("Ab\x81\x41", "aB\x81\x41"));
    EXPECT_FALSE(ini::NamesEqual("\x81\x41", "\x81\x61"));
    setlocale(LC_ALL, saved.c_str());
    unsetenv("LOCPATH");
}
