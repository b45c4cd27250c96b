// The smallest Qt WebEngine program that shows one page from disk: the
// yardstick for the reader's start-up time. Prints "FIRSTLOAD: <ms since the
// epoch>" when the page has loaded, then quits.
#include <QApplication>
#include <QUrl>
#include <QWebEngineView>

#include <chrono>
#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: startup_baseline PAGE\n");
        return 2;
    }
    QWebEngineView view;
    view.resize(1280, 800);
    QObject::connect(&view, &QWebEngineView::loadFinished, [&](bool) {
        auto now = std::chrono::system_clock::now().time_since_epoch();
        std::printf("FIRSTLOAD: %lld\n",
                    static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count()));
        std::fflush(stdout);
        app.quit();
    });
    view.load(QUrl::fromLocalFile(QString::fromLocal8Bit(argv[1])));
    view.show();
    return app.exec();
}
