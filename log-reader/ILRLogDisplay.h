#pragma once

#include "log-reader/ILRLogEntry.h"

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <deque>
#include <memory>

class QTextDocument;

// The text of the log window: a header, one line an entry (repeats coalesced into one line with their
// count), and the "👀" marker where older entries are being inserted. Built whole off the main thread,
// and grown at its end on the main thread as live entries arrive; both give the same text.
class ILRLogDisplay {
public:
    using Entries = std::deque<ILRLogEntry>;
    static constexpr qsizetype NotFound = -1;

    struct Options {
        // The header's text without its arrow; empty: no header.
        QString header;
        bool showSenders = true;
        bool coalesce = true;
        QStringList hiddenPrefixes;
        // Times that begin with it are shown without it.
        QString todayPrefix;
        qsizetype archiveInsertionIndex = NotFound;
        QFont font;
        QColor normalColor = Qt::black;
        QColor dimColor = Qt::gray;
    };

    // The marker of where older messages are being inserted.
    static constexpr char16_t Marker[] = u"👀";

    // Builds the whole text of the entries; on any thread (the document then belongs to it).
    ILRLogDisplay(const Entries& entries, Options options);
    ~ILRLogDisplay();

    // Whether entries appended at the end of the list can be added by append(): no marker stands in it.
    bool canAppend() const { return m_options.archiveInsertionIndex == NotFound; }
    // Adds the entries that follow those shown: entries[shownCount(), size()).
    void append(const Entries& entries);
    qsizetype shownCount() const { return m_goneThrough; }

    QTextDocument* document() const { return m_document.get(); }
    const Options& options() const { return m_options; }

    // "⇤ %@…" and the forms with one hour, a day or days before the time.
    static QString headerText(int numberOfDays, const QString& time);
    // The name shown for an entry's process and sender.
    static QString senderName(const QString& processImagePath, const QString& senderImagePath);

private:
    QTextCursor cursorAtEnd() const;
    // Begins a paragraph at the cursor, unless the document is still empty.
    void startParagraph(QTextCursor& cursor);
    void writeMarker(QTextCursor cursor);
    void writeLine(const ILRLogEntry& entry, bool marker);
    void writeCount();
    // Whether the entry repeats the pending line's: the same process, sender and message.
    bool repeatsPending(const ILRLogEntry& entry) const;
    QString message(const ILRLogEntry& entry) const;

    Options m_options;
    std::unique_ptr<QTextDocument> m_document;
    QTextCharFormat m_dim;
    QTextCharFormat m_normal;
    QTextBlockFormat m_paragraph;
    bool m_hasText = false;
    qsizetype m_goneThrough = 0;
    // The line being coalesced: its entry, how many entries it stands for, and where its count goes.
    ILRLogEntry m_pending;
    qsizetype m_pendingCount = 0;
    int m_countPosition = 0;
};
