// Pictures of the keyboard menu as the user sees it, kept in build/screenshots: a long list shown in part
// with dots where it goes on, static selection, both themes, type-select underlines and the suffix of a
// selected row.
#include "KeyboardMenuTestSupport.h"
#include "ScreenPixels.h"

namespace {

class KeyboardMenuPicturesTest : public KeyboardMenuTest {
protected:
    void SetUp() override {
        KeyboardMenuTest::SetUp();
        desktop.screens().setCompositingActive(true);
    }

    QImage picture(const QString& name) {
        const QImage image = menu().grab().toImage();
        saveScreenshot(image, QStringLiteral("keyboard-menu-") + name);
        return image;
    }
    // The middle of a row of the list (0 is the row under the title line).
    static int rowMiddle(int row) { return int(3 * 10 + LineHeight * (row + 1.5)); }
    static bool isAccent(QColor color) { return color.blue() > 200 && color.red() < 60; }
};

TEST_F(KeyboardMenuPicturesTest, ALongListShowsItsSelectionWithDotsWhereItGoesOn) {
    for (const char* theme : {"light", "dark"}) {
        set(setting(ZRKeyboardMenuDefaults::Theme), QString::fromLatin1(theme));
        ASSERT_TRUE(popUp(numbered(20)));
        ASSERT_TRUE(ZRKeyboardMenu::selectItemAtIndex(11));
        const QImage image = picture(QStringLiteral("twenty-rows-") + theme);
        ASSERT_EQ(menu().numberOfLines(), 8);
        EXPECT_TRUE(isAccent(image.pixelColor(image.width() - 3, rowMiddle(6))))
            << "the selected row is last";
        EXPECT_FALSE(isAccent(image.pixelColor(image.width() - 3, rowMiddle(5))));
        const QColor background = image.pixelColor(3, rowMiddle(2));
        const int dotX = int(std::round((image.width() - 32 - 10) / 2.0)) + 16 + 5;
        EXPECT_NE(image.pixelColor(dotX, 10 + 5 + int(LineHeight) + 10), background) << "dots above";
        EXPECT_NE(image.pixelColor(dotX, image.height() - 5), background) << "dots below";
    }
    set(setting(ZRKeyboardMenuDefaults::StaticSelection), true);
    ASSERT_TRUE(popUp(numbered(20)));
    ASSERT_TRUE(ZRKeyboardMenu::selectItemAtIndex(1));
    const QImage image = picture(QStringLiteral("static-selection"));
    EXPECT_TRUE(isAccent(image.pixelColor(image.width() - 3, image.height() / 2 + 10 + int(LineHeight) / 2)))
        << "the selection stands in the middle";
    EXPECT_FALSE(isAccent(image.pixelColor(image.width() - 3, rowMiddle(0))))
        << "rows above the list stay empty";
}

TEST_F(KeyboardMenuPicturesTest, TypedLettersAreUnderlinedAndASelectedSuffixStaysReadable) {
    set(setting(ZRKeyboardMenuDefaults::Theme), QStringLiteral("light"));
    const auto root = tree({"Alphabet", "About", "Zed", "Folder>", "Inside"});
    root->children()[2]->setSuffix(QStringLiteral(" \u2014 10 px"));
    ASSERT_TRUE(popUp(root));
    ZRKeyboardMenu::selectItemAtIndex(2);
    const QImage plain = picture(QStringLiteral("suffix-selected-light"));
    type("ab");
    const QImage typed = picture(QStringLiteral("type-select-ab"));
    EXPECT_EQ(selectedTitle(), "About");
    const auto rowDiffers = [&](int row) {
        return plain.copy(0, rowMiddle(row) - 20, plain.width(), 40) !=
               typed.copy(0, rowMiddle(row) - 20, plain.width(), 40);
    };
    EXPECT_TRUE(rowDiffers(0)) << "Alphabet is underlined";
    EXPECT_FALSE(rowDiffers(3)) << "the folder matches nothing";

    int lightPixels = 0;
    for (int x = plain.width() / 2; x < plain.width(); ++x)
        lightPixels += plain.pixelColor(x, rowMiddle(2)).red() > 60;
    EXPECT_GT(lightPixels, 0) << "the suffix is drawn light on the accent colour";
}

} // namespace
