#include "log-reader/ILRLogDisplay.h"

#include <QFileInfo>
#include <QTextCursor>
#include <QTextDocument>

namespace {

constexpr double HeadIndent = 20;
constexpr double ParagraphSpacing = 5;
constexpr char16_t LineSeparator = u'\u2028';

QString lastPathComponent(const QString& path) {
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash < 0 ? path : path.mid(slash + 1);
}

} // namespace

ILRLogDisplay::ILRLogDisplay(const Entries& entries, Options options)
    : m_options(std::move(options)), m_document(std::make_unique<QTextDocument>()) {
    m_document->setUndoRedoEnabled(false);
    m_document->setDefaultFont(m_options.font);
    m_dim.setFont(m_options.font);
    m_dim.setForeground(m_options.dimColor);
    m_normal.setFont(m_options.font);
    m_normal.setForeground(m_options.normalColor);
    m_paragraph.setLeftMargin(HeadIndent);
    m_paragraph.setTextIndent(-HeadIndent);
    m_paragraph.setBottomMargin(ParagraphSpacing);

    QTextCursor cursor(m_document.get());
    cursor.setBlockFormat(m_paragraph);
    if (!m_options.header.isEmpty()) {
        cursor.insertText(m_options.header, m_dim);
        m_hasText = true;
    }
    append(entries);
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
    for (auto i = std::size_t(m_goneThrough); i < entries.size(); ++i) {
        const auto index = qsizetype(i);
        m_goneThrough = index + 1;
        const ILRLogEntry& entry = entries[i];
        if (entry.eventMessage.isEmpty())
            continue;
        const bool marker = index == m_options.archiveInsertionIndex;
        if (!m_options.coalesce) {
            writeLine(entry, marker);
            continue;
        }
        if (!marker && repeatsPending(entry)) {
            ++m_pendingCount;
            writeCount();
            continue;
        }
        m_pending = entry;
        m_pendingCount = 1;
        writeLine(entry, marker);
    }
    if (m_options.archiveInsertionIndex != NotFound && m_goneThrough == m_options.archiveInsertionIndex)
        writeMarker(cursorAtEnd());
}

QTextCursor ILRLogDisplay::cursorAtEnd() const {
    QTextCursor cursor(m_document.get());
    cursor.movePosition(QTextCursor::End);
    return cursor;
}

void ILRLogDisplay::startParagraph(QTextCursor& cursor) {
    if (m_hasText)
        cursor.insertBlock(m_paragraph);
    m_hasText = true;
}

void ILRLogDisplay::writeMarker(QTextCursor cursor) {
    startParagraph(cursor);
    cursor.insertText(QStringView(Marker).toString(), m_dim);
}

// The pending line stands last in the document: only its count, at its end, changes.
void ILRLogDisplay::writeCount() {
    QTextCursor cursor(m_document.get());
    cursor.setPosition(m_countPosition);
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cursor.insertText(QStringLiteral(" (×%1)").arg(m_pendingCount), m_dim);
}

QString ILRLogDisplay::message(const ILRLogEntry& entry) const {
    QString text = entry.eventMessage;
    text.replace(u'\n', QChar(LineSeparator));
    for (const QString& prefix : m_options.hiddenPrefixes) {
        if (text.startsWith(prefix))
            text.remove(0, prefix.size());
    }
    return text;
}

void ILRLogDisplay::writeLine(const ILRLogEntry& entry, bool marker) {
    QTextCursor cursor = cursorAtEnd();
    if (marker)
        writeMarker(cursor);
    startParagraph(cursor);
    QString text = entry.displayTime;
    if (!m_options.todayPrefix.isEmpty() && text.startsWith(m_options.todayPrefix))
        text.remove(0, m_options.todayPrefix.size());
    if (m_options.showSenders) {
        const QString name = senderName(entry.processImagePath, entry.senderImagePath);
        if (!name.isEmpty())
            text = QStringLiteral("%1 | %2").arg(text, name);
    }
    cursor.insertText(text + QStringLiteral(": "), m_dim);
    cursor.insertText(message(entry), m_normal);
    m_countPosition = cursor.position();
}
