// Pictures of the keyboard menu as the user sees it, kept in build/screenshots: a long list shown in part
// with dots where it goes on, static selection, both themes, type-select underlines and the suffix of a
// selected row.
#include "KeyboardMenuTestSupport.h"
#include "ScreenPixels.h"
#include "toolkit/StringExtensions.h"

#include <QFontInfo>
#include <QRawFont>

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

// The parts of an action's description stand apart by a hyphenation point, which light faces may lack: the
// menu draws a separator its font has (a middle dot for a missing point), in the light rows and the small.
TEST_F(KeyboardMenuPicturesTest, TheSeparatorsOfADescriptionAreGlyphsOfTheMenusFont) {
    const QString suffix = QStringLiteral(" \u2014 50% \u00d7 100%") + spacedMidDotSring() +
                           QStringLiteral("at 0%, 0%") + spacedMidDotSring() +
                           QStringLiteral("6 \u00d7 4 grid");
    const qsizetype separator = suffix.indexOf(QChar(0x2027));
    for (const double lineHeight : {LineHeight, 20.0}) {
        const QFont font = ZRKeyboardMenu::textAttributesForLineHeight(lineHeight, false).text.font;
        const QString drawn = ZRKeyboardMenu::drawableText(suffix, font);
        ASSERT_EQ(drawn.size(), suffix.size()) << "the formats' ranges stay";
        EXPECT_TRUE(QRawFont::fromFont(font).supportsCharacter(drawn.at(separator)))
            << QFontInfo(font).family().toStdString() << " " << QFontInfo(font).styleName().toStdString();
        EXPECT_EQ(drawn.count(drawn.at(separator)), 2);
    }

    set(setting(ZRKeyboardMenuDefaults::Theme), QStringLiteral("dark"));
    const auto root = tree({"Move and Resize", "Left Half"});
    root->children()[0]->setSuffix(suffix);
    ASSERT_TRUE(popUp(root));
    picture(QStringLiteral("description-separators-dark"));
}

} // namespace
