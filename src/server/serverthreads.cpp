#include "server/serverthreads.h"

#include "server/socketserver.h"

namespace server {

void* ThreadExit()
{
    return reinterpret_cast<void*>(CSocketServer::kThreadExitCode);
}

timespec DeadlineAfterMs(int ms)
{
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    ts.tv_sec += ms / 1000;
    ts.tv_nsec += static_cast<long>(ms % 1000) * 1000000L;
    if (ts.tv_nsec >= 1000000000L) {
        ts.tv_sec += 1;
        ts.tv_nsec -= 1000000000L;
    }
    return ts;
}

bool StartThread(pthread_t* thread, void* (*body)(void*), void* arg, void* stack)
{
    pthread_attr_t attr;
    if (pthread_attr_init(&attr) != 0)
        return false;
    if (stack)
        pthread_attr_setstack(&attr, stack, kThreadStackSize);
    else
        pthread_attr_setstacksize(&attr, kThreadStackSize);
    const int rc = pthread_create(thread, &attr, body, arg);
    pthread_attr_destroy(&attr);
    return rc == 0;
}

} // namespace server
