// The encodings chosen for texts, kept between runs, and the encoding menu's
// entries and choices for the text on screen.
#include <gtest/gtest.h>

#include <string>

#include "support/tempfolder.h"
#include "platform/codepage.h"
#include "platform/modulepath.h"
#include "view/encodingmenumodel.h"
#include "view/textencodingchoices.h"
#include "view/textroute.h"

namespace {

const std::string kNovel =
    "第一章 灯塔\n"
    "海边的小镇上住着一位老人，他每天傍晚都会爬上灯塔，点亮那盏古老的灯。"
    "镇上的孩子们常常问他，为什么要守着这座没有船来的灯塔。\n";

std::string FileAddress(const std::string& path) { return "file://" + path; }

}  // namespace

TEST(TextEncodingChoices, KeptPerTextAcrossRunsAndBesideOtherRunsChoices) {
    TempFolder dir;
    const std::string file = dir.File("TextEncodings");
    {
        CTextEncodingChoices choices(file);
        EXPECT_EQ(choices.Chosen("/books/a.txt"), "");
        EXPECT_TRUE(choices.Choose("/books/a.txt", "BIG5"));
        EXPECT_TRUE(choices.Choose("/books/b.txt", "GB18030"));
        EXPECT_TRUE(choices.Choose("/books/a.txt", "UTF-16BE"));  // replaces the first choice
        EXPECT_EQ(choices.Chosen("/books/a.txt"), "UTF-16BE");
    }
    EXPECT_EQ(CTextEncodingChoices(file).Chosen("/books/b.txt"), "GB18030");
    // A run that read the file before another run wrote keeps that run's choice when it writes its own.
    {
        CTextEncodingChoices second(file);
        second.Chosen("x");  // loaded now
        CTextEncodingChoices third(file);
        EXPECT_TRUE(third.Choose("/books/c.txt", "CP932"));
        EXPECT_TRUE(second.Choose("/books/d.txt", "BIG5"));
    }
    CTextEncodingChoices later(file);
    EXPECT_EQ(later.Chosen("/books/a.txt"), "UTF-16BE");
    EXPECT_EQ(later.Chosen("/books/c.txt"), "CP932");
    EXPECT_EQ(later.Chosen("/books/d.txt"), "BIG5");
    // Automatic again: the text is read as recognised, its line goes.
    EXPECT_TRUE(later.Choose("/books/a.txt", ""));
    EXPECT_EQ(CTextEncodingChoices(file).Chosen("/books/a.txt"), "");
    // A name with a line break could not be read back: refused.
    EXPECT_FALSE(later.Choose("/books/new\nline.txt", "BIG5"));
    EXPECT_EQ(CTextEncodingChoices(file).Chosen("/books/new"), "");
    // Archive entries are kept under the archive and the entry name.
    EXPECT_TRUE(later.Choose("/books/set.zip\t章节/第一章.txt", "GB18030"));
    EXPECT_EQ(CTextEncodingChoices(file).Chosen("/books/set.zip\t章节/第一章.txt"), "GB18030");
}

TEST(TextEncodingChoices, TheFileIsReadWarilyAndStaysBounded) {
    using Entries = CTextEncodingChoices::Entries;
    const Entries entries = {{"/a b.txt", "BIG5"}, {"/c\td.zip\tx.txt", "GB18030"}};
    EXPECT_EQ(CTextEncodingChoices::Parse(CTextEncodingChoices::Format(entries)), entries);
    // Another kind of file, broken lines and odd encoding names give nothing.
    EXPECT_TRUE(CTextEncodingChoices::Parse("BIG5\t/a.txt\n").empty());
    const Entries read = CTextEncodingChoices::Parse(
        "Pagora text encodings 1\nno tab here\n\t/empty-name.txt\nBIG5\t\nrm -rf\t/x.txt\nBIG5\t/ok.txt");
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0], (std::pair<std::string, std::string>("/ok.txt", "BIG5")));

    TempFolder dir;
    CTextEncodingChoices choices(dir.File("TextEncodings"));
    for (size_t i = 0; i < CTextEncodingChoices::kMaxChoices + 5; ++i)
        ASSERT_TRUE(choices.Choose("/t/" + std::to_string(i) + ".txt", "BIG5"));
    CTextEncodingChoices reread(dir.File("TextEncodings"));
    EXPECT_EQ(reread.Chosen("/t/0.txt"), "");  // the oldest went first
    EXPECT_EQ(reread.Chosen("/t/5.txt"), "BIG5");
    EXPECT_EQ(reread.Chosen("/t/" + std::to_string(CTextEncodingChoices::kMaxChoices + 4) + ".txt"), "BIG5");
    // A folder where the file should be: the choice holds for this run only.
    TempFolder blocked;
    std::filesystem::create_directory(blocked.File("TextEncodings"));
    CTextEncodingChoices stuck(blocked.File("TextEncodings"));
    EXPECT_FALSE(stuck.Choose("/a.txt", "BIG5"));
    EXPECT_EQ(stuck.Chosen("/a.txt"), "BIG5");
}

TEST(EncodingMenu, OffersTheReadingsOfTheTextOnScreenAndKeepsTheChoice) {
    TempFolder profile;
    platform::SetProfileFolderForTesting(profile.Path());
    TempFolder books;
    const std::string path = books.Write("小说.txt", platform::ConvertCodeSet(kNovel, "UTF-8", "GBK"));
    const std::string address = FileAddress(path);
    // The view may show the text under its private address, as one of its parts.
    const std::string shown = textroute::WithPart(textroute::ToPrivate(address), 2);
    EXPECT_EQ(textencoding::KeyFor(address), path);
    EXPECT_EQ(textencoding::KeyFor(shown), path);
    EXPECT_EQ(textencoding::KeyFor("http://example.invalid/a.txt?pagora-part=3"), "http://example.invalid/a.txt");

    auto items = CEncodingMenuModel::Items(address);
    ASSERT_GE(items.size(), 7u);
    EXPECT_EQ(items[0].text, "自动选择（GB18030）");
    EXPECT_TRUE(items[0].checked);
    EXPECT_EQ(items[1].encoding, "GB18030");
    EXPECT_EQ(items[1].text, "GB18030    第一章 灯塔 海边的小镇上住着一位老人，他每天傍");
    EXPECT_TRUE(items[1].separatorBefore);
    for (size_t i = 1; i < items.size(); ++i) EXPECT_FALSE(items[i].checked) << items[i].text;

    // The text's status names what the filter read it as, once it did.
    EXPECT_EQ(CEncodingMenuModel::StatusText(shown), "");
    textencoding::RecordUsed(textroute::ToPrivate(address), "BIG5");
    EXPECT_EQ(CEncodingMenuModel::StatusText(shown), "Big5");

    bool kept = false;
    EXPECT_TRUE(CEncodingMenuModel::Choose(shown, "BIG5", &kept));
    EXPECT_TRUE(kept);
    EXPECT_FALSE(CEncodingMenuModel::Choose(address, "BIG5"));  // no change: nothing to reopen
    items = CEncodingMenuModel::Items(address);
    EXPECT_FALSE(items[0].checked);
    for (const auto& item : items) EXPECT_EQ(item.checked, item.encoding == "BIG5") << item.text;
    // Kept in the profile folder for the next run.
    EXPECT_EQ(CTextEncodingChoices(profile.File("TextEncodings")).Chosen(path), "BIG5");
    EXPECT_TRUE(CEncodingMenuModel::Choose(address, ""));
    EXPECT_TRUE(CEncodingMenuModel::Items(address)[0].checked);

    // No menu for pages that are not texts, and a vanished text still has its entries.
    EXPECT_TRUE(CEncodingMenuModel::Items(FileAddress(books.File("page.htm"))).empty());
    EXPECT_FALSE(CEncodingMenuModel::Choose(FileAddress(books.File("page.htm")), "BIG5"));
    EXPECT_EQ(CEncodingMenuModel::StatusText("about:blank"), "");
    const auto gone = CEncodingMenuModel::Items(FileAddress(books.File("gone.txt")));
    ASSERT_FALSE(gone.empty());
    EXPECT_EQ(gone[0].text, "自动选择");
    platform::SetProfileFolderForTesting("");
}
