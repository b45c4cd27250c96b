// The real reader under an offscreen display: pages are read back from the engine.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "readerrun.h"

namespace {

const std::string kSamples = std::string(PAGORA_SOURCE_DIR) + "/samples";

}  // namespace

TEST(ReaderGui, ArchiveOpensAtFirstPageAndChapterLinkLoadsWithPicture) {
    CReaderRun run;
    auto out = run.Run({"location", "pane 32805", "click link-ch2", "location",
                        "eval String(document.getElementById('pic').naturalWidth)",
                        "eval getComputedStyle(document.body).backgroundColor", "title", "close"},
                       {kSamples + "/lighthouse.zip"});
    std::string first = CReaderRun::Value(out, "LOCATION", 0);
    EXPECT_EQ(first.rfind("http://127.0.0.1:", 0), 0u) << first;
    EXPECT_TRUE(EndsWith(first, "/index.htm")) << first;
    // Four pages listed of six entries (the style sheet and picture are only counted).
    EXPECT_EQ(CReaderRun::Value(out, "PANE"), "4/6");
    EXPECT_TRUE(EndsWith(CReaderRun::Value(out, "LOCATION", 1), "/ch2.htm"));
    EXPECT_EQ(CReaderRun::Value(out, "EVAL", 0), "240") << "the chapter's picture did not load";
    EXPECT_EQ(CReaderRun::Value(out, "EVAL", 1), "rgb(251, 248, 241)") << "the style sheet did not load";
    // The loopback base never shows in the title.
    EXPECT_EQ(CReaderRun::Value(out, "TITLE").find("127.0.0.1"), std::string::npos);
}

TEST(ReaderGui, GbkNamedBookFollowsLinksToChineseNamedChapters) {
    // Zipped on Chinese Windows (GBK names, no UTF-8 flag), read on a UTF-8
    // desktop: the browser asks for the links in UTF-8 escapes.
    setenv("LC_ALL", "C.UTF-8", 1);
    CReaderRun run;
    auto out = run.Run({"location", "click link-ch1", "location", "eval document.getElementById('chapter').textContent",
                        "eval getComputedStyle(document.body).backgroundColor", "click next", "location",
                        "eval document.getElementById('chapter').textContent", "pane 32805", "close"},
                       {kSamples + "/gbk-book.zip"});
    EXPECT_TRUE(EndsWith(CReaderRun::Value(out, "LOCATION", 0), "/index.htm")) << CReaderRun::Value(out, "LOCATION", 0);
    const std::string chapter1 = CReaderRun::Value(out, "LOCATION", 1);
    EXPECT_TRUE(EndsWith(chapter1, "/第一章.htm")) << chapter1;
    EXPECT_EQ(CReaderRun::Value(out, "EVAL", 0), "第一章　入山") << "the chapter did not open";
    EXPECT_EQ(CReaderRun::Value(out, "EVAL", 1), "rgb(246, 243, 234)") << "the Chinese-named style sheet did not load";
    EXPECT_EQ(CReaderRun::Value(out, "EVAL", 2), "第二章　听雨");
    EXPECT_EQ(CReaderRun::Value(out, "PANE"), "4/5");
    // The reading position is kept under the readable name.
    const std::string ini = run.IniText();
    EXPECT_NE(ini.find("CurPathInZip=*/第二章.htm"), std::string::npos) << ini;
    auto again = run.Run({"location", "eval document.getElementById('chapter').textContent", "close"}, {});
    EXPECT_EQ(CReaderRun::Value(again, "EVAL"), "第二章　听雨") << CReaderRun::Value(again, "LOCATION");
}

TEST(ReaderGui, TextFileShowsAsStyledPageUnderItsOwnAddress) {
    CReaderRun run;
    // The reader's layout hints come first, then the converter's own style.
    auto out = run.Run({"location", "title", "eval document.querySelectorAll('style')[1].textContent",
                        "eval document.querySelector('td').innerText.substring(0, 200)", "close"},
                       {kSamples + "/story.txt"});
    EXPECT_EQ(CReaderRun::Value(out, "LOCATION"), "file://" + kSamples + "/story.txt");
    EXPECT_EQ(CReaderRun::Value(out, "TITLE").find("pagora-txt"), std::string::npos) << CReaderRun::Value(out, "TITLE");
    EXPECT_EQ(CReaderRun::Value(out, "EVAL", 0).rfind("table {width: ", 0), 0u) << CReaderRun::Value(out, "EVAL", 0);
    EXPECT_NE(CReaderRun::Value(out, "EVAL", 1).find("雨下了整整三天"), std::string::npos);
    EXPECT_NE(run.IniText().find("CurrentPath=file://" + kSamples + "/story.txt"), std::string::npos);
}

// Chinese novels saved on Windows are GBK or Big5; the desktop is UTF-8.
TEST(ReaderGui, GbkNovelShowsItsFirstLineAsWritten) {
    CReaderRun run;
    auto out = run.Run({"location", "eval document.querySelector('td').innerText.substring(0, 40)", "close"},
                       {kSamples + "/novel-gbk.txt"});
    EXPECT_EQ(CReaderRun::Value(out, "LOCATION"), "file://" + kSamples + "/novel-gbk.txt");
    const std::string text = CReaderRun::Value(out, "EVAL", 0);
    EXPECT_EQ(text.rfind("第一章 守灯人", 0), 0u) << text;
    EXPECT_NE(text.find("石湾镇在海角的尽头"), std::string::npos) << text;
}

// A text recognised wrongly is read again in the encoding the reader picks,
// at the same place, and the choice holds at the next start.
TEST(ReaderGui, EncodingMenuReopensTheTextAtItsOffsetAndTheChoiceSurvivesARestart) {
    CReaderRun run;
    std::string novel;
    for (int i = 1; i <= 400; ++i) novel += "第" + std::to_string(i) + "段 石湾镇在海角的尽头，镇上只有一条石板路。\n";
    const std::string utf8 = run.WriteFile("novel-utf8.txt", novel);
    const std::string path = run.Folder() + "/长篇.txt";
    ASSERT_EQ(std::system(("iconv -f UTF-8 -t GBK '" + utf8 + "' > '" + path + "'").c_str()), 0);
    const std::string firstLine = "eval document.querySelector('td').innerText.substring(0, 8)";
    auto first = run.Run({"pane 32871", "frame encoding-menu", "scrollto 0 3000", "frame-wait encoding-choose BIG5",
                          "restored", "scroll", "pane 32871", firstLine, "close"},
                         {path});
    EXPECT_EQ(CReaderRun::Value(first, "PANE", 0), "GB18030");
    const std::string menu = CReaderRun::Value(first, "FRAME", 0);
    EXPECT_EQ(menu.rfind("*自动选择（GB18030）|--|GB18030    第1段 石湾镇在海角的尽头", 0), 0u) << menu;
    EXPECT_NE(menu.find("|Big5"), std::string::npos) << menu;
    EXPECT_EQ(CReaderRun::Value(first, "FRAME", 1), "chosen");
    EXPECT_EQ(CReaderRun::Value(first, "SCROLL"), "0,3000");
    EXPECT_EQ(CReaderRun::Value(first, "PANE", 1), "Big5");
    const std::string misread = CReaderRun::Value(first, "EVAL");
    EXPECT_FALSE(misread.empty());
    EXPECT_EQ(misread.find("石湾镇"), std::string::npos) << misread;

    // The next start reopens the text where it was, read as chosen; back to
    // automatic, it reads as written again, still at the same place.
    auto second = run.Run({"restored", "scroll", "pane 32871", "frame encoding-menu",
                           "frame-wait encoding-choose auto", "restored", "scroll", "pane 32871", firstLine, "close"},
                          {});
    EXPECT_EQ(CReaderRun::Value(second, "SCROLL", 0), "0,3000");
    EXPECT_EQ(CReaderRun::Value(second, "PANE", 0), "Big5");
    EXPECT_NE(CReaderRun::Value(second, "FRAME", 0).find("|*Big5"), std::string::npos)
        << CReaderRun::Value(second, "FRAME", 0);
    EXPECT_EQ(CReaderRun::Value(second, "SCROLL", 1), "0,3000");
    EXPECT_EQ(CReaderRun::Value(second, "PANE", 1), "GB18030");
    EXPECT_EQ(CReaderRun::Value(second, "EVAL"), "第1段 石湾镇在");
}

TEST(ReaderGui, Big5TextInAnArchiveShowsAsWritten) {
    CReaderRun run;
    run.WriteFile("b5/index.htm", "<html><body><a id='s' href='tale.txt'>tale</a></body></html>");
    const std::string utf8 = run.WriteFile("tale-utf8.txt", "第一章 燈塔\n海邊的小鎮上住著一位老人，他每天傍晚都會爬上燈塔。\n");
    const std::string command = "iconv -f UTF-8 -t BIG5 '" + utf8 + "' > '" + run.Folder() + "/b5/tale.txt'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::string zip = MakeZip(run, "b5", "big5book.zip");
    ASSERT_FALSE(zip.empty());
    auto out = run.Run({"click s", "location", "eval document.querySelector('td').innerText", "pane 32871",
                        "frame encoding-menu", "close"},
                       {zip});
    EXPECT_TRUE(EndsWith(CReaderRun::Value(out, "LOCATION", 0), "/tale.txt"));
    // The entry's encoding is named, and the menu reads the entry from the archive.
    EXPECT_EQ(CReaderRun::Value(out, "PANE"), "Big5");
    EXPECT_EQ(CReaderRun::Value(out, "FRAME").rfind("*自动选择（Big5）|--|Big5    第一章 燈塔 海邊", 0), 0u)
        << CReaderRun::Value(out, "FRAME");
    const std::string text = CReaderRun::Value(out, "EVAL", 0);
    EXPECT_EQ(text.rfind("第一章 燈塔", 0), 0u) << text;
    EXPECT_NE(text.find("海邊的小鎮上住著一位老人"), std::string::npos) << text;
}

TEST(ReaderGui, PositionInsideArchiveIsRestoredAfterRestart) {
    CReaderRun run;
    run.WriteFile("book/index.htm", "<html><body><a id='go' href='part/long.htm'>long</a></body></html>");
    run.WriteFile("book/part/long.htm", LongPage("long"));
    std::string zip = MakeZip(run, "book", "book.zip");
    ASSERT_FALSE(zip.empty());
    auto first = run.Run({"click go", "scrollto 0 1500", "scroll", "close"}, {zip});
    ASSERT_EQ(CReaderRun::Value(first, "SCROLL"), "0,1500");
    std::string ini = run.IniText();
    EXPECT_NE(ini.find("CurPathInZip=*/part/long.htm"), std::string::npos) << ini;
    EXPECT_NE(ini.find("PARA_STARTPOINT_Y=1500"), std::string::npos) << ini;

    auto second = run.Run({"location", "scroll", "server", "close"}, {});
    EXPECT_TRUE(EndsWith(CReaderRun::Value(second, "LOCATION"), "/part/long.htm"));
    EXPECT_EQ(CReaderRun::Value(second, "SCROLL"), "0,1500");
    EXPECT_EQ(CReaderRun::Value(second, "SERVER"), "running");

    // A path on the command line opens at the top, whatever the last run left.
    std::string page = run.WriteFile("plain/page.htm", LongPage("plain"));
    auto third = run.Run({"location", "scroll", "close"}, {page});
    EXPECT_EQ(CReaderRun::Value(third, "LOCATION"), "file://" + page);
    EXPECT_EQ(CReaderRun::Value(third, "SCROLL"), "0,0");
}

TEST(ReaderGui, LeavingAnArchiveForALocalPageStopsTheServer) {
    CReaderRun run;
    std::string page = run.WriteFile("local.htm", "<html><body>local</body></html>");
    auto out = run.Run({"server", "address ch3.htm", "address ch3.htm", "location", "navigate " + page, "server",
                        "string 2", "location", "pane 32805", "close"},
                       {kSamples + "/lighthouse.zip"});
    EXPECT_EQ(CReaderRun::Value(out, "SERVER", 0), "running");
    // An entry path typed into the address bar opens that page of the archive;
    // every entry is kept in the bar's list, also a repeated one.
    EXPECT_TRUE(EndsWith(CReaderRun::Value(out, "LOCATION", 0), "/ch3.htm")) << CReaderRun::Value(out, "LOCATION", 0);
    EXPECT_EQ(CReaderRun::Value(out, "ADDRESSITEMS", 1), "2");
    EXPECT_EQ(CReaderRun::Value(out, "SERVER", 1), "stopped");
    EXPECT_EQ(CReaderRun::Value(out, "STRING"), "");
    EXPECT_EQ(CReaderRun::Value(out, "LOCATION", 1), "file://" + page);
    EXPECT_EQ(CReaderRun::Value(out, "PANE"), "");
}

TEST(ReaderGui, ArchiveWithoutPagesShowsTheErrorPage) {
    CReaderRun run;
    run.WriteFile("pics/a.png", "not really a picture");
    std::string zip = MakeZip(run, "pics", "pictures.zip");
    ASSERT_FALSE(zip.empty());
    auto out = run.Run({"location", "eval document.getElementById('addr').textContent", "setting 1", "server", "close"},
                       {zip});
    EXPECT_EQ(CReaderRun::Value(out, "LOCATION").rfind("res://pagora/dnserror.htm#", 0), 0u)
        << CReaderRun::Value(out, "LOCATION");
    EXPECT_NE(CReaderRun::Value(out, "EVAL").find("pictures.zip"), std::string::npos);
    EXPECT_EQ(CReaderRun::Value(out, "SETTING"), "0");
    EXPECT_EQ(CReaderRun::Value(out, "SERVER"), "stopped");
}

TEST(ReaderGui, FolderAndArchiveIndexCommandsReportMissingPages) {
    CReaderRun run;
    std::string page = run.WriteFile("lonely/page.htm", "<html><body>no index here</body></html>");
    // 32795: current folder's home page; inside an archive at top level, 32799
    // (parent folder) has nowhere to go.
    auto out = run.Run({"command 32795", "messages 1", "open " + kSamples + "/lighthouse.zip", "command 32799",
                        "messages 2", "close"},
                       {page});
    EXPECT_EQ(CReaderRun::Value(out, "MESSAGE", 0), "抱歉，在此目录下找不到index.htm。");
    EXPECT_EQ(CReaderRun::Value(out, "MESSAGE", 1), "抱歉，已经没有上级目录可以去了，没事请不要乱跑。");
}

TEST(ReaderGui, APageThatClosesItsWindowGetsANewBrowserAtTheHomePage) {
    CReaderRun run;
    std::string page =
        run.WriteFile("closer.htm", "<html><body><button id='c' onclick='window.close()'>x</button></body></html>");
    auto out = run.Run({"eval document.getElementById('c').click(); 'clicked'",
                        "waitfor location.protocol == 'res:' && document.readyState == 'complete'", "location",
                        "eval document.title", "close"},
                       {page});
    EXPECT_EQ(CReaderRun::Value(out, "LOCATION"), "res://pagora/Pagora_home.page");
    EXPECT_EQ(CReaderRun::Value(out, "EVAL", 1), "Pagora 主页");
}

TEST(ReaderGui, TextEntryOfAnArchiveIsConvertedAndKeepsItsAddressInTheHistory) {
    CReaderRun run;
    run.WriteFile("tb/index.htm", "<html><body><a id='s' href='story.txt'>story</a></body></html>");
    std::string story = run.WriteFile("tb/story.txt", "第一行\n第二行 <b>not bold</b>\n");
    std::string zip = MakeZip(run, "tb", "textbook.zip");
    ASSERT_FALSE(zip.empty());
    auto out = run.Run({"click s", "location", "eval document.querySelector('td').innerHTML", "command-wait 32787",
                        "location", "command-wait 32788", "location", "eval String(!!document.querySelector('style'))",
                        "close"},
                       {zip});
    EXPECT_TRUE(EndsWith(CReaderRun::Value(out, "LOCATION", 0), "/story.txt"));
    EXPECT_EQ(CReaderRun::Value(out, "LOCATION", 0).rfind("http://127.0.0.1:", 0), 0u);
    std::string cell = CReaderRun::Value(out, "EVAL", 0);
    EXPECT_NE(cell.find("第二行"), std::string::npos) << cell;
    EXPECT_NE(cell.find("&lt;b&gt;"), std::string::npos) << "markup in the text must be escaped: " << cell;
    EXPECT_TRUE(EndsWith(CReaderRun::Value(out, "LOCATION", 1), "/index.htm"));
    // Forward again: the original address, converted anew.
    EXPECT_EQ(CReaderRun::Value(out, "LOCATION", 2), CReaderRun::Value(out, "LOCATION", 0));
    EXPECT_EQ(CReaderRun::Value(out, "EVAL", 1), "true");
}

TEST(ReaderGui, AnAnswerThatComesAfterItsTimeOutIsNotTakenForTheNextOne) {
    CReaderRun run;
    std::string page = run.WriteFile("plain.htm", "<html><body>plain</body></html>");
    // The first question keeps the page busy for two seconds but is given a
    // tenth of one; its late answer must not end or fill the next question.
    auto out = run.Run({"eval-ms 100 (function(){var t=Date.now();while(Date.now()-t<2000);return 'late';})()",
                        "eval 'second'", "eval 'third'", "close"},
                       {page});
    EXPECT_EQ(CReaderRun::Value(out, "EVAL", 0), "<no answer>");
    EXPECT_EQ(CReaderRun::Value(out, "EVAL", 1), "second");
    EXPECT_EQ(CReaderRun::Value(out, "EVAL", 2), "third");
}

TEST(ReaderGui, DecodedSourceAndTextGoToTheTextViewerThroughATemporaryFile) {
    CReaderRun run;
    std::string viewer = run.WriteFile("viewer.sh", "#!/bin/sh\ncat \"$1\" >> '" + run.Folder() + "/viewed.txt'\n");
    ASSERT_EQ(std::system(("chmod +x '" + viewer + "'").c_str()), 0);
    // The visible text exists only after the page's own script ran.
    std::string page = run.WriteFile(
        "hidden.htm", "<html><body><script>document.write('<p id=made>made by ' + 'script</p>');</script></body></html>");
    run.Run({"command 32812", "command 32813", "close"}, {"--text-viewer", viewer, page});
    // Each viewer runs on its own after the reader handed its file over, so
    // the source and the text may arrive in either order.
    auto bothThere = [](const std::string& text) {
        size_t open = text.find("<html>"), close = text.find("</html>");
        if (open == std::string::npos || close == std::string::npos) return false;
        // The plain text: the words once more, outside the markup.
        return text.substr(0, open).find("made by script") != std::string::npos ||
               text.find("made by script", close) != std::string::npos;
    };
    std::string viewed = CReaderRun::WaitForFileText(run.Folder() + "/viewed.txt", bothThere);
    ASSERT_FALSE(viewed.empty()) << "the text viewer was not started";
    EXPECT_NE(viewed.find("<p id=\"made\">made by script</p>"), std::string::npos) << viewed;
    EXPECT_TRUE(bothThere(viewed)) << viewed;
}

namespace {

// An archive whose one page is encrypted with "secret", and a password table
// that only holds a wrong password.
std::string MakeEncryptedArchive(const CReaderRun& run) {
    run.WriteFile("enc/index.htm", "<html><body>secret page</body></html>");
    run.WriteFile("Pagora.pwd", "wrong\n");
    std::string zip = run.Folder() + "/locked.zip";
    std::string command = "cd '" + run.Folder() + "/enc' && zip -q -P secret '" + zip + "' index.htm";
    return std::system(command.c_str()) == 0 ? zip : std::string();
}

}  // namespace

TEST(ReaderGui, WrongPasswordsBringUpTheAskingPasswordDialog) {
    CReaderRun run;
    std::string zip = MakeEncryptedArchive(run);
    ASSERT_FALSE(zip.empty());
    auto out = run.Run({"navigate-nowait " + zip, "messages 1", "password-answer 2", "eval document.body.innerText",
                        "close"},
                       {});
    EXPECT_EQ(CReaderRun::Value(out, "MESSAGE"), "压缩文件密码管理");
    // Cancelled: the entry is not served.
    EXPECT_EQ(CReaderRun::Value(out, "EVAL").find("secret page"), std::string::npos);
}

TEST(ReaderGui, OpeningAnotherArchiveWhileTheServerWaitsForThePasswordDoesNotHang) {
    CReaderRun run;
    std::string zip = MakeEncryptedArchive(run);
    ASSERT_FALSE(zip.empty());
    int code = -1;
    auto out = run.Run({"navigate-nowait " + zip, "messages 1", "open " + kSamples + "/lighthouse.zip", "location",
                        "close"},
                       {}, &code, 60);
    EXPECT_EQ(CReaderRun::Value(out, "MESSAGE"), "压缩文件密码管理");
    EXPECT_TRUE(EndsWith(CReaderRun::Value(out, "LOCATION"), "/index.htm")) << CReaderRun::Value(out, "LOCATION");
    EXPECT_EQ(code, 0);
}
