#pragma once
// What every thread of the server shares: its stack size, how it is started,
// its exit value, and the signal by which a new thread tells Run that it is
// ready (or has failed).

#include <pthread.h>

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <ctime>
#include <mutex>

namespace server {

// Stack of every server thread. Only the pages a thread touches use memory;
// the size leaves room for the thread-local storage that sanitizer builds
// place on a stack given to the thread.
inline constexpr size_t kThreadStackSize = 1024 * 1024;

// The value every server thread returns (CSocketServer::kThreadExitCode).
void* ThreadExit();

// The CLOCK_REALTIME time `ms` milliseconds from now, for pthread_timedjoin_np.
timespec DeadlineAfterMs(int ms);

// Starts a thread on `stack` (kThreadStackSize bytes) or, when that is
// nullptr, on a stack of the system's.
bool StartThread(pthread_t* thread, void* (*body)(void*), void* arg, void* stack = nullptr);

// Each new server thread reports here once it is ready (or has failed), so
// that Run learns the outcome at once instead of after its full wait.
struct CLaunchSignal {
    std::mutex lock;
    std::condition_variable cv;
    bool signalled = false;
    bool ok = false;

    void Signal(bool success)
    {
        std::lock_guard<std::mutex> guard(lock);
        signalled = true;
        ok = success;
        cv.notify_all();
    }
    // Waits for the next signal; false on failure or time-out.
    bool Wait(int timeoutMs)
    {
        std::unique_lock<std::mutex> guard(lock);
        const bool got = cv.wait_for(guard, std::chrono::milliseconds(timeoutMs), [this] { return signalled; });
        const bool result = got && ok;
        signalled = false; // auto reset
        ok = false;
        return result;
    }
};

} // namespace server
