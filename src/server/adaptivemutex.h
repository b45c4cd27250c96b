#pragma once

#include <pthread.h>

namespace server {

// A mutex that spins for a moment before it puts the caller to sleep. The
// server's locks are held for a few microseconds by threads that run on the
// other core; sleeping on them costs two context switches, while spinning
// until the holder is done costs less. Usable with std::lock_guard.
class CAdaptiveMutex {
public:
    CAdaptiveMutex()
    {
        pthread_mutexattr_t attr;
        pthread_mutexattr_init(&attr);
        pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_ADAPTIVE_NP);
        pthread_mutex_init(&m_mutex, &attr);
        pthread_mutexattr_destroy(&attr);
    }
    ~CAdaptiveMutex() { pthread_mutex_destroy(&m_mutex); }
    CAdaptiveMutex(const CAdaptiveMutex&) = delete;
    CAdaptiveMutex& operator=(const CAdaptiveMutex&) = delete;

    void lock() { pthread_mutex_lock(&m_mutex); }
    bool try_lock() { return pthread_mutex_trylock(&m_mutex) == 0; }
    void unlock() { pthread_mutex_unlock(&m_mutex); }

private:
    pthread_mutex_t m_mutex;
};

} // namespace server
