#include "help-browser/HelpStrings.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QSet>

namespace {

const QString LanguageFolderExtension = QStringLiteral(".lproj");
const QString DevelopmentLanguageFolders[] = {QStringLiteral("en.lproj"), QStringLiteral("English.lproj")};
const QString NoValueText = QStringLiteral("(No Value)");
const QString YesText = QStringLiteral("Yes");
const QString NoText = QStringLiteral("No");
constexpr qsizetype MinimumWordLength = 2;

// The English name of a language identifier ("de" German, "pt-BR" Portuguese (Brazil)); empty for an
// identifier that names no language.
QString englishNameOfLanguage(const QString& identifier) {
    const QLocale locale(identifier);
    if (locale.language() == QLocale::C || locale.language() == QLocale::AnyLanguage)
        return {};
    QString name = QLocale::languageToString(locale.language());
    // Only a region that was asked for is named: "de" alone must not become "German (Germany)".
    if (identifier.contains(u'-') || identifier.contains(u'_'))
        name += QStringLiteral(" (%1)").arg(QLocale::territoryToString(locale.territory()));
    return name;
}

bool isWordSeparator(QChar c) {
    return c != u'-' && (c.isSpace() || c.isPunct() || c.isDigit());
}

} // namespace

QStringList helpLanguageFolders(const QStringList& preferredLanguages) {
    QStringList folders;
    auto add = [&folders](const QString& folder) {
        if (!folders.contains(folder))
            folders.append(folder);
    };
    for (const QString& language : preferredLanguages) {
        if (language.isEmpty())
            continue;
        add(language + LanguageFolderExtension);
        if (const QString name = englishNameOfLanguage(language); !name.isEmpty())
            add(name + LanguageFolderExtension);
    }
    for (const QString& folder : DevelopmentLanguageFolders)
        add(folder);
    folders.append(QString());
    return folders;
}

const QStringList& helpLanguageFolders() {
    static const QStringList folders = helpLanguageFolders(QLocale::system().uiLanguages());
    return folders;
}

std::optional<QString> localizedPathToDirectory(const QString& folderName, const QString& insideDirectory,
                                                const QStringList& languageFolders) {
    if (folderName.isEmpty() || insideDirectory.isEmpty() || !QFileInfo(insideDirectory).isDir())
        return std::nullopt;
    const QDir directory(insideDirectory);
    for (const QString& language : languageFolders) {
        const QString candidate = language.isEmpty() ? directory.filePath(folderName)
                                                     : directory.filePath(language + u'/' + folderName);
        if (QFileInfo(candidate).isDir())
            return candidate;
    }
    return std::nullopt;
}

std::optional<QString> helpManagerContentBetweenPrefix(QStringView text, QStringView prefix,
                                                       QStringView suffix) {
    QStringView rest = text;
    if (!prefix.isEmpty()) {
        const qsizetype start = text.indexOf(prefix, 0, Qt::CaseInsensitive);
        if (start < 0)
            return std::nullopt;
        rest = text.mid(start + prefix.size());
    }
    if (!suffix.isEmpty()) {
        const qsizetype end = rest.indexOf(suffix, 0, Qt::CaseInsensitive);
        if (end < 0)
            return std::nullopt;
        rest = rest.left(end);
    }
    return rest.toString();
}

QString helpManagerAnchorSortStringByIgnoringCharactersFromSet(const QString& text, bool (*inSet)(QChar)) {
    if (std::none_of(text.begin(), text.end(), inSet))
        return text;
    QStringList pieces;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !inSet(text.at(i)))
            continue;
        if (const QString piece = text.mid(start, i - start).trimmed(); !piece.isEmpty())
            pieces.append(piece);
        start = i + 1;
    }
    return pieces.join(u' ');
}

QString helpManagerDescriptionOrValue(const QVariant& value) {
    if (!value.isValid())
        return NoValueText;
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? YesText : NoText;
    return value.toString();
}

QStringList wordsFromString(QStringView text) {
    QStringList words;
    QSet<QString> seen;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !isWordSeparator(text.at(i)))
            continue;
        if (i - start >= MinimumWordLength) {
            QString word = text.mid(start, i - start).toString().toLower();
            if (!seen.contains(word)) {
                seen.insert(word);
                words.append(std::move(word));
            }
        }
        start = i + 1;
    }
    return words;
}

QString helpFoldedString(QStringView text) {
    const QString decomposed = text.toString().normalized(QString::NormalizationForm_KD);
    QString folded;
    folded.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        if (c.category() != QChar::Mark_NonSpacing)
            folded.append(c);
    }
    return folded.toCaseFolded();
}
