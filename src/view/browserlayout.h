#pragma once
// Where the browser sits in the view under the width limit, and the colour of
// the margins beside it (Qt-free).
#include <cstdint>

namespace browserlayout {

struct Span {
    int left = 0;
    int width = 0;
};

// The browser's horizontal span in a client area starting at `clientLeft`,
// `clientWidth` wide: the whole area without a limit; with one, centred with
// half the limit (integer halves) on either side of the centre, so an odd
// limit loses a pixel. A view narrower than the limit shows the browser over
// its whole width instead of cutting off the page's sides.
Span Horizontal(int clientLeft, int clientWidth, bool limitOn, int limit);

// The margins' colour (0x00BBGGRR) for a stored "PARA_WIDTH_LIMITED_BG_COLOR":
// the window colour when the value is above 0xFFFFFF.
uint32_t MarginColour(int stored, uint32_t windowColour);

}  // namespace browserlayout
