#include "frame/mainframe.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QScreen>
#include <QShortcut>
#include <QSystemTrayIcon>
#include <QToolBar>

#include "session/addressmapping.h"
#include "settings/parablock.h"
#include "settings/restoredefaults.h"
#include "settings/sidefiles.h"
#include "archive/archiveprompt.h"
#include "controls/archivebar.h"
#include "controls/filelistbar.h"
#include "dialogs/aboutdialog.h"
#include "dialogs/homenamedialog.h"
#include "dialogs/passworddialog.h"
#include "frame/addressbar.h"
#include "frame/archivepromptbridge.h"
#include "frame/autoscrollcommands.h"
#include "frame/textdisplaycommands.h"
#include "frame/filtercommands.h"
#include "frame/displaycommands.h"
#include "frame/bookmarkcommands.h"
#include "frame/clockcommands.h"
#include "frame/commandids.h"
#include "frame/commandmenus.h"
#include "frame/desktopcommands.h"
#include "frame/documentmemory.h"
#include "frame/favouritesmenu.h"
#include "frame/librarycommands.h"
#include "frame/progressstatusbar.h"
#include "frame/sidebars.h"
#include "frame/textencodingswitch.h"
#include "frame/viewcommands.h"
#include "frame/windowmodes.h"
#include "frame/windowplacement.h"
#include "platform/inifile.h"
#include "view/browsercontrol.h"
#include "view/messagebox.h"
#include "view/pagoraview.h"
#include "view/viewautoscroll.h"

namespace {

// The program's web page, opened by "检查更新...".
constexpr const char* kProgramPage = "https://example.org/pagora/";

}  // namespace

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Pagora"));
    m_view = new CPagoraView(this);
    setCentralWidget(m_view);
    m_statusBar = new CProgressStatusBar(this);
    setStatusBar(m_statusBar);
    m_address = new CAddressBar(this);
    m_sideBars = new CSideBars(this, m_view);
    // Full screen hides these and brings back those that were shown.
    m_modes = new CWindowModes(this, [this] {
        return QList<QWidget*>{ToolBar(), m_address, m_statusBar, m_sideBars->FileList(), m_sideBars->ArchiveBar()};
    });
    m_favourites = new CFavouritesMenu(m_view, this);
    m_bookmarks = new CBookmarkCommands(this, m_view, [this](const QString& path) { SyncLocation(path, kFromFrame); });
    m_library = new CLibraryCommands(this, m_sideBars);
    m_clock = new CClockCommands(this);
    m_memory = std::make_unique<CDocumentMemory>(m_view);

    // Each part registers the commands it carries out; the menus show them.
    RegisterCommands();
    RegisterViewCommands(m_registry, m_view, m_memory.get());
    RegisterAutoScrollCommands(m_registry, m_view, this);
    RegisterTextDisplayCommands(m_registry, m_view, this);
    RegisterFilterCommands(m_registry, m_view, this);
    RegisterDisplayCommands(m_registry, m_view, this);
    m_address->RegisterCommands(m_registry);
    m_sideBars->RegisterCommands(m_registry);
    m_modes->RegisterCommands(m_registry);
    m_favourites->RegisterCommands(m_registry);
    m_bookmarks->RegisterCommands(m_registry);
    m_library->RegisterCommands(m_registry);
    m_clock->RegisterCommands(m_registry);
    RegisterDesktopCommands(m_registry, this);
    m_menus = new CCommandMenus(m_registry, this);
    m_bookmarks->Attach(m_menus);
    m_modes->SetFullScreenAction(m_menus->Action(ID_FULL_SCREEN));
    m_favourites->Attach(m_menus->MenuOf(ID_FAVORITE_FIRST), m_menus->Action(ID_FAVORITE_FIRST));
    auto [encodingMenu, beforeEncodings] = m_menus->Place("view.encoding");
    m_encodings = new CTextEncodingSwitch(m_view, m_statusBar, encodingMenu, beforeEncodings, this);

    addToolBar(m_menus->ToolBar());
    addToolBarBreak();
    addToolBar(m_address);
    if (MainParaBlock().GetValue(PARA_SHOW_ADDR) == 0) m_address->hide();
    // F6 and Shift+F6 (next and previous pane) move the keyboard focus
    // between the page, the visible side bars and the address bar.
    auto* nextPane = new QShortcut(QKeySequence(Qt::Key_F6), this);
    connect(nextPane, &QShortcut::activated, this, [this] { FocusPane(+1); });
    auto* prevPane = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F6), this);
    connect(prevPane, &QShortcut::activated, this, [this] { FocusPane(-1); });

    ConnectView();
    connect(m_address, &CAddressBar::LocationEntered, this, [this](const QString& l) { SyncLocation(l, kFromFrame); });
    connect(m_sideBars, &CSideBars::LocationChosen, this, &CMainFrame::SyncLocation);
    connect(m_sideBars, &CSideBars::Changed, this, &CMainFrame::RefreshCommands);
    connect(m_modes, &CWindowModes::Changed, this, &CMainFrame::RefreshCommands);
    connect(m_favourites, &CFavouritesMenu::Chosen, this, [this](const QString& address) {
        SyncLocation(address, kFromFrame);
        RefreshCommands();
    });
    m_prompt = new CArchivePromptBridge(this);

    // The archive counter pane ("%d/%d"); archives may be opened off this thread.
    SetArchiveCountIndicator([this](const std::string& text) {
        QString q = QString::fromStdString(text);
        QMetaObject::invokeMethod(this, [this, q] { SetPaneText(PANE_ARCHIVE_COUNT, q); }, Qt::QueuedConnection);
    });
    SetRefreshBarsHook([this] { QMetaObject::invokeMethod(this, [this] { RefreshCommands(); }, Qt::QueuedConnection); });
    setAcceptDrops(true);
    RefreshCommands();
}

CMainFrame::~CMainFrame() {
    SetArchiveCountIndicator({});
    SetRefreshBarsHook({});
    // The actions' commands live in m_registry, which goes before the
    // widgets holding the actions.
    delete m_menus;
    m_menus = nullptr;
}

QToolBar* CMainFrame::ToolBar() const { return m_menus ? m_menus->ToolBar() : nullptr; }

void CMainFrame::RegisterCommands() {
    CCommandRegistry& r = m_registry;
    r.Add(ID_APP_EXIT, "file.exit", "退出(&X)", "退出本程序\n退出", [this] { close(); });
    r.Add(ID_VIEW_TOOLBAR, "view.toolbar", "工具条(&T)", "打开/关闭工具条\n工具条",
          [this] { ToolBar()->setVisible(!ToolBar()->isVisible()); })
        .Checks([this] { return ToolBar()->isVisibleTo(this); });
    r.Add(ID_VIEW_STATUS_BAR, "view.status-bar", "状态条(&S)", "打开/关闭状态条\n状态条",
          [this] { m_statusBar->setVisible(!m_statusBar->isVisible()); })
        .Checks([this] { return m_statusBar->isVisibleTo(this); });
    r.Add(ID_ARCHIVE_PASSWORDS, "options.archive-passwords", "压缩文件密码管理...", "压缩文件密码管理\n压缩文件密码管理",
          [this] { EditArchivePasswords(); });
    r.Add(ID_ARCHIVE_HOMENAMES, "options.archive-home-names", "压缩文件主页管理...",
          "压缩文件主页管理\n压缩文件主页管理", [this] { EditArchiveHomeNames(); });
    r.Add(ID_SAVE_RST, "options.restore-session", "启动时自动恢复现场",
          "启动时自动恢复上次退出时浏览的页面、位置\n启动时自动恢复现场", [this] { ToggleSessionRestore(); })
        .Checks([] { return MainParaBlock().GetValue(PARA_SAVE_RST) != 0; });
    r.Add(ID_RESTORE_DEFAULTS, "options.restore-defaults", "恢复默认选项", "将所有选项恢复成默认值\n恢复默认选项",
          [this] { RestoreDefaults(true); });
    r.Add(ID_APP_ABOUT, "help.about", "关于Pagora...", "显示程序信息，版本号和版权\n关于Pagora", [this] { ShowAbout(); });
    r.Add(ID_CHECK_UPDATE, "help.check-update", "检查更新...", "访问Pagora主页，检查最近更新\n检查更新",
          [this] { m_view->NavigateTo(kProgramPage); });
}

void CMainFrame::ConnectView() {
    connect(m_view, &CPagoraView::SyncLocation, this, &CMainFrame::SyncLocation);
    connect(m_view, &CPagoraView::AddressText, m_address, &CAddressBar::ShowAddress);
    connect(m_view, &CPagoraView::StatusText, this,
            [this](const QString& text) { m_statusBar->SetPaneText(PANE_STATUS, text); });
    connect(m_view, &CPagoraView::Progress, this, &CMainFrame::ShowProgress);
    connect(m_view, &CPagoraView::ArchiveLeft, this, [this] {
        m_sideBars->LeaveArchive();
        SetPaneText(PANE_ARCHIVE_COUNT, QString());
    });
    connect(m_view, &CPagoraView::ArchiveEntered, m_sideBars, &CSideBars::EnterArchive);
    connect(m_view, &CPagoraView::RefreshBars, this, &CMainFrame::RefreshCommands);
    connect(m_view->AutoScroll(), &CViewAutoScroll::Changed, this, &CMainFrame::RefreshCommands);
    connect(m_view->AutoScroll(), &CViewAutoScroll::Countdown, this,
            [this](const QString& text) { SetPaneText(PANE_SCROLL_SECONDS, text); });
    connect(m_view, &CPagoraView::TitleText, this, [this](const QString& title) {
        setWindowTitle(title.isEmpty() ? QStringLiteral("Pagora") : title + QStringLiteral(" - Pagora"));
    });
    // The browser tells of its history before it can be asked.
    connect(m_view, &CPagoraView::CommandState, this, [this](bool back, bool forward) {
        m_menus->SetEnabled(ID_BACK, back);
        m_menus->SetEnabled(ID_FORWARD, forward);
    });
    connect(m_view, &CPagoraView::DocumentCompleted, this, [this] {
        m_statusBar->SetPaneText(PANE_STATUS, QString::fromStdString(StatusFromBrowserStatus("")));
        RefreshCommands();
    });
}

void CMainFrame::RefreshCommands() {
    if (m_menus) m_menus->Refresh();
    if (m_bookmarks) m_bookmarks->UpdateMenus();
}

QList<QWidget*> CMainFrame::Panes() const {
    QList<QWidget*> panes{m_view};
    if (m_sideBars->FileListShown()) panes << m_sideBars->FileList();
    if (m_sideBars->ArchiveBarShown()) panes << m_sideBars->ArchiveBar();
    if (m_address->isVisibleTo(this)) panes << m_address->Combo();
    return panes;
}

void CMainFrame::FocusPane(int step) {
    QList<QWidget*> panes = Panes();
    int current = 0;
    for (QWidget* focus = QApplication::focusWidget(); focus; focus = focus->parentWidget()) {
        if (int i = panes.indexOf(focus); i >= 0) {
            current = i;
            break;
        }
    }
    QWidget* target = panes[(current + step + panes.size()) % panes.size()];
    if (target == m_view) m_view->setFocus();
    else if (auto* dock = qobject_cast<QDockWidget*>(target); dock && dock->widget()) dock->widget()->setFocus();
    else target->setFocus();
}

void CMainFrame::ToggleSessionRestore() {
    MainParaBlock().SetValue(PARA_SAVE_RST, MainParaBlock().GetValue(PARA_SAVE_RST) ? 0 : 1, true);
}

void CMainFrame::EditArchivePasswords() {
    CPasswordDialog dialog(TheSideFiles().pwd, false, this);
    dialog.Run();
}

void CMainFrame::EditArchiveHomeNames() {
    CHomeNameDialog dialog(TheSideFiles().zhp, this);
    dialog.exec();
}

void CMainFrame::ShowAbout() {
    CAboutDialog dialog(this);
    dialog.exec();
}

void CMainFrame::SetPaneText(int id, const QString& text) { m_statusBar->SetPaneText(id, text); }

void CMainFrame::ShowProgress(int position, int total) { m_statusBar->ShowProgress(position, total); }

void CMainFrame::SyncLocation(const QString& location, int origin) {
    if (!m_sync.Enter()) return;
    std::string where = location.toStdString();
    CSideBars* bars = m_sideBars;
    CLocationSync::Routing r = CLocationSync::Route(where, origin, bars->FileList() != nullptr,
                                                    bars->ArchiveBar() != nullptr);
    if (r.openInView) m_memory->Open(where);
    if (r.toFileList) bars->FileList()->SelectLocation(where);
    if (r.rereadArchive) bars->ArchiveBar()->ShowEntries(ArchiveEntriesOf(where));
    if (r.selectInArchive) bars->ArchiveBar()->SelectLocation(where);
    m_sync.Leave();
}

void CMainFrame::RestorePlacement() {
    std::string bytes(CWindowPlacement::kSize, '\0');
    std::optional<CWindowPlacement> placement;
    if (platform::ini::GetStruct(TheSideFiles().ini, CWindowPlacement::Section(), CWindowPlacement::Key(), bytes.data(),
                                 bytes.size()))
        placement = CWindowPlacement::Decode(bytes);
    QRect available = screen() ? screen()->availableGeometry() : QRect(0, 0, 1280, 800);
    if (!placement) {
        // First run or a damaged value: maximised.
        setGeometry(available);
        setWindowState(Qt::WindowMaximized);
        return;
    }
    setGeometry(QRect(QPoint(placement->left, placement->top), QPoint(placement->right - 1, placement->bottom - 1)));
    // A minimised placement comes back restored (Decode turns it into restore).
    setWindowState(placement->showCmd == CWindowPlacement::kMaximized ? Qt::WindowMaximized : Qt::WindowNoState);
}

void CMainFrame::RestoreBarLayout() {
    std::string saved = platform::ini::GetString(TheSideFiles().ini, "BarSec", "Layout", "", 65536);
    if (saved.empty()) return;
    QByteArray state = QByteArray::fromBase64(QByteArray::fromStdString(saved));
    if (MainParaBlock().GetValue(PARA_SHOW_ADDR) == 0) m_address->hide();
    // A damaged layout is ignored as a whole: the default layout stays.
    if (!m_sideBars->RestoreLayout(state)) m_address->show();
}

void CMainFrame::SaveWindowState() {
    if (m_modes->IsFullScreen()) m_modes->ToggleFullScreen();
    const std::string& ini = TheSideFiles().ini;
    platform::ini::WriteString(ini, "BarSec", "Layout", saveState().toBase64().toStdString());
    MainParaBlock().SetValue(PARA_SHOW_ADDR, m_address->isVisibleTo(this) ? 1 : 0, true);
    CWindowPlacement placement;
    QRect normal = normalGeometry().isValid() ? normalGeometry() : geometry();
    placement.left = normal.left();
    placement.top = normal.top();
    placement.right = normal.left() + normal.width();
    placement.bottom = normal.top() + normal.height();
    placement.showCmd = isMinimized()   ? CWindowPlacement::kMinimized
                        : isMaximized() ? CWindowPlacement::kMaximized
                                        : CWindowPlacement::kNormal;
    std::string bytes = placement.Encode();
    platform::ini::WriteStruct(ini, CWindowPlacement::Section(), CWindowPlacement::Key(), bytes.data(), bytes.size());
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // The reading position and the window's state are saved as the window closes.
    m_memory->RecordCurrent();
    SavePosition([this] { return m_view->GetScrollOffsets(); });
    SaveWindowState();
    if (QSystemTrayIcon* tray = m_modes->TrayIcon()) tray->hide();
    event->accept();
    // This is the program's only main window: closing it ends the run even
    // while helper windows (source, text viewer) are still open.
    QCoreApplication::quit();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    if (OpenDropped(event->mimeData()->urls())) event->acceptProposedAction();
}

bool CMainFrame::OpenDropped(const QList<QUrl>& urls) {
    // The first dropped file that exists is opened; the others are ignored.
    for (const QUrl& url : urls) {
        if (!url.isLocalFile()) continue;
        QString path = url.toLocalFile().left(520);
        if (!QFileInfo::exists(path)) continue;
        SyncLocation(path, kFromFrame);
        return true;
    }
    return false;
}

void CMainFrame::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) m_modes->OnWindowStateChange();
}

void CMainFrame::RestoreDefaults(bool askFirst) {
    auto confirm = [this, askFirst] {
        return !askFirst || readerbox::AskYesNo(this, "您确认您真的想恢复所有选项的默认值吗？");
    };
    auto windowSteps = [this](const RestoreDefaultsMemo& memo) {
        m_view->ApplyDisplayControls();
        std::string document = MainParaBlock().GetString(PARA_STR_CURRENT_PATH);
        QString local = QUrl(QString::fromStdString(document)).isLocalFile()
                            ? QUrl(QString::fromStdString(document)).toLocalFile()
                            : QString::fromStdString(document);
        if (memo.widthLimitWasOn) {
            m_view->update();
            m_view->OnRefresh();
        } else if (local.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive)) {
            m_view->OnRefresh();
        }
        if (memo.width800WasOn) {
            // Back on for this run only, so that the window's own toggle turns it off and writes 0.
            MainParaBlock().SetValue(PARA_WIDTH_800, 1, false);
            m_modes->ToggleWidth800();
        }
        m_clock->ShowClock();
    };
    RunRestoreDefaults(MainParaBlock(), confirm, windowSteps);
}
