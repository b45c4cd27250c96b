#pragma once
// What the encoding menu offers for the text on screen, and what choosing
// an entry does: the choice is kept for the text, which is then read anew.
#include <string>
#include <vector>

struct EncodingMenuItem {
    std::string encoding;  // iconv name; empty for the automatic entry
    std::string text;      // the menu text
    bool checked = false;
    bool separatorBefore = false;
};

class CEncodingMenuModel {
public:
    // The entries for the text at `address` (the view's location): the
    // automatic one (naming what the recognition took), the plausible
    // readings with the text's first words, then the other encodings. Empty
    // when the address shows no text the text road reads.
    static std::vector<EncodingMenuItem> Items(const std::string& address);
    // The status bar's name for the encoding the text at `address` was read
    // in ("GB18030"); empty for any other page.
    static std::string StatusText(const std::string& address);
    // Keeps `encoding` (empty: automatic) for the text at `address`. True
    // when that changes how the text is read, so it must be opened again.
    // `*kept` tells whether the choice was written for later runs too.
    static bool Choose(const std::string& address, const std::string& encoding, bool* kept = nullptr);
    // What the reader is told when a choice could not be written.
    static constexpr const char* kNotKept = "无法保存所选的文字编码，此文件下次打开时将重新识别其编码。";
    // Whether the menu applies to the page at `address`.
    static bool AppliesTo(const std::string& address);

    static constexpr const char* kAutomatic = "自动选择";
};
