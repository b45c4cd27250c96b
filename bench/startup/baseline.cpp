// The smallest Qt WebEngine program that shows one page from disk: the
// yardstick for the reader's start-up time. Prints "FIRSTLOAD: <ms since the
// epoch>" when the page has loaded, then quits.
#include <QApplication>
#include <QUrl>
#include <QWebEngineView>

#include <chrono>
#include <cstdio>

#include "platform/steptrace.h"

// With PAGORA_TRACE=1 it prints the same step trace as the reader, for a
// step-by-step comparison.
int main(int argc, char** argv) {
    steptrace::EnableFromEnvironment();
    steptrace::Mark("main");
    QApplication app(argc, argv);
    steptrace::Mark("application object");
    if (argc < 2) {
        std::fprintf(stderr, "usage: startup_baseline PAGE\n");
        return 2;
    }
    QWebEngineView view;
    steptrace::Mark("view made");
    view.resize(1280, 800);
    QObject::connect(&view, &QWebEngineView::loadFinished, [&](bool) {
        steptrace::Mark("page complete");
        auto now = std::chrono::system_clock::now().time_since_epoch();
        std::printf("FIRSTLOAD: %lld\n",
                    static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count()));
        std::fflush(stdout);
        app.quit();
    });
    view.load(QUrl::fromLocalFile(QString::fromLocal8Bit(argv[1])));
    view.show();
    steptrace::Mark("view shown");
    return app.exec();
}
