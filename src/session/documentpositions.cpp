#include "session/documentpositions.h"

#include "platform/atomicfile.h"
#include "platform/inifile.h"

namespace {

std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '%') out += "%25";
        else if (c == '\t') out += "%09";
        else if (c == '\n') out += "%0A";
        else if (c == '\r') out += "%0D";
        else out += c;
    }
    return out;
}

std::string Unescape(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            std::string_view code = text.substr(i + 1, 2);
            char c = code == "25" ? '%' : code == "09" ? '\t' : code == "0A" ? '\n' : code == "0D" ? '\r' : 0;
            if (c) {
                out += c;
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t start = 0;
    for (size_t tab; (tab = line.find('\t', start)) != std::string_view::npos; start = tab + 1)
        fields.push_back(line.substr(start, tab - start));
    fields.push_back(line.substr(start));
    return fields;
}

}  // namespace

CDocumentPositions::CDocumentPositions(std::string path, size_t limit) : m_path(std::move(path)), m_limit(limit) {}

std::vector<DocumentPosition> CDocumentPositions::Parse(std::string_view text) {
    std::vector<DocumentPosition> positions;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        std::vector<std::string_view> f = Fields(line);
        // A damaged line is skipped: the others still count.
        if (f.size() != 4 || f[2].empty()) continue;
        positions.push_back({Unescape(f[2]), Unescape(f[3]), platform::ini::ParseInt(f[0]), platform::ini::ParseInt(f[1])});
    }
    return positions;
}

std::string CDocumentPositions::Format(const std::vector<DocumentPosition>& positions) {
    std::string text;
    for (const DocumentPosition& p : positions)
        text += std::to_string(p.x) + "\t" + std::to_string(p.y) + "\t" + Escape(p.document) + "\t" + Escape(p.inZip) + "\n";
    return text;
}

bool CDocumentPositions::Record(const DocumentPosition& position) const {
    if (position.document.empty()) return false;
    return platform::LockedRewrite(m_path, [&](std::string& text) {
        std::vector<DocumentPosition> kept{position};
        for (DocumentPosition& p : Parse(text))
            if (p.document != position.document && kept.size() < m_limit) kept.push_back(std::move(p));
        text = Format(kept);
        return true;
    });
}

std::optional<DocumentPosition> CDocumentPositions::Find(const std::string& document) const {
    std::string text;
    if (!platform::ReadWholeFile(m_path, text)) return std::nullopt;
    for (DocumentPosition& p : Parse(text))
        if (p.document == document) return std::move(p);
    return std::nullopt;
}
