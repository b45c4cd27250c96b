#include "frame/mainframe.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QToolBar>
#include <QWindow>

#include "app/addressmapping.h"
#include "app/loopback.h"
#include "app/parablock.h"
#include "app/sidefiles.h"
#include "archive/archiveprompt.h"
#include "dialogs/passworddialog.h"
#include "frame/archivepromptbridge.h"
#include "frame/commandtable.h"
#include "frame/progressstatusbar.h"
#include "platform/inifile.h"
#include "server/pageserver.h"
#include "view/browsercontrol.h"
#include "view/navigationrules.h"
#include "view/pagoraview.h"

namespace {

// The program's web page, opened by "检查更新...".
constexpr const char* kProgramPage = "https://example.org/pagora/";

// A tool-bar picture: the platform's icon where it has one, else the first
// character of the tool tip on a small tile.
QIcon CommandIcon(int id, const QString& toolTip) {
    QStyle* style = QApplication::style();
    static const QHash<int, QStyle::StandardPixmap> kStandard = {
        {ID_FILE_OPEN, QStyle::SP_DialogOpenButton},   {ID_FILE_SAVE_AS, QStyle::SP_DialogSaveButton},
        {ID_BACK, QStyle::SP_ArrowBack},               {ID_FORWARD, QStyle::SP_ArrowForward},
        {ID_STOP, QStyle::SP_BrowserStop},             {ID_REFRESH, QStyle::SP_BrowserReload},
        {ID_HOME, QStyle::SP_DirHomeIcon},             {ID_FOLDER_HOME, QStyle::SP_DirOpenIcon},
        {ID_PARENT_FOLDER, QStyle::SP_FileDialogToParent}, {ID_VIEW_FILE_LIST, QStyle::SP_FileDialogListView},
        {ID_VIEW_ARCHIVE_BAR, QStyle::SP_FileDialogDetailedView}, {ID_FULL_SCREEN, QStyle::SP_TitleBarMaxButton},
        {ID_AUTO_SCROLL, QStyle::SP_MediaPlay},       {ID_APP_ABOUT, QStyle::SP_MessageBoxInformation},
        {ID_HELP, QStyle::SP_DialogHelpButton},        {ID_FILE_LOCATE, QStyle::SP_FileDialogContentsView},
    };
    if (kStandard.contains(id)) return style->standardIcon(kStandard.value(id));
    QPixmap pixmap(20, 20);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0x3d, 0x6a, 0x9e));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(1, 1, 18, 18), 4, 4);
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setPixelSize(13);
    painter.setFont(font);
    painter.drawText(QRect(0, 0, 20, 20), Qt::AlignCenter, toolTip.left(1));
    return QIcon(pixmap);
}

}  // namespace

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Pagora"));
    m_view = new CPagoraView(this);
    setCentralWidget(m_view);
    m_statusBar = new CProgressStatusBar(this);
    setStatusBar(m_statusBar);
    BuildMenus();
    BuildToolBars();
    ConnectCommands();
    m_prompt = new CArchivePromptBridge(this);

    // The archive counter pane ("%d/%d"); archives may be opened off this thread.
    SetArchiveCountIndicator([this](const std::string& text) {
        QString q = QString::fromStdString(text);
        QMetaObject::invokeMethod(this, [this, q] { SetPaneText(PANE_ARCHIVE_COUNT, q); }, Qt::QueuedConnection);
    });
    SetRefreshBarsHook([this] {
        QMetaObject::invokeMethod(this, [this] { UpdateCommandUi(); }, Qt::QueuedConnection);
    });
    setAcceptDrops(true);
    UpdateCommandUi();
}

CMainFrame::~CMainFrame() {
    SetArchiveCountIndicator({});
    SetRefreshBarsHook({});
}

void CMainFrame::BuildMenus() {
    for (const MenuPopup& popup : MenuBar()) {
        QMenu* menu = menuBar()->addMenu(QString::fromStdString(popup.title));
        QHash<QString, QMenu*> submenus;
        for (const MenuItem& item : popup.items) {
            QMenu* target = menu;
            if (!item.submenu.empty()) {
                QString name = QString::fromStdString(item.submenu);
                if (!submenus.contains(name)) submenus.insert(name, menu->addMenu(name));
                target = submenus.value(name);
            }
            if (item.id == 0) {
                target->addSeparator();
                continue;
            }
            QString text = QString::fromStdString(item.text);
            QString shortcut;
            int tab = text.indexOf('\t');
            if (tab >= 0) {
                shortcut = text.mid(tab + 1);
                text = text.left(tab);
            }
            QString tip = QString::fromStdString(ToolTipOf(item.status));
            QAction* action = target->addAction(CommandIcon(item.id, tip), text);
            action->setIconVisibleInMenu(false);
            action->setStatusTip(QString::fromStdString(StatusPrompt(item.status)));
            action->setToolTip(tip);
            if (!shortcut.isEmpty()) action->setShortcut(QKeySequence(shortcut));
            m_actions.insert(item.id, action);
            int id = item.id;
            connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
        }
    }
    for (int id : {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, ID_VIEW_ADDRESS_BAR, ID_VIEW_ARCHIVE_BAR, ID_VIEW_FILE_LIST,
                   ID_FULL_SCREEN, ID_WIDTH_800, ID_AUTO_SCROLL, ID_SAVE_RST, ID_CONTEXT_MENU})
        if (QAction* a = m_actions.value(id)) a->setCheckable(true);
    // Esc (command 32772) has no menu item.
    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(esc, &QShortcut::activated, this, [this] { OnCommand(ID_ESC_KEY); });
}

void CMainFrame::BuildToolBars() {
    m_toolBar = addToolBar(QStringLiteral("工具条"));
    m_toolBar->setObjectName("ToolBar");
    m_toolBar->setIconSize(QSize(20, 20));
    for (int id : ToolBarButtons()) {
        if (id == 0) m_toolBar->addSeparator();
        else if (QAction* a = m_actions.value(id)) m_toolBar->addAction(a);
    }
    addToolBarBreak();
    m_addressToolBar = addToolBar(QStringLiteral("地址栏"));
    m_addressToolBar->setObjectName("AddressBar");
    m_addressToolBar->addWidget(new QLabel(QStringLiteral("地址: "), this));
    m_address = new QComboBox(this);
    m_address->setEditable(true);
    m_address->setInsertPolicy(QComboBox::NoInsert);
    m_address->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_address->setMinimumWidth(200);
    m_addressToolBar->addWidget(m_address);
    connect(m_address->lineEdit(), &QLineEdit::returnPressed, this, &CMainFrame::OnAddressEntered);
    if (MainParaBlock().GetValue(PARA_SHOW_ADDR) == 0) m_addressToolBar->hide();
}

void CMainFrame::ConnectCommands() {
    connect(m_view, &CPagoraView::SyncLocation, this, &CMainFrame::SyncLocation);
    connect(m_view, &CPagoraView::AddressText, this, &CMainFrame::SetAddressText);
    connect(m_view, &CPagoraView::StatusText, this,
            [this](const QString& text) { m_statusBar->SetPaneText(PANE_STATUS, text); });
    connect(m_view, &CPagoraView::Progress, this, &CMainFrame::ShowProgress);
    connect(m_view, &CPagoraView::ArchiveLeft, this, &CMainFrame::LeaveArchive);
    connect(m_view, &CPagoraView::ArchiveEntered, this, &CMainFrame::EnterArchive);
    connect(m_view, &CPagoraView::RefreshBars, this, &CMainFrame::UpdateCommandUi);
    connect(m_view, &CPagoraView::TitleText, this, [this](const QString& title) {
        m_documentTitle = title;
        setWindowTitle(title.isEmpty() ? QStringLiteral("Pagora") : title + QStringLiteral(" - Pagora"));
    });
    connect(m_view, &CPagoraView::CommandState, this, [this](bool back, bool forward) {
        m_actions.value(ID_BACK)->setEnabled(back);
        m_actions.value(ID_FORWARD)->setEnabled(forward);
    });
    connect(m_view, &CPagoraView::DocumentCompleted, this, [this] {
        m_statusBar->SetPaneText(PANE_STATUS, QString::fromStdString(StatusFromBrowserStatus("")));
        UpdateCommandUi();
    });
    // Menu prompts go to pane 0 while an item is highlighted.
    connect(m_statusBar, &QStatusBar::messageChanged, this, [](const QString&) {});
}

void CMainFrame::UpdateCommandUi() {
    auto check = [this](int id, bool on) {
        if (QAction* a = m_actions.value(id)) a->setChecked(on);
    };
    check(ID_VIEW_TOOLBAR, m_toolBar->isVisibleTo(this));
    check(ID_VIEW_STATUS_BAR, m_statusBar->isVisibleTo(this));
    check(ID_VIEW_ADDRESS_BAR, m_addressToolBar->isVisibleTo(this));
    check(ID_FULL_SCREEN, m_fullScreen);
    check(ID_SAVE_RST, MainParaBlock().GetValue(PARA_SAVE_RST) != 0);
    check(ID_WIDTH_800, MainParaBlock().GetValue(PARA_WIDTH_800) != 0);
    static const int kHandled[] = {
        ID_FILE_OPEN, ID_FILE_SAVE_AS, ID_FILE_PAGE_SETUP, ID_FILE_PRINT, ID_FILE_PRINT_PREVIEW, ID_APP_EXIT,
        ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, ID_VIEW_ADDRESS_BAR, ID_FULL_SCREEN, ID_VIEW_SOURCE,
        ID_VIEW_DECODED_SOURCE, ID_VIEW_TEXT, ID_STOP, ID_REFRESH, ID_HOME, ID_FOLDER_HOME, ID_PARENT_FOLDER,
        ID_FIND, ID_WEB_SEARCH, ID_ARCHIVE_PASSWORDS, ID_SAVE_RST, ID_APP_ABOUT, ID_CHECK_UPDATE};
    // Commands whose windows belong to other parts of the program stay
    // disabled until those parts are present.
    for (auto it = m_actions.begin(); it != m_actions.end(); ++it) {
        if (it.key() == ID_BACK || it.key() == ID_FORWARD) continue;
        bool handled = std::find(std::begin(kHandled), std::end(kHandled), it.key()) != std::end(kHandled);
        it.value()->setEnabled(handled);
    }
    m_actions.value(ID_BACK)->setEnabled(m_view->Browser()->CanGoBack());
    m_actions.value(ID_FORWARD)->setEnabled(m_view->Browser()->CanGoForward());
}

void CMainFrame::OnCommand(int id) {
    CPagoraView* v = m_view;
    switch (id) {
    case ID_FILE_OPEN: v->OnFileOpen(); break;
    case ID_FILE_SAVE_AS: v->OnSaveAs(); break;
    case ID_FILE_PAGE_SETUP: v->OnPageSetup(); break;
    case ID_FILE_PRINT: v->OnPrint(); break;
    case ID_FILE_PRINT_PREVIEW: v->OnPrintPreview(); break;
    case ID_VIEW_SOURCE: v->OnViewSource(); break;
    case ID_VIEW_DECODED_SOURCE: v->OnViewDecodedSource(); break;
    case ID_VIEW_TEXT: v->OnViewText(); break;
    case ID_STOP: v->OnStop(); break;
    case ID_REFRESH: v->OnRefresh(); break;
    case ID_BACK: v->OnBack(); break;
    case ID_FORWARD: v->OnForward(); break;
    case ID_HOME: v->OnHome(); break;
    case ID_FOLDER_HOME: v->OnFolderHome(); break;
    case ID_PARENT_FOLDER: v->OnParentFolder(); break;
    case ID_WEB_SEARCH: v->OnWebSearch(); break;
    case ID_FIND: v->OnFind(); break;
    case ID_CHECK_UPDATE: v->NavigateTo(kProgramPage); break;
    case ID_APP_EXIT: close(); break;
    case ID_VIEW_TOOLBAR: m_toolBar->setVisible(!m_toolBar->isVisible()); break;
    case ID_VIEW_STATUS_BAR: m_statusBar->setVisible(!m_statusBar->isVisible()); break;
    case ID_VIEW_ADDRESS_BAR: m_addressToolBar->setVisible(!m_addressToolBar->isVisible()); break;
    case ID_FULL_SCREEN: ToggleFullScreen(); break;
    case ID_SAVE_RST:
        MainParaBlock().SetValue(PARA_SAVE_RST, MainParaBlock().GetValue(PARA_SAVE_RST) ? 0 : 1, true);
        break;
    case ID_ARCHIVE_PASSWORDS: {
        CPasswordDialog dialog(TheSideFiles().pwd, false, this);
        dialog.Run();
        break;
    }
    case ID_APP_ABOUT: ShowAbout(); break;
    case ID_ESC_KEY:
        if (MainParaBlock().GetValue(PARA_ESC_KEY) == 0) {
            close();
        } else if (QSystemTrayIcon::isSystemTrayAvailable()) {
            // Hidden to the notification area; a click on the icon brings it back.
            auto* tray = new QSystemTrayIcon(windowIcon().isNull() ? CommandIcon(0, "P") : windowIcon(), this);
            tray->setToolTip(QStringLiteral("Pagora"));
            connect(tray, &QSystemTrayIcon::activated, this, [this, tray](QSystemTrayIcon::ActivationReason r) {
                if (r != QSystemTrayIcon::Trigger && r != QSystemTrayIcon::Context) return;
                show();
                activateWindow();
                tray->hide();
                tray->deleteLater();
            });
            tray->show();
            hide();
        }
        break;
    default: break;
    }
    UpdateCommandUi();
}

void CMainFrame::ToggleFullScreen() {
    if (!m_fullScreen) {
        m_fsToolBar = m_toolBar->isVisible();
        m_fsAddress = m_addressToolBar->isVisible();
        m_fsStatus = m_statusBar->isVisible();
        m_toolBar->hide();
        m_addressToolBar->hide();
        m_statusBar->hide();
        menuBar()->hide();
        showFullScreen();
        m_fullScreen = true;
    } else {
        showNormal();
        menuBar()->show();
        m_toolBar->setVisible(m_fsToolBar);
        m_addressToolBar->setVisible(m_fsAddress);
        m_statusBar->setVisible(m_fsStatus);
        m_fullScreen = false;
    }
    // F11 must work while the menu bar (which owns the shortcut) is hidden.
    addAction(m_actions.value(ID_FULL_SCREEN));
}

void CMainFrame::ShowAbout() {
    QMessageBox box(this);
    box.setWindowTitle(QStringLiteral("关于Pagora"));
    box.setTextFormat(Qt::RichText);
    box.setText(QStringLiteral("<b>Pagora</b><br>Pagora Version 1.34<br><br>"
                               "<a href=\"mailto:pagora@example.org\">pagora@example.org</a><br>"
                               "<a href=\"https://example.org/pagora/\">https://example.org/pagora/</a>"));
    box.setTextInteractionFlags(Qt::TextBrowserInteraction);
    box.exec();
}

void CMainFrame::SetPaneText(int id, const QString& text) { m_statusBar->SetPaneText(id, text); }

void CMainFrame::ShowProgress(int position, int total) { m_statusBar->ShowProgress(position, total); }

void CMainFrame::SetAddressText(const QString& address) {
    m_address->setEditText(QString::fromStdString(navrules::AddressBarText(address.toStdString(), LoopbackBase())));
}

void CMainFrame::SyncLocation(const QString& location, int origin) {
    if (m_syncBusy) return;
    m_syncBusy = true;
    if (origin != 1) m_view->OpenFile(location.toStdString());
    // The file list and archive contents bars receive the location when they exist.
    m_syncBusy = false;
}

void CMainFrame::OnAddressEntered() {
    QString text = m_address->currentText().trimmed();
    if (text.isEmpty()) return;
    // The bar shows pages of an archive by their entry path; such a path
    // typed back means the entry of the open archive.
    std::string typed = text.toStdString();
    if (server::ThePageServer().IsRunning() && typed.find(':') == std::string::npos && typed[0] != '/')
        typed = LoopbackBase() + typed;
    SyncLocation(QString::fromStdString(typed), 0);
    m_address->addItem(text);
}

void CMainFrame::LeaveArchive() {
    m_archiveBarWanted = false;
    SetPaneText(PANE_ARCHIVE_COUNT, QString());
    UpdateCommandUi();
}

void CMainFrame::EnterArchive() { UpdateCommandUi(); }

void CMainFrame::RestorePlacement() {
    std::string saved = platform::ini::GetString(TheSideFiles().ini, "WindowState", "Geometry", "", 4096);
    if (!saved.empty() && restoreGeometry(QByteArray::fromBase64(QByteArray::fromStdString(saved)))) {
        if (isMinimized()) showNormal();
        return;
    }
    // First run: maximised.
    QRect available = screen() ? screen()->availableGeometry() : QRect(0, 0, 1280, 800);
    setGeometry(available);
    setWindowState(Qt::WindowMaximized);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // The reading position and the window's state are saved as the window closes.
    SavePosition([this] { return m_view->GetScrollOffsets(); });
    MainParaBlock().SetValue(PARA_SHOW_ADDR, m_addressToolBar->isVisibleTo(this) ? 1 : 0, true);
    if (m_fullScreen) ToggleFullScreen();
    platform::ini::WriteString(TheSideFiles().ini, "WindowState", "Geometry", saveGeometry().toBase64().toStdString());
    event->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    // The first dropped file that exists is opened; the others are ignored.
    for (const QUrl& url : event->mimeData()->urls()) {
        if (!url.isLocalFile()) continue;
        QString path = url.toLocalFile().left(520);
        if (!QFileInfo::exists(path)) continue;
        SyncLocation(path, 0);
        event->acceptProposedAction();
        return;
    }
}
