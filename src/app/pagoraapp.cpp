#include "app/pagoraapp.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QTextStream>
#include <QTimer>

#include "platform/steptrace.h"
#include "settings/parablock.h"
#include "app/scriptdriver.h"
#include "app/singleinstance.h"
#include "frame/windowmodes.h"
#include "platform/modulepath.h"
#include "view/locationorigin.h"
#include "settings/sidefiles.h"
#include "session/addressmapping.h"
#include "session/bookshelf.h"
#include "session/recentlist.h"
#include "session/startupcore.h"
#include "session/textfiltermodule.h"
#include "archive/homenames.h"
#include "archive/rarmanager.h"
#include "frame/bookmarkcommands.h"
#include "frame/clockcommands.h"
#include "frame/mainframe.h"
#include "view/browsercontrol.h"
#include "view/messagebox.h"
#include "view/pagoraview.h"
#include "view/textpagecache.h"
#include "view/textschemehandler.h"

CPagoraApp::CPagoraApp(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Pagora"));
    // The window manager matches the window to the installed desktop entry.
    setDesktopFileName(QStringLiteral("pagora"));
    UseDesktopIcons();
    setQuitOnLastWindowClosed(true);
    ParseOptions();
}

CPagoraApp::~CPagoraApp() = default;

void CPagoraApp::UseDesktopIcons() {
    // The desktop's own icon theme where it names one; Breeze (or Adwaita)
    // from Debian fills the gaps, and stands in on a bare X server.
    QString fallback;
    for (const QString& theme : {QStringLiteral("breeze"), QStringLiteral("Adwaita")}) {
        for (const QString& base : QIcon::themeSearchPaths())
            if (QFileInfo::exists(base + "/" + theme + "/index.theme")) {
                fallback = theme;
                break;
            }
        if (!fallback.isEmpty()) break;
    }
    if (!fallback.isEmpty()) {
        QIcon::setFallbackThemeName(fallback);
        if (QIcon::themeName().isEmpty() || QIcon::themeName() == QLatin1String("hicolor")) QIcon::setThemeName(fallback);
    }
    setWindowIcon(QIcon::fromTheme(QStringLiteral("pagora"), QIcon(QStringLiteral(":/res/icons/pagora.svg"))));
}

void CPagoraApp::ParseOptions() {
    QStringList args = arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        auto value = [&](std::string* out) {
            if (i + 1 < args.size()) *out = args[++i].toStdString();
        };
        if (a == "--screenshot") value(&m_screenshot);
        else if (a == "--script") value(&m_script);
        else if (a == "--bookmark") value(&m_bookmark);
        else if (a == "--no-message-boxes") readerbox::SetPrintInsteadOfBoxes(true);
        else if (a == "--report-first-load") m_reportFirstLoad = true;
        else if (a == "--trace-startup") continue;  // read by main before the application object
        else if (a == "--hand-over-only") m_handOverOnly = true;
        else if (a == "--text-viewer") {
            std::string viewer;
            value(&viewer);
            CPagoraView::SetTextViewer(viewer);
        } else m_documentArgs.push_back(a.toStdString());
    }
}

bool CPagoraApp::HandOverToRunningReader() {
    const bool scripted = !m_script.empty() || !m_screenshot.empty() || m_reportFirstLoad || !m_bookmark.empty();
    if (scripted && !m_handOverOnly) return false;
    ParsedCommandLine cmd = ParseCommandLine(m_documentArgs, QDir::currentPath().toStdString());
    QString path = cmd.action == CommandAction::Open ? QString::fromStdString(cmd.path) : QString();
    CSingleInstance other(QString::fromStdString(platform::ProfileFolder()));
    return other.HandOver(path);
}

void CPagoraApp::ListenForLaterReaders() {
    m_instance = new CSingleInstance(QString::fromStdString(platform::ProfileFolder()), this);
    // Another reader of this profile took the name first (both started at
    // once): this one runs on without listening.
    if (!m_instance->Listen()) return;
    connect(m_instance, &CSingleInstance::Requested, this, [this](const QString& path) {
        if (!m_frame) return;
        m_frame->Modes()->BringToFront();
        if (!path.isEmpty()) m_frame->SyncLocation(path, kFromFrame);
    });
}

bool CPagoraApp::InitInstance() {
    StartupHooks hooks;
    hooks.loadPasswords = [] {
        LoadArchiveTables();
        RegisterRarManager();  // the holder creates RAR managers from now on
    };
    hooks.loadBookshelf = [] { LoadShelves(TheSideFiles().blb); };
    hooks.readRecentLists = [] {
        for (CIniRecentList* list : {&TheRecentFiles(), &TheRecentBookmarks()}) {
            list->Bind(TheSideFiles().ini);
            list->ReadList();
        }
        // Every local document shown goes to the top of "最近文件", written at
        // once so that a crash keeps it.
        SetRecentFileHook([](const std::string& path) {
            TheRecentFiles().Add(path);
            TheRecentFiles().WriteList();
        });
    };
    hooks.loadTextFilterModule = [] { LoadTextFilterModule(); };
    hooks.registerTextFilter = [] { RegisterTextFilter(); };
    hooks.launchPageServer = [] { LaunchPageServerAhead(); };
    hooks.createWindows = [this] {
        m_frame = std::make_unique<CMainFrame>();
        steptrace::Mark("main window made");
        m_frame->RestorePlacement();
        m_frame->RestoreBarLayout();
        m_frame->show();
        steptrace::Mark("main window shown");
        m_frame->View()->InitialUpdate();
        ListenForLaterReaders();
        QStringList commands;
        if (!m_script.empty()) {
            QFile file(QString::fromStdString(m_script));
            if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
                QTextStream in(&file);
                while (!in.atEnd()) commands << in.readLine();
            }
        }
        if (!m_screenshot.empty()) commands << "screenshot " + QString::fromStdString(m_screenshot) << "close";
        if (!commands.isEmpty() || m_reportFirstLoad) {
            m_driver = std::make_unique<CScriptDriver>(m_frame.get(), commands);
            if (m_reportFirstLoad) m_driver->ReportFirstLoad();
            m_driver->Arm();
        }
    };
    hooks.showClock = [this] { m_frame->Clock()->ShowClock(); };
    hooks.openPosition = [this](CParaBlock& block) {
        if (m_bookmark.empty()) {
            m_frame->View()->OpenPosition(block);
            return;
        }
        // A launcher or a script jumps straight to a reading spot; a name
        // that is no bookmark opens the home page and says so.
        if (m_frame->Bookmarks()->OpenBookmark(m_bookmark)) return;
        CParaBlock home;
        m_frame->View()->OpenPosition(home);
        readerbox::Message(m_frame.get(), "抱歉，没有名为“" + m_bookmark + "”的书签。");
    };
    hooks.waitForBrowser = [this] { m_frame->View()->Browser()->WaitComplete(5000); };
    // With --bookmark a document named as well is not opened.
    ParsedCommandLine cmd = m_bookmark.empty() ? ParseCommandLine(m_documentArgs, QDir::currentPath().toStdString())
                                               : ParsedCommandLine{};
    return RunStartup(hooks, cmd);
}

int CPagoraApp::ExitInstance(int code) {
    m_driver.reset();
    m_frame.reset();
    ShutdownHooks hooks;
    hooks.removeTextFilter = [] {
        // Conversions still streaming use the filter; they end with their pages.
        CTextSchemeHandler::WaitForWorkers(3000);
        RemoveTextFilter(false);
        // Converted pages written for this run go with it.
        textpagecache::RemoveOwnFiles();
        textpagecache::RemoveStaleFiles();
    };
    hooks.freeTextFilterModule = [] { FreeTextFilterModule(); };
    hooks.writeRecentBookmarks = [] { TheRecentBookmarks().WriteList(); };
    hooks.writeRecentFiles = [] {
        SetRecentFileHook({});
        TheRecentFiles().WriteList();
    };
    RunShutdown(hooks);
    return code;
}
