#pragma once
// The process-wide text conversion switch of the library and its lock.

#include <cstdint>

namespace txtfilter {

// The switch starts on (1). Its lock is a static mutex that exists for the
// whole life of the library, so the switch is usable at any time, also before
// IntiHookText and after UnIntiHookText (which therefore only mark the span).
class CTextSwitch {
public:
    static int32_t Get();
    static void Set(int32_t value);
    static bool On() { return Get() != 0; }
};

}  // namespace txtfilter
