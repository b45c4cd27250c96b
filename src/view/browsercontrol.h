#pragma once
// CBrowserControl: the reader's one boundary over Qt WebEngine, offering the
// operations, events and host services the view needs of its browser.
#include <QElapsedTimer>
#include <QPointer>
#include <QSizeF>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>

class QWebEngineView;
class QWebEngineProfile;
class CBrowserPage;
class QTimer;

// Commands the view sends to the browser by name (they had numbers in the
// original engine; here each maps to a WebEngine action or dialog).
enum class BrowserCommand { SaveAs, Print, PrintPreview, PageSetup, ViewSource, Find };

// What happens to a window a page asks for.
enum class NewWindowAction { Cancel, OpenHere, OwnWindow };

class CBrowserControl : public QWidget {
    Q_OBJECT
public:
    explicit CBrowserControl(QWidget* parent = nullptr);
    ~CBrowserControl() override;

    // Registers the "res" and private text schemes; must run before the
    // application object exists.
    static void RegisterSchemes();
    // The profile every browser of the process shares, with its scheme
    // handlers and request interceptor installed.
    static QWebEngineProfile* Profile();

    // Navigation.
    void Navigate(const std::string& address);
    void Stop();
    void GoBack();
    void GoForward();
    void Refresh();
    void GoEngineHome();  // the engine's own home page ("about:blank" here)
    bool CanGoBack() const;
    bool CanGoForward() const;

    // The current address as the user knows it (the private text scheme mapped back).
    std::string LocationURL() const;
    std::string LocationName() const;  // page title
    // Ready state: true once the last load has finished, or once a converted
    // text page shows its first screen (a long text streams in for a minute;
    // its commands need not wait for the end).
    bool IsComplete() const { return m_complete || m_textShown; }
    // Pumps events until the page is complete or the time is up.
    bool WaitComplete(int timeoutMs);

    // Commands sent to the document.
    void ExecCommand(BrowserCommand command);

    // Document access. The synchronous readers pump events while they wait;
    // they give an empty result when the document does not answer in time.
    std::string DocumentHtml(int timeoutMs = 5000);  // live elements' outer HTML up to <html>
    std::string BodyText(int timeoutMs = 5000);
    std::optional<std::pair<int, int>> ReadScrollOffsets(int timeoutMs = 2000);
    // Last scroll offsets the engine reported (updated asynchronously).
    std::pair<int, int> ScrollOffsets() const;
    void ScrollTo(int x, int y);
    void ScrollBy(int dx, int dy);
    // Scrolls down by `dy` pixels spread over the display's frames of the
    // next `ms` milliseconds; what a glide still had to go is added on, so
    // the distance is exact even when calls come faster than frames.
    void GlideBy(int dy, int ms);
    // Whether the reader has selected text in the page.
    bool HasSelection() const;
    // The document's size in CSS pixels as the engine last reported it; it
    // comes with the renderer's frames, so it may lag behind the page.
    QSizeF ContentsSize() const;
    // Whether an address a page gave of itself (its location.href) names the
    // page shown now: compared as the view knows addresses, without the fragment.
    bool Shows(const QString& href) const;
    // Whether the last load has finished (not only shown its first screen).
    bool LoadFinished() const { return m_complete; }
    // Keeps the table heights of a converted local text for the next time it
    // is opened (see CTextLayoutStore); nothing for other pages.
    void SaveTextLayout(int timeoutMs = 2000);
    std::string UserAgent() const;
    // Replaces the document by the given HTML (small documents only).
    void WriteDocument(const std::string& html, const std::string& baseAddress);
    // Runs a script and waits for its result as text (tests, host services).
    std::optional<std::string> EvaluateText(const std::string& script, int timeoutMs = 5000);
    // Runs a script without waiting: `answer` gets its result as text when
    // the page gives it, unless the control is gone by then.
    void AskPage(const QString& script, std::function<void(const QString&)> answer);

    // Host services.
    void SetDownloadFlags(uint32_t flags);
    uint32_t DownloadFlags() const { return m_downloadFlags; }
    // The zoom of every page from now on, in percent (20-300; others: 100).
    void SetZoomPercent(int percent);
    double ZoomFactor() const { return m_zoom; }
    // Applies the colour values of the option key in the registry store to
    // the page shown and to every page loaded later.
    void ApplyOptionKeyColours();

    QWebEngineView* EngineView() const { return m_view; }

    // Cancellable events, answered synchronously by the view.
    std::function<bool(const std::string& address)> onBeforeNavigate;  // true cancels
    // `msSinceLeftClick`: since the last left click in this control, -1 before the first.
    std::function<NewWindowAction(const std::string& address, long long msSinceLeftClick)> onNewWindow;
    long long MsSinceLeftClick() const { return m_lastLeftClick.isValid() ? m_lastLeftClick.elapsed() : -1; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

Q_SIGNALS:
    void NavigateComplete(const QString& address, bool ok);
    void TitleChange(const QString& title);
    void StatusTextChange(const QString& text);
    void CommandStateChange(bool canBack, bool canForward);
    void ProgressChange(int progress, int total);
    void DownloadBegin();
    void WindowClosing();  // the page closed its own window
    // The renderer process of the page ended abnormally (crash, kill, out of memory).
    void RendererDied(const QString& address, int x, int y);

private:
    friend class CBrowserPage;
    void RunScript(const QString& script, const std::function<void(const QVariant&)>& answer = {});
    bool BeforeNavigate(const QUrl& url, bool redirect);
    void OnLoadStarted();
    void OnLoadFinished(bool ok);
    void UpdateCommandState();
    void KeepZoom();
    void PollFirstScreen();
    void PrintPreview();
    void PageSetup();
    void PrintPage();
    void SaveAs();
    void FindText();

    QWebEngineView* m_view = nullptr;
    CBrowserPage* m_page = nullptr;
    bool m_complete = true;
    bool m_textShown = false;
    QTimer* m_firstScreenPoll = nullptr;
    bool m_pollPending = false;
    int m_loadGeneration = 0;
    bool m_lastBack = false;
    bool m_lastForward = false;
    uint32_t m_downloadFlags = 0x70;
    double m_zoom = 1.0;
    QPointF m_scroll;
    QElapsedTimer m_lastLeftClick;
};
