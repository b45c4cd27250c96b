#pragma once
// CLinkLabel: a text field that is a link: drawn underlined, the address as
// its tool tip, a hand cursor, and colours for not yet visited, visited and
// hovered. A click opens the address in the desktop's browser; a failure
// beeps and tells why.
#include <QColor>
#include <QLabel>

class CLinkLabel : public QLabel {
    Q_OBJECT
public:
    CLinkLabel(const QString& text, const QString& address, QWidget* parent = nullptr);

    const QString& Address() const { return m_address; }
    bool Visited() const { return m_visited; }
    // Opens the address as a click does; the result code of the opening.
    int Open();

Q_SIGNALS:
    void Opened(int code);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void ShowColour();

    QString m_address;
    bool m_visited = false;
    bool m_hover = false;
    QColor m_unvisited{0x00, 0x00, 0xee};
    QColor m_visitedColour{0x55, 0x1a, 0x8b};
    QColor m_hoverColour{0xee, 0x00, 0x00};
};
