#include "frame/textencodingswitch.h"

#include <QMenu>

#include "controls/encodingmenu.h"
#include "frame/progressstatusbar.h"
#include "view/encodingmenumodel.h"
#include "view/messagebox.h"
#include "view/pagoraview.h"

CTextEncodingSwitch::CTextEncodingSwitch(CPagoraView* view, CProgressStatusBar* statusBar, QMenu* menu,
                                         QAction* before, QObject* parent)
    : QObject(parent), m_view(view), m_statusBar(statusBar) {
    m_menu = new CEncodingMenu(
        QStringLiteral("文字编码(&D)"), [this] { return CEncodingMenuModel::Items(m_view->Location()); }, menu);
    m_menu->menuAction()->setStatusTip(QStringLiteral("选择阅读当前文本文件所用的文字编码"));
    menu->insertMenu(before, m_menu);
    // The entry is usable only on a text page.
    connect(menu, &QMenu::aboutToShow, this,
            [this] { m_menu->setEnabled(CEncodingMenuModel::AppliesTo(m_view->Location())); });
    connect(m_menu, &CEncodingMenu::EncodingChosen, this, &CTextEncodingSwitch::OnChosen);
    connect(m_view, &CPagoraView::DocumentCompleted, this, &CTextEncodingSwitch::ShowStatus);
    connect(m_view, &CPagoraView::SyncLocation, this, &CTextEncodingSwitch::ShowStatus);
}

void CTextEncodingSwitch::ShowStatus() {
    m_statusBar->SetPaneText(PANE_TEXT_ENCODING,
                             QString::fromStdString(CEncodingMenuModel::StatusText(m_view->Location())));
}

void CTextEncodingSwitch::OnChosen(const QString& encoding) {
    bool kept = true;
    if (!CEncodingMenuModel::Choose(m_view->Location(), encoding.toStdString(), &kept)) return;
    m_view->ReopenAtSamePlace();
    if (!kept) readerbox::Message(m_view, CEncodingMenuModel::kNotKept);
}
