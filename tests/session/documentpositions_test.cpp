// The last reading position of each document.
#include <gtest/gtest.h>

#include <string>

#include "session/documentpositions.h"
#include "support/tempfolder.h"

TEST(DocumentPositions, NewestFirstOnePerDocumentWithinTheLimit) {
    TempFolder dir;
    CDocumentPositions store(dir.File("DocumentPositions"), 3);
    store.Record({"/b/a.txt", "", 0, 100});
    store.Record({"/b/z.zip", "http://127.0.0.1:50000/ch2.htm", 0, 40});
    store.Record({"/b/a.txt", "", 0, 300});
    store.Record({"/b/c.htm", "", 5, 6});
    store.Record({"/b/d.htm", "", 7, 8});
    auto all = CDocumentPositions::Parse(TempFolder::Read(dir.File("DocumentPositions")));
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].document, "/b/d.htm");
    EXPECT_EQ(all[2].document, "/b/a.txt");
    EXPECT_EQ(store.Find("/b/a.txt")->y, 300) << "the later position replaced the earlier one";
    EXPECT_FALSE(store.Find("/b/z.zip")) << "the oldest went beyond the limit";
    EXPECT_FALSE(store.Find("/b/A.txt")) << "letter case counts in paths";
    EXPECT_FALSE(CDocumentPositions(dir.File("none")).Find("/b/a.txt"));
}

TEST(DocumentPositions, OddNamesReadBackAndDamagedLinesAreSkipped) {
    DocumentPosition odd{"/b/tab\there%09\nnext.txt", "page\r%", -1, 2147483647};
    std::string text = CDocumentPositions::Format({odd});
    EXPECT_EQ(text.find('\n'), text.size() - 1) << "one line";
    text = "garbage\n1\t2\t\t\n" + text + "3\t4\t/b/ok.htm\t\r\n";
    auto back = CDocumentPositions::Parse(text);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].document, odd.document);
    EXPECT_EQ(back[0].inZip, odd.inZip);
    EXPECT_EQ(back[0].x, -1);
    EXPECT_EQ(back[0].y, 2147483647);
    EXPECT_EQ(back[1].document, "/b/ok.htm");
    EXPECT_EQ(back[1].y, 4);
}
