#include "frame/mainframe.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QAbstractItemView>
#include <QDialog>
#include <QCompleter>
#include <QPushButton>
#include <QDesktopServices>
#include <QDir>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <QDockWidget>
#include <QListWidget>
#include <QMenu>
#include <QUrl>
#include <QStringListModel>
#include <QTimer>
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

#include <memory>

#include "app/addressmapping.h"
#include "app/loopback.h"
#include "app/parablock.h"
#include "app/sidefiles.h"
#include "archive/archiveprompt.h"
#include "app/restoredefaults.h"
#include "controls/archivebar.h"
#include "controls/filelistbar.h"
#include "dialogs/homenamedialog.h"
#include "frame/windowplacement.h"
#include "dialogs/passworddialog.h"
#include "frame/archivepromptbridge.h"
#include "frame/commandtable.h"
#include "frame/progressstatusbar.h"
#include "frame/textencodingswitch.h"
#include "frame/windowmanager.h"
#include "platform/inifile.h"
#include "platform/registrystore.h"
#include "view/messagebox.h"
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
    QAction* zoom = m_actions.value(ID_ZOOM);
    m_encodings = new CTextEncodingSwitch(m_view, m_statusBar, qobject_cast<QMenu*>(zoom->parent()), zoom, this);
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
                if (item.id == ID_FAVORITE_FIRST) {
                    // Filled from the favourites folder the first time it opens.
                    m_favouritesMenu = target;
                    connect(target, &QMenu::aboutToShow, this,
                            [this] { BuildFavourites(CFavouritesFolder::DefaultFolder(), false); });
                }
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
    // F6 and Shift+F6 (next and previous pane) move the keyboard focus
    // between the page, the visible side bars and the address bar.
    auto* nextPane = new QShortcut(QKeySequence(Qt::Key_F6), this);
    connect(nextPane, &QShortcut::activated, this, [this] { FocusPane(+1); });
    auto* prevPane = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F6), this);
    connect(prevPane, &QShortcut::activated, this, [this] { FocusPane(-1); });
}

QList<QWidget*> CMainFrame::Panes() const {
    QList<QWidget*> panes{m_view};
    if (m_fileList && m_fileList->isVisibleTo(this)) panes << m_fileList;
    if (m_archiveBar && m_archiveBar->isVisibleTo(this)) panes << m_archiveBar;
    if (m_addressToolBar->isVisibleTo(this)) panes << m_address;
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

void CMainFrame::BuildToolBars() {
    m_toolBar = addToolBar(QStringLiteral("工具条"));
    m_toolBar->setObjectName("ToolBar");
    m_toolBar->setIconSize(QSize(20, 20));
    for (int id : ToolBarButtons()) {
        if (id == 0) m_toolBar->addSeparator();
        else if (QAction* a = m_actions.value(id)) {
            // A command shown twice needs a second action: a widget holds each action once.
            if (m_toolBar->actions().contains(a)) {
                QAction* twin = new QAction(a->icon(), a->text(), this);
                twin->setToolTip(a->toolTip());
                twin->setStatusTip(a->statusTip());
                twin->setCheckable(a->isCheckable());
                connect(twin, &QAction::triggered, this, [this, id] { OnCommand(id); });
                m_toolBarTwins.insert(id, twin);
                a = twin;
            }
            m_toolBar->addAction(a);
        }
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
    // Completion from the typed and the reached addresses: the list is
    // chosen anew for each edit, so the popup shows it unfiltered.
    m_history.Load(platform::RegistryStore::Instance());
    m_completions = new QStringListModel(this);
    auto* completer = new QCompleter(m_completions, m_address);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    m_address->setCompleter(completer);
    connect(m_address->lineEdit(), &QLineEdit::textEdited, this, &CMainFrame::OfferCompletions);
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
    check(ID_VIEW_FILE_LIST, m_fileList && m_fileList->isVisibleTo(this));
    check(ID_VIEW_ARCHIVE_BAR, m_archiveBar && m_archiveBar->isVisibleTo(this));
    static const int kHandled[] = {
        ID_FILE_OPEN, ID_FILE_SAVE_AS, ID_FILE_PAGE_SETUP, ID_FILE_PRINT, ID_FILE_PRINT_PREVIEW, ID_APP_EXIT,
        ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, ID_VIEW_ADDRESS_BAR, ID_FULL_SCREEN, ID_VIEW_SOURCE,
        ID_VIEW_DECODED_SOURCE, ID_VIEW_TEXT, ID_STOP, ID_REFRESH, ID_HOME, ID_FOLDER_HOME, ID_PARENT_FOLDER,
        ID_FIND, ID_WEB_SEARCH, ID_ARCHIVE_PASSWORDS, ID_SAVE_RST, ID_APP_ABOUT, ID_CHECK_UPDATE,
        ID_VIEW_FILE_LIST, ID_FILE_LOCATE, ID_WIDTH_800, ID_ARCHIVE_HOMENAMES, ID_RESTORE_DEFAULTS,
        ID_FAVORITE_FIRST, ID_ADD_FAVORITE, ID_ORGANIZE_FAVORITES};
    // Commands whose windows belong to other parts of the program stay
    // disabled until those parts are present.
    for (auto it = m_actions.begin(); it != m_actions.end(); ++it) {
        if (it.key() == ID_BACK || it.key() == ID_FORWARD) continue;
        bool handled = std::find(std::begin(kHandled), std::end(kHandled), it.key()) != std::end(kHandled);
        it.value()->setEnabled(handled);
    }
    // The archive bar only while the local server has an archive open.
    m_actions.value(ID_VIEW_ARCHIVE_BAR)->setEnabled(server::ThePageServer().IsRunning());
    for (auto it = m_toolBarTwins.begin(); it != m_toolBarTwins.end(); ++it) {
        it.value()->setEnabled(m_actions.value(it.key())->isEnabled());
        it.value()->setChecked(m_actions.value(it.key())->isChecked());
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
        m_lastDialogResult = dialog.Run() == 1 ? QDialog::Accepted : QDialog::Rejected;
        break;
    }
    case ID_APP_ABOUT: ShowAbout(); break;
    case ID_VIEW_FILE_LIST: ToggleFileList(); break;
    case ID_VIEW_ARCHIVE_BAR: ToggleArchiveBar(); break;
    case ID_FILE_LOCATE:
        if (!m_fileList || !m_fileList->isVisible()) {
            if (!m_fileList) CreateFileList();
            m_fileList->show();
        }
        m_fileList->SelectLocation(MainParaBlock().GetString(PARA_STR_CURRENT_PATH));
        break;
    case ID_WIDTH_800: ToggleWidth800(); break;
    case ID_ARCHIVE_HOMENAMES: {
        CHomeNameDialog dialog(TheSideFiles().zhp, this);
        m_lastDialogResult = dialog.exec();
        break;
    }
    case ID_RESTORE_DEFAULTS: RestoreDefaults(true); break;
    case ID_ADD_FAVORITE: AddFavourite(); break;
    case ID_ORGANIZE_FAVORITES: {
        // The desktop's file manager takes the place of the browser's
        // organiser; without one nothing happens.
        QString folder = QString::fromStdString(CFavouritesFolder::DefaultFolder());
        if (!folder.isEmpty() && QDir().mkpath(folder)) QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
        break;
    }
    case ID_ESC_KEY:
        if (MainParaBlock().GetValue(PARA_ESC_KEY) == 0) close();
        else HideToTray();
        break;
    default:
        if (id >= CFavouritesFolder::kFirstId && id <= CFavouritesFolder::kLastId) {
            std::string address = m_favourites.AddressOf(id);
            if (!address.empty()) SyncLocation(QString::fromStdString(address), CLocationSync::kFrame);
        }
        break;
    }
    UpdateCommandUi();
}

void CMainFrame::ToggleFullScreen() {
    setUpdatesEnabled(false);
    if (!m_fullScreen) {
        m_fsToolBar = m_toolBar->isVisibleTo(this);
        m_fsAddress = m_addressToolBar->isVisibleTo(this);
        m_fsStatus = m_statusBar->isVisibleTo(this);
        m_fsFileList = m_fileList && m_fileList->isVisibleTo(this);
        m_fsArchiveBar = m_archiveBar && m_archiveBar->isVisibleTo(this);
        m_fsMaximized = isMaximized();
        m_fsGeometry = normalGeometry();
        m_toolBar->hide();
        m_addressToolBar->hide();
        m_statusBar->hide();
        menuBar()->hide();
        if (m_fileList) m_fileList->hide();
        if (m_archiveBar) m_archiveBar->hide();
        showFullScreen();
        m_fullScreen = true;
    } else {
        showNormal();
        if (m_fsGeometry.isValid()) setGeometry(m_fsGeometry);
        if (m_fsMaximized) showMaximized();
        menuBar()->show();
        m_toolBar->setVisible(m_fsToolBar);
        m_addressToolBar->setVisible(m_fsAddress);
        m_statusBar->setVisible(m_fsStatus);
        if (m_fileList) m_fileList->setVisible(m_fsFileList);
        if (m_archiveBar) m_archiveBar->setVisible(m_fsArchiveBar);
        m_fullScreen = false;
    }
    setUpdatesEnabled(true);
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
    std::string shown = navrules::AddressBarText(address.toStdString(), LoopbackBase());
    m_address->setEditText(QString::fromStdString(shown));
    if (shown != "about:blank") m_history.Reached(shown);
}

void CMainFrame::OfferCompletions(const QString& typed) {
    QStringList list;
    for (const std::string& address : m_history.Completions(typed.toStdString())) list << QString::fromStdString(address);
    m_completions->setStringList(list);
    if (list.isEmpty()) m_address->completer()->popup()->hide();
    else m_address->completer()->complete();
}

void CMainFrame::SyncLocation(const QString& location, int origin) {
    if (!m_sync.Enter()) return;
    std::string where = location.toStdString();
    CLocationSync::Routing r = CLocationSync::Route(where, origin, m_fileList != nullptr, m_archiveBar != nullptr);
    if (r.openInView) m_view->OpenFile(where);
    if (r.toFileList) m_fileList->SelectLocation(where);
    if (r.rereadArchive) m_archiveBar->Reread(where);
    if (r.selectInArchive) m_archiveBar->SelectLocation(where);
    m_sync.Leave();
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
    // Appended at the end as typed, even when the list holds it already.
    m_history.Entered(text.toStdString(), &platform::RegistryStore::Instance());
    m_address->addItem(text);
}

void CMainFrame::LeaveArchive() {
    m_archiveBarWanted = m_archiveBar && m_archiveBar->isVisibleTo(this);
    if (m_archiveBar) {
        m_archiveBar->Empty();
        m_archiveBar->hide();
    }
    SetPaneText(PANE_ARCHIVE_COUNT, QString());
    UpdateCommandUi();
}

void CMainFrame::EnterArchive() {
    UpdateCommandUi();
    if (m_archiveBarWanted && !(m_archiveBar && m_archiveBar->isVisibleTo(this)))
        QMetaObject::invokeMethod(this, [this] { OnCommand(ID_VIEW_ARCHIVE_BAR); }, Qt::QueuedConnection);
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
    // The layout may name the side bars; they are created beforehand so that
    // restoreState can place them, and removed again when it turns out unusable.
    // The state names its bars in UTF-16 (big-endian).
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
    if (MainParaBlock().GetValue(PARA_SHOW_ADDR) == 0) m_addressToolBar->hide();
    if (!restoreState(state)) {
        // A damaged layout is ignored as a whole: the default layout stays.
        m_addressToolBar->show();
        if (!hadFile && m_fileList) { delete m_fileList; m_fileList = nullptr; }
        if (!hadArchive && m_archiveBar) { delete m_archiveBar; m_archiveBar = nullptr; }
        return;
    }
    // The archive bar only shows while an archive is open.
    if (m_archiveBar && !server::ThePageServer().IsRunning()) {
        m_archiveBarWanted = m_archiveBar->isVisibleTo(this);
        m_archiveBar->hide();
    }
    if (m_fileList && m_fileList->isVisibleTo(this))
        m_fileList->ShowFolder(QString::fromStdString(MainParaBlock().GetString(PARA_STR_CURRENT_DIR)));
    UpdateCommandUi();
}

void CMainFrame::SaveWindowState() {
    if (m_fullScreen) ToggleFullScreen();
    const std::string& ini = TheSideFiles().ini;
    platform::ini::WriteString(ini, "BarSec", "Layout", saveState().toBase64().toStdString());
    MainParaBlock().SetValue(PARA_SHOW_ADDR, m_addressToolBar->isVisibleTo(this) ? 1 : 0, true);
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
    SavePosition([this] { return m_view->GetScrollOffsets(); });
    SaveWindowState();
    if (m_tray) m_tray->hide();
    event->accept();
    // This is the program's only main window: closing it ends the run even
    // while helper windows (source, text viewer) are still open.
    QCoreApplication::quit();
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

void CMainFrame::CreateFileList() {
    m_fileList = new CFileListBar(this);
    addDockWidget(Qt::LeftDockWidgetArea, m_fileList);
    std::string dir = MainParaBlock().GetString(PARA_STR_CURRENT_DIR);
    m_fileList->ShowFolder(dir.empty() ? QDir::homePath() : QString::fromStdString(dir));
    m_fileList->SelectLocation(MainParaBlock().GetString(PARA_STR_CURRENT_PATH));
    connect(m_fileList, &CFileListBar::FileChosen, this,
            [this](const QString& path) { SyncLocation(path, CLocationSync::kFileList); });
    connect(m_fileList, &QDockWidget::visibilityChanged, this, [this] { UpdateCommandUi(); });
}

void CMainFrame::CreateArchiveBar() {
    m_archiveBar = new CArchiveBar(this);
    addDockWidget(Qt::RightDockWidgetArea, m_archiveBar);
    m_archiveBar->Reread(MainParaBlock().GetString(PARA_STR_CURRENT_PATH));
    connect(m_archiveBar, &CArchiveBar::EntryChosen, this,
            [this](const QString& address) { SyncLocation(address, CLocationSync::kArchiveBar); });
    connect(m_archiveBar, &QDockWidget::visibilityChanged, this, [this] { UpdateCommandUi(); });
}

void CMainFrame::ToggleFileList() {
    if (!m_view->IsComplete()) {
        readerbox::Message(this, "请等到页面显示完成再选择此功能。");
        return;
    }
    if (!m_fileList) {
        CreateFileList();
        m_fileList->show();
    } else {
        m_fileList->setVisible(!m_fileList->isVisibleTo(this));
    }
    m_view->setFocus();
}

void CMainFrame::ToggleArchiveBar() {
    if (!server::ThePageServer().IsRunning()) return;
    if (m_archiveBar) {
        bool show = !m_archiveBar->isVisibleTo(this);
        // The bar may have been emptied when the reader left an archive.
        if (show) m_archiveBar->Reread(MainParaBlock().GetString(PARA_STR_CURRENT_PATH));
        m_archiveBar->setVisible(show);
        if (show) m_archiveBar->SelectLocation(LoopbackBase() + MainParaBlock().GetString(PARA_STR_CUR_PATH_IN_ZIP));
    } else {
        std::string inZip = MainParaBlock().GetString(PARA_STR_CUR_PATH_IN_ZIP);
        CreateArchiveBar();
        m_archiveBar->show();
        MainParaBlock().SetString(PARA_STR_CUR_PATH_IN_ZIP, inZip, true);
        m_archiveBar->SelectLocation(inZip.rfind("http", 0) == 0 ? inZip : LoopbackBase() + inZip);
    }
    m_archiveBarWanted = m_archiveBar->isVisibleTo(this);
    m_view->setFocus();
}

void CMainFrame::ShowFileListAt(const QString& folder) {
    if (!m_fileList || !m_fileList->isVisibleTo(this)) {
        if (!m_fileList) CreateFileList();
        m_fileList->show();
    }
    m_fileList->ShowFolder(folder);
}

void CMainFrame::HideToTray() {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) return;  // the window stays as it is
    if (!m_tray) {
        m_tray = new QSystemTrayIcon(windowIcon().isNull() ? CommandIcon(0, "P") : windowIcon(), this);
        m_tray->setToolTip(QStringLiteral("Pagora"));
        connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
            if (r == QSystemTrayIcon::Trigger || r == QSystemTrayIcon::Context) ReturnFromTray();
        });
    }
    m_tray->show();
    if (!m_tray->isVisible()) return;
    hide();
    // A tray that restarts loses its icons; while hidden, the icon is offered
    // again whenever the platform reports a notification area.
    auto* watch = new QTimer(m_tray);
    watch->setObjectName(QStringLiteral("TrayWatch"));
    connect(watch, &QTimer::timeout, this, [this, watch] {
        if (isVisible()) {
            watch->deleteLater();
            return;
        }
        if (QSystemTrayIcon::isSystemTrayAvailable() && !m_tray->isVisible()) m_tray->show();
    });
    watch->start(2000);
}

void CMainFrame::ReturnFromTray() {
    show();
    raise();
    activateWindow();
    if (m_tray) m_tray->hide();
}

void CMainFrame::ToggleWidth800() {
    MainParaBlock().SetValue(PARA_WIDTH_800, MainParaBlock().GetValue(PARA_WIDTH_800) ? 0 : 1, true);
    bool maximized = isMaximized();
    if (maximized) showNormal();
    ApplyWidth800();
    if (maximized) showMaximized();
    UpdateCommandUi();
}

void CMainFrame::ApplyWidth800() {
    QRect work = screen() ? screen()->availableGeometry() : QRect(0, 0, 1280, 800);
    int left = 0, width = 0;
    bool limit = MainParaBlock().GetValue(PARA_WIDTH_800) != 0 &&
                 CWindowPlacement::LimitedMaximum(work.left(), work.width(), &left, &width);
    // A maximum below the current width resizes the window, and a resize
    // ends the widget's maximised state: the state is asked for again.
    bool maximized = isMaximized();
    setMaximumWidth(limit ? width : QWIDGETSIZE_MAX);
    if (maximized && !isMaximized()) setWindowState(windowState() | Qt::WindowMaximized);
    // A window manager sizes a maximised window itself, within the maximum
    // width; the frame leaves it there, as moving a maximised window would
    // make the manager drop the maximised state.
    if (!isMaximized() || WindowManagerRunning()) return;
    // Without one nothing acts on maximising: the frame takes the work area,
    // or the centred column, itself. Through the native window, so that the
    // widget stays maximised and keeps its normal geometry.
    QRect target = limit ? QRect(left, work.top(), width, work.height()) : work;
    if (geometry() != target && windowHandle()) windowHandle()->setGeometry(target);
}

void CMainFrame::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMaximized())
        QTimer::singleShot(0, this, [this] { ApplyWidth800(); });
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
            ToggleWidth800();
        }
    };
    RunRestoreDefaults(MainParaBlock(), confirm, windowSteps);
}

void CMainFrame::AddFavourite() {
    std::string address = m_view->Location();
    if (address.empty() || address == "about:blank") {
        readerbox::Beep();
        return;
    }
    // A page of an archive is served on a port chosen anew at every start:
    // its favourite names the archive, which opens at its first page.
    if (address.rfind(LoopbackBase(), 0) == 0) address = MainParaBlock().GetString(PARA_STR_CURRENT_PATH);
    QDialog dialog(this);
    dialog.setWindowTitle(QStringLiteral("添加到收藏夹"));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QStringLiteral("名称:"), &dialog));
    auto* name = new QLineEdit(&dialog);
    QString title = m_documentTitle.isEmpty() ? QFileInfo(QUrl(QString::fromStdString(address)).path()).completeBaseName()
                                              : m_documentTitle;
    name->setText(title);
    name->selectAll();
    layout->addWidget(name);
    auto* buttons = new QHBoxLayout;
    auto* ok = new QPushButton(QStringLiteral("确定"), &dialog);
    auto* cancel = new QPushButton(QStringLiteral("放弃"), &dialog);
    ok->setDefault(true);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    m_lastDialogResult = dialog.exec();
    if (m_lastDialogResult != QDialog::Accepted) return;
    // The menu keeps what it showed until the next run, as when it was built.
    if (CFavouritesFolder::WriteShortcut(CFavouritesFolder::DefaultFolder(), name->text().toStdString(), address).empty())
        readerbox::Message(this, "抱歉，无法添加到收藏夹。");
}

void CMainFrame::BuildFavourites(const std::string& folder, bool force) {
    if (!m_favouritesMenu || (m_favouritesBuilt && !force)) return;
    for (QAction* action : m_favouritesMenu->actions()) {
        m_favouritesMenu->removeAction(action);
        if (action != m_actions.value(ID_FAVORITE_FIRST)) action->deleteLater();
    }
    m_favourites.Load(folder);
    FillFavourites(m_favouritesMenu, m_favourites.Root());
    m_favouritesBuilt = true;
}

void CMainFrame::FillFavourites(QMenu* menu, const CFavouritesFolder::Menu& content) {
    for (const CFavouritesFolder::Menu& sub : content.folders)
        FillFavourites(menu->addMenu(QString::fromStdString(sub.title)), sub);
    for (const CFavouritesFolder::Item& item : content.items) {
        int id = CFavouritesFolder::kFirstId + item.index;
        QAction* action = menu->addAction(QString::fromStdString(item.title));
        action->setStatusTip(QString::fromStdString(m_favourites.Addresses()[item.index]));
        connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
    }
}

namespace {

QString DockAreaName(Qt::DockWidgetArea area) {
    switch (area) {
    case Qt::LeftDockWidgetArea: return QStringLiteral("left");
    case Qt::RightDockWidgetArea: return QStringLiteral("right");
    case Qt::TopDockWidgetArea: return QStringLiteral("top");
    case Qt::BottomDockWidgetArea: return QStringLiteral("bottom");
    default: return QStringLiteral("none");
    }
}

void DescribeMenu(QMenu* menu, const QString& prefix, QStringList& out) {
    for (QAction* a : menu->actions()) {
        if (a->menu()) DescribeMenu(a->menu(), prefix + a->text() + "/", out);
        else if (!a->isSeparator()) out << prefix + a->text();
    }
}

}  // namespace

QString CMainFrame::Describe(const QString& what) {
    QStringList words = what.split(' ', Qt::SkipEmptyParts);
    QString key = words.value(0);
    if (key.startsWith("encoding-")) return m_encodings->Describe(words);
    auto dock = [this](QDockWidget* bar) {
        if (!bar) return QStringLiteral("absent");
        return QStringLiteral("%1 %2 %3x%4")
            .arg(bar->isVisibleTo(this) ? "visible" : "hidden", DockAreaName(dockWidgetArea(bar)))
            .arg(bar->width())
            .arg(bar->height());
    };
    if (key == "filelist") return dock(m_fileList) + (m_fileList ? " " + m_fileList->SelectedPath() : QString());
    if (key == "archivebar") {
        if (!m_archiveBar) return dock(nullptr);
        QList<QListWidgetItem*> sel = m_archiveBar->List()->selectedItems();
        QStringList entries;
        for (int i = 0; i < m_archiveBar->List()->count(); ++i) entries << m_archiveBar->List()->item(i)->text();
        return dock(m_archiveBar) + " [" + entries.join(',') + "] " + (sel.isEmpty() ? QString() : sel.first()->text());
    }
    if (key == "archive-pick" && m_archiveBar) {
        QList<QListWidgetItem*> found = m_archiveBar->List()->findItems(words.value(1), Qt::MatchExactly);
        if (found.isEmpty()) return QStringLiteral("no such entry");
        m_archiveBar->List()->setCurrentItem(found.first());
        return QStringLiteral("picked");
    }
    if (key == "filelist-pick" && m_fileList) {
        return m_fileList->Pick(words.value(1)) ? QStringLiteral("picked") : QStringLiteral("no such file");
    }
    if (key == "dock") {
        QDockWidget* bar = words.value(1) == "filelist" ? static_cast<QDockWidget*>(m_fileList) : m_archiveBar;
        static const QHash<QString, Qt::DockWidgetArea> kAreas = {{"left", Qt::LeftDockWidgetArea},
            {"right", Qt::RightDockWidgetArea}, {"top", Qt::TopDockWidgetArea}, {"bottom", Qt::BottomDockWidgetArea}};
        if (!bar || !kAreas.contains(words.value(2))) return QStringLiteral("no");
        addDockWidget(kAreas.value(words.value(2)), bar);
        int size = words.value(3).toInt();
        if (size > 0) {
            Qt::Orientation o = (words.value(2) == "left" || words.value(2) == "right") ? Qt::Horizontal : Qt::Vertical;
            resizeDocks({bar}, {size}, o);
        }
        return QStringLiteral("docked");
    }
    if (key == "window") {
        QRect g = geometry();
        QString state = isFullScreen() ? "fullscreen" : isMaximized() ? "maximized" : isMinimized() ? "minimized" : "normal";
        return QStringLiteral("%1 %2,%3 %4x%5 visible=%6").arg(state).arg(g.x()).arg(g.y()).arg(g.width()).arg(g.height())
            .arg(isVisible() ? 1 : 0);
    }
    if (key == "bars") {
        return QStringLiteral("menu=%1 tool=%2 address=%3 status=%4")
            .arg(menuBar()->isVisibleTo(this)).arg(m_toolBar->isVisibleTo(this))
            .arg(m_addressToolBar->isVisibleTo(this)).arg(m_statusBar->isVisibleTo(this));
    }
    if (key == "esc") {
        // The Esc accelerator's command, as the key would run it.
        OnCommand(ID_ESC_KEY);
        return QSystemTrayIcon::isSystemTrayAvailable() ? QStringLiteral("tray-available") : QStringLiteral("no-tray");
    }
    if (key == "tray") return m_tray && m_tray->isVisible() ? QStringLiteral("shown") : QStringLiteral("none");
    if (key == "tray-click") {
        if (!m_tray) return QStringLiteral("none");
        emit m_tray->activated(QSystemTrayIcon::Trigger);
        return QStringLiteral("clicked");
    }
    if (key == "dialog") {
        // "dialog ID STEP...": runs the command whose modal dialog then takes
        // the steps as a user would: "edit:TEXT" types into the edit field,
        // "row:N" selects a list row, and "add", "delete", "up", "down",
        // "save", "cancel" press those buttons. Answers the list shown before
        // the last step and how the dialog ended.
        static const QHash<QString, QString> kButtons = {{"add", "添加"}, {"delete", "删除"}, {"up", "上移"},
            {"down", "下移"}, {"save", "保存"}, {"cancel", "放弃"}, {"ok", "确定"}};
        auto seen = std::make_shared<QString>(QStringLiteral("no dialog"));
        QStringList steps = words.mid(2);
        QTimer::singleShot(0, this, [seen, steps] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (!dialog) return;
            QListWidget* list = dialog->findChild<QListWidget*>();
            for (const QString& step : steps) {
                QStringList items;
                for (int i = 0; list && i < list->count(); ++i) items << list->item(i)->text();
                *seen = QStringLiteral("[%1]").arg(items.join(','));
                if (step.startsWith("edit:")) {
                    if (auto* edit = dialog->findChild<QLineEdit*>()) edit->setText(step.mid(5));
                } else if (step.startsWith("row:")) {
                    if (list) list->setCurrentRow(step.mid(4).toInt());
                } else {
                    for (QPushButton* button : dialog->findChildren<QPushButton*>())
                        if (button->text() == kButtons.value(step)) button->click();
                }
                if (!dialog->isVisible()) break;
            }
            // A dialog the steps left open is closed as with its close box.
            if (dialog->isVisible()) static_cast<QDialog*>(dialog)->reject();
        });
        m_lastDialogResult = -1;
        OnCommand(words.value(1).toInt());
        QString result = m_lastDialogResult == QDialog::Accepted   ? QStringLiteral("ok")
                         : m_lastDialogResult == QDialog::Rejected ? QStringLiteral("cancel")
                                                                   : QStringLiteral("none");
        return *seen + " " + result;
    }
    if (key == "restore-defaults") {
        RestoreDefaults(false);
        return QStringLiteral("restored");
    }
    if (key == "keylocks") {
        m_statusBar->RefreshKeyLocks();
        return QStringLiteral("CAP=%1 NUM=%2 SCRL=%3")
            .arg(m_statusBar->PaneText(PANE_CAPS), m_statusBar->PaneText(PANE_NUM), m_statusBar->PaneText(PANE_SCRL));
    }
    if (key == "address-type") {
        // Types the text into the address bar as the keyboard would (no Enter).
        m_address->lineEdit()->setText(words.mid(1).join(' '));
        Q_EMIT m_address->lineEdit()->textEdited(m_address->lineEdit()->text());
        return m_completions->stringList().join('|');
    }
    if (key == "address-list") {
        QStringList items;
        for (int i = 0; i < m_address->count(); ++i) items << m_address->itemText(i);
        return items.join('|');
    }
    if (key == "focus-pane") {
        // F6 (or Shift+F6 with "back") as the key would run it; answers the pane that has the focus.
        FocusPane(words.value(1) == "back" ? -1 : +1);
        for (QWidget* focus = QApplication::focusWidget(); focus; focus = focus->parentWidget()) {
            if (focus == m_view) return QStringLiteral("view");
            if (focus == m_fileList) return QStringLiteral("filelist");
            if (focus == m_archiveBar) return QStringLiteral("archivebar");
            if (focus == m_address) return QStringLiteral("address");
        }
        return QStringLiteral("none");
    }
    if (key == "minimize") { showMinimized(); return QStringLiteral("minimized"); }
    if (key == "move") {
        showNormal();
        setGeometry(words.value(1).toInt(), words.value(2).toInt(), words.value(3).toInt(), words.value(4).toInt());
        return QStringLiteral("moved");
    }
    if (key == "drop") {
        // The same path as a real drop: the first that exists opens.
        auto* data = new QMimeData;
        QList<QUrl> urls;
        for (int i = 1; i < words.size(); ++i) urls << QUrl::fromLocalFile(words[i]);
        data->setUrls(urls);
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        dropEvent(&drop);
        delete data;
        return drop.isAccepted() ? QStringLiteral("accepted") : QStringLiteral("ignored");
    }
    if (key == "favourites") {
        BuildFavourites(words.mid(1).join(' ').toStdString(), true);
        QStringList out;
        if (m_favouritesMenu) DescribeMenu(m_favouritesMenu, QString(), out);
        return out.join('|');
    }
    if (key == "favourite-open") {
        OnCommand(CFavouritesFolder::kFirstId + words.value(1).toInt());
        return QStringLiteral("opened");
    }
    if (key == "actions") {
        // Every command and whether it is enabled: "id:1" or "id:0".
        QStringList out;
        QList<int> ids = m_actions.keys();
        std::sort(ids.begin(), ids.end());
        for (int id : ids) out << QStringLiteral("%1:%2").arg(id).arg(m_actions.value(id)->isEnabled() ? 1 : 0);
        return out.join(',');
    }
    if (key == "toolbar") {
        QStringList out;
        for (QAction* a : m_toolBar->actions())
            out << (a->isSeparator() ? QStringLiteral("|")
                                     : QString::number(m_actions.key(a, m_toolBarTwins.key(a))));
        return out.join(' ');
    }
    return {};
}
