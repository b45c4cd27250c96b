#include "view/pagoraview.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryFile>
#include <QTimer>
#include <QUrl>
#include <QPainter>
#include <QResizeEvent>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "session/addressmapping.h"
#include "settings/displayoptions.h"
#include "settings/extensionlists.h"
#include "settings/localpath.h"
#include "settings/loopback.h"
#include "settings/parablock.h"
#include "settings/sidefiles.h"
#include "platform/registrystore.h"
#include "session/startupcore.h"
#include "session/textfiltermodule.h"
#include "archive/archiveholder.h"
#include "archive/homenames.h"
#include "platform/modulepath.h"
#include "server/pageserver.h"
#include "view/browsercontrol.h"
#include "view/browserlayout.h"
#include "view/indexnavigator.h"
#include "view/locationorigin.h"
#include "view/messagebox.h"
#include "platform/steptrace.h"
#include "view/popuprules.h"
#include "view/navigationrules.h"
#include "view/pagescripts.h"
#include "view/positionrestorer.h"
#include "view/textlayoutstore.h"
#include "view/textroute.h"
#include "view/viewautoscroll.h"

namespace {

std::string s_textViewer;

// The search page of the web search command.
constexpr const char* kWebSearchPage = "https://www.google.com/";

CIndexNavigator MakeIndexNavigator() {
    return CIndexNavigator(TheHomeNames().Names(), HtmlExtensions(),
                           [](const std::string& path) { return std::filesystem::is_regular_file(path); });
}

// A loopback address saved with an earlier port, moved onto the current base.
std::string OnCurrentBase(const std::string& address) {
    static const std::string kPrefix = "http://127.0.0.1:";
    if (address.compare(0, kPrefix.size(), kPrefix) != 0) return address;
    size_t slash = address.find('/', kPrefix.size());
    if (slash == std::string::npos) return address;
    return LoopbackBase() + address.substr(slash + 1);
}

// A Qt colour as the stored 0x00BBGGRR.
uint32_t CColourValue(const QColor& c) {
    return uint32_t(c.red()) | (uint32_t(c.green()) << 8) | (uint32_t(c.blue()) << 16);
}

// The view's answer to a page asking for a window (see popuprules).
NewWindowAction NewWindowFor(const std::string& address, long long msSinceLeftClick, bool complete,
                             long long msSinceComplete) {
    CParaBlock& b = MainParaBlock();
    const std::vector<std::string> keywords = WindowFilterKeywords();
    const popuprules::Settings settings{b.GetValue(PARA_NO_POP_WND) != 0, b.GetValue(PARA_ONE_INSTANCE) != 0,
                                        b.GetValue(PARA_WND_FILTER) != 0, &keywords};
    const popuprules::Action action = popuprules::Decide(settings, {address, msSinceLeftClick, complete, msSinceComplete},
                                                         popuprules::OwnWindowsOpen());
    popuprules::Record(action);
    switch (action) {
    case popuprules::Action::OpenHere: return NewWindowAction::OpenHere;
    case popuprules::Action::OwnWindow: return NewWindowAction::OwnWindow;
    default: return NewWindowAction::Cancel;
    }
}

}  // namespace

CPagoraView::CPagoraView(QWidget* parent) : QWidget(parent) {
    m_restorer = new CPositionRestorer(this);
    m_autoScroll = new CViewAutoScroll(this);
    CreateBrowser();
    m_lastCompletion.start();
}

CPagoraView::~CPagoraView() { m_autoScroll->StopAutoScroll(); }

void CPagoraView::SetTextViewer(const std::string& program) { s_textViewer = program; }

std::string CPagoraView::ResourceModule() {
    // Resources are addressed by the program's file name: res://Pagora/<name>.
    std::string path = platform::ProgramPath();
    size_t slash = path.rfind('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return name.empty() ? std::string("Pagora") : name;
}

void CPagoraView::CreateBrowser() {
    m_browser = new CBrowserControl(this);
    m_restorer->SetBrowser(m_browser);
    setFocusProxy(m_browser);
    LayoutBrowser();
    m_browser->onBeforeNavigate = [this](const std::string& address) { return OnBeforeNavigate(address); };
    m_browser->onNewWindow = [this](const std::string& address, long long msSinceLeftClick) {
        return NewWindowFor(address, msSinceLeftClick, m_browser->IsComplete(), m_lastCompletion.elapsed());
    };
    connect(m_browser, &CBrowserControl::NavigateComplete, this, &CPagoraView::OnNavigateComplete);
    connect(m_browser, &CBrowserControl::TitleChange, this, [this](const QString& title) {
        Q_EMIT TitleText(QString::fromStdString(TitleFromBrowserTitle(title.toStdString())));
    });
    connect(m_browser, &CBrowserControl::StatusTextChange, this, [this](const QString& text) {
        Q_EMIT StatusText(QString::fromStdString(StatusFromBrowserStatus(text.toStdString())));
    });
    connect(m_browser, &CBrowserControl::ProgressChange, this, &CPagoraView::Progress);
    connect(m_browser, &CBrowserControl::CommandStateChange, this, &CPagoraView::CommandState);
    connect(m_browser, &CBrowserControl::DownloadBegin, this, [this] { m_restorer->LoadBegun(); });
    connect(m_browser, &CBrowserControl::RendererDied, this, &CPagoraView::OnRendererDied);
    // A page that closes its own window takes the browser with it: make a new one.
    connect(m_browser, &CBrowserControl::WindowClosing, this,
            [this] { QTimer::singleShot(0, this, &CPagoraView::RecreateBrowser); });
}

void CPagoraView::InitialUpdate() {
    // The first page goes straight into the new browser: a round trip
    // through "about:blank" first would only delay it. The display controls
    // are settings of the engine's page and hold before anything is loaded.
    m_justCreated = false;
    // "RARA_CAN_ZOOM": this engine zooms (known before the zoom is applied).
    MainParaBlock().SetValue(RARA_CAN_ZOOM, 1, false);
    ApplyDisplayControls();
}

void CPagoraView::ApplyDisplayControls(bool reload) {
    CParaBlock& b = MainParaBlock();
    m_browser->SetDownloadFlags(navrules::ComputeDownloadFlags(b.GetValue(PARA_NO_SCRIPT), b.GetValue(PARA_NO_JAVA),
                                                               b.GetValue(PARA_NO_ACTIVEX), b.GetValue(PARA_NO_IMAGE),
                                                               b.GetValue(PARA_NO_SOUND), b.GetValue(PARA_NO_VIDEO)));
    platform::RegistryStore& store = platform::RegistryStore::Instance();
    displayoptions::WriteOptionKeyColours(b, store);
    m_browser->ApplyOptionKeyColours();
    // The style sheet and its "Styles" values are kept for other programs;
    // the engine zooms by its own factor, which the scroll bars do not follow.
    displayoptions::WriteZoomStyleSheet(b, store, TheSideFiles().css);
    const bool zoom = displayoptions::ZoomInForce(b);
    m_browser->SetZoomPercent(zoom ? b.GetValue(PARA_ZOOM_PERSENT) : 100);
    LayoutBrowser();
    if (reload && zoom) ReopenAtSamePlace();
}

void CPagoraView::LayoutBrowser() {
    CParaBlock& b = MainParaBlock();
    const bool limited = b.GetValue(PARA_WIDTH_LIMIT_IT) != 0;
    const QRect client = contentsRect();
    const browserlayout::Span span =
        browserlayout::Horizontal(client.left(), client.width(), limited, b.GetValue(PARA_WIDTH_LIMITED));
    const QRect place(span.left, client.top(), span.width, client.height());
    if (m_browser->geometry() != place) m_browser->setGeometry(place);
    if (limited != m_limited) {
        m_limited = limited;
        update();
    }
}

void CPagoraView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayoutBrowser();
}

void CPagoraView::paintEvent(QPaintEvent*) {
    if (!m_limited) return;
    // The margins beside the limited page column.
    const uint32_t window = CColourValue(palette().color(QPalette::Base));
    const uint32_t colour =
        browserlayout::MarginColour(MainParaBlock().GetValue(PARA_WIDTH_LIMITED_BG_COLOR), window);
    QPainter painter(this);
    painter.fillRect(rect(), QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF));
}

void CPagoraView::ApplyDownloadControls() {
    CParaBlock& b = MainParaBlock();
    m_browser->SetDownloadFlags(navrules::ComputeDownloadFlags(b.GetValue(PARA_NO_SCRIPT), b.GetValue(PARA_NO_JAVA),
                                                               b.GetValue(PARA_NO_ACTIVEX), b.GetValue(PARA_NO_IMAGE),
                                                               b.GetValue(PARA_NO_SOUND), b.GetValue(PARA_NO_VIDEO)));
    OnRefresh();
}

void CPagoraView::RecreateBrowser() {
    WaitForPageServerLaunch();
    server::ThePageServer().Shutdown();
    CBrowserControl* old = m_browser;
    old->hide();
    old->deleteLater();
    CreateBrowser();
    m_browser->show();
    m_justCreated = true;
    m_browser->Navigate("about:blank");
    m_browser->WaitComplete(5000);
    ApplyDisplayControls();
    GoHome();
}

bool CPagoraView::IsComplete() const { return m_browser->IsComplete(); }
bool CPagoraView::RestorePending() const { return m_restorer->Pending(); }
std::string CPagoraView::Location() const { return m_browser->LocationURL(); }

std::string CPagoraView::StartAddressOfArchive(const std::string& document) {
    return ArchiveStartAddress(document);
}

void CPagoraView::OnRendererDied(const QString& address, int x, int y) {
    const std::string location = address.toStdString();
    ++m_rendererDeaths;
    // A page that kills its renderer again at once is not loaded a third time.
    const bool reload = m_rendererDeaths <= 2 && !location.empty() && location != "about:blank";
    if (reload) {
        // The view knows a text by its plain address; the page's address may
        // name one of the parts of a very long text, which is loaded again.
        const std::string plain = textroute::WithoutPart(location);
        m_restorer->RendererDied(plain, x, y);
        QTimer::singleShot(0, this, [this, location, plain] {
            if (location != plain) m_browser->Navigate(location);
            else NavigateTo(location);
        });
    }
    const std::string text = reload ? "页面的显示进程意外退出，已在原来的位置重新打开此页。"
                                    : "页面的显示进程一再意外退出，无法显示此页。";
    QTimer::singleShot(0, this, [this, text] { readerbox::Message(this, text); });
}

void CPagoraView::ReopenAtSamePlace() {
    const std::string location = m_browser->LocationURL();
    if (location.empty() || location == "about:blank") return;
    // The offsets it shows now (or those still waiting to be put back).
    const std::pair<int, int> offsets = GetScrollOffsets();
    // As after a renderer's death: the view knows a text by its plain
    // address, the page may show one of its parts, which is loaded again.
    const std::string plain = textroute::WithoutPart(location);
    m_restorer->Expect(plain, offsets.first, offsets.second);
    if (location != plain) m_browser->Navigate(location);
    else NavigateTo(location);
}

void CPagoraView::ReopenAtSameLine() {
    const std::string location = m_browser->LocationURL();
    if (location.empty() || location == "about:blank") return;
    const std::pair<int, int> offsets = GetScrollOffsets();
    // "TABLE OFFSET" of the character on top of the window, when the page is
    // a converted text showing its own lines.
    const std::string spot = m_browser->EvaluateText(PageScript("text-spot").toStdString(), 2000).value_or("");
    int table = -1, offset = -1;
    if (offsets.second == 0 || std::sscanf(spot.c_str(), "%d %d", &table, &offset) != 2) {
        ReopenAtSamePlace();
        return;
    }
    const std::string plain = textroute::WithoutPart(location);
    m_restorer->ExpectSpot(plain, offsets.first, offsets.second, table, offset);
    if (location != plain) m_browser->Navigate(location);
    else NavigateTo(location);
}

void CPagoraView::OpenFile(const std::string& document) {
    m_restorer->Abandon();
    NavigateTo(document);
}

void CPagoraView::NavigateTo(const std::string& address) {
    std::string local = AddressToLocalPath(address);
    std::string refusal = navrules::QuestionMarkMessage(local);
    if (!refusal.empty()) {
        readerbox::Message(this, refusal);
        return;
    }
    std::string start = StartAddressOfArchive(address);
    if (!start.empty()) {
        Q_EMIT SyncLocation(QString::fromStdString(address), kFromView);
        m_browser->Navigate(start);
        return;
    }
    if (IsArchiveName(address)) {
        // An archive without a page to start at.
        m_restorer->Abandon();
        m_browser->Navigate(navrules::ErrorPageAddress(ResourceModule(), address));
        return;
    }
    m_browser->Navigate(address);
}

void CPagoraView::GoHome() {
    std::string home = MainParaBlock().GetString(PARA_STR_HOMEPAGE);
    if (home.empty()) m_browser->Navigate(navrules::ResourceAddress(ResourceModule(), "Pagora_home.page"));
    else if (home == "*") m_browser->GoEngineHome();
    else NavigateTo(home);
}

void CPagoraView::OpenPosition(CParaBlock& block) {
    std::string target = block.GetString(PARA_STR_CUR_PATH_IN_ZIP);
    std::string currentPath = block.GetString(PARA_STR_CURRENT_PATH);
    if (!target.empty()) {
        std::string start = StartAddressOfArchive(currentPath);
        if (!start.empty()) {
            ClearPendingArchive();
            Q_EMIT SyncLocation(QString::fromStdString(currentPath), kFromView);
            // The server may have moved to another port since the position was saved.
            target = OnCurrentBase(target);
        } else {
            target = currentPath;
        }
    } else {
        target = currentPath;
    }
    m_restorer->Expect(target, block.GetValue(PARA_STARTPOINT_X), block.GetValue(PARA_STARTPOINT_Y));
    if (navrules::IsBuiltInHome(target)) target.clear();
    // A very long text reopens at the part that was being read.
    if (!target.empty()) {
        const std::string address = IsLocalPath(target)
                                        ? QUrl::fromLocalFile(QString::fromStdString(target)).toString(QUrl::FullyEncoded).toStdString()
                                        : target;
        const int part = textroute::IsCandidate(address) ? CTextLayoutStore::Program().LoadPart(address) : 1;
        if (part > 1) {
            m_browser->Navigate(textroute::WithPart(address, part));
            return;
        }
    }
    if (!target.empty()) {
        NavigateTo(target);
    } else {
        m_restorer->Clear();
        GoHome();
    }
}

bool CPagoraView::OnBeforeNavigate(const std::string& address) {
    CParaBlock& b = MainParaBlock();
    if (address.empty()) return true;
    if (b.GetValue(PARA_WND_FILTER) && navrules::WindowFilterRejects(address, WindowFilterKeywords())) return true;
    SetTextConversion(navrules::IsTextAddress(address) ? 1 : 0);
    return false;
}

void CPagoraView::OnNavigateComplete(const QString& qaddress, bool ok) {
    if (steptrace::Enabled()) steptrace::Mark(("page complete " + qaddress.toStdString()).c_str());
    const std::string location = qaddress.toStdString();
    bool skip = false;
    if (location == "about:blank" && m_justCreated) {
        m_justCreated = false;
        skip = true;
    } else {
        if (!PendingArchive().empty() && server::ThePageServer().IsRunning() && IsLoopbackAddress(location))
            ClearPendingArchive();
        if (!PendingArchive().empty()) {
            ClearPendingArchive();
            skip = true;
        }
    }
    if (!skip) {
        bool loopback = IsLoopbackAddress(location);
        if (OnNavigationCompleted(location)) Q_EMIT ArchiveLeft();
        if (loopback) Q_EMIT ArchiveEntered();
        Q_EMIT SyncLocation(qaddress, kFromView);
        m_restorer->LoadCompleted(location, ok);
        if (ok) m_rendererDeaths = 0;
        Q_EMIT AddressText(QString::fromStdString(navrules::AddressBarText(location, LoopbackBase())));
    }
    m_lastCompletion.restart();
    LayoutBrowser();
    Q_EMIT DocumentCompleted(qaddress, ok);
}

std::pair<int, int> CPagoraView::GetScrollOffsets() {
    // A position not yet applied to a growing page is still the reader's
    // position: saving the page's top instead would lose it.
    const std::string location = m_browser->LocationURL();
    if (auto waiting = m_restorer->WaitingFor(location)) return *waiting;
    // A page still loading (or a long text showing its first screens) is not
    // yet the document the position is saved for: the settings name it once
    // it has loaded. Saving its offsets, or none, would lose the place in
    // the page the reader came from. Once the reader's position was put back
    // into it, though, a page still loading holds that position itself.
    const bool complete = m_browser->IsComplete();
    if (!m_restorer->PlacedIn(location) && (!complete || !NamedBySettings(location)))
        return m_restorer->OffsetsBeforeLoad();
    if (auto exact = m_browser->ReadScrollOffsets(1000)) {
        // The offsets hold for the table heights of this reading: keep them
        // with the text, so that the next opening shows the same lines.
        if (complete) m_browser->SaveTextLayout(2000);
        return *exact;
    }
    return m_browser->ScrollOffsets();
}

bool CPagoraView::NamedBySettings(const std::string& location) const {
    CParaBlock& b = MainParaBlock();
    if (IsLoopbackAddress(location)) return location == b.GetString(PARA_STR_CUR_PATH_IN_ZIP);
    return navrules::SameDocument(location, b.GetString(PARA_STR_CURRENT_PATH)) &&
           (!AddressToLocalPath(location).empty() || location == b.GetString(PARA_STR_CURRENT_PATH));
}

void CPagoraView::ScrollTo(int x, int y) { m_browser->ScrollTo(x, y); }

std::string CPagoraView::ChooseFileToOpen() {
    // The filter text of the original dialog ("Name|patterns|...||") in Qt's form.
    QStringList filters;
    QStringList parts = QString::fromUtf8(kOpenFileFilter).split('|');
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty()) break;
        QString patterns = parts[i + 1];
        patterns.replace(';', ' ');
        QString name = parts[i];
        filters << (name.contains('(') ? name.left(name.indexOf('(')).trimmed() : name) + " (" + patterns + ")";
    }
    return readerbox::ChooseOpenFile(this, "打开", MainParaBlock().GetString(PARA_STR_CURRENT_DIR),
                                     filters.join(";;").toStdString());
}

void CPagoraView::OnBack() { m_browser->GoBack(); }
void CPagoraView::OnForward() { m_browser->GoForward(); }
void CPagoraView::OnStop() { m_browser->Stop(); }
void CPagoraView::OnHome() { GoHome(); }
void CPagoraView::OnSaveAs() { m_browser->ExecCommand(BrowserCommand::SaveAs); }
void CPagoraView::OnPrint() { m_browser->ExecCommand(BrowserCommand::Print); }
void CPagoraView::OnPrintPreview() { m_browser->ExecCommand(BrowserCommand::PrintPreview); }
void CPagoraView::OnPageSetup() { m_browser->ExecCommand(BrowserCommand::PageSetup); }
void CPagoraView::OnViewSource() { m_browser->ExecCommand(BrowserCommand::ViewSource); }
void CPagoraView::OnFind() { m_browser->ExecCommand(BrowserCommand::Find); }
void CPagoraView::OnWebSearch() { NavigateTo(kWebSearchPage); }

void CPagoraView::OnRefresh() {
    std::string location = m_browser->LocationURL();
    // A local document is opened again, so that text and archive handling apply anew.
    if (!AddressToLocalPath(location).empty()) NavigateTo(location);
    else m_browser->Refresh();
}

void CPagoraView::OnViewDecodedSource() { ShowInTextViewer(m_browser->DocumentHtml()); }

void CPagoraView::OnViewText() { ShowInTextViewer(m_browser->BodyText()); }

void CPagoraView::ShowInTextViewer(const std::string& content) {
    QTemporaryFile file(QDir::tempPath() + "/ispXXXXXX.txt");
    file.setAutoRemove(false);
    if (!file.open()) {
        readerbox::Message(this, "抱歉，无法启动记事本查看文本。");
        return;
    }
    file.write(content.data(), static_cast<qint64>(content.size()));
    file.close();
    QString path = file.fileName();
    bool started = false;
    if (!s_textViewer.empty()) {
        started = QProcess::startDetached(QString::fromStdString(s_textViewer), {path});
    } else {
        started = QProcess::startDetached("xdg-open", {path}) || QProcess::startDetached("gio", {"open", path});
    }
    if (!started) {
        readerbox::Message(this, "抱歉，无法启动记事本查看文本。");
        QFile::remove(path);
    }
    // The viewer opens the file after this returns, so the file stays.
}

void CPagoraView::OnFolderHome() {
    CParaBlock& b = MainParaBlock();
    if (!b.GetString(PARA_STR_CUR_PATH_IN_ZIP).empty()) {
        OnArchiveHome();
        return;
    }
    CIndexNavigator::Outcome outcome = MakeIndexNavigator().FolderHome(b.GetString(PARA_STR_CURRENT_PATH));
    if (!outcome.message.empty()) readerbox::Message(this, outcome.message);
    else NavigateTo(outcome.address);
}

void CPagoraView::OnParentFolder() {
    CParaBlock& b = MainParaBlock();
    if (!b.GetString(PARA_STR_CUR_PATH_IN_ZIP).empty()) {
        OnArchiveParent();
        return;
    }
    CIndexNavigator::Outcome outcome = MakeIndexNavigator().ParentFolderHome(b.GetString(PARA_STR_CURRENT_PATH));
    if (!outcome.message.empty()) readerbox::Message(this, outcome.message);
    else NavigateTo(outcome.address);
}

void CPagoraView::OnArchiveHome() {
    std::string archive = TheArchiveHolder().ArchivePath();
    std::string entry;
    if (!archive.empty()) {
        // A short-lived holder chooses the first page anew and writes "CurPathInZip".
        CArchiveHolder holder;
        if (holder.OpenArchive(archive)) entry = MainParaBlock().GetString(PARA_STR_CUR_PATH_IN_ZIP);
    }
    if (entry.empty()) {
        readerbox::Message(this, CIndexNavigator::kNoArchiveHome);
        return;
    }
    m_browser->Navigate(IsLoopbackAddress(entry) ? entry : LoopbackBase() + entry);
}

void CPagoraView::OnArchiveParent() {
    CIndexNavigator::Outcome outcome =
        CIndexNavigator::ArchiveParent(MainParaBlock().GetString(PARA_STR_CUR_PATH_IN_ZIP), LoopbackBase());
    if (!outcome.message.empty()) readerbox::Message(this, outcome.message);
    else m_browser->Navigate(outcome.address);
}
