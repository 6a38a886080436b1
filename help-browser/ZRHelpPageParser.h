#pragma once

#include "help-browser/ZRHelpAnchor.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// What one help page says of itself. The title, order key, categories and anchors are read only from a
// page that has words.
struct ZRHelpParsedPage {
    QString text;
    QStringList words;
    std::optional<QString> title;
    std::optional<QString> index;
    std::optional<QStringList> quickAccessCategories;
    std::optional<QList<ZRHelpAnchor>> anchors;
};

// Reads a help page's HTML (the markers are in ZRHelpPageMarkers.h). Text before the body start and
// inside comments gives no words; an unterminated comment, tag or anchor name ends the reading there.
// The relative path goes into the anchors. Pure: safe from any thread.
ZRHelpParsedPage ZRParseHelpPage(QStringView html, const QString& relativePath);

// The display name of an anchor's name: "_" becomes a space and each word is capitalized; "=L=" keeps the
// next word in lower case and "=U=" capitalizes the letter after it inside a word (tips_and_=L=tricks is
// "Tips And tricks", mac=U=book is "MacBook").
QString ZRHelpAnchorDisplayName(const QString& name);
