#include "platform/steptrace.h"

#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

namespace steptrace {
namespace {

std::atomic<bool> s_on{false};
std::mutex s_mutex;
double s_last = -1;

double BootClockMs() {
    timespec ts{};
    clock_gettime(CLOCK_BOOTTIME, &ts);
    return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

// The process's start in milliseconds of the boot clock: field 22 of
// /proc/self/stat, in clock ticks since boot. Without /proc the first call counts as the start.
double ProcessStartMs() {
    static const double start = [] {
        if (FILE* f = std::fopen("/proc/self/stat", "r")) {
            char buffer[1024] = {};
            const size_t n = std::fread(buffer, 1, sizeof buffer - 1, f);
            std::fclose(f);
            buffer[n] = 0;
            // The command name in parentheses may hold spaces: count fields after its last ')'.
            if (const char* p = std::strrchr(buffer, ')')) {
                int field = 2;
                for (++p; *p && field < 22; ++p)
                    if (*p == ' ') ++field;
                const long ticks = sysconf(_SC_CLK_TCK);
                if (field == 22 && ticks > 0) return std::strtod(p, nullptr) * 1000.0 / ticks;
            }
        }
        return BootClockMs();
    }();
    return start;
}

}  // namespace

void Enable(bool on) {
    if (on) ProcessStartMs();
    s_on.store(on, std::memory_order_relaxed);
}

bool Enabled() { return s_on.load(std::memory_order_relaxed); }

void EnableFromEnvironment() {
    const char* value = std::getenv("PAGORA_TRACE");
    if (value && *value && std::string(value) != "0") Enable(true);
}

double SinceProcessStart() { return BootClockMs() - ProcessStartMs(); }

void Mark(const char* step) {
    if (!Enabled()) return;
    std::lock_guard<std::mutex> lock(s_mutex);
    const double now = SinceProcessStart();
    const double delta = s_last < 0 ? now : now - s_last;
    s_last = now;
    std::fprintf(stderr, "TRACE: %7.1f %+7.1f %s\n", now, delta, step);
    std::fflush(stderr);
}

}  // namespace steptrace
