#include "log-reader/ILRLogDisplay.h"

#include "log-reader/ILRLogTextLayout.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {

constexpr double HeadIndent = 20;
constexpr double ParagraphSpacing = 5;
constexpr char16_t LineSeparator = u'\u2028';
// What the text's insertion would take for the end of a paragraph, or for a frame, inside a line.
constexpr char16_t CarriageReturn = u'\r';
constexpr char16_t LineFeed = u'\n';
constexpr char16_t ParagraphSeparator = u'\u2029';
constexpr char16_t FrameStart = u'\ufdd0';
constexpr char16_t FrameEnd = u'\ufdd1';
constexpr char16_t ReplacementCharacter = u'\ufffd';

QString lastPathComponent(const QString& path) {
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash < 0 ? path : path.mid(slash + 1);
}

bool breaksLines(char16_t c) {
    return c == LineFeed || c == CarriageReturn || c == ParagraphSeparator || c == FrameStart ||
           c == FrameEnd;
}

// Appends text that stays on its line: breaks become line separators, which the line's indent follows.
void appendWithinLine(QString& text, QStringView piece) {
    const qsizetype start = text.size();
    text += piece;
    for (qsizetype i = start; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (breaksLines(c))
            text[i] = c == FrameStart || c == FrameEnd ? QChar(ReplacementCharacter) : QChar(LineSeparator);
    }
}

} // namespace

ILRLogDisplay::ILRLogDisplay(const Entries& entries, Options options)
    : m_options(std::move(options)), m_document(std::make_unique<QTextDocument>()) {
    m_document->setUndoRedoEnabled(false);
    m_document->setDefaultFont(m_options.font);
    m_paragraph.setLeftMargin(HeadIndent);
    m_paragraph.setTextIndent(-HeadIndent);
    m_paragraph.setBottomMargin(ParagraphSpacing);
    QTextCursor(m_document.get()).setBlockFormat(m_paragraph);

    Tail tail;
    if (!m_options.header.isEmpty()) {
        startParagraph(tail);
        appendWithinLine(tail.text, m_options.header);
        m_lastPrefixLength = tail.text.size();
        tail.states.back() = ILRLogTextLayout::blockState(m_lastPrefixLength, 0);
    }
    walk(entries, tail);
    apply(tail);
    // Laid out only once it is shown, and then only where it is seen.
    m_layout = new ILRLogTextLayout(m_document.get(), m_options.normalColor, m_options.dimColor);
}

ILRLogDisplay::~ILRLogDisplay() = default;

QString ILRLogDisplay::headerText(int numberOfDays, const QString& time) {
    if (numberOfDays < 0)
        return QStringLiteral("⇤ %1…").arg(time);
    if (numberOfDays == 0)
        return QStringLiteral("⇤ 1 hour before %1…").arg(time);
    if (numberOfDays == 1)
        return QStringLiteral("⇤ 1 day before %1…").arg(time);
    return QStringLiteral("⇤ %1 days before %2…").arg(numberOfDays).arg(time);
}

QString ILRLogDisplay::senderName(const QString& processImagePath, const QString& senderImagePath) {
    const QString process = lastPathComponent(processImagePath);
    const QString sender = lastPathComponent(senderImagePath);
    if (sender.isEmpty() || sender == process)
        return process;
    if (process.isEmpty())
        return sender;
    return QStringLiteral("%1 > %2").arg(process, sender);
}

bool ILRLogDisplay::repeatsPending(const ILRLogEntry& entry) const {
    return m_pendingCount > 0 && entry.eventMessage == m_pending.eventMessage &&
           entry.processImagePath == m_pending.processImagePath &&
           entry.senderImagePath == m_pending.senderImagePath;
}

void ILRLogDisplay::append(const Entries& entries) {
    Tail tail;
    if (m_hasText)
        tail.states.push_back(ILRLogTextLayout::blockState(m_lastPrefixLength, 0));
    if (!walk(entries, tail))
        return;
    m_layout->holdChanges();
    apply(tail);
    m_layout->releaseChanges();
}

bool ILRLogDisplay::walk(const Entries& entries, Tail& tail) {
    bool changed = false;
    for (auto i = std::size_t(m_goneThrough); i < entries.size(); ++i) {
        const auto index = qsizetype(i);
        m_goneThrough = index + 1;
        const ILRLogEntry& entry = entries[i];
        if (entry.eventMessage.isEmpty())
            continue;
        changed = true;
        const bool marker = index == m_options.archiveInsertionIndex;
        if (m_options.coalesce && !marker && repeatsPending(entry)) {
            ++m_pendingCount;
            continue;
        }
        if (m_options.coalesce)
            m_pending = entry;
        writeLine(tail, entry, marker);
    }
    if (m_options.archiveInsertionIndex != NotFound && m_goneThrough == m_options.archiveInsertionIndex) {
        closeLine(tail);
        writeMarker(tail);
        changed = true;
    }
    closeLine(tail);
    return changed;
}

void ILRLogDisplay::startParagraph(Tail& tail) {
    if (m_hasText)
        tail.text += QChar(ParagraphSeparator);
    if (m_hasText || tail.states.empty())
        tail.states.push_back(0);
    m_hasText = true;
}

void ILRLogDisplay::writeMarker(Tail& tail) {
    startParagraph(tail);
    const QStringView marker(Marker);
    tail.text += marker;
    m_lastPrefixLength = marker.size();
    tail.states.back() = ILRLogTextLayout::blockState(m_lastPrefixLength, 0);
    m_pendingCount = 0;
}

void ILRLogDisplay::closeLine(Tail& tail) {
    tail.countOffset = tail.text.size();
    if (m_pendingCount <= 0)
        return;
    qsizetype count = 0;
    if (m_pendingCount > 1) {
        const QString text = QStringLiteral(" (×%1)").arg(m_pendingCount);
        tail.text += text;
        count = text.size();
    }
    tail.states.back() = ILRLogTextLayout::blockState(m_lastPrefixLength, count);
}

void ILRLogDisplay::appendMessage(QString& text, const ILRLogEntry& entry) const {
    QStringView message = entry.eventMessage;
    // Hidden prefixes are matched against the message as shown, with its breaks made line separators.
    QString shown;
    if (std::any_of(message.begin(), message.end(), [](QChar c) { return breaksLines(c.unicode()); })) {
        appendWithinLine(shown, message);
        message = shown;
    }
    for (const QString& prefix : m_options.hiddenPrefixes) {
        if (message.startsWith(prefix))
            message = message.sliced(prefix.size());
    }
    text += message;
}

void ILRLogDisplay::writeLine(Tail& tail, const ILRLogEntry& entry, bool marker) {
    closeLine(tail);
    if (marker)
        writeMarker(tail);
    startParagraph(tail);
    const qsizetype start = tail.text.size();
    QStringView time = entry.displayTime;
    if (!m_options.todayPrefix.isEmpty() && time.startsWith(m_options.todayPrefix))
        time = time.sliced(m_options.todayPrefix.size());
    tail.text += time;
    if (m_options.showSenders) {
        if (entry.processImagePath != m_lastProcess || entry.senderImagePath != m_lastSender) {
            m_lastProcess = entry.processImagePath;
            m_lastSender = entry.senderImagePath;
            m_lastSenderName = senderName(m_lastProcess, m_lastSender);
        }
        if (!m_lastSenderName.isEmpty()) {
            tail.text += QLatin1String(" | ");
            appendWithinLine(tail.text, m_lastSenderName);
        }
    }
    tail.text += QLatin1String(": ");
    m_lastPrefixLength = tail.text.size() - start;
    appendMessage(tail.text, entry);
    m_pendingCount = 1;
}

void ILRLogDisplay::apply(const Tail& tail) {
    int start = m_countPosition;
    QStringView text = tail.text;
    // A count that stays as it was stays in place: the new lines go after it.
    if (text.startsWith(m_count)) {
        start += int(m_count.size());
        text = text.sliced(m_count.size());
    }
    QTextCursor cursor(m_document.get());
    cursor.setPosition(start);
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cursor.insertText(text.toString(), QTextCharFormat());
    QTextBlock block = m_document->findBlock(m_countPosition);
    for (const int state : tail.states) {
        block.setUserState(state);
        block = block.next();
    }
    m_countPosition += int(tail.countOffset);
    m_count = tail.text.sliced(tail.countOffset);
}
