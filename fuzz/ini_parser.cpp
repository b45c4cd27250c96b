// Feeds arbitrary bytes to the INI parser and checks that editing a parsed
// document keeps every other key and reads back what was written.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/inifile.h"

using platform::ini::IniDocument;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    IniDocument doc = IniDocument::FromText(text);

    std::vector<std::string> sections = doc.SectionNames();
    for (const std::string& s : sections) {
        for (const std::string& k : doc.KeyNames(s)) {
            (void)doc.GetString(s, k, "", 511);
            (void)doc.GetInt(s, k, 0);
        }
    }

    // A write keeps every other key and reads back exactly.
    IniDocument edited = IniDocument::FromText(text);
    const std::string value = size > 3 ? text.substr(0, 3) : text;
    bool set = edited.Set("ParaBlock", "PARA_TXT_WIDTH", value);
    IniDocument reread = IniDocument::FromText(edited.ToText());
    if (set && reread.Get("ParaBlock", "PARA_TXT_WIDTH") != value) abort();
    for (const std::string& s : sections) {
        for (const std::string& k : doc.KeyNames(s)) {
            bool touched = platform::ini::NamesEqual(s, "ParaBlock") && platform::ini::NamesEqual(k, "PARA_TXT_WIDTH");
            if (!touched && reread.Get(s, k) != doc.Get(s, k)) abort();
        }
    }

    // Writing back is stable: parse(write(parse(x))) writes the same text again.
    std::string once = doc.ToText();
    if (IniDocument::FromText(once).ToText() != once) abort();
    return 0;
}
