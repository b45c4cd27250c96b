// The colour button: its stored value and the automatic entry, the byte
// order of the stored colours, and the palette popup as the reader uses it.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include <QApplication>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>

#include "controls/colourpicker.h"

namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "colourpicker_test";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
    return app;
}

// The values a picker reported, in order.
struct Reports {
    explicit Reports(CColourPicker& picker) {
        QObject::connect(&picker, &CColourPicker::ColourChanged, [this](uint32_t c) { values.push_back(c); });
    }
    int count() const { return int(values.size()); }
    std::vector<uint32_t> values;
};

}  // namespace

TEST(ColourPicker, StoredValueAndAutomaticEntry) {
    App();
    CColourPicker picker;
    Reports changed(picker);
    picker.SetAutomaticColour(0xF1EBE4);
    // A stored automatic value other than the marker is kept as it is.
    picker.SetColour(0x01000000);
    EXPECT_TRUE(picker.IsAutomatic());
    EXPECT_EQ(picker.Colour(), 0x01000000u);
    EXPECT_EQ(picker.ShownColour(), 0xF1EBE4u);
    picker.SetColour(0x123456);
    EXPECT_FALSE(picker.IsAutomatic());
    EXPECT_EQ(picker.ShownColour(), 0x123456u);
    EXPECT_EQ(changed.count(), 0) << "setting the value is no change by the reader";

    picker.Choose(0x123456);
    EXPECT_EQ(changed.count(), 0) << "the same colour again is no change";
    picker.Choose(0xFF);
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.values[0], 0xFFu);
    picker.Choose(0x12345678);  // any value above 0xFFFFFF picks automatic
    ASSERT_EQ(changed.count(), 2);
    EXPECT_EQ(picker.Colour(), CColourPicker::kAutomatic);
    EXPECT_EQ(picker.ShownColour(), 0xF1EBE4u);
    picker.Choose(CColourPicker::kAutomatic);
    EXPECT_EQ(changed.count(), 2) << "automatic again is no change";
}

TEST(ColourPicker, ByteOrderIsBlueGreenRed) {
    App();
    EXPECT_EQ(CColourPicker::ToQColor(0x0000FF), QColor(255, 0, 0));
    EXPECT_EQ(CColourPicker::ToQColor(0xF1EBE4), QColor(228, 235, 241));
    EXPECT_EQ(CColourPicker::FromQColor(QColor(228, 235, 241)), 0xF1EBE4u);
    // The palette holds pure red as 0x0000FF and white once each.
    const auto& palette = CColourPicker::Palette();
    EXPECT_EQ(std::count(palette.begin(), palette.end(), 0x0000FFu), 1);
    EXPECT_EQ(std::count(palette.begin(), palette.end(), 0xFFFFFFu), 1);
    for (uint32_t colour : palette) EXPECT_LE(colour, 0xFFFFFFu);
}

TEST(ColourPicker, PopupCellsAndAutomaticButtonReport) {
    App();
    CColourPicker picker;
    picker.SetColour(0x00FF00);
    Reports changed(picker);
    QMenu* popup = picker.menu();
    ASSERT_NE(popup, nullptr);
    QList<QToolButton*> cells = popup->findChildren<QToolButton*>();
    ASSERT_EQ(cells.size(), int(CColourPicker::Palette().size()));
    // The first cell is black; clicking it picks it.
    cells.first()->click();
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(picker.Colour(), CColourPicker::Palette().front());
    auto* automatic = popup->findChild<QPushButton*>(QStringLiteral("automatic"));
    ASSERT_NE(automatic, nullptr);
    EXPECT_EQ(automatic->text(), QStringLiteral("缺省"));
    automatic->click();
    ASSERT_EQ(changed.count(), 2);
    EXPECT_TRUE(picker.IsAutomatic());
    auto* other = popup->findChild<QPushButton*>(QStringLiteral("other"));
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->text(), QStringLiteral("其它..."));
}
