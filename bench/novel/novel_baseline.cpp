// A bare Qt WebEngine window that loads one page from disk and reports, in
// milliseconds since it started loading, when the first table cell shows text
// ("FIRSTSCREEN: ms") and when the load finished ("COMPLETE: ms"), and the
// moment of the latter as milliseconds since the epoch ("COMPLETE_AT: ms"),
// so that it can be set against the start of the process; then quits.
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <chrono>
#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: novel_baseline PAGE\n");
        return 2;
    }
    QWebEngineView view;
    view.resize(1280, 800);
    QElapsedTimer clock;
    bool shown = false, asking = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (shown || asking) return;
        asking = true;
        view.page()->runJavaScript("(function(){var t=document.querySelector('td');return !!(t&&t.innerText.length>0);})()",
                                   [&](const QVariant& v) {
                                       asking = false;
                                       if (shown || !v.toBool()) return;
                                       shown = true;
                                       std::printf("FIRSTSCREEN: %lld\n", static_cast<long long>(clock.elapsed()));
                                       std::fflush(stdout);
                                   });
    });
    QObject::connect(&view, &QWebEngineView::loadFinished, [&](bool ok) {
        std::printf("COMPLETE: %lld%s\n", static_cast<long long>(clock.elapsed()), ok ? "" : " (failed)");
        const auto now = std::chrono::system_clock::now().time_since_epoch();
        std::printf("COMPLETE_AT: %lld\n",
                    static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count()));
        std::fflush(stdout);
        app.quit();
    });
    QObject::connect(view.page(), &QWebEnginePage::renderProcessTerminated, [&](auto, int) {
        std::printf("CRASHED: %lld\n", static_cast<long long>(clock.elapsed()));
        std::fflush(stdout);
        app.quit();
    });
    clock.start();
    view.load(QUrl::fromLocalFile(QString::fromLocal8Bit(argv[1])));
    view.show();
    poll.start(25);
    return app.exec();
}
