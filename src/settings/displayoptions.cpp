#include "settings/displayoptions.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/atomicfile.h"
#include "platform/registrystore.h"
#include "settings/parablock.h"

namespace displayoptions {

const char* const kOptionKey = "HKEY_CURRENT_USER\\Software\\Kestrin's Tools\\Pagora\\IE Options";

namespace {

// The own background colour the HTML display dialog shows for automatic.
constexpr uint32_t kAutomaticBackground = 0xF1EBE4;

std::string Subkey(const char* name) { return std::string(kOptionKey) + "\\" + name; }

}  // namespace

bool ZoomInForce(CParaBlock& block) {
    return block.GetValue(RARA_CAN_ZOOM) == 1 && block.GetValue(PARA_ZOOM_PERSENT) != 100;
}

void WriteOptionKeyColours(CParaBlock& block, platform::RegistryStore& store) {
    const int choice = block.GetValue(PARA_USE_MY_BKCOLOR);
    const std::string settings = Subkey("Settings");
    const std::string main = Subkey("Main");
    if (choice == 0) {
        store.DeleteValue(settings, "Always Use My Colors");
        store.DeleteValue(main, "Use_DlgBox_Colors");
        return;
    }
    // Any choice other than 1 leaves the colours to the pages, as 2 does.
    store.SetNumber(settings, "Always Use My Colors", choice == 1 ? 1 : 0);
    if (choice == 1) {
        // An automatic colour (above 0xFFFFFF) is the one its picker shows.
        uint32_t colour = static_cast<uint32_t>(block.GetValue(PARA_MY_BKCOLOR));
        if (colour > 0xFFFFFF) colour = kAutomaticBackground;
        char text[40];
        std::snprintf(text, sizeof text, "%d,%d,%d", int(colour & 0xFF), int((colour >> 8) & 0xFF),
                      int((colour >> 16) & 0xFF));
        store.SetString(settings, "Background Color", text);
    }
    store.SetString(main, "Use_DlgBox_Colors", "no");
}

std::string ZoomStyleSheetText(int percent) {
    char text[64];
    std::snprintf(text, sizeof text, "\r\nbody {zoom: %d%%;}\r\n", percent);
    return text;
}

StyleSheet WriteZoomStyleSheet(CParaBlock& block, platform::RegistryStore& store, const std::string& cssPath) {
    const std::string styles = Subkey("Styles");
    if (ZoomInForce(block)) {
        const std::string text = ZoomStyleSheetText(block.GetValue(PARA_ZOOM_PERSENT));
        const bool written = platform::LockedRewrite(cssPath, [&text](std::string& content) {
            content = text;
            return true;
        });
        if (!written) return StyleSheet::Failed;
        store.SetNumber(styles, "Use My Stylesheet", 1);
        store.SetString(styles, "User Stylesheet", cssPath);
        return StyleSheet::Written;
    }
    std::error_code ignored;
    std::filesystem::remove(cssPath, ignored);
    if (store.KeyExists(styles)) {
        store.DeleteValue(styles, "Use My Stylesheet");
        store.DeleteValue(styles, "User Stylesheet");
    }
    return StyleSheet::Removed;
}

PageColours ReadPageColours(platform::RegistryStore& store) {
    PageColours colours;
    const std::string settings = Subkey("Settings");
    auto always = store.GetNumber(settings, "Always Use My Colors");
    auto text = store.GetString(settings, "Background Color");
    int r = 0, g = 0, b = 0;
    if (always && *always == 1 && text && std::sscanf(text->c_str(), "%d,%d,%d", &r, &g, &b) == 3) {
        colours.ownBackground = true;
        colours.red = r & 0xFF;
        colours.green = g & 0xFF;
        colours.blue = b & 0xFF;
    }
    return colours;
}

}  // namespace displayoptions
