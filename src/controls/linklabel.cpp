#include "controls/linklabel.h"

#include <QMouseEvent>

#include "session/desktopintegration.h"
#include "view/messagebox.h"

CLinkLabel::CLinkLabel(const QString& text, const QString& address, QWidget* parent)
    : QLabel(text, parent), m_address(address) {
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
    setToolTip(address);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    ShowColour();
}

int CLinkLabel::Open() {
    int code = desktop::OpenInBrowser(m_address.toStdString(), desktop::FoldersFromEnvironment());
    if (code > 32) {
        m_visited = true;
        ShowColour();
    } else {
        readerbox::Beep();
        readerbox::Warning(this, desktop::OpenErrorText(code));
    }
    Q_EMIT Opened(code);
    return code;
}

void CLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) Open();
    QLabel::mouseReleaseEvent(event);
}

void CLinkLabel::enterEvent(QEnterEvent* event) {
    m_hover = true;
    ShowColour();
    QLabel::enterEvent(event);
}

void CLinkLabel::leaveEvent(QEvent* event) {
    m_hover = false;
    ShowColour();
    QLabel::leaveEvent(event);
}

void CLinkLabel::ShowColour() {
    QPalette p = palette();
    p.setColor(QPalette::WindowText, m_hover ? m_hoverColour : m_visited ? m_visitedColour : m_unvisited);
    setPalette(p);
}
