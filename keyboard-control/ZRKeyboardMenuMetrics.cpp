// The keyboard menu's class side of sizes: line height, padding, text and the panel's frame.
#include "keyboard-control/ZRKeyboardMenu.h"

#include "keyboard-control/ZRKeyboardControlContext.h"
#include "keyboard-control/ZRKeyboardMenuDefaults.h"
#include "keyboard-control/ZRKeyboardMenuItem.h"
#include "platform/Platform.h"
#include "platform/foundation/UserDefaults.h"
#include "toolkit/Appearance.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QRawFont>
#include <algorithm>
#include <cmath>

namespace {

// A stored line height is not limited to the default's 100, but one beyond any screen is taken as this,
// so that no length of the panel leaves integer geometry.
constexpr double MaximumLineHeight = 4096;
// Padding in 148ths of the line height: across, and up and down with and without full-width selection.
constexpr double PaddingScale = 148;
constexpr double HorizontalPadding = 30;
constexpr double VerticalPaddingFullWidth = 20;
constexpr double VerticalPadding = 15;
// Line heights below this get a smaller, regular font; from it on a larger, light one.
constexpr double SmallLineHeight = 30;
constexpr double SmallFontScale = 0.6;
constexpr double FontScale = 0.7;
constexpr double SmallBaselineOffsetScale = 5.0 / 80;
constexpr double BaselineOffsetScale = 5.0 / 74;
// The panel keeps this far from the edges of the screen's usable area.
constexpr double ScreenMargin = 50;
// It sits in the upper part of the screen: this share of the free height lies below it, unless the free
// height is small.
constexpr double FreeHeightBelow = 0.75;
constexpr double SmallFreeHeight = 10;
constexpr double SmallFreeHeightBelow = 0.5;
constexpr double MaximumCornerRadius = 25;

const QString LineHeightKey = QString::fromUtf16(ZRKeyboardMenuDefaults::LineHeight);
const QString StaticSelectionKey = QString::fromUtf16(ZRKeyboardMenuDefaults::StaticSelection);
const QString ThemeKey = QString::fromUtf16(ZRKeyboardMenuDefaults::Theme);

double cornerRadius = 10.0;

QString rowText(const ZRKeyboardMenuItem& item) {
    return item.suffix().isEmpty() ? item.title() : item.title() + item.suffix();
}

} // namespace

std::optional<ScreenInfo> ZRKeyboardMenu::firstScreen() {
    const auto screens = context().platform.screens().screens();
    if (screens.empty())
        return std::nullopt;
    return screens.front();
}

void ZRKeyboardMenu::setLineHeight(double lineHeight) {
    context().defaults.setDouble(lineHeight, LineHeightKey);
}

double ZRKeyboardMenu::correctedLineHeight(double lineHeight) {
    return ZRKeyboardMenuCorrectedLineHeight(lineHeight);
}

double ZRKeyboardMenu::defaultLineHeightForScreen(const ScreenInfo* screen) {
    return ZRKeyboardMenuDefaultLineHeightForScreen(screen);
}

double ZRKeyboardMenu::lineHeightForScreen(const ScreenInfo* screen) {
    if (const auto stored = context().defaults.optionalDouble(LineHeightKey))
        return std::min(MaximumLineHeight, correctedLineHeight(*stored));
    return defaultLineHeightForScreen(screen);
}

Size ZRKeyboardMenu::paddingForLineHeight(double lineHeight) {
    const double vertical = fullWidthSelection() ? VerticalPaddingFullWidth : VerticalPadding;
    return {2 * std::round(HorizontalPadding * lineHeight / PaddingScale),
            2 * std::round(vertical * lineHeight / PaddingScale)};
}

ZRKeyboardMenuTextAttributes ZRKeyboardMenu::textAttributesForLineHeight(double lineHeight, bool center) {
    const bool small = lineHeight < SmallLineHeight;
    ZRKeyboardMenuTextAttributes attributes;
    QFont font = QApplication::font();
    font.setPixelSize(std::max(1, int(std::round((small ? SmallFontScale : FontScale) * lineHeight))));
    font.setWeight(small ? QFont::Normal : QFont::Light);
    attributes.text.font = font;
    attributes.text.alignment = (center ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop;
    attributes.baselineOffset =
        std::round((small ? SmallBaselineOffsetScale : BaselineOffsetScale) * lineHeight);
    return attributes;
}

QString ZRKeyboardMenu::drawableText(const QString& text, const QFont& font) {
    constexpr char16_t HyphenationPoint = 0x2027;
    constexpr char16_t MiddleDot = 0x00B7;
    if (!text.contains(QChar(HyphenationPoint)) ||
        QRawFont::fromFont(font).supportsCharacter(HyphenationPoint))
        return text;
    QString drawable = text;
    return drawable.replace(QChar(HyphenationPoint), QChar(MiddleDot));
}

bool ZRKeyboardMenu::usesStaticSelection() {
    return context().defaults.boolForKey(StaticSelectionKey);
}

bool ZRKeyboardMenu::usesDarkTheme() {
    const QVariant theme = context().defaults.object(ThemeKey);
    if (!theme.isValid())
        return ZRIsDarkInterfaceStyleEnabled();
    return theme.typeId() == QMetaType::QString && theme.toString().toLower() == u"dark";
}

bool ZRKeyboardMenu::fullWidthSelection() {
    // Only a blurred background, which no desktop offers here, draws the highlight inset.
    return true;
}

double ZRKeyboardMenu::menuCornerRadius() {
    return cornerRadius;
}

void ZRKeyboardMenu::setMenuCornerRadiusForVerticalPadding(double verticalPadding) {
    cornerRadius =
        std::min(MaximumCornerRadius, fullWidthSelection() ? verticalPadding : 2 * verticalPadding);
}

Rect ZRKeyboardMenu::frameForScreen(const ScreenInfo* screen, const ZRKeyboardMenuItem* parent,
                                    qsizetype* getNumberOfLines, double* getVerticalPadding) {
    std::optional<ScreenInfo> first;
    if (!screen) {
        first = firstScreen();
        if (!first)
            return {};
        screen = &*first;
    }
    const bool staticSelection = usesStaticSelection();
    const double lineHeight = lineHeightForScreen(screen);
    const Size padding = paddingForLineHeight(lineHeight);
    if (getVerticalPadding)
        *getVerticalPadding = padding.height;

    const Rect visible = screen->visibleFrame;
    const Rect available(visible.x() + ScreenMargin, visible.y() + ScreenMargin,
                         visible.width() - 2 * ScreenMargin, visible.height() - 2 * ScreenMargin);

    // Static selection keeps room for a full list above and below the selected row in the middle.
    const auto linesFor = [staticSelection](qsizetype rows) { return staticSelection ? 2 * rows : rows + 1; };
    const auto heightFor = [&](qsizetype lines) { return double(lines) * lineHeight + 4 * padding.height; };
    qsizetype rows = std::max<qsizetype>(1, parent ? qsizetype(parent->children().size()) : 0);
    qsizetype lines = linesFor(rows);
    double height = heightFor(lines);
    if (height > available.height()) {
        // As many rows as fit, title line and paddings included; at least one, fitting or not.
        const double fitting = std::floor((available.height() - 4 * padding.height) / lineHeight);
        rows = std::min(rows, qsizetype(staticSelection ? std::floor(fitting / 2) : fitting - 1));
        lines = rows < 1 ? 2 : linesFor(rows);
        height = heightFor(lines);
    }
    if (getNumberOfLines)
        *getNumberOfLines = lines;

    const double free = available.height() - height;
    const double y =
        available.y() + std::floor(free * (free < SmallFreeHeight ? SmallFreeHeightBelow : FreeHeightBelow));

    const QFontMetricsF metrics(textAttributesForLineHeight(lineHeight, false).text.font);
    const double arrowWidth = metrics.horizontalAdvance(RightArrow);
    const bool hasBackArrow = parent && parent->parent();
    const double base = 2 * padding.width + (hasBackArrow ? 2 * (arrowWidth + padding.width) : 0);
    double width = metrics.horizontalAdvance(emptyTitle()) + base;
    if (parent && !parent->title().isEmpty())
        width =
            std::max(width, std::min(available.width(), base + metrics.horizontalAdvance(parent->title())));
    if (parent) {
        const auto& children = parent->children();
        const bool anyFolder = std::any_of(children.begin(), children.end(),
                                           [](const auto& child) { return !child->children().empty(); });
        const double rowExtra = 2 * padding.width + (anyFolder ? arrowWidth + padding.width : 0);
        for (const auto& child : children) {
            const QString text = rowText(*child);
            double rowWidth = text.isEmpty() ? 0 : metrics.horizontalAdvance(text) + rowExtra;
            if (!child->image().isNull())
                rowWidth += child->image().deviceIndependentSize().width() + padding.width;
            if (rowWidth > width) {
                width = rowWidth;
                if (width > available.width()) {
                    width = available.width();
                    break;
                }
            }
        }
    }
    // Whole points: a text measured to fit must not lose a fraction of a point to the window's size.
    width = std::ceil(width);
    const double x = available.x() + std::floor((available.width() - width) / 2);
    return {x, y, width, height};
}

QString ZRKeyboardMenu::emptyTitle() {
    return QCoreApplication::translate("ZRKeyboardMenu", "Empty");
}
