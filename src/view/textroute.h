#pragma once
// Addresses of the private scheme that carries plain text through the text
// filter, and their mapping back to the addresses the user knows.
#include <cstddef>
#include <cstdint>
#include <string>

namespace textroute {

// The private scheme's name.
inline constexpr const char* kScheme = "pagora-txt";
// Host that marks a local file in a private address; a reserved name that no
// real http host can have, so the two kinds never mix.
inline constexpr const char* kLocalHost = "localfile.invalid";

// Whether a main-frame navigation to this (encoded) address may yield plain
// text that the filter should see: a file: or http: address whose path ends
// in ".txt", any case.
bool IsCandidate(const std::string& address);
// "file:///p/a.txt" -> "pagora-txt://localfile.invalid/p/a.txt";
// "http://h:1/a.txt?q" -> "pagora-txt://h:1/a.txt?q". Empty when no candidate.
std::string ToPrivate(const std::string& address);
// The inverse; any other address is returned as it is.
std::string ToOriginal(const std::string& address);
bool IsPrivate(const std::string& address);

// Converted pages of very long texts are shown in parts. Part k (k >= 2) of
// a text is asked for with "pagora-part=k" as the last item of the query;
// the addresses the view reports never carry it.
inline constexpr const char* kPartKey = "pagora-part=";
// The part an address asks for: 1 when it names none (or names a bad one).
int PartOf(const std::string& address);
// The address without its part item.
std::string WithoutPart(const std::string& address);
// The address of part `part` of the text at `address` (no item for part 1).
std::string WithPart(const std::string& address, int part);
// The address the reader knows a text by: the original one (not the private
// scheme's), without a part.
std::string PlainAddress(const std::string& address);

// A 64-bit FNV-1a hash of an address, naming the files kept for it.
uint64_t AddressHash(const std::string& address);

// The most converted bytes one part holds: the engine's renderer held a
// 59 MB page in 2.6 GB and died at about 122 MB without layout hints, and a
// page cannot grow beyond 2^25 pixels. PAGORA_TEXT_PART_BYTES (at least
// 4096) replaces it, for tests.
inline constexpr size_t kMaxConvertedBytes = size_t(80) << 20;
size_t PartBytes();

// Cuts the converted page of a text into parts of at most `partBytes` bytes
// of body each, ending at line breaks, and passes on only part `part`: the
// page's head (style and the first table tag) always, then `startNotice`
// for parts after the first, the part's lines, and `endNotice` when more
// text follows. A text with fewer parts gets `missingNotice` after its head.
class CTextPartCutter {
public:
    CTextPartCutter(int part, size_t partBytes, std::string startNotice, std::string endNotice,
                    std::string missingNotice);
    // Appends what belongs to the part to `out`; false once the part has
    // ended (nothing more is needed).
    bool Feed(const char* data, size_t size, std::string& out);
    // The converter's output has ended: appends what is still held.
    void Finish(std::string& out);
    bool Ended() const { return m_ended; }

private:
    void Line(const char* data, size_t size, std::string& out);
    int m_part;
    size_t m_partBytes;
    std::string m_startNotice, m_endNotice, m_missingNotice;
    bool m_inHead = true;
    std::string m_headTail;  // last bytes of the head, to find its end across pieces
    std::string m_line;      // a line not yet ended
    size_t m_body = 0;       // body bytes passed so far
    size_t m_partStart = 0;  // body offset where the current part began
    int m_current = 1;
    bool m_ended = false;
};

// The notices that join the parts of a text; `address` is the page to go
// to. Numeric references keep them readable in whatever code set the page uses.
std::string PartStartNotice(int part, const std::string& previousAddress);
std::string PartEndNotice(int part, const std::string& nextAddress);
std::string MissingPartNotice(int part, const std::string& firstAddress);

}  // namespace textroute
