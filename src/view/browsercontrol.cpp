#include "view/browsercontrol.h"

#include <QChildEvent>
#include <QDialog>
#include <QMouseEvent>
#include <QEventLoop>
#include <QFileDialog>
#include <QInputDialog>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTimer>

#include <memory>
#include <utility>
#include <QVBoxLayout>
#include <QWebEngineHistory>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineUrlScheme>
#include <QWebEngineView>

#include <cstdlib>
#include <memory>

#include "settings/displayoptions.h"
#include "settings/localpath.h"
#include "platform/registrystore.h"
#include "view/browserpage.h"
#include "view/downloadflags.h"
#include "view/popuprules.h"
#include "view/downloadinterceptor.h"
#include "view/pagescripts.h"
#include "view/resschemehandler.h"
#include "view/textlayoutstore.h"
#include "view/textpagecache.h"
#include "view/textroute.h"
#include "view/textschemehandler.h"

namespace {
// How long the engine refuses new windows on its own after one was refused.
constexpr int kWindowPauseMs = 1000;

CDownloadInterceptor* s_interceptor = nullptr;

// The engine lets a page close only windows that scripts opened; the reader
// wants to know whenever a page closes its own window, so the page's close
// is turned into a navigation to this address, which the control refuses.
constexpr const char* kCloseAddress = "res://pagora/.close-window";

// The printer shared by page setup, print and print preview, so that a page
// setup applies to the next print as it did in the original program.
QPrinter& SharedPrinter() {
    static QPrinter printer(QPrinter::HighResolution);
    return printer;
}

// The address of a page as the view knows it: a converted text read from the
// page cache is its private text address.
std::string PageAddress(const QUrl& url) {
    return textpagecache::Unmapped(url.toString(QUrl::FullyEncoded).toStdString());
}

QString AddressForView(const QUrl& url) {
    return QString::fromStdString(textroute::ToOriginal(PageAddress(url)));
}

// Addresses as the reader shows and stores them: escapes decoded where that
// keeps the address readable and parseable.
std::string PrettyAddress(const QString& encoded) {
    return QUrl(encoded).toString(QUrl::PrettyDecoded).toStdString();
}

}  // namespace

void CBrowserControl::RegisterSchemes() {
    QWebEngineUrlScheme res("res");
    res.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    res.setFlags(QWebEngineUrlScheme::LocalAccessAllowed | QWebEngineUrlScheme::SecureScheme |
                 QWebEngineUrlScheme::CorsEnabled);
    QWebEngineUrlScheme::registerScheme(res);

    QWebEngineUrlScheme txt(textroute::kScheme);
    txt.setSyntax(QWebEngineUrlScheme::Syntax::HostAndPort);
    txt.setDefaultPort(80);
    txt.setFlags(QWebEngineUrlScheme::LocalAccessAllowed | QWebEngineUrlScheme::CorsEnabled);
    QWebEngineUrlScheme::registerScheme(txt);
}

QWebEngineProfile* CBrowserControl::Profile() {
    static QWebEngineProfile* profile = [] {
        QWebEngineProfile* p = QWebEngineProfile::defaultProfile();
        p->installUrlSchemeHandler("res", new CResSchemeHandler(p));
        p->installUrlSchemeHandler(textroute::kScheme, new CTextSchemeHandler(p));
        s_interceptor = new CDownloadInterceptor(p);
        p->setUrlRequestInterceptor(s_interceptor);
        QWebEngineSettings* s = p->settings();
        s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
        s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
        s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, true);
        s->setAttribute(QWebEngineSettings::ErrorPageEnabled, true);
        s->setAttribute(QWebEngineSettings::PdfViewerEnabled, true);
        return p;
    }();
    return profile;
}

CBrowserControl::CBrowserControl(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_view = new QWebEngineView(this);
    m_page = new CBrowserPage(Profile(), this);
    m_view->setPage(m_page);
    // Dropped files go to the main window, not into the page.
    m_view->setAcceptDrops(false);
    layout->addWidget(m_view);
    setFocusProxy(m_view);
    // The engine takes the mouse in a child widget of its view, made anew
    // with each renderer: the control watches the view and every child it
    // gets for left clicks, which let a page open a window.
    m_view->installEventFilter(this);
    for (QObject* child : m_view->children()) child->installEventFilter(this);

    QWebEngineScript closer;
    closer.setName(QStringLiteral("pagora-window-close"));
    closer.setInjectionPoint(QWebEngineScript::DocumentCreation);
    closer.setWorldId(QWebEngineScript::MainWorld);
    closer.setRunsOnSubFrames(false);
    closer.setSourceCode(PageScript("window-close").arg(QLatin1String(kCloseAddress)));
    m_page->scripts().insert(closer);

    connect(m_page, &QWebEnginePage::loadStarted, this, &CBrowserControl::OnLoadStarted);
    connect(m_page, &QWebEnginePage::loadFinished, this, &CBrowserControl::OnLoadFinished);
    connect(m_page, &QWebEnginePage::loadProgress, this, [this](int p) { Q_EMIT ProgressChange(p, 100); });
    connect(m_page, &QWebEnginePage::titleChanged, this, [this](const QString& t) {
        // A page without a title is named by its address: the original one.
        std::string title = t.toStdString();
        if (textroute::IsPrivate(title)) title = PrettyAddress(QString::fromStdString(textroute::ToOriginal(title)));
        Q_EMIT TitleChange(QString::fromStdString(title));
    });
    connect(m_page, &QWebEnginePage::linkHovered, this, [this](const QString& link) {
        Q_EMIT StatusTextChange(link.isEmpty() ? QString() : AddressForView(QUrl(link)));
    });
    connect(m_page, &QWebEnginePage::urlChanged, this, [this](const QUrl&) {
        KeepZoom();
        UpdateCommandState();
    });
    connect(m_page, &QWebEnginePage::scrollPositionChanged, this, [this](const QPointF& p) { m_scroll = p; });
    connect(m_page, &QWebEnginePage::windowCloseRequested, this, [this] { Q_EMIT WindowClosing(); });
    // Requests that come in a burst (a loop of window.open) to open here end
    // in one load, of the last address asked for.
    auto openHere = std::make_shared<QUrl>();
    connect(m_page, &QWebEnginePage::newWindowRequested, this, [this, openHere](QWebEngineNewWindowRequest& request) {
        std::string address = PrettyAddress(AddressForView(request.requestedUrl()));
        NewWindowAction action = onNewWindow ? onNewWindow(address, MsSinceLeftClick()) : NewWindowAction::OwnWindow;
        // Every request the engine makes, answered or not, costs it a page
        // of its own, and a burst of them grows slower with each one: after
        // a refused or redirected one the engine refuses the rest itself
        // (cheaply, without asking) for a second.
        if (action != NewWindowAction::OwnWindow) {
            m_page->settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
            QTimer::singleShot(kWindowPauseMs, this, [this] {
                m_page->settings()->resetAttribute(QWebEngineSettings::JavascriptCanOpenWindows);
            });
        }
        if (action == NewWindowAction::Cancel) return;
        if (action == NewWindowAction::OpenHere) {
            const bool scheduled = !openHere->isEmpty();
            *openHere = request.requestedUrl();
            if (!scheduled) QTimer::singleShot(0, this, [this, openHere] { m_page->load(std::exchange(*openHere, QUrl())); });
            return;
        }
        // A window of its own: a plain top-level browser that deletes itself,
        // asking the same rules for the windows its page wants.
        auto* window = new CBrowserControl(nullptr);
        window->onNewWindow = onNewWindow;
        popuprules::WindowOpened();
        connect(window, &QObject::destroyed, [] { popuprules::WindowClosed(); });
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->resize(900, 700);
        connect(window, &CBrowserControl::WindowClosing, window, &QWidget::close);
        connect(window, &CBrowserControl::TitleChange, window, &QWidget::setWindowTitle);
        request.openIn(window->m_page);
        window->show();
    });
    connect(m_page, &QWebEnginePage::printRequested, this, [this] { PrintPage(); });
    // A dead renderer leaves a grey page behind; the view loads the page anew.
    // Only abnormal ends count: a normal end belongs to a process swap.
    connect(m_page, &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status, int) {
                if (status == QWebEnginePage::NormalTerminationStatus) return;
                ++m_loadGeneration;
                m_firstScreenPoll->stop();
                m_complete = true;
                m_textShown = false;
                auto [x, y] = ScrollOffsets();
                // The part of a very long text comes back, not its first one.
                const std::string encoded = PageAddress(m_page->url());
                std::string address = LocationURL();
                if (textroute::IsPrivate(encoded)) address = textroute::WithPart(address, textroute::PartOf(encoded));
                Q_EMIT RendererDied(QString::fromStdString(address), x, y);
            });
    m_firstScreenPoll = new QTimer(this);
    m_firstScreenPoll->setInterval(100);
    connect(m_firstScreenPoll, &QTimer::timeout, this, &CBrowserControl::PollFirstScreen);
    SetDownloadFlags(m_downloadFlags);
}

CBrowserControl::~CBrowserControl() = default;

void CBrowserControl::RunScript(const QString& script, const std::function<void(const QVariant&)>& answer) {
    // The reader's own scripts run in the page's world while it may run
    // scripts (they see what the page's scripts set up), and in a world of
    // their own when the download control forbids scripts, where the page's
    // scripts stay off but the reader's still read and move the page.
    const quint32 world = m_page->settings()->testAttribute(QWebEngineSettings::JavascriptEnabled)
                              ? QWebEngineScript::MainWorld
                              : QWebEngineScript::ApplicationWorld;
    if (answer) m_page->runJavaScript(script, world, answer);
    else m_page->runJavaScript(script, world);
}

bool CBrowserControl::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ChildAdded && watched == m_view) {
        static_cast<QChildEvent*>(event)->child()->installEventFilter(this);
    } else if (event->type() == QEvent::MouseButtonPress &&
               static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        m_lastLeftClick.start();
    }
    return QWidget::eventFilter(watched, event);
}

bool CBrowserControl::BeforeNavigate(const QUrl& url, bool redirect) {
    if (redirect) return true;
    const std::string encoded = url.toString(QUrl::FullyEncoded).toStdString();
    if (encoded == kCloseAddress) {
        QTimer::singleShot(0, this, [this] { Q_EMIT WindowClosing(); });
        return false;
    }
    const std::string original = textroute::ToOriginal(PageAddress(url));
    if (onBeforeNavigate && onBeforeNavigate(PrettyAddress(QString::fromStdString(original)))) return false;
    // Plain text keeps its road through the session's text filter: the
    // navigation is taken over by the private scheme, whose handler streams
    // what the filter makes of the document.
    if (!textroute::IsPrivate(encoded) && CTextSchemeHandler::FilterAvailable()) {
        std::string priv = textroute::ToPrivate(encoded);
        if (!priv.empty()) {
            QUrl target(QString::fromStdString(priv));
            QTimer::singleShot(0, this, [this, target] {
                m_page->load(target);
                // The refused navigation may have ended the load state: the
                // converted page is loading from here on.
                m_complete = false;
                m_textShown = false;
                ++m_loadGeneration;
                m_firstScreenPoll->start();
            });
            return false;
        }
    }
    return true;
}

void CBrowserControl::OnLoadStarted() {
    m_complete = false;
    m_textShown = false;
    ++m_loadGeneration;
    // A converted text counts as ready once its first screen shows.
    if (textroute::IsPrivate(PageAddress(m_page->requestedUrl())) || textroute::IsPrivate(PageAddress(m_page->url())))
        m_firstScreenPoll->start();
    else m_firstScreenPoll->stop();
    Q_EMIT DownloadBegin();
}

void CBrowserControl::OnLoadFinished(bool ok) {
    m_complete = true;
    KeepZoom();
    m_firstScreenPoll->stop();
    Q_EMIT ProgressChange(-1, 100);
    UpdateCommandState();
    Q_EMIT NavigateComplete(QString::fromStdString(LocationURL()), ok);
}

void CBrowserControl::PollFirstScreen() {
    if (m_complete || m_textShown) {
        m_firstScreenPoll->stop();
        return;
    }
    if (m_pollPending) return;
    m_pollPending = true;
    const int generation = m_loadGeneration;
    QPointer<CBrowserControl> guard(this);
    RunScript(PageScript("first-screen"), [guard, generation](const QVariant& shown) {
        if (!guard) return;
        guard->m_pollPending = false;
        if (generation != guard->m_loadGeneration || !shown.toBool()) return;
        guard->m_textShown = true;
        guard->m_firstScreenPoll->stop();
    });
}

void CBrowserControl::UpdateCommandState() {
    bool back = CanGoBack(), forward = CanGoForward();
    if (back == m_lastBack && forward == m_lastForward) return;
    m_lastBack = back;
    m_lastForward = forward;
    Q_EMIT CommandStateChange(back, forward);
}

void CBrowserControl::Navigate(const std::string& address) {
    QString text = QString::fromStdString(address);
    QUrl url = text.startsWith('/') ? QUrl::fromLocalFile(text) : QUrl(text, QUrl::TolerantMode);
    // Typed text without a scheme ("example.org") is taken as the user means it.
    if (url.scheme().isEmpty()) url = QUrl::fromUserInput(text);
    m_complete = false;
    m_textShown = false;
    ++m_loadGeneration;
    m_page->load(url);
}

void CBrowserControl::Stop() { m_page->triggerAction(QWebEnginePage::Stop); }
void CBrowserControl::GoBack() { m_page->triggerAction(QWebEnginePage::Back); }
void CBrowserControl::GoForward() { m_page->triggerAction(QWebEnginePage::Forward); }
void CBrowserControl::Refresh() {
    // A converted text read from the page cache is converted anew: the text
    // may have changed since.
    const std::string page = PageAddress(m_page->url());
    if (textroute::IsPrivate(page) && page != m_page->url().toString(QUrl::FullyEncoded).toStdString()) {
        m_complete = false;
        m_textShown = false;
        ++m_loadGeneration;
        m_page->load(QUrl(QString::fromStdString(page)));
        return;
    }
    m_page->triggerAction(QWebEnginePage::ReloadAndBypassCache);
}
void CBrowserControl::GoEngineHome() { Navigate("about:blank"); }
bool CBrowserControl::CanGoBack() const { return m_page->history()->canGoBack(); }
bool CBrowserControl::CanGoForward() const { return m_page->history()->canGoForward(); }

std::string CBrowserControl::LocationURL() const {
    return PrettyAddress(AddressForView(m_page->url()));
}

std::string CBrowserControl::LocationName() const { return m_page->title().toStdString(); }

bool CBrowserControl::WaitComplete(int timeoutMs) {
    if (IsComplete()) return true;
    // Events are pumped while waiting; the wait ends with the load (or with
    // the first screen of a converted text), not on a polling tick.
    QEventLoop loop;
    QMetaObject::Connection done = connect(this, &CBrowserControl::NavigateComplete, &loop, &QEventLoop::quit);
    QTimer ready;
    connect(&ready, &QTimer::timeout, &loop, [this, &loop] {
        if (m_textShown) loop.quit();
    });
    ready.start(50);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    disconnect(done);
    return IsComplete();
}

std::optional<std::string> CBrowserControl::EvaluateText(const std::string& script, int timeoutMs) {
    // The wait and the answer live on the heap, shared with the callback: an
    // answer that comes after the time-out finds its loop gone and writes
    // into an answer nobody reads any more, never into a finished call's
    // frame or into the wait of a later question. User input waits until
    // the answer is in, so a key or a click cannot start a command (or close
    // the window) in the middle of another.
    auto answer = std::make_shared<std::optional<std::string>>();
    auto* loop = new QEventLoop;
    QPointer<QEventLoop> waiting(loop);
    RunScript(QString::fromStdString(script), [answer, waiting](const QVariant& value) {
        *answer = value.isValid() ? value.toString().toStdString() : std::string();
        if (waiting && waiting->isRunning()) waiting->quit();
    });
    // A page that cannot run scripts answers at once, before the wait.
    if (!answer->has_value()) {
        QTimer::singleShot(timeoutMs, loop, &QEventLoop::quit);
        loop->exec(QEventLoop::ExcludeUserInputEvents);
    }
    delete loop;
    return *answer;
}

std::string CBrowserControl::DocumentHtml(int timeoutMs) {
    // The live document as the browser has built it, element by element in
    // document order up to the root element, after the page's scripts ran.
    return EvaluateText(PageScript("document-html").toStdString(), timeoutMs).value_or(std::string());
}

std::string CBrowserControl::BodyText(int timeoutMs) {
    return EvaluateText(PageScript("body-text").toStdString(), timeoutMs).value_or(std::string());
}

std::optional<std::pair<int, int>> CBrowserControl::ReadScrollOffsets(int timeoutMs) {
    // "x,y" of the scrolling element, rounded to whole pixels.
    auto text = EvaluateText(PageScript("scroll-offsets").toStdString(), timeoutMs);
    if (!text || text->empty()) return std::nullopt;
    size_t comma = text->find(',');
    if (comma == std::string::npos) return std::nullopt;
    const std::pair<int, int> offsets(std::atoi(text->c_str()), std::atoi(text->c_str() + comma + 1));
    // The engine's own reports of the offsets come with its frames and may
    // lag far behind on a busy machine: an exact reading is the newest.
    m_scroll = QPointF(offsets.first, offsets.second);
    return offsets;
}

std::pair<int, int> CBrowserControl::ScrollOffsets() const {
    return {static_cast<int>(m_scroll.x() + 0.5), static_cast<int>(m_scroll.y() + 0.5)};
}

void CBrowserControl::ScrollTo(int x, int y) {
    RunScript(PageScript("scroll-to").arg(x).arg(y));
}

QSizeF CBrowserControl::ContentsSize() const {
    const QSizeF size = m_page->contentsSize();
    const double zoom = m_page->zoomFactor() > 0 ? m_page->zoomFactor() : 1.0;
    return QSizeF(size.width() / zoom, size.height() / zoom);
}

bool CBrowserControl::Shows(const QString& href) const {
    auto plain = [](const QUrl& url) { return AddressForView(url.adjusted(QUrl::RemoveFragment)); };
    return plain(QUrl(href)) == plain(m_page->url());
}

void CBrowserControl::SaveTextLayout(int timeoutMs) {
    const std::string encoded = PageAddress(m_page->url());
    if (!textroute::IsPrivate(encoded)) return;
    const std::string original = textroute::ToOriginal(encoded);
    if (AddressToLocalPath(original).empty()) return;
    // Heights in 64ths of a pixel; the last table of a page still loading
    // may still grow and is left out.
    auto text = EvaluateText(PageScript("table-heights").toStdString(), timeoutMs);
    if (!text || text->empty()) return;
    std::vector<uint32_t> heights;
    const char* p = text->c_str();
    while (*p) {
        char* end = nullptr;
        unsigned long value = std::strtoul(p, &end, 10);
        if (end == p) break;
        heights.push_back(static_cast<uint32_t>(value));
        p = end;
        while (*p == ' ') ++p;
    }
    // A very long text keeps the heights of each part, and which part was read.
    const int part = textroute::PartOf(encoded);
    CTextLayoutStore::Program().Save(textroute::WithPart(original, part), heights);
    CTextLayoutStore::Program().SavePart(original, part);
}

void CBrowserControl::ScrollBy(int dx, int dy) {
    RunScript(PageScript("scroll-by").arg(dx).arg(dy));
}

void CBrowserControl::GlideBy(int dy, int ms) {
    RunScript(PageScript("scroll-glide").arg(dy).arg(ms));
}

bool CBrowserControl::HasSelection() const { return m_page->hasSelection(); }

std::string CBrowserControl::UserAgent() const { return m_page->profile()->httpUserAgent().toStdString(); }

void CBrowserControl::WriteDocument(const std::string& html, const std::string& baseAddress) {
    m_page->setHtml(QString::fromStdString(html), QUrl(QString::fromStdString(baseAddress)));
}

void CBrowserControl::AskPage(const QString& script, std::function<void(const QString&)> answer) {
    QPointer<CBrowserControl> guard(this);
    RunScript(script, [guard, answer = std::move(answer)](const QVariant& value) {
        if (guard && answer) answer(value.toString());
    });
}

void CBrowserControl::SetDownloadFlags(uint32_t flags) {
    // Pictures a page showed stay in the engine's caches and would show
    // again without a request: turning them off empties the caches.
    if ((m_downloadFlags & kDlImages) && !(flags & kDlImages)) m_page->profile()->clearHttpCache();
    m_downloadFlags = flags;
    QWebEngineSettings* s = m_page->settings();
    s->setAttribute(QWebEngineSettings::JavascriptEnabled, !(flags & kDlNoScripts));
    s->setAttribute(QWebEngineSettings::AutoLoadImages, (flags & kDlImages) != 0);
    s->setAttribute(QWebEngineSettings::PluginsEnabled, !(flags & (kDlNoActiveX | kDlNoJava)));
    s->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, !(flags & kDlVideos));
    if (s_interceptor) s_interceptor->SetFlags(flags);
}

void CBrowserControl::SetZoomPercent(int percent) {
    if (percent < 20 || percent > 300) percent = 100;
    m_zoom = percent / 100.0;
    m_view->setZoomFactor(m_zoom);
}

void CBrowserControl::KeepZoom() {
    // The engine may fall back to its own zoom when a page of another site
    // loads; the reader's zoom applies to every page.
    if (!qFuzzyCompare(m_page->zoomFactor(), m_zoom)) m_page->setZoomFactor(m_zoom);
}

void CBrowserControl::ApplyOptionKeyColours() {
    // The option key holds "Always Use My Colors" (1: use "Background Color")
    // and "Background Color" as "r,g,b"; the background of every page (and
    // of its frames) follows them, also where a page sets its own.
    const displayoptions::PageColours colours = displayoptions::ReadPageColours(platform::RegistryStore::Instance());
    static const QString kStyleId = QStringLiteral("pagora-own-bkcolor");
    static const QString kScriptName = QStringLiteral("pagora-own-background");
    for (const QWebEngineScript& old : m_page->scripts().find(kScriptName)) m_page->scripts().remove(old);
    QString style;
    if (colours.ownBackground) {
        const QColor colour(colours.red, colours.green, colours.blue);
        m_page->setBackgroundColor(colour);
        const QString css = QStringLiteral("html,body,html body{background:%1 !important}").arg(colour.name());
        QWebEngineScript rule;
        rule.setName(kScriptName);
        rule.setInjectionPoint(QWebEngineScript::DocumentCreation);
        rule.setWorldId(QWebEngineScript::ApplicationWorld);
        rule.setRunsOnSubFrames(true);
        rule.setSourceCode(PageScript("own-background-rule").arg(kStyleId, css));
        m_page->scripts().insert(rule);
        style = rule.sourceCode();
    } else {
        m_page->setBackgroundColor(Qt::white);
    }
    // The page shown now changes at once: an earlier style element goes, a
    // new one comes while the option asks for the colour.
    m_page->runJavaScript(PageScript("own-background").arg(kStyleId, style), QWebEngineScript::ApplicationWorld);
}

void CBrowserControl::ExecCommand(BrowserCommand command) {
    switch (command) {
    case BrowserCommand::SaveAs: SaveAs(); break;
    case BrowserCommand::Print: PrintPage(); break;
    case BrowserCommand::PrintPreview: PrintPreview(); break;
    case BrowserCommand::PageSetup: PageSetup(); break;
    case BrowserCommand::ViewSource: {
        // The source opens in a window of its own, so the reading position
        // and the location of this view stay with the page.
        auto* window = new CBrowserControl(nullptr);
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->resize(900, 700);
        connect(window, &CBrowserControl::TitleChange, window, &QWidget::setWindowTitle);
        window->m_page->load(QUrl(QStringLiteral("view-source:") + m_page->url().toString(QUrl::FullyEncoded)));
        window->show();
        break;
    }
    case BrowserCommand::Find: FindText(); break;
    }
}

void CBrowserControl::SaveAs() {
    QString suggested = QUrl(AddressForView(m_page->url())).fileName();
    if (suggested.isEmpty()) suggested = QStringLiteral("page.html");
    QString path = QFileDialog::getSaveFileName(this, QString(), suggested,
                                                QStringLiteral("网页，仅 HTML (*.htm *.html);;网页，单个文件 (*.mht *.mhtml)"));
    if (path.isEmpty()) return;
    bool mht = path.endsWith(".mht", Qt::CaseInsensitive) || path.endsWith(".mhtml", Qt::CaseInsensitive);
    m_page->save(path, mht ? QWebEngineDownloadRequest::MimeHtmlSaveFormat
                           : QWebEngineDownloadRequest::SingleHtmlSaveFormat);
}

void CBrowserControl::PrintPage() {
    QPrintDialog dialog(&SharedPrinter(), this);
    if (dialog.exec() != QDialog::Accepted) return;
    m_view->print(&SharedPrinter());
}

void CBrowserControl::PrintPreview() {
    QPrintPreviewDialog preview(&SharedPrinter(), this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* printer) {
        // Printing is asynchronous in WebEngine; the preview needs the pages now.
        QEventLoop loop;
        QMetaObject::Connection c = connect(m_view, &QWebEngineView::printFinished, &loop, &QEventLoop::quit);
        m_view->print(printer);
        loop.exec();
        disconnect(c);
    });
    preview.exec();
}

void CBrowserControl::PageSetup() {
    QPageSetupDialog dialog(&SharedPrinter(), this);
    dialog.exec();
}

void CBrowserControl::FindText() {
    bool ok = false;
    QString text = QInputDialog::getText(this, QStringLiteral("查找"), QStringLiteral("查找内容:"), QLineEdit::Normal,
                                         QString(), &ok);
    if (ok) m_page->findText(text);
}
