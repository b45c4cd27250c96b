// The reader's entry point: schemes registered before the application object,
// then start-up, the event loop and shutdown.
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "app/pagoraapp.h"
#include "platform/steptrace.h"
#include "server/allocatorsetup.h"
#include "view/browsercontrol.h"

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]) == "--trace-startup") steptrace::Enable(true);
    steptrace::EnableFromEnvironment();
    steptrace::Mark("main");
    // As root the engine's sandbox cannot start; the reader runs without it then.
    if (geteuid() == 0) setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    // Without TZ the C library re-reads /etc/localtime for every time
    // conversion; archive listing converts one date per entry. Set it while
    // no other thread exists (setenv is not thread-safe).
    setenv("TZ", ":/etc/localtime", 0);
    // Before the first thread: the archive server's memory is given back
    // only when all threads share one heap.
    server::ConfigureAllocatorForServer();
    CBrowserControl::RegisterSchemes();
    CPagoraApp app(argc, argv);
    steptrace::Mark("application object");
    // One reader per profile: a later start hands its document over and ends.
    if (app.HandOverToRunningReader()) return 0;
    if (app.HandOverOnly()) return 1;
    if (!app.InitInstance()) return app.ExitInstance(1);
    int code = app.exec();
    return app.ExitInstance(code);
}
