#include "frame/windowplacement.h"

namespace {

void Put(std::string& out, int32_t v) {
    uint32_t u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((u >> (8 * i)) & 0xFF));
}

int32_t Get(const std::string& in, size_t at) {
    uint32_t u = 0;
    for (int i = 0; i < 4; ++i) u |= static_cast<uint32_t>(static_cast<unsigned char>(in[at + i])) << (8 * i);
    return static_cast<int32_t>(u);
}

}  // namespace

std::string CWindowPlacement::Encode() const {
    std::string out;
    Put(out, static_cast<int32_t>(kSize));
    Put(out, 0);  // flags
    Put(out, showCmd);
    for (int i = 0; i < 4; ++i) Put(out, -1);  // minimised and maximised points: default
    Put(out, left);
    Put(out, top);
    Put(out, right);
    Put(out, bottom);
    return out;
}

std::optional<CWindowPlacement> CWindowPlacement::Decode(const std::string& bytes) {
    if (bytes.size() != kSize) return std::nullopt;
    CWindowPlacement p;
    p.showCmd = Get(bytes, 8);
    p.left = Get(bytes, 28);
    p.top = Get(bytes, 32);
    p.right = Get(bytes, 36);
    p.bottom = Get(bytes, 40);
    // A rectangle without area cannot be shown; treat the value as damaged.
    if (p.right <= p.left || p.bottom <= p.top) return std::nullopt;
    switch (p.showCmd) {
    case kMinimized: case kMinNoActive: case kMinNa: case kForceMinimize: p.showCmd = kRestore; break;
    default: break;
    }
    return p;
}

bool CWindowPlacement::LimitedMaximum(int workLeft, int workWidth, int* left, int* width) {
    constexpr int kLimit = 800;
    if (workWidth <= kLimit) return false;
    *left = workLeft + (workWidth - kLimit) / 2;
    *width = kLimit;
    return true;
}
