// Decoding of request paths into archive entry names.

#include <gtest/gtest.h>

#include <clocale>

#include "archive/requestpath.h"

TEST(RequestPath, Decoding)
{
    struct Case {
        const char* request;
        const char* entry;
    } cases[] = {
        {"index.htm", "index.htm"},
        {"book/ch1.htm", "book/ch1.htm"},
        {"a%20b.htm", "a b.htm"},
        {"A%2fB.HTM", "A/B.HTM"},
        {"page.htm?x=1#top", "page.htm"},
        {"page.htm#frag", "page.htm"},
        {"%zz.htm", "%zz.htm"},
        {"100%", "100%"},
        {"/lead.htm", "/lead.htm"},
        {"\\lead.htm", "/lead.htm"},
        {"../etc/passwd", "../etc/passwd"},
        {"", ""},
        {"?only=query", ""},
        {"a%00b.htm", ""},
        // Escaped bytes that are not UTF-8 are the archive's own bytes.
        {"%B5%DA1.htm", "\xB5\xDA" "1.htm"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecodeRequestPath(c.request), c.entry) << c.request;
    EXPECT_EQ(DecodeRequestPath(std::string(5000, 'a')), "");
}

TEST(RequestPath, Utf8BecomesTheLocaleCodeSet)
{
    // In a UTF-8 locale the text stays UTF-8.
    std::string saved = std::setlocale(LC_CTYPE, nullptr);
    if (!std::setlocale(LC_CTYPE, "C.UTF-8"))
        GTEST_SKIP() << "no C.UTF-8 locale";
    EXPECT_EQ(DecodeRequestPath("%E4%B8%AD%E6%96%87/1.htm"), "\xE4\xB8\xAD\xE6\x96\x87/1.htm");
    std::setlocale(LC_CTYPE, saved.c_str());
}
