#pragma once
// Very long lines of a converted text. The converter puts a text's lines
// into tables of a hundred lines, and the engine lays out (or skips, when
// off screen) one table at a time; a text without line breaks would become
// one table as long as the text, which the engine lays out for minutes. A
// line longer than a limit is therefore continued in a new table, cut where
// no character and no character reference is split, after a blank when
// there is one near the limit.
#include <cstddef>
#include <string>

namespace longlines {

// The longest stretch of a converted line kept in one table.
inline constexpr size_t kMaxLineBytes = size_t(64) << 10;

// What continues a cut line: the converter's own table break.
extern const char kJoin[];

class CLongLineSplitter {
public:
    // `utf8`: the page is in UTF-8 (a cut never falls before a continuation
    // byte); `leadBytes`: 256 flags of a double-byte set's lead bytes, or null.
    CLongLineSplitter(bool utf8, const bool* leadBytes, size_t maxLine = kMaxLineBytes);
    // One for pages in the code set of the running process's locale.
    static CLongLineSplitter ForLocale(size_t maxLine = kMaxLineBytes);

    // Appends `size` bytes of the converted page to `out`, with a join
    // wherever a line has grown too long. Nothing is held back.
    void Feed(const char* data, size_t size, std::string& out);
    // Lines cut so far.
    size_t Cuts() const { return m_cuts; }

private:
    void StartTracking();
    bool m_utf8;
    bool m_doubleByte;
    bool m_lead[256];
    size_t m_maxLine;
    size_t m_soft;       // from here on a cut after a blank is taken
    size_t m_trackFrom;  // from here on the bytes are looked at one by one
    size_t m_run = 0;    // bytes of the line so far (since its line feed or its last cut)
    size_t m_cuts = 0;
    // The scan near the limit starts in the middle of a line, so it first
    // waits for a byte that shows where it stands.
    bool m_tracking = false;
    bool m_textSynced = false;  // known not to be inside a character reference
    int m_unknownLeft = 0;      // bytes until that is known without seeing one
    bool m_charSynced = false;  // known to be at a character start (double-byte sets)
    bool m_inReference = false;
    bool m_inTag = false;
    bool m_trail = false;        // the next byte is the second of a double-byte character
    bool m_afterBlank = false;   // the last byte ended a blank or a reference
};

}  // namespace longlines
