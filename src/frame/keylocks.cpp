#include "frame/keylocks.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

namespace {

bool SameIgnoringCase(const std::string& a, const char* b) {
    std::string lower;
    for (char c : a) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower == b;
}

bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

KeyLockTexts KeyLockPaneTexts(const std::optional<KeyLockState>& state) {
    KeyLockTexts texts;
    if (!state) return texts;
    if (state->caps) texts.caps = "CAP";
    if (state->num) texts.num = "NUM";
    if (state->scroll) texts.scroll = "SCRL";
    return texts;
}

std::optional<KeyLockState> KeyLocksFromIndicators(const std::vector<std::string>& names, uint32_t lit) {
    KeyLockState state;
    bool named = false;
    size_t count = std::min<size_t>(names.size(), 32);
    for (size_t bit = 0; bit < count; ++bit) {
        bool on = (lit >> bit) & 1u;
        if (SameIgnoringCase(names[bit], "caps lock")) state.caps = on, named = true;
        else if (SameIgnoringCase(names[bit], "num lock")) state.num = on, named = true;
        else if (SameIgnoringCase(names[bit], "scroll lock")) state.scroll = on, named = true;
    }
    if (!named) return std::nullopt;
    return state;
}

std::optional<KeyLockState> KeyLocksFromLeds(const std::string& root) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::directory_iterator it(root, ec);
    if (ec) return std::nullopt;
    KeyLockState state;
    bool found = false;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) break;
        std::string name = it->path().filename().string();
        bool* lock = EndsWith(name, "::capslock")     ? &state.caps
                     : EndsWith(name, "::numlock")    ? &state.num
                     : EndsWith(name, "::scrolllock") ? &state.scroll
                                                      : nullptr;
        if (!lock) continue;
        found = true;
        std::ifstream in(it->path() / "brightness");
        long brightness = 0;
        if (in >> brightness && brightness != 0) *lock = true;
    }
    if (!found) return std::nullopt;
    return state;
}
