#include "txtfilter/textswitch.h"

#include <mutex>

namespace txtfilter {

namespace {
std::mutex s_switchLock;
int32_t s_switch = 1;
}  // namespace

int32_t CTextSwitch::Get() {
    std::lock_guard<std::mutex> lock(s_switchLock);
    return s_switch;
}

void CTextSwitch::Set(int32_t value) {
    std::lock_guard<std::mutex> lock(s_switchLock);
    s_switch = value;
}

}  // namespace txtfilter
