#include "toolkit/MenuItemExtensions.h"

#include <QAction>

namespace {
constexpr auto TitleSuffixProperty = "ZRTitleSuffix";
constexpr auto TitleSuffixSizeProperty = "ZRTitleSuffixSize";
} // namespace

void setMacOS26ImageWithSystemSymbolName(QAction*, const QString&, bool, bool) {}

void setMacOS26ImageWithSystemSymbolName(QAction* item, const QString& symbolName) {
    setMacOS26ImageWithSystemSymbolName(item, symbolName, true, false);
}

void setTitleSuffix(QAction* item, const QString& suffix, double size) {
    if (!item)
        return;
    const QString title = titleWithoutSuffix(item);
    item->setProperty(TitleSuffixProperty, suffix);
    item->setProperty(TitleSuffixSizeProperty, size);
    item->setText(title + suffix);
}

QString titleSuffix(const QAction* item) {
    return item ? item->property(TitleSuffixProperty).toString() : QString();
}

QString titleWithoutSuffix(const QAction* item) {
    if (!item)
        return {};
    const QString text = item->text();
    const QString suffix = titleSuffix(item);
    if (!suffix.isEmpty() && text.endsWith(suffix))
        return text.left(text.size() - suffix.size());
    return text;
}
