#pragma once
// What the display settings leave outside the settings block for the browser
// and for other programs: the colour values of the private option key and the
// zoom style sheet with its "Styles" values.
#include <cstdint>
#include <string>

class CParaBlock;
namespace platform {
class RegistryStore;
}

namespace displayoptions {

// The option key under which the browser finds the program's values.
extern const char* const kOptionKey;

// Zoom acts when "RARA_CAN_ZOOM" is 1 and "PARA_ZOOM_PERSENT" is not 100.
bool ZoomInForce(CParaBlock& block);

// "Settings" "Always Use My Colors" and "Background Color", "Main"
// "Use_DlgBox_Colors", as "PARA_USE_MY_BKCOLOR" and "PARA_MY_BKCOLOR" ask.
void WriteOptionKeyColours(CParaBlock& block, platform::RegistryStore& store);

// The style sheet's text for a zoom in percent: "\r\nbody {zoom: 150%;}\r\n".
std::string ZoomStyleSheetText(int percent);

enum class StyleSheet { Written, Removed, Failed };
// While zoom is in force: creates the file at `cssPath` anew with the zoom
// and sets "Use My Stylesheet" 1 and "User Stylesheet" to the path (the
// values are left as they were when the file cannot be written: Failed).
// Otherwise deletes the file and, when the "Styles" key exists, both values.
StyleSheet WriteZoomStyleSheet(CParaBlock& block, platform::RegistryStore& store, const std::string& cssPath);

// The colour values of the option key as the browser reads them.
struct PageColours {
    bool ownBackground = false;  // "Always Use My Colors" 1 with a "Background Color"
    int red = 255, green = 255, blue = 255;
};
PageColours ReadPageColours(platform::RegistryStore& store);

}  // namespace displayoptions
