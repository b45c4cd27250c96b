#include "frame/sidebars.h"

#include <QDir>
#include <QMainWindow>

#include "session/addressmapping.h"
#include "settings/loopback.h"
#include "settings/parablock.h"
#include "controls/archivebar.h"
#include "controls/filelistbar.h"
#include "frame/commandids.h"
#include "frame/commandregistry.h"
#include "frame/locationsync.h"
#include "server/pageserver.h"
#include "view/messagebox.h"
#include "view/pagoraview.h"

CSideBars::CSideBars(QMainWindow* window, CPagoraView* view) : QObject(window), m_window(window), m_view(view) {}

void CSideBars::RegisterCommands(CCommandRegistry& commands) {
    auto archiveOpen = [] { return server::ThePageServer().IsRunning(); };
    commands.Add(ID_VIEW_ARCHIVE_BAR, "view.archive-bar", "压缩文件内容", "打开/关闭压缩文件内容列表\n压缩文件内容",
                 [this] { ToggleArchiveBar(); })
        .Checks([this] { return ArchiveBarShown(); })
        .EnabledWhen(archiveOpen);
    commands.Add(ID_VIEW_FILE_LIST, "view.file-list", "文件列表", "打开/关闭文件列表\n文件列表",
                 [this] { ToggleFileList(); })
        .Checks([this] { return FileListShown(); });
    commands.Add(ID_FILE_LOCATE, "go.locate-file", "文件定位", "在文件列表中定位当前文件\n文件定位",
                 [this] { LocateFile(); });
}

bool CSideBars::FileListShown() const { return m_fileList && m_fileList->isVisibleTo(m_window); }

bool CSideBars::ArchiveBarShown() const { return m_archiveBar && m_archiveBar->isVisibleTo(m_window); }

void CSideBars::CreateFileList() {
    m_fileList = new CFileListBar(m_window);
    m_window->addDockWidget(Qt::LeftDockWidgetArea, m_fileList);
    std::string dir = MainParaBlock().GetString(PARA_STR_CURRENT_DIR);
    m_fileList->ShowFolder(dir.empty() ? QDir::homePath() : QString::fromStdString(dir));
    m_fileList->SelectLocation(MainParaBlock().GetString(PARA_STR_CURRENT_PATH));
    connect(m_fileList, &CFileListBar::FileChosen, this,
            [this](const QString& path) { emit LocationChosen(path, kFromFileList); });
    connect(m_fileList, &QDockWidget::visibilityChanged, this, &CSideBars::Changed);
}

void CSideBars::CreateArchiveBar() {
    m_archiveBar = new CArchiveBar(m_window);
    m_window->addDockWidget(Qt::RightDockWidgetArea, m_archiveBar);
    m_archiveBar->ShowEntries(ArchiveEntriesOf(MainParaBlock().GetString(PARA_STR_CURRENT_PATH)));
    connect(m_archiveBar, &CArchiveBar::EntryChosen, this,
            [this](const QString& address) { emit LocationChosen(address, kFromArchiveBar); });
    connect(m_archiveBar, &QDockWidget::visibilityChanged, this, &CSideBars::Changed);
}

void CSideBars::ToggleFileList() {
    if (!m_view->IsComplete()) {
        readerbox::Message(m_window, "请等到页面显示完成再选择此功能。");
        return;
    }
    if (!m_fileList) {
        CreateFileList();
        m_fileList->show();
    } else {
        m_fileList->setVisible(!m_fileList->isVisibleTo(m_window));
    }
    m_view->setFocus();
}

void CSideBars::ToggleArchiveBar() {
    if (!server::ThePageServer().IsRunning()) return;
    if (m_archiveBar) {
        bool show = !m_archiveBar->isVisibleTo(m_window);
        // The bar may have been emptied when the reader left an archive.
        if (show) m_archiveBar->ShowEntries(ArchiveEntriesOf(MainParaBlock().GetString(PARA_STR_CURRENT_PATH)));
        m_archiveBar->setVisible(show);
        if (show) m_archiveBar->SelectLocation(LoopbackBase() + MainParaBlock().GetString(PARA_STR_CUR_PATH_IN_ZIP));
    } else {
        std::string inZip = MainParaBlock().GetString(PARA_STR_CUR_PATH_IN_ZIP);
        CreateArchiveBar();
        m_archiveBar->show();
        MainParaBlock().SetString(PARA_STR_CUR_PATH_IN_ZIP, inZip, true);
        m_archiveBar->SelectLocation(inZip.rfind("http", 0) == 0 ? inZip : LoopbackBase() + inZip);
    }
    m_archiveBarWanted = m_archiveBar->isVisibleTo(m_window);
    m_view->setFocus();
}

void CSideBars::LocateFile() {
    if (!FileListShown()) {
        if (!m_fileList) CreateFileList();
        m_fileList->show();
    }
    m_fileList->SelectLocation(MainParaBlock().GetString(PARA_STR_CURRENT_PATH));
}

void CSideBars::ShowFileListAt(const QString& folder) {
    if (!FileListShown()) {
        if (!m_fileList) CreateFileList();
        m_fileList->show();
    }
    m_fileList->ShowFolder(folder);
}

void CSideBars::LeaveArchive() {
    m_archiveBarWanted = ArchiveBarShown();
    if (m_archiveBar) {
        m_archiveBar->Empty();
        m_archiveBar->hide();
    }
    emit Changed();
}

void CSideBars::EnterArchive() {
    emit Changed();
    if (m_archiveBarWanted && !ArchiveBarShown())
        QMetaObject::invokeMethod(
            this,
            [this] {
                ToggleArchiveBar();
                emit Changed();
            },
            Qt::QueuedConnection);
}

bool CSideBars::RestoreLayout(const QByteArray& state) {
    // The layout may name the side bars; they are made beforehand so that
    // restoreState can place them, and removed again when it turns out
    // unusable. The state names its bars in UTF-16 (big-endian).
    auto names = [&state](const QString& name) {
        QByteArray wide;
        for (QChar c : name) {
            wide.append(static_cast<char>(c.unicode() >> 8));
            wide.append(static_cast<char>(c.unicode() & 0xFF));
        }
        return state.contains(wide);
    };
    bool hadFile = m_fileList, hadArchive = m_archiveBar;
    if (!m_fileList && names(QStringLiteral("FileListBar"))) CreateFileList();
    if (!m_archiveBar && names(QStringLiteral("ArchiveBar"))) CreateArchiveBar();
    if (!m_window->restoreState(state)) {
        if (!hadFile && m_fileList) {
            delete m_fileList;
            m_fileList = nullptr;
        }
        if (!hadArchive && m_archiveBar) {
            delete m_archiveBar;
            m_archiveBar = nullptr;
        }
        return false;
    }
    // The archive bar only shows while an archive is open.
    if (m_archiveBar && !server::ThePageServer().IsRunning()) {
        m_archiveBarWanted = m_archiveBar->isVisibleTo(m_window);
        m_archiveBar->hide();
    }
    if (FileListShown())
        m_fileList->ShowFolder(QString::fromStdString(MainParaBlock().GetString(PARA_STR_CURRENT_DIR)));
    emit Changed();
    return true;
}
