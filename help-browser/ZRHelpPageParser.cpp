#include "help-browser/ZRHelpPageParser.h"

#include "help-browser/HelpStrings.h"
#include "help-browser/ZRHelpPageMarkers.h"

namespace {

using namespace ZRHelpPageMarkers;

constexpr char16_t CommentStart[] = u"<!--";
constexpr char16_t CommentEnd[] = u"-->";
constexpr char16_t TagStart = u'<';
constexpr char16_t TagEnd = u'>';
constexpr char16_t CategoryStart = u'[';
constexpr char16_t CategoryEnd = u']';
// "=L=" is marked with a word of letters, so capitalizing turns only its first letter upper; the whole
// mark goes again afterwards.
const QString LowercaseMark = QStringLiteral("=L=");
const QString LowercasePlaceholder = QStringLiteral("==Lowercase");
const QString UppercaseMark = QStringLiteral("=U=");

// The page from the body start on, without comments; empty without a body start.
QString commentFreeText(QStringView html) {
    QString result;
    qsizetype position = html.indexOf(QStringView(BodyStart), 0, Qt::CaseInsensitive);
    if (position < 0)
        return result;
    while (position < html.size()) {
        const qsizetype comment = html.indexOf(QStringView(CommentStart), position);
        if (comment < 0) {
            result += html.mid(position);
            break;
        }
        result += html.mid(position, comment - position);
        const qsizetype end = html.indexOf(QStringView(CommentEnd), comment + 4);
        if (end < 0)
            break;
        position = end + 3;
    }
    return result;
}

// The text between the tags, each run after a space.
QString plainText(QStringView text) {
    QString result;
    qsizetype position = 0;
    while (position < text.size()) {
        const qsizetype tag = text.indexOf(TagStart, position);
        const QStringView run = text.mid(position, (tag < 0 ? text.size() : tag) - position);
        if (!run.isEmpty()) {
            result += u' ';
            result += run;
        }
        if (tag < 0)
            break;
        const qsizetype end = text.indexOf(TagEnd, tag + 1);
        if (end < 0)
            break;
        position = end + 1;
    }
    return result;
}

// Upper case for a letter after a non-letter, lower case for the other letters.
QString capitalizedWords(const QString& text) {
    QString result = text;
    bool afterLetter = false;
    for (QChar& c : result) {
        if (c.isLetter()) {
            c = afterLetter ? c.toLower() : c.toUpper();
            afterLetter = true;
        } else {
            afterLetter = false;
        }
    }
    return result;
}

bool isPunctuation(QChar c) {
    return c.isPunct();
}

QList<ZRHelpAnchor> anchorsOf(QStringView text, const QString& relativePath) {
    QList<ZRHelpAnchor> anchors;
    const QStringView opener(AnchorOpener);
    qsizetype position = 0;
    for (;;) {
        const qsizetype start = text.indexOf(opener, position, Qt::CaseInsensitive);
        if (start < 0)
            break;
        const qsizetype nameStart = start + opener.size();
        const qsizetype nameEnd = text.indexOf(AnchorCloser, nameStart);
        if (nameEnd < 0)
            break;
        position = nameEnd + 1;
        const QString fragment = text.mid(nameStart, nameEnd - nameStart).toString();
        if (fragment.isEmpty() || fragment.endsWith(QStringView(AnchorExcludedSuffix), Qt::CaseInsensitive))
            continue;
        ZRHelpAnchor anchor;
        anchor.path = relativePath;
        anchor.fragment = fragment;
        QString display = fragment;
        if (const qsizetype close = fragment.indexOf(CategoryEnd); close >= 0) {
            display = fragment.mid(close + 1);
            QString category = fragment.left(close);
            if (const qsizetype open = category.indexOf(CategoryStart); open >= 0)
                category = category.mid(open + 1);
            anchor.category = category;
        }
        anchor.name = ZRHelpAnchorDisplayName(display);
        anchor.sortString =
            helpManagerAnchorSortStringByIgnoringCharactersFromSet(anchor.name, isPunctuation);
        anchors.append(std::move(anchor));
    }
    return anchors;
}

} // namespace

QString ZRHelpAnchorDisplayName(const QString& name) {
    QString display = name;
    display.replace(u'_', u' ').replace(LowercaseMark, LowercasePlaceholder);
    display = capitalizedWords(display.trimmed());
    return display.remove(LowercasePlaceholder).remove(UppercaseMark);
}

ZRHelpParsedPage ZRParseHelpPage(QStringView html, const QString& relativePath) {
    ZRHelpParsedPage page;
    const QString body = commentFreeText(html);
    page.text = plainText(body);
    page.words = wordsFromString(page.text);
    if (page.words.isEmpty())
        return page;
    page.title = helpManagerContentBetweenPrefix(html, TitlePrefix, TitleSuffix);
    page.index = helpManagerContentBetweenPrefix(html, IndexPrefix, IndexSuffix);
    if (!page.index)
        page.index = helpManagerContentBetweenPrefix(html, LegacyIndexPrefix, LegacyIndexSuffix);
    if (const auto categories = helpManagerContentBetweenPrefix(html, QuickAccessPrefix, QuickAccessSuffix))
        page.quickAccessCategories = categories->split(QuickAccessSeparator);
    page.anchors = anchorsOf(body, relativePath);
    return page;
}
