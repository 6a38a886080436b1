#pragma once

#include "log-reader/ILRLogEntry.h"

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <QTextBlockFormat>
#include <deque>
#include <memory>
#include <vector>

class ILRLogTextLayout;
class QTextDocument;

// The text of the log window: a header, one line an entry (repeats coalesced into one line with their
// count), and the "👀" marker where older entries are being inserted. Built whole off the main thread in
// one insertion, and grown at its end on the main thread as live entries arrive, one insertion a batch;
// both give the same text. The colours of its parts go with each paragraph to the layout, which draws them.
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

    // "⇤ %@…" and the forms with one hour, a day or days before the time.
    static QString headerText(int numberOfDays, const QString& time);
    // The name shown for an entry's process and sender.
    static QString senderName(const QString& processImagePath, const QString& senderImagePath);

private:
    // What replaces the end of the text from the pending line's count on: the text, and the colours of
    // each paragraph it touches, the first being the one the count stands in.
    struct Tail {
        QString text;
        std::vector<int> states;
        // Where the count of the line that ends the text begins.
        qsizetype countOffset = 0;
    };

    // Goes through the entries not yet shown; false when they change nothing.
    bool walk(const Entries& entries, Tail& tail);
    // Begins a paragraph, unless the text is still empty.
    void startParagraph(Tail& tail);
    void writeMarker(Tail& tail);
    void writeLine(Tail& tail, const ILRLogEntry& entry, bool marker);
    // Ends the last line with its count (which may grow yet: the next tail begins with it again).
    void closeLine(Tail& tail);
    // Whether the entry repeats the pending line's: the same process, sender and message.
    bool repeatsPending(const ILRLogEntry& entry) const;
    void appendMessage(QString& text, const ILRLogEntry& entry) const;
    // Puts the tail in place of the text from the count on, in one insertion.
    void apply(const Tail& tail);

    Options m_options;
    std::unique_ptr<QTextDocument> m_document;
    // The document's.
    ILRLogTextLayout* m_layout = nullptr;
    QTextBlockFormat m_paragraph;
    bool m_hasText = false;
    qsizetype m_goneThrough = 0;
    // The line being coalesced: its entry, how many entries it stands for (0: the text ends with no line),
    // and where its count goes.
    ILRLogEntry m_pending;
    qsizetype m_pendingCount = 0;
    int m_countPosition = 0;
    QString m_count;
    // The length of the dim start of the last paragraph: the time and sender of a line, or the whole
    // header or marker.
    qsizetype m_lastPrefixLength = 0;
    // The last sender shown, which the next entry of the same process and sender shares.
    QString m_lastProcess;
    QString m_lastSender;
    QString m_lastSenderName;
};
