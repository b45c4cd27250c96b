#pragma once
// The text-to-HTML conversion of one document: head, escaped blocks, tail.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/comtypes.h"
#include "txtfilter/outputqueue.h"
#include "txtfilter/textstyle.h"

namespace txtfilter {

class CAnsiEncoder;

// Holds the settings snapshot and the per-document state (encoding, carried
// bytes, line count) and appends the HTML to an OutputQueue. Blocks arrive in
// document order, cut anywhere; bytes that cannot be converted yet (the odd
// byte or a leading surrogate of UTF-16, the lead byte of a double-byte
// character) are carried: the caller puts Carried() in front of the next block.
class CTextToHtml {
public:
    static constexpr size_t kMaxCarry = 3;

    // `codeSet` is the ANSI code set (e.g. "UTF-8", "GBK"); `leadBytes`, when
    // not null, is a 256-entry table of the set's lead bytes (double-byte sets).
    CTextToHtml(TextStyle style, const std::string& codeSet, const bool* leadBytes);
    ~CTextToHtml();
    CTextToHtml(const CTextToHtml&) = delete;
    CTextToHtml& operator=(const CTextToHtml&) = delete;

    // A converter for the running process: ANSI code set and lead bytes of its locale.
    static std::unique_ptr<CTextToHtml> ForLocale(TextStyle style);

    const TextStyle& Style() const { return m_style; }
    bool IsUtf16() const { return m_isUtf16; }
    uint32_t LineCount() const { return m_lineCount; }

    // Decides the encoding from the first non-empty block and returns how many
    // bytes at its start are a byte-order mark (2 or 0).
    size_t DecideEncoding(const uint8_t* block, size_t length);
    // Takes the text as being in the ANSI code set (it was converted into it).
    void TextInCodeSet() { m_isUtf16 = false; }
    void WriteHead(OutputQueue& out);
    // E_INVALIDARG for a null block; S_OK otherwise. Leaves Carried() set.
    platform::HRESULT ConvertBlock(OutputQueue& out, const uint8_t* block, size_t length);
    // At the end of the document: converts whatever is still carried.
    void Flush(OutputQueue& out);
    void WriteTail(OutputQueue& out);

    const uint8_t* Carried() const { return m_carry; }
    size_t CarriedLength() const { return m_carryLength; }
    void ClearCarry() { m_carryLength = 0; }
    // Keeps up to kMaxCarry bytes for the next block (a first block too short to decide on).
    void SetCarry(const uint8_t* bytes, size_t length) {
        m_carryLength = length < kMaxCarry ? length : kMaxCarry;
        for (size_t i = 0; i < m_carryLength; ++i) m_carry[i] = bytes[i];
    }

private:
    void Escape(OutputQueue& out, const uint8_t* text, size_t length);
    void AppendRun(OutputQueue& out, const char* run, size_t length);
    void LineBreak(OutputQueue& out);

    TextStyle m_style;
    bool m_isUtf16 = false;
    uint32_t m_lineCount = 0;
    uint8_t m_carry[kMaxCarry];
    size_t m_carryLength = 0;
    bool m_doubleByte = false;
    bool m_lead[256];
    std::unique_ptr<CAnsiEncoder> m_encoder;
    std::string m_codeSet;
    std::string m_converted;  // a UTF-16 block in the ANSI code set
};

// The 68 bytes that close a 101-line table and open the next.
extern const char kTableBreak[];
extern const size_t kTableBreakLength;

// A value written inside a double-quoted attribute, with the characters
// that would end the attribute or the tag escaped.
std::string AttributeText(const std::string& s);
// A font name written inside a double-quoted CSS string, unable to end the
// string or the style element.
std::string CssStringText(const std::string& s);

}  // namespace txtfilter
