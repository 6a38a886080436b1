#include "platform/x11/X11TitleBar.h"

#include <QRegularExpression>
#include <algorithm>

namespace {

// Title bars lower than this hold no buttons (undecorated or full-screen frames).
constexpr int MinimumTitleHeight = 6;

int themeInteger(const QByteArray& themerc, const char* key, int fallback) {
    bool ok = false;
    const int value = X11TitleBar::settingValue(themerc, QLatin1String(key), QLatin1Char(':')).toInt(&ok);
    return ok ? value : fallback;
}

std::vector<X11TitleButtonRow::Slot>
slotsOf(const QStringList& items, const std::function<std::optional<X11TitleButton>(const QString&)>& button,
        const std::function<int(const QString&)>& widthOf) {
    std::vector<X11TitleButtonRow::Slot> slots;
    for (const QString& item : items)
        slots.push_back({button(item), widthOf(item)});
    return slots;
}

QStringList reversed(QStringList items) {
    std::reverse(items.begin(), items.end());
    return items;
}

// The letters of a layout string, each once, as the window managers read them.
QStringList lettersOf(const QString& text, const QString& known) {
    QStringList letters;
    for (const QChar letter : text)
        if (known.contains(letter) && !letters.contains(QString(letter)))
            letters << QString(letter);
    return letters;
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

std::vector<X11TitleButtonRect> X11TitleBar::buttonRects(const Rect& frame, const X11Extents& extents,
                                                         const X11TitleButtonRow& row) {
    const int border = extents.left;
    const double top = frame.minY() + border;
    const double bottom = frame.minY() + extents.top - (row.borderBelowTitle ? border : 0);
    const double height = bottom - top - 2 * row.verticalGap;
    if (bottom - top < MinimumTitleHeight || height <= 0)
        return {};
    const double titleX = frame.minX() + extents.left;
    const double titleMaxX = frame.maxX() - extents.right;
    const double y = top + row.verticalGap;
    auto widthOf = [&](const X11TitleButtonRow::Slot& slot) { return slot.width > 0 ? slot.width : height; };

    std::vector<X11TitleButtonRect> rects;
    double x = titleX + row.edgeGap;
    for (const auto& slot : row.left) {
        if (slot.button)
            rects.push_back({*slot.button, Rect(x, y, widthOf(slot), height)});
        x += widthOf(slot) + row.spacing;
    }
    x = titleMaxX - row.edgeGap;
    for (const auto& slot : row.right) {
        x -= widthOf(slot);
        if (slot.button)
            rects.push_back({*slot.button, Rect(x, y, widthOf(slot), height)});
        x -= row.spacing;
    }
    std::erase_if(rects, [&](const X11TitleButtonRect& r) {
        return r.rect.minX() < titleX || r.rect.maxX() > titleMaxX;
    });
    return rects;
}

QString X11TitleBar::settingValue(const QByteArray& text, const QString& key, QChar separator) {
    QString found;
    for (const QByteArray& raw : text.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(QLatin1Char('#')) || !line.startsWith(key))
            continue;
        const QString rest = line.mid(key.size()).trimmed();
        if (!rest.startsWith(separator))
            continue;
        QString value = rest.mid(1).trimmed();
        if (value.startsWith(QLatin1Char('"'))) {
            const qsizetype end = value.indexOf(QLatin1Char('"'), 1);
            value = end < 0 ? value.mid(1) : value.mid(1, end - 1);
        }
        // The last line that sets a key is the one that counts.
        found = value;
    }
    return found;
}

QString X11TitleBar::xfconfValue(const QByteArray& channel, const QString& property) {
    const QRegularExpression pattern(QStringLiteral("<property\\s+name=\"%1\"[^>]*\\svalue=\"([^\"]*)\"")
                                         .arg(QRegularExpression::escape(property)));
    const auto match = pattern.match(QString::fromUtf8(channel));
    return match.hasMatch() ? match.captured(1) : QString();
}

X11TitleButtonRow X11TitleBar::xfwm4Row(const QString& layout, int offset, int spacing,
                                        const std::function<int(QChar)>& widthOf) {
    auto button = [](const QString& letter) -> std::optional<X11TitleButton> {
        if (letter == QLatin1String("H"))
            return X11TitleButton::Minimize;
        if (letter == QLatin1String("M"))
            return X11TitleButton::Zoom;
        if (letter == QLatin1String("C"))
            return X11TitleButton::Close;
        return std::nullopt;
    };
    auto width = [&](const QString& letter) { return widthOf(letter.front()); };
    const QStringList letters = lettersOf(layout, QStringLiteral("OTSHMC|"));
    const qsizetype title = letters.indexOf(QStringLiteral("|"));
    X11TitleButtonRow row;
    row.left = slotsOf(title < 0 ? letters : letters.mid(0, title), button, width);
    if (title >= 0)
        row.right = slotsOf(reversed(letters.mid(title + 1)), button, width);
    row.edgeGap = offset;
    row.spacing = spacing;
    return row;
}

X11TitleButtonRow X11TitleBar::icewmRow(const QString& left, const QString& right, const QString& supported,
                                        const std::function<int(QChar)>& widthOf) {
    auto button = [](const QString& letter) -> std::optional<X11TitleButton> {
        if (letter == QLatin1String("i"))
            return X11TitleButton::Minimize;
        if (letter == QLatin1String("m"))
            return X11TitleButton::Zoom;
        if (letter == QLatin1String("x"))
            return X11TitleButton::Close;
        return std::nullopt;
    };
    auto width = [&](const QString& letter) { return widthOf(letter.front()); };
    X11TitleButtonRow row;
    row.left = slotsOf(lettersOf(left, supported), button, width);
    row.right = slotsOf(lettersOf(right, supported), button, width);
    return row;
}

X11TitleButtonRow X11TitleBar::fluxboxRow(const QString& left, const QString& right, int bevel) {
    auto button = [](const QString& word) -> std::optional<X11TitleButton> {
        if (word.compare(QLatin1String("Minimize"), Qt::CaseInsensitive) == 0)
            return X11TitleButton::Minimize;
        if (word.compare(QLatin1String("Maximize"), Qt::CaseInsensitive) == 0)
            return X11TitleButton::Zoom;
        if (word.compare(QLatin1String("Close"), Qt::CaseInsensitive) == 0)
            return X11TitleButton::Close;
        return std::nullopt;
    };
    auto square = [](const QString&) { return 0; };
    X11TitleButtonRow row;
    row.left = slotsOf(left.split(QLatin1Char(' '), Qt::SkipEmptyParts), button, square);
    row.right = slotsOf(reversed(right.split(QLatin1Char(' '), Qt::SkipEmptyParts)), button, square);
    row.edgeGap = bevel;
    row.spacing = bevel;
    row.verticalGap = bevel;
    row.borderBelowTitle = true;
    return row;
}

X11TitleButtonRow X11TitleBar::gnomeRow(const QString& layout, int width, int edgeGap, int spacing,
                                        int verticalGap) {
    auto button = [](const QString& name) -> std::optional<X11TitleButton> {
        if (name == QLatin1String("minimize"))
            return X11TitleButton::Minimize;
        if (name == QLatin1String("maximize"))
            return X11TitleButton::Zoom;
        if (name == QLatin1String("close"))
            return X11TitleButton::Close;
        return std::nullopt;
    };
    auto same = [&](const QString&) { return width; };
    auto names = [](const QString& side) {
        QStringList list;
        for (const QString& name : side.split(QLatin1Char(','), Qt::SkipEmptyParts))
            list << name.trimmed();
        return list;
    };
    const qsizetype colon = layout.indexOf(QLatin1Char(':'));
    X11TitleButtonRow row;
    row.left = slotsOf(names(colon < 0 ? layout : layout.left(colon)), button, same);
    if (colon >= 0)
        row.right = slotsOf(reversed(names(layout.mid(colon + 1))), button, same);
    row.edgeGap = edgeGap;
    row.spacing = spacing;
    row.verticalGap = verticalGap;
    return row;
}
