#pragma once
// CTextDisplayModel: what the text display settings dialog ("文本文件显示设置")
// shows and stores: the column width, font, size, weight, underline, colours,
// line height and background of converted text pages, the colour schemes,
// which controls are usable, the preview page built from the "TEST.HTM"
// template, and the keys written on "确定".
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class CParaBlock;

class CTextDisplayModel {
public:
    static constexpr int kMinWidth = 50;
    static constexpr int kMaxWidth = 2000;
    // What the width spin shows while "与窗口等宽" is selected.
    static constexpr int kWindowWidthShown = 630;
    static constexpr int kMinLineHeight = 100;
    static constexpr int kMaxLineHeight = 500;
    static constexpr int kMaxFontSize = 60;
    static constexpr int kPictureCount = 14;
    static constexpr int kSchemeCount = 17;
    // The colours the pickers' automatic entries stand for (0x00BBGGRR).
    static constexpr uint32_t kAutomaticText = 0x000000;
    static constexpr uint32_t kAutomaticBackground = 0xF1EBE4;
    // A colour value above this is the automatic one.
    static constexpr uint32_t kMaxColour = 0xFFFFFF;
    static constexpr const char* kDefaultFace = "(缺省)";

    struct Scheme {
        const char* name;
        uint32_t text;        // text colour
        int picture;          // built-in picture, 0 for a background colour
        uint32_t background;  // used when picture is 0
    };
    static const Scheme kSchemes[kSchemeCount];

    // The controls whose enabling the model decides ("使用IE设置", "确定",
    // "放弃" and the labels are always usable).
    enum class Control {
        WidthChoice,  // both radio buttons
        WidthSpin, Font, Size, Bold, Underline, TextColour, LineHeight,
        BackColour, Picture, PicturePath, ChoosePicture, RemovePicture, Schemes,
        OwnText,      // the preview shows the open text instead of the sample
    };

    // What the main window does to the text filter after "确定".
    enum class FilterChange { None, Unregister, Register };

    // One key written on "确定", in the order they are written.
    struct Write {
        bool isString;
        int key;
        int value;
        std::string text;
    };

    // Reads the keys of the block as the dialog opens. `faces` are the font
    // faces of the system (any order, repeats allowed).
    CTextDisplayModel(CParaBlock& block, std::vector<std::string> faces);

    // The items of the lists.
    const std::vector<std::string>& FontItems() const { return m_fontItems; }  // "(缺省)", then sorted faces
    static std::vector<std::string> SizeItems();     // "缺省", "1点" ... "60点"
    static std::vector<std::string> PictureItems();  // "无", "01" ... "14"
    static std::vector<std::string> SchemeItems();   // "(预设配色)" and the 17 names
    // The file name of built-in picture `index` (1-14), or null.
    static const char* PictureName(int index);

    bool WindowWide() const { return m_windowWide; }
    int WidthSpin() const { return m_width; }
    int FontIndex() const { return m_font; }
    int SizeIndex() const { return m_size; }
    bool Bold() const { return m_bold; }
    bool Underline() const { return m_underline; }
    uint32_t TextColour() const { return m_textColour; }
    uint32_t BackColour() const { return m_backColour; }
    int LineHeight() const { return m_lineHeight; }
    int Picture() const { return m_picture; }
    const std::string& UserPicture() const { return m_userPicture; }
    bool UseIe() const { return m_useIe; }
    bool ShowsOwnText() const { return m_showOwnText; }
    bool HasOwnText() const { return !m_ownText.empty(); }

    // The reader's changes.
    void ChooseWindowWide(bool wide);
    // Typing a width selects "行宽限制为"; the value is kept within the spin's range.
    void TypeWidth(int width);
    void ChooseFont(int index);
    void ChooseSize(int index);
    void SetBold(bool on) { m_bold = on; }
    void SetUnderline(bool on) { m_underline = on; }
    void SetLineHeight(int percent);
    // A text colour keeps the background as it is.
    void ChooseTextColour(uint32_t colour) { m_textColour = colour; }
    // A background colour replaces any picture, built-in or the user's.
    void ChooseBackColour(uint32_t colour);
    // A built-in picture (0 for none) replaces the user's picture.
    void ChoosePicture(int index);
    void RemoveUserPicture() { m_userPicture.clear(); }
    // Checks a chosen picture file: the refusal message, or empty when the
    // path was accepted and became the user's picture.
    std::string ChooseUserPicture(const std::string& path);
    // Applies scheme `item` of the scheme list (1-17); false for the title
    // item 0 and anything out of range, which change nothing.
    bool ChooseScheme(int item);
    void SetUseIe(bool on) { m_useIe = on; }

    // The beginning of the text open in the reader (UTF-8), offered to the
    // preview instead of the sample paragraph; empty when none is open.
    void SetOwnText(std::string text);
    void ShowOwnText(bool on) { m_showOwnText = on && !m_ownText.empty(); }

    bool Enabled(Control control) const;

    // The preview document: the template with its placeholders replaced, or
    // nullopt when "使用IE设置" is on (the preview shows a blank page). An
    // empty template gives an empty text: the preview stays as it was.
    std::optional<std::string> PreviewDocument(const std::string& templ) const;
    // The four replacements, each as written into the template.
    std::string FontText() const;
    std::string HeightText() const;
    std::string ColorText() const;
    std::string BackgroundText() const;

    // The keys "确定" stores, in their order.
    std::vector<Write> Writes() const;
    // "确定": stores every key with immediate save, and tells what becomes of
    // the text filter when "使用IE设置" differs from its value at opening.
    FilterChange Accept();

    // The page background a built-in picture is served under.
    static constexpr const char* kResourceBase = "res://Pagora/";
    static constexpr const char* kQuestionMarkMessage = "路径含无效字符（?）：\r\n";
    static constexpr const char* kMissingFileMessage = "指定的文件不存在或文件名异常。";
    // The most of the open text the preview takes.
    static constexpr size_t kMaxOwnText = 4000;

private:
    CParaBlock& m_block;
    std::vector<std::string> m_fontItems;
    bool m_windowWide;
    int m_width;
    int m_font = 0;
    int m_size;
    bool m_bold;
    bool m_underline;
    uint32_t m_textColour;
    uint32_t m_backColour;
    int m_lineHeight;
    int m_picture;
    std::string m_userPicture;
    bool m_useIe;
    bool m_useIeAtOpening;
    bool m_ownBackground;  // "PARA_USE_MY_BKCOLOR" 1: the background is another dialog's
    std::string m_ownText;
    bool m_showOwnText = false;
};
