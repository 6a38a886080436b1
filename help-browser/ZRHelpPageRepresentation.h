#pragma once

#include "help-browser/ZRHelpAnchor.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// One page of the help book as the index keeps it.
struct ZRHelpPageRepresentation {
    QString index; // the order key: the page's index marker, else one that sorts after every marker
    QString path;  // the relative path in the book
    QString title; // the page's title, else its relative path
    QString text;  // the plain text of the page's body
    QStringList words;
    QList<ZRHelpAnchor> anchors;
    std::optional<QStringList> quickAccess; // the categories of the quick-access strip, when it has one

    // The search's forms of the words and the text (HelpStrings.h), made once when the page is read.
    QString foldedWords; // the folded words, each on a line of its own
    QString foldedText;
};
