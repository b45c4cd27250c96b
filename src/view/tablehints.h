#pragma once
// Layout hints for converted text pages. A long text becomes thousands of
// tables of a hundred lines each; laying all of them out is what makes the
// engine slow (about a minute and 2.6 GB for 50 MB of text). The hints let
// the engine skip tables that are off screen, and give each table the height
// it had when the text was last read, so that scroll offsets taken then still
// point at the same lines.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tablehints {

// The style sheet that goes in front of a converted page: tables become
// blocks (a table cannot skip its layout) laid out like before, and a table
// off screen keeps a placeholder height until it is shown.
std::string HintStyle();

// The placeholder height, in CSS pixels, of a table never shown.
inline constexpr int kPlaceholderHeight = 3000;

// Heights are kept in 64ths of a CSS pixel, the engine's own layout unit, so
// that they come back exactly as they were measured.
std::string HeightCss(uint32_t height64);

// Rewrites the converter's table tags as a page streams through: table
// number i gets `heights[i]` as its placeholder when there is one. Bytes that
// may be the start of a table tag are held back until the next piece shows
// whether they are.
class CTableHintWriter {
public:
    explicit CTableHintWriter(std::vector<uint32_t> heights64);
    // Appends the rewritten form of `size` bytes at `data` to `out`.
    void Feed(const char* data, size_t size, std::string& out);
    // Appends what is still held back.
    void Finish(std::string& out);
    // Tables seen so far.
    size_t Tables() const { return m_tables; }

private:
    std::vector<uint32_t> m_heights;
    size_t m_matched = 0;  // bytes of the tag matched at the end of the last piece
    size_t m_tables = 0;
};

}  // namespace tablehints
