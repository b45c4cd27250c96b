#include "txtfilter/textstyle.h"

#include "platform/inifile.h"

namespace txtfilter {

namespace {

const char* const kImageNames[] = {
    nullptr,       "prairie.png", "bkimg01.gif", "bkimg02.gif", "bkimg03.gif",
    "bkimg04.jpg", "bkimg05.gif", "bkimg06.jpg", "bkimg07.jpg", "bkimg08.gif",
    "bkimg09.png", "bkimg10.png", "bkimg11.jpg", "bkimg12.jpg", "bkimg13.jpg",
};

constexpr size_t kMaxPathChars = 259;

}  // namespace

TextStyle TextStyle::Read(const std::string& iniPath) {
    const platform::ini::IniDocument ini = platform::ini::IniDocument::FromFile(iniPath);
    const std::string section = "ParaBlock";
    TextStyle s;

    s.width = ini.GetInt(section, "PARA_TXT_WIDTH", 630);
    if (s.width <= 49) s.width = 49;
    if (s.width >= 2000) s.width = 2000;
    if (s.width <= 50) s.width = 0;

    s.imagePath = ini.GetString(section, "BkImage", "", kMaxPathChars);
    s.fontName = ini.GetString(section, "PARA_TXT_FONT_NAME", "", kMaxPathChars);

    s.fontSize = ini.GetInt(section, "PARA_TXT_FONT_SIZE", 0);
    if (s.fontSize <= 0) s.fontSize = 0;
    if (s.fontSize >= 60) s.fontSize = 60;

    s.pageColor = static_cast<uint32_t>(ini.GetInt(section, "PARA_TXT_BKCOLOR", 15854564));
    if (s.pageColor & 0xFF000000u) s.pageColor = 0xF1EBE4;
    s.textColor = static_cast<uint32_t>(ini.GetInt(section, "PARA_TXT_COLOR", 16777215));
    if (s.textColor & 0xFF000000u) s.textColor = 0;

    s.lineHeight = ini.GetInt(section, "PARA_TXT_LINE_HEIGHT", 150);
    if (s.lineHeight <= 100) s.lineHeight = 100;
    if (s.lineHeight >= 500) s.lineHeight = 500;

    s.bold = ini.GetInt(section, "PARA_TXT_BOLD", 0);
    s.underline = ini.GetInt(section, "PARA_TXT_UNDER_LINE", 0);
    s.imageIndex = ini.GetInt(section, "PARA_TXT_BK_IMAGE", 1);
    return s;
}

const char* TextStyle::ImageName() const {
    if (imageIndex < 1 || imageIndex > 14) return nullptr;
    return kImageNames[imageIndex];
}

}  // namespace txtfilter
