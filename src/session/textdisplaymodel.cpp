#include "session/textdisplaymodel.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>

#include "settings/parablock.h"
#include "txtfilter/outputqueue.h"
#include "txtfilter/textstyle.h"
#include "txtfilter/texttohtml.h"

const CTextDisplayModel::Scheme CTextDisplayModel::kSchemes[kSchemeCount] = {
    {"CRT", 0x71B33C, 0, 0x000000},
    {"夏之清凉", 0xFFFFFF, 1, 0},
    {"秋之暖调", 0x000000, 5, 0},
    {"实木", 0xFFFFFF, 6, 0},
    {"蓝色皮革", 0x000000, 3, 0},
    {"灰色皮革", 0x000000, 14, 0},
    {"羊皮纸", 0x000000, 7, 0},
    {"蓝色纸", 0x000000, 2, 0},
    {"浅灰色纸", 0x000000, 8, 0},
    {"灰色纸", 0x000000, 10, 0},
    {"深灰色纸", 0x000000, 11, 0},
    {"黄色纸", 0x000000, 12, 0},
    {"深黄色纸", 0x000000, 13, 0},
    {"淡绿", 0x000000, 0, 0xDDE6DC},
    {"淡蓝", 0x000000, 0, 0xF1EBE4},
    {"淡褐", 0x000000, 0, 0xA9C6CD},
    {"淡黄", 0x000000, 0, 0xDBE6EE},
};

namespace {

// "#RRGGBB"-style digits of a 0x00BBGGRR value, red first.
std::string RgbDigits(uint32_t colour) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02X%02X%02X", colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
    return buf;
}

bool IsFile(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The length of the longest start of `text` within `limit` bytes that does
// not cut a UTF-8 character.
size_t Utf8Cut(const std::string& text, size_t limit) {
    if (text.size() <= limit) return text.size();
    size_t cut = limit;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    return cut;
}

// The sample text converted as the text filter converts a document's text.
std::string ConvertedText(const std::string& text) {
    txtfilter::CTextToHtml converter(txtfilter::TextStyle{}, "UTF-8", nullptr);
    converter.TextInCodeSet();
    txtfilter::OutputQueue out;
    converter.ConvertBlock(out, reinterpret_cast<const uint8_t*>(text.data()), text.size());
    converter.Flush(out);
    out.End();
    std::string html;
    char buf[4096];
    bool empty = false;
    while (size_t n = out.ReadOut(buf, sizeof buf, &empty)) html.append(buf, n);
    return html;
}

constexpr char kSampleStart[] = "<!--sample-->";
constexpr char kSampleEnd[] = "<!--/sample-->";

}  // namespace

CTextDisplayModel::CTextDisplayModel(CParaBlock& block, std::vector<std::string> faces) : m_block(block) {
    const int width = block.GetValue(PARA_TXT_WIDTH);
    m_windowWide = width < kMinWidth;
    m_width = m_windowWide ? kWindowWidthShown : std::min(width, kMaxWidth);
    m_size = std::clamp(block.GetValue(PARA_TXT_FONT_SIZE), 0, kMaxFontSize);
    m_bold = block.GetValue(PARA_TXT_BOLD) != 0;
    m_underline = block.GetValue(PARA_TXT_UNDER_LINE) != 0;
    m_textColour = static_cast<uint32_t>(block.GetValue(PARA_TXT_COLOR));
    m_backColour = static_cast<uint32_t>(block.GetValue(PARA_TXT_BKCOLOR));
    m_lineHeight = std::clamp(block.GetValue(PARA_TXT_LINE_HEIGHT), kMinLineHeight, kMaxLineHeight);
    // The filter shows no picture for an index outside the list; neither does the dialog.
    m_picture = block.GetValue(PARA_TXT_BK_IMAGE);
    if (m_picture < 0 || m_picture > kPictureCount) m_picture = 0;
    m_userPicture = block.GetString(PARA_STR_BK_IMAGE);
    m_useIe = m_useIeAtOpening = block.GetValue(PAEA_TXT_USE_IE_DEFAULT) != 0;
    m_ownBackground = block.GetValue(PARA_USE_MY_BKCOLOR) == 1;

    // A face the system no longer lists stays choosable: "确定" must not
    // silently drop the reader's font.
    const std::string stored = block.GetString(PARA_STR_TXT_FONT_NAME);
    faces.erase(std::remove_if(faces.begin(), faces.end(),
                               [](const std::string& f) { return f.empty() || f == kDefaultFace; }),
                faces.end());
    if (!stored.empty()) faces.push_back(stored);
    std::sort(faces.begin(), faces.end());
    faces.erase(std::unique(faces.begin(), faces.end()), faces.end());
    m_fontItems.push_back(kDefaultFace);
    m_fontItems.insert(m_fontItems.end(), faces.begin(), faces.end());
    if (!stored.empty() && stored != kDefaultFace)
        m_font = static_cast<int>(std::find(m_fontItems.begin(), m_fontItems.end(), stored) - m_fontItems.begin());
}

std::vector<std::string> CTextDisplayModel::SizeItems() {
    std::vector<std::string> items{"缺省"};
    for (int i = 1; i <= kMaxFontSize; ++i) items.push_back(std::to_string(i) + "点");
    return items;
}

std::vector<std::string> CTextDisplayModel::PictureItems() {
    std::vector<std::string> items{"无"};
    char buf[8];
    for (int i = 1; i <= kPictureCount; ++i) {
        std::snprintf(buf, sizeof buf, "%02d", i);
        items.push_back(buf);
    }
    return items;
}

std::vector<std::string> CTextDisplayModel::SchemeItems() {
    std::vector<std::string> items{"(预设配色)"};
    for (const Scheme& s : kSchemes) items.push_back(s.name);
    return items;
}

const char* CTextDisplayModel::PictureName(int index) {
    txtfilter::TextStyle style;
    style.imageIndex = index;
    return style.ImageName();
}

void CTextDisplayModel::ChooseWindowWide(bool wide) { m_windowWide = wide; }

void CTextDisplayModel::TypeWidth(int width) {
    m_width = std::clamp(width, kMinWidth, kMaxWidth);
    m_windowWide = false;
}

void CTextDisplayModel::ChooseFont(int index) {
    if (index >= 0 && index < static_cast<int>(m_fontItems.size())) m_font = index;
}

void CTextDisplayModel::ChooseSize(int index) { m_size = std::clamp(index, 0, kMaxFontSize); }

void CTextDisplayModel::SetLineHeight(int percent) {
    m_lineHeight = std::clamp(percent, kMinLineHeight, kMaxLineHeight);
}

void CTextDisplayModel::ChooseBackColour(uint32_t colour) {
    m_backColour = colour;
    m_userPicture.clear();
    m_picture = 0;
}

void CTextDisplayModel::ChoosePicture(int index) {
    m_picture = std::clamp(index, 0, kPictureCount);
    m_userPicture.clear();
}

std::string CTextDisplayModel::ChooseUserPicture(const std::string& path) {
    if (path.find('?') != std::string::npos) return kQuestionMarkMessage + path;
    if (!IsFile(path)) return kMissingFileMessage;
    m_userPicture = path;
    return {};
}

bool CTextDisplayModel::ChooseScheme(int item) {
    if (item < 1 || item > kSchemeCount) return false;
    const Scheme& s = kSchemes[item - 1];
    m_textColour = s.text;
    if (s.picture != 0) {
        m_picture = s.picture;
    } else {
        m_backColour = s.background;
        m_picture = 0;
    }
    m_userPicture.clear();
    return true;
}

void CTextDisplayModel::SetOwnText(std::string text) {
    text.resize(Utf8Cut(text, kMaxOwnText));
    m_ownText = std::move(text);
    if (m_ownText.empty()) m_showOwnText = false;
}

bool CTextDisplayModel::Enabled(Control control) const {
    if (m_useIe) return false;
    switch (control) {
    case Control::BackColour:
    case Control::PicturePath:
    case Control::ChoosePicture:
    case Control::RemovePicture:
        return !m_ownBackground;
    case Control::OwnText:
        return !m_ownText.empty();
    default:
        return true;
    }
}

std::string CTextDisplayModel::FontText() const {
    std::string font;
    if (m_bold) font += "font-weight: bold;";
    if (m_underline) font += "text-decoration:underline;";
    if (m_size != 0) font += "font-size: " + std::to_string(m_size) + "pt;";
    if (m_font > 0) font += "font-family: \"" + txtfilter::CssStringText(m_fontItems[m_font]) + "\";";
    return font;
}

std::string CTextDisplayModel::HeightText() const {
    return "line-height: " + std::to_string(m_lineHeight) + "%;";
}

std::string CTextDisplayModel::ColorText() const {
    return "color: #" + RgbDigits(m_textColour > kMaxColour ? kAutomaticText : m_textColour) + ";";
}

std::string CTextDisplayModel::BackgroundText() const {
    if (!m_userPicture.empty())
        return "bgProperties=fixed background=\"" + txtfilter::AttributeText(m_userPicture) + "\"";
    if (const char* name = PictureName(m_picture))
        return std::string("bgProperties=fixed background=\"") + kResourceBase + name + "\"";
    return "bgColor=#" + RgbDigits(m_backColour > kMaxColour ? kAutomaticBackground : m_backColour);
}

std::optional<std::string> CTextDisplayModel::PreviewDocument(const std::string& templ) const {
    if (m_useIe) return std::nullopt;
    if (templ.empty()) return std::string();
    const std::pair<const char*, std::string> replacements[] = {
        {"%font%", FontText()}, {"%height%", HeightText()}, {"%color%", ColorText()}, {"%background%", BackgroundText()}};
    // One pass over the template: a replacement's own text (a font name, a
    // picture path) is never taken for a placeholder.
    std::string page;
    size_t pos = 0;
    while (pos < templ.size()) {
        size_t next = templ.find('%', pos);
        if (next == std::string::npos) break;
        page.append(templ, pos, next - pos);
        bool replaced = false;
        for (const auto& [name, text] : replacements) {
            const size_t length = std::char_traits<char>::length(name);
            if (templ.compare(next, length, name) == 0) {
                page += text;
                pos = next + length;
                replaced = true;
                break;
            }
        }
        if (!replaced) {
            page += '%';
            pos = next + 1;
        }
    }
    if (pos < templ.size()) page.append(templ, pos, std::string::npos);

    if (m_showOwnText) {
        const size_t start = page.find(kSampleStart);
        const size_t end = start == std::string::npos ? start : page.find(kSampleEnd, start);
        if (end != std::string::npos) {
            const size_t from = start + sizeof kSampleStart - 1;
            page.replace(from, end - from, ConvertedText(m_ownText));
        }
    }
    return page;
}

std::vector<CTextDisplayModel::Write> CTextDisplayModel::Writes() const {
    const int width = m_windowWide ? 0 : m_width;
    const std::string face = m_font > 0 ? m_fontItems[m_font] : std::string();
    return {
        {false, PARA_TXT_WIDTH, width, {}},
        {false, PARA_TXT_BKCOLOR, static_cast<int>(m_backColour), {}},
        {false, PARA_TXT_COLOR, static_cast<int>(m_textColour), {}},
        {false, PAEA_TXT_USE_IE_DEFAULT, m_useIe ? 1 : 0, {}},
        {false, PARA_TXT_FONT_SIZE, m_size, {}},
        {false, PARA_TXT_BOLD, m_bold ? 1 : 0, {}},
        {false, PARA_TXT_UNDER_LINE, m_underline ? 1 : 0, {}},
        {false, PARA_TXT_BK_IMAGE, m_picture, {}},
        {false, PARA_TXT_LINE_HEIGHT, m_lineHeight, {}},
        {true, PARA_STR_BK_IMAGE, 0, m_userPicture},
        {true, PARA_STR_TXT_FONT_NAME, 0, face},
    };
}

CTextDisplayModel::FilterChange CTextDisplayModel::Accept() {
    for (const Write& w : Writes()) {
        if (w.isString) m_block.SetString(w.key, w.text, true);
        else m_block.SetValue(w.key, w.value, true);
    }
    if (m_useIe == m_useIeAtOpening) return FilterChange::None;
    // The filter changes once per change of the switch, whatever the next "确定" does.
    m_useIeAtOpening = m_useIe;
    return m_useIe ? FilterChange::Unregister : FilterChange::Register;
}
