#pragma once
// Counts of live objects and server locks, for DllCanUnloadNow.

#include <atomic>

namespace txtfilter {

class CLibraryRefs {
public:
    static void AddObject() { s_objects.fetch_add(1); }
    static void RemoveObject() { s_objects.fetch_sub(1); }
    static void Lock() { s_locks.fetch_add(1); }
    static void Unlock() { s_locks.fetch_sub(1); }
    static long Objects() { return s_objects.load(); }
    static bool CanUnload() { return s_objects.load() == 0 && s_locks.load() == 0; }

private:
    static inline std::atomic<long> s_objects{0};
    static inline std::atomic<long> s_locks{0};
};

}  // namespace txtfilter
