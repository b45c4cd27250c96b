// pagora-serve ARCHIVE: opens an archive the way the reader does, serves its
// pages on the loopback server, prints the start address on one line and
// serves until interrupted (SIGINT or SIGTERM). Any browser can then read the
// archive; the benchmarks use it too.

#include "session/addressmapping.h"
#include "settings/extensionlists.h"
#include "settings/parablock.h"
#include "settings/sidefiles.h"
#include "archive/archiveprompt.h"
#include "archive/homenames.h"
#include "archive/rarmanager.h"
#include "server/allocatorsetup.h"
#include "server/pageserver.h"

#include <climits>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2 || argv[1][0] == '\0') {
        std::fprintf(stderr, "usage: pagora-serve ARCHIVE\n");
        return 2;
    }
    // Entry names and request paths are read in the locale's code set, as in
    // the reader.
    std::setlocale(LC_ALL, "");
    // One time-zone read for the whole run instead of one per entry date.
    setenv("TZ", ":/etc/localtime", 0);
    // The reader's allocator setting, so that the load test measures the
    // memory the reader would keep.
    server::ConfigureAllocatorForServer();

    char resolved[PATH_MAX];
    if (!realpath(argv[1], resolved)) {
        std::fprintf(stderr, "pagora-serve: cannot find %s\n", argv[1]);
        return 1;
    }
    const std::string archive = resolved;
    if (!IsArchiveName(archive)) {
        std::fprintf(stderr, "pagora-serve: %s is no .zip, .maff or .rar file\n", archive.c_str());
        return 1;
    }

    // The signals are taken by sigwait below; every thread started from here
    // on inherits the blocked mask, so none of them is interrupted.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    // The same side files and settings as the reader, in the tool's own
    // profile folder (its folder when writable).
    SetSideFiles(MakeSideFiles());
    MainParaBlock().SetLocation(kParaBlockSection, &TheSideFiles().ini);
    MainParaBlock().Load();
    LoadArchiveTables();
    RegisterRarManager();
    SetArchiveCountIndicator([](const std::string& counts) {
        std::fprintf(stderr, "pagora-serve: %s entries listed\n", counts.c_str());
    });

    const std::string address = ArchiveStartAddress(archive);
    if (address.empty()) {
        std::fprintf(stderr, "pagora-serve: %s has no page to show, or the server could not start\n",
                     archive.c_str());
        return 1;
    }
    std::printf("%s\n", address.c_str());
    std::fflush(stdout);

    int signal = 0;
    sigwait(&stopSignals, &signal);
    server::ThePageServer().Shutdown();
    return 0;
}
