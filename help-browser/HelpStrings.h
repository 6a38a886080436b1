#pragma once

#include <QChar>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

// The string helpers of the help book's parser and search.

// The language folders tried in a folder of localized resources, in order: for each preferred language
// L its "L.lproj" and, when the language has an English name N, "N.lproj"; then "en.lproj" and
// "English.lproj" unless named already; last the empty name (the folder itself).
QStringList helpLanguageFolders(const QStringList& preferredLanguages);
// The same for the user's languages, made once per process.
const QStringList& helpLanguageFolders();

// The first of directory/<language folder>/folderName that is a directory; none when either is empty,
// the directory does not exist, or no candidate does.
std::optional<QString> localizedPathToDirectory(const QString& folderName, const QString& insideDirectory,
                                                const QStringList& languageFolders = helpLanguageFolders());

// The text after the first prefix and before the next suffix, both found without regard to case; an
// empty prefix or suffix stands for the start or the end. None when either is missing.
std::optional<QString> helpManagerContentBetweenPrefix(QStringView text, QStringView prefix,
                                                       QStringView suffix);

// The text split at the characters of the set, each piece trimmed, empty pieces dropped and the rest
// joined with single spaces; the text itself when it has no character of the set.
QString helpManagerAnchorSortStringByIgnoringCharactersFromSet(const QString& text, bool (*inSet)(QChar));

// How a settings value shows in the help window's messages: "(No Value)" for none, "Yes" and "No" for
// booleans, else its text.
QString helpManagerDescriptionOrValue(const QVariant& value);

// The words of a text: it is split at white space, punctuation (except "-") and decimal digits; pieces
// of fewer than two characters are dropped, the rest lower-cased and kept once each, in order.
QStringList wordsFromString(QStringView text);

// The text as the search compares it: compatibility-decomposed, accents dropped, case folded.
QString helpFoldedString(QStringView text);
