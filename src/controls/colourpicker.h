#pragma once
// CColourPicker: a colour button that opens a palette with an automatic
// entry "缺省" and "其它..." for the desktop's colour dialog. Colours are
// the stored 32-bit value 0x00BBGGRR; a value above 0xFFFFFF means automatic.
#include <QToolButton>

#include <cstdint>
#include <vector>

class QMenu;

class CColourPicker : public QToolButton {
    Q_OBJECT
public:
    // What Colour() answers after the reader picked "缺省".
    static constexpr uint32_t kAutomatic = 0xFFFFFFFF;

    explicit CColourPicker(QWidget* parent = nullptr);

    // The colour shown while the picker is automatic (0x00BBGGRR).
    void SetAutomaticColour(uint32_t colour);
    uint32_t AutomaticColour() const { return m_automatic; }
    // Sets the value without reporting a change; above 0xFFFFFF is automatic.
    void SetColour(uint32_t colour);
    // The value as stored: a colour 0x00BBGGRR, or, when automatic, the
    // automatic value last given to SetColour (kept unchanged, so a stored
    // value survives the dialog) or kAutomatic after the reader picked "缺省".
    uint32_t Colour() const { return m_colour; }
    bool IsAutomatic() const { return m_colour > 0xFFFFFF; }
    // The colour the button shows: the automatic colour when automatic.
    uint32_t ShownColour() const { return IsAutomatic() ? m_automatic : m_colour; }

    // Takes `colour` as the reader's choice from the palette (kAutomatic for
    // "缺省") and reports it when it differs from the current value.
    void Choose(uint32_t colour);
    // The palette's colours, in the order shown (row by row).
    static const std::vector<uint32_t>& Palette();

    // Conversions between the stored value and Qt's colours.
    static QColor ToQColor(uint32_t colour);
    static uint32_t FromQColor(const QColor& colour);

Q_SIGNALS:
    // The reader picked another colour (not sent by SetColour).
    void ColourChanged(uint32_t colour);

private:
    void BuildPopup();
    void ShowSwatch();
    void AskOther();

    QMenu* m_popup = nullptr;
    uint32_t m_automatic = 0;
    uint32_t m_colour = kAutomatic;
};
