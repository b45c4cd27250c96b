#include "platform/registrystore.h"

#include <gtest/gtest.h>

#include <thread>

#include "support/tempfolder.h"

using platform::RegistryStore;

namespace {
const char* const kOptions = "HKEY_CURRENT_USER\\Software\\Kestrin's Tools\\Pagora\\IE Options";
}

TEST(RegistryStore, KeysAndValuesPersistAcrossInstances) {
    TempFolder dir;
    {
        RegistryStore reg(dir.File("registry.ini"));
        std::string settings = std::string(kOptions) + "\\Settings";
        EXPECT_FALSE(reg.KeyExists(settings));
        ASSERT_TRUE(reg.SetNumber(settings, "Always Use My Colors", 1));
        ASSERT_TRUE(reg.SetString(settings, "Background Color", "228,235,241"));
        ASSERT_TRUE(reg.SetString(std::string(kOptions) + "\\Main", "Use_DlgBox_Colors", "no"));
        ASSERT_TRUE(reg.SetString(settings, "", "default value"));
        ASSERT_TRUE(reg.SetNumber(settings, "Max", 0xFFFFFFFFu));
    }
    RegistryStore reg(dir.File("registry.ini"));
    // Abbreviated root and other letter case name the same key.
    std::string settings = "hkcu\\software\\KESTRIN'S TOOLS\\Pagora\\IE Options\\settings\\";
    EXPECT_TRUE(reg.KeyExists(settings));
    EXPECT_TRUE(reg.KeyExists("HKCU\\Software"));  // parents are created with the key
    EXPECT_EQ(reg.GetNumber(settings, "always use my colors"), 1u);
    EXPECT_EQ(reg.GetString(settings, "Background Color"), "228,235,241");
    EXPECT_EQ(reg.GetString(settings, ""), "default value");
    EXPECT_EQ(reg.GetNumber(settings, "Max"), 0xFFFFFFFFu);
    EXPECT_FALSE(reg.GetString(settings, "Always Use My Colors").has_value()) << "number read as text";
    EXPECT_FALSE(reg.GetNumber(settings, "Background Color").has_value()) << "text read as number";
    EXPECT_FALSE(reg.GetString(settings, "Absent").has_value());
    auto subs = reg.SubKeys(kOptions);
    std::sort(subs.begin(), subs.end());
    EXPECT_EQ(subs, (std::vector<std::string>{"Main", "Settings"}));

    EXPECT_TRUE(reg.DeleteValue(settings, "Always Use My Colors"));
    EXPECT_FALSE(reg.DeleteValue(settings, "Always Use My Colors"));
    EXPECT_FALSE(reg.GetNumber(settings, "Always Use My Colors").has_value());

    EXPECT_TRUE(reg.DeleteKey(kOptions));  // with its subkeys
    EXPECT_FALSE(reg.KeyExists(settings));
    EXPECT_FALSE(reg.KeyExists(kOptions));
    EXPECT_TRUE(reg.KeyExists("HKCU\\Software\\Kestrin's Tools\\Pagora"));
    EXPECT_FALSE(reg.DeleteKey(kOptions));
}

TEST(RegistryStore, AwkwardNamesAndTextsRoundTrip) {
    TempFolder dir;
    RegistryStore reg(dir.File("registry.ini"));
    const std::string key = "HKCR\\CLSID\\{0B4A7C3E-1111-2222-3333-444455556666}\\InprocServer32";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"@", "at sign name"},         {"a=b", "equals in name"},     {"[x]", "brackets"},
        {" spaced ", "  spaced text  "}, {"multi", "line1\nline2\r\n"}, {"pct", "100%25 %"},
        {"ThreadingModel", "Apartment"}, {"中文", "值"},
    };
    for (const auto& [name, value] : cases) ASSERT_TRUE(reg.SetString(key, name, value)) << name;
    for (const auto& [name, value] : cases) EXPECT_EQ(reg.GetString(key, name), value) << name;
    EXPECT_FALSE(reg.GetString(key, "").has_value()) << "the default value is not the value named \"@\"";
    EXPECT_EQ(reg.ValueNames(key).size(), cases.size());
}

TEST(RegistryStore, BadKeyPathsAreRefused) {
    TempFolder dir;
    RegistryStore reg(dir.File("registry.ini"));
    EXPECT_FALSE(reg.CreateKey("HKEY_NOWHERE\\x"));
    EXPECT_FALSE(reg.SetString("Software\\x", "a", "b"));
    EXPECT_FALSE(reg.SetString("", "a", "b"));
    EXPECT_FALSE(reg.DeleteKey("HKCU"));
    EXPECT_TRUE(reg.KeyExists("HKLM"));
    EXPECT_EQ(RegistryStore::NormalizeKey("hkcu\\\\a\\b\\"), "HKEY_CURRENT_USER\\a\\b");
}

TEST(RegistryStore, ConcurrentWritersFromTwoStoresLoseNothing) {
    TempFolder dir;
    RegistryStore a(dir.File("registry.ini")), b(dir.File("registry.ini"));
    std::thread t1([&] {
        for (int i = 0; i < 50; ++i) a.SetNumber("HKCU\\A", "v" + std::to_string(i), static_cast<uint32_t>(i));
    });
    std::thread t2([&] {
        for (int i = 0; i < 50; ++i) b.SetNumber("HKCU\\B", "v" + std::to_string(i), static_cast<uint32_t>(i));
    });
    t1.join();
    t2.join();
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(a.GetNumber("HKCU\\B", "v" + std::to_string(i)), static_cast<uint32_t>(i));
        EXPECT_EQ(b.GetNumber("HKCU\\A", "v" + std::to_string(i)), static_cast<uint32_t>(i));
    }
}
