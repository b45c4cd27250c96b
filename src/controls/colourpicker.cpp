#include "controls/colourpicker.h"

#include <QColorDialog>
#include <QGridLayout>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidgetAction>

namespace {

constexpr int kColumns = 8;

// 0x00RRGGBB as written below to the stored 0x00BBGGRR.
constexpr uint32_t Rgb(uint32_t rgb) {
    return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
}

QIcon SwatchIcon(const QColor& colour, const QSize& size) {
    QPixmap pixmap(size);
    pixmap.fill(colour);
    QPainter painter(&pixmap);
    painter.setPen(QColor(Qt::darkGray));
    painter.drawRect(0, 0, size.width() - 1, size.height() - 1);
    return QIcon(pixmap);
}

}  // namespace

const std::vector<uint32_t>& CColourPicker::Palette() {
    static const std::vector<uint32_t> kPalette = {
        Rgb(0x000000), Rgb(0x993300), Rgb(0x333300), Rgb(0x003300),
        Rgb(0x003366), Rgb(0x000080), Rgb(0x333399), Rgb(0x333333),
        Rgb(0x800000), Rgb(0xFF6600), Rgb(0x808000), Rgb(0x008000),
        Rgb(0x008080), Rgb(0x0000FF), Rgb(0x666699), Rgb(0x808080),
        Rgb(0xFF0000), Rgb(0xFF9900), Rgb(0x99CC00), Rgb(0x339966),
        Rgb(0x33CCCC), Rgb(0x3366FF), Rgb(0x800080), Rgb(0x999999),
        Rgb(0xFF00FF), Rgb(0xFFCC00), Rgb(0xFFFF00), Rgb(0x00FF00),
        Rgb(0x00FFFF), Rgb(0x00CCFF), Rgb(0x993366), Rgb(0xC0C0C0),
        Rgb(0xFF99CC), Rgb(0xFFCC99), Rgb(0xFFFF99), Rgb(0xCCFFCC),
        Rgb(0xCCFFFF), Rgb(0x99CCFF), Rgb(0xCC99FF), Rgb(0xFFFFFF),
    };
    return kPalette;
}

QColor CColourPicker::ToQColor(uint32_t colour) {
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

uint32_t CColourPicker::FromQColor(const QColor& colour) {
    return uint32_t(colour.red()) | (uint32_t(colour.green()) << 8) | (uint32_t(colour.blue()) << 16);
}

CColourPicker::CColourPicker(QWidget* parent) : QToolButton(parent) {
    setPopupMode(QToolButton::InstantPopup);
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    setIconSize(QSize(40, 14));
    BuildPopup();
    ShowSwatch();
}

void CColourPicker::SetAutomaticColour(uint32_t colour) {
    m_automatic = colour & 0xFFFFFF;
    ShowSwatch();
}

void CColourPicker::SetColour(uint32_t colour) {
    m_colour = colour;
    ShowSwatch();
}

void CColourPicker::Choose(uint32_t colour) {
    if (colour > 0xFFFFFF) {
        // Already automatic: the stored automatic value stays as it was.
        if (IsAutomatic()) return;
        colour = kAutomatic;
    } else if (colour == m_colour) {
        return;
    }
    m_colour = colour;
    ShowSwatch();
    Q_EMIT ColourChanged(m_colour);
}

void CColourPicker::ShowSwatch() {
    setIcon(SwatchIcon(ToQColor(ShownColour()), iconSize()));
    const QColor shown = ToQColor(ShownColour());
    setToolTip(IsAutomatic() ? QStringLiteral("缺省 (%1)").arg(shown.name()) : shown.name());
}

void CColourPicker::BuildPopup() {
    m_popup = new QMenu(this);
    auto* panel = new QWidget(m_popup);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);

    auto* automatic = new QPushButton(QStringLiteral("缺省"), panel);
    automatic->setObjectName(QStringLiteral("automatic"));
    automatic->setFlat(true);
    connect(automatic, &QPushButton::clicked, this, [this] {
        m_popup->close();
        Choose(kAutomatic);
    });
    layout->addWidget(automatic);

    auto* grid = new QGridLayout;
    grid->setSpacing(2);
    const std::vector<uint32_t>& palette = Palette();
    for (size_t i = 0; i < palette.size(); ++i) {
        const uint32_t colour = palette[i];
        auto* cell = new QToolButton(panel);
        cell->setAutoRaise(true);
        cell->setIconSize(QSize(16, 16));
        cell->setIcon(SwatchIcon(ToQColor(colour), QSize(16, 16)));
        cell->setToolTip(ToQColor(colour).name());
        connect(cell, &QToolButton::clicked, this, [this, colour] {
            m_popup->close();
            Choose(colour);
        });
        grid->addWidget(cell, int(i) / kColumns, int(i) % kColumns);
    }
    layout->addLayout(grid);

    auto* other = new QPushButton(QStringLiteral("其它..."), panel);
    other->setObjectName(QStringLiteral("other"));
    other->setFlat(true);
    connect(other, &QPushButton::clicked, this, [this] {
        m_popup->close();
        AskOther();
    });
    layout->addWidget(other);

    auto* action = new QWidgetAction(m_popup);
    action->setDefaultWidget(panel);
    m_popup->addAction(action);
    setMenu(m_popup);
}

void CColourPicker::AskOther() {
    const QColor chosen = QColorDialog::getColor(ToQColor(ShownColour()), this, QStringLiteral("颜色"));
    // An invalid colour means the reader cancelled the colour dialog.
    if (chosen.isValid()) Choose(FromQColor(chosen));
}
