#include "platform/x11/X11TitleBar.h"

#include <QRegularExpression>

namespace {

// Title bars lower than this hold no buttons (undecorated or full-screen frames).
constexpr int MinimumTitleHeight = 6;

int themeInteger(const QByteArray& themerc, const char* key, int fallback) {
    const QRegularExpression pattern(
        QStringLiteral("^\\s*%1\\s*:\\s*(\\d+)").arg(QRegularExpression::escape(QLatin1String(key))),
        QRegularExpression::MultilineOption);
    const auto match = pattern.match(QString::fromUtf8(themerc));
    return match.hasMatch() ? match.captured(1).toInt() : fallback;
}

} // namespace

QString X11TitleBar::openboxTitleLayout(const QByteArray& configuration) {
    static const QRegularExpression pattern(QStringLiteral("<titleLayout>\\s*([A-Za-z]*)\\s*</titleLayout>"));
    const auto match = pattern.match(QString::fromUtf8(configuration));
    return match.hasMatch() ? match.captured(1).toUpper() : QString();
}

X11TitleBarMetrics X11TitleBar::openboxThemeMetrics(const QByteArray& themerc) {
    X11TitleBarMetrics metrics;
    metrics.paddingX = themeInteger(themerc, "padding.width", metrics.paddingX);
    metrics.paddingY = themeInteger(themerc, "padding.height", metrics.paddingY);
    return metrics;
}

std::vector<X11TitleButtonRect> X11TitleBar::buttonRects(const Rect& frame, const X11Extents& extents,
                                                         const QString& layout,
                                                         const X11TitleBarMetrics& metrics) {
    const int border = extents.left;
    const int titleHeight = extents.top - 2 * border;
    const int size = titleHeight - 2 * metrics.paddingY - 2;
    if (titleHeight < MinimumTitleHeight || size <= 0)
        return {};

    // Each letter counts once, as openbox reads it.
    QString letters;
    for (const QChar letter : layout.toUpper())
        if (QStringLiteral("NDSLIMC").contains(letter) && !letters.contains(letter))
            letters += letter;
    const int label = letters.indexOf(QLatin1Char('L'));
    const QString left = label < 0 ? letters : letters.left(label);
    const QString right = label < 0 ? QString() : letters.mid(label + 1);

    const double titleX = frame.minX() + border;
    const double titleMaxX = frame.maxX() - border;
    const double y = frame.minY() + border + metrics.paddingY + 1;
    const int gap = metrics.paddingX + 1;
    auto widthOf = [&](QChar letter) { return letter == QLatin1Char('N') ? size + 2 : size; };
    auto buttonFor = [](QChar letter, X11TitleButton& button) {
        if (letter == QLatin1Char('I'))
            button = X11TitleButton::Minimize;
        else if (letter == QLatin1Char('M'))
            button = X11TitleButton::Zoom;
        else if (letter == QLatin1Char('C'))
            button = X11TitleButton::Close;
        else
            return false;
        return true;
    };

    std::vector<X11TitleButtonRect> rects;
    double x = titleX + gap;
    for (const QChar letter : left) {
        X11TitleButton button;
        if (buttonFor(letter, button))
            rects.push_back({button, Rect(x, y, size, size)});
        x += widthOf(letter) + gap;
    }
    x = titleMaxX - gap;
    for (auto it = right.crbegin(); it != right.crend(); ++it) {
        x -= widthOf(*it);
        X11TitleButton button;
        if (buttonFor(*it, button))
            rects.push_back({button, Rect(x, y, size, size)});
        x -= gap;
    }
    // A frame too narrow for its buttons shows none of those that fall off the title bar.
    std::erase_if(rects, [&](const X11TitleButtonRect& r) {
        return r.rect.minX() < titleX || r.rect.maxX() > titleMaxX;
    });
    return rects;
}
