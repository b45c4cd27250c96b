#include "view/browserlayout.h"

#include <algorithm>

namespace browserlayout {

Span Horizontal(int clientLeft, int clientWidth, bool limitOn, int limit) {
    if (!limitOn || clientWidth <= 0) return {clientLeft, std::max(clientWidth, 0)};
    const int centre = clientLeft + clientWidth / 2;
    const int half = limit / 2;
    const int from = std::max(centre - half, clientLeft);
    const int to = std::min(centre + half, clientLeft + clientWidth);
    return {from, to - from};
}

uint32_t MarginColour(int stored, uint32_t windowColour) {
    const uint32_t value = static_cast<uint32_t>(stored);
    return value > 0xFFFFFF ? windowColour : value;
}

}  // namespace browserlayout
