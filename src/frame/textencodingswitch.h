#pragma once
// CTextEncodingSwitch: the text encoding of the page on screen. Names it in
// the status bar and offers the encoding menu; a choice is kept for the text
// and the text is opened again at the same place.
#include <QObject>

class CEncodingMenu;
class CPagoraView;
class CProgressStatusBar;
class QAction;
class QMenu;

class CTextEncodingSwitch : public QObject {
    Q_OBJECT
public:
    // The sub-menu goes into `menu` before `before` (at its end when null).
    CTextEncodingSwitch(CPagoraView* view, CProgressStatusBar* statusBar, QMenu* menu, QAction* before,
                        QObject* parent = nullptr);

    CEncodingMenu* Menu() const { return m_menu; }

private:
    void ShowStatus();
    void OnChosen(const QString& encoding);

    CPagoraView* m_view;
    CProgressStatusBar* m_statusBar;
    CEncodingMenu* m_menu;
};
