#include "log-reader/ILRLogTextLayout.h"

#include <QFontMetricsF>
#include <QMetaObject>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <cmath>
#include <limits>
#include <vector>

namespace {

// Heights are kept in the text engine's units, 1/64 of a pixel, so that sums stay exact.
constexpr qreal UnitsPerPixel = 64;
// The height at the end of the text, and above a paragraph that comes into view, that is laid out at once:
// more than a screen.
constexpr qreal ScreenfulHeight = 2400;
// The width of lines without a page width: no wrapping.
constexpr qreal UnboundedWidth = 1e6;
constexpr int PrefixBits = 24;
constexpr int PrefixMask = (1 << PrefixBits) - 1;
constexpr int SuffixMask = 0x7F;
constexpr int DefaultCursorWidth = 1;
// Paragraphs laid out at the end keep their glyphs, so that drawing a new line does not shape it again;
// this many at most.
constexpr std::size_t GlyphsKeptBlocks = 512;

qint64 toUnits(qreal pixels) {
    return qRound64(pixels * UnitsPerPixel);
}

qreal toPixels(qint64 units) {
    return qreal(units) / UnitsPerPixel;
}

} // namespace

// The heights of the paragraphs, in order, as a Fenwick tree: the top of any paragraph, and the paragraph
// at any height, in logarithmic time, while single heights change as paragraphs are laid out.
class ILRLogTextLayout::Heights {
public:
    int size() const { return int(m_heights.size()); }
    bool isLaidOut(int index) const { return m_laidOut[std::size_t(index)] != 0; }
    qint64 height(int index) const { return m_heights[std::size_t(index)]; }
    int laidOutCount() const { return int(std::count(m_laidOut.begin(), m_laidOut.end(), 1)); }

    void append(qint64 height) {
        const auto i = m_heights.size() + 1;
        m_heights.push_back(height);
        m_laidOut.push_back(0);
        // The node of i covers the heights (i - lowbit(i), i].
        m_tree.push_back(height + prefix(i - 1) - prefix(i - (i & (~i + 1))));
    }
    // Keeps the first count heights; the nodes of the tree for them cover nothing beyond.
    void truncate(int count) {
        m_heights.resize(std::size_t(count));
        m_laidOut.resize(std::size_t(count));
        m_tree.resize(std::size_t(count) + 1);
    }
    void setLaidOut(int index, qint64 height) {
        const qint64 delta = height - m_heights[std::size_t(index)];
        m_heights[std::size_t(index)] = height;
        m_laidOut[std::size_t(index)] = 1;
        for (auto i = std::size_t(index) + 1; i < m_tree.size(); i += i & (~i + 1))
            m_tree[i] += delta;
    }
    // Its layout is gone, its height stays.
    void setEstimated(int index) { m_laidOut[std::size_t(index)] = 0; }
    // The sum of the first count heights.
    qint64 prefix(std::size_t count) const {
        qint64 sum = 0;
        for (auto i = count; i > 0; i -= i & (~i + 1))
            sum += m_tree[i];
        return sum;
    }
    qint64 total() const { return prefix(m_heights.size()); }
    // The paragraph whose span holds the height: the first before it, the last beyond.
    int indexAt(qint64 y) const {
        if (m_heights.empty() || y < 0)
            return 0;
        std::size_t position = 0;
        std::size_t step = 1;
        while (step * 2 < m_tree.size())
            step *= 2;
        for (; step > 0; step /= 2) {
            if (position + step < m_tree.size() && m_tree[position + step] <= y) {
                position += step;
                y -= m_tree[position];
            }
        }
        return int(std::min(position, m_heights.size() - 1));
    }

private:
    std::vector<qint64> m_heights;
    std::vector<char> m_laidOut;
    // One-based: m_tree[0] is unused.
    std::vector<qint64> m_tree{0};
};

ILRLogTextLayout::ILRLogTextLayout(QTextDocument* document, const QColor& normalColor, const QColor& dimColor)
    : QAbstractTextDocumentLayout(document), m_heights(std::make_unique<Heights>()) {
    m_normal.setForeground(normalColor);
    m_dim.setForeground(dimColor);
    document->setDocumentLayout(this);
}

ILRLogTextLayout::~ILRLogTextLayout() = default;

int ILRLogTextLayout::blockState(qsizetype dimPrefix, qsizetype dimSuffix) {
    return int(std::min<qsizetype>(dimSuffix, SuffixMask) << PrefixBits |
               std::min<qsizetype>(dimPrefix, PrefixMask));
}

QList<std::pair<int, int>> ILRLogTextLayout::dimParts(const QTextBlock& block) {
    const int state = block.userState();
    if (state < 0)
        return {};
    const int length = block.length() - 1;
    const int prefix = std::min(state & PrefixMask, length);
    const int suffix = std::min(state >> PrefixBits & SuffixMask, length - prefix);
    QList<std::pair<int, int>> parts;
    if (prefix > 0)
        parts.append({0, prefix});
    if (suffix > 0)
        parts.append({length - suffix, suffix});
    return parts;
}

int ILRLogTextLayout::laidOutBlockCount() const {
    return m_heights->laidOutCount();
}

qreal ILRLogTextLayout::availableWidth() const {
    return document()->pageSize().width();
}

void ILRLogTextLayout::documentChanged(int from, int charsRemoved, int charsAdded) {
    if (m_applyingColours)
        return;
    const int length = document()->characterCount();
    // The document asks for the whole to be laid out again when its page size, font or options change;
    // when none of them did, nothing is to be done.
    const bool wholeAgain =
        from == 0 && charsRemoved == 0 && charsAdded == length && length == m_documentLength;
    m_documentLength = length;
    if (m_held) {
        m_held->from = std::min(m_held->from, from);
        m_held->removed = m_held->removed || charsRemoved > 0;
        return;
    }
    if (wholeAgain && m_settings == currentSettings() && m_heights->size() == document()->blockCount())
        return;
    layOutFrom(from, charsRemoved > 0);
}

void ILRLogTextLayout::holdChanges() {
    m_held = HeldChange{std::numeric_limits<int>::max(), false};
}

void ILRLogTextLayout::releaseChanges() {
    const std::optional<HeldChange> held = std::exchange(m_held, std::nullopt);
    if (held && held->from != std::numeric_limits<int>::max())
        layOutFrom(held->from, held->removed);
}

ILRLogTextLayout::Settings ILRLogTextLayout::currentSettings() const {
    const QTextDocument* doc = document();
    return Settings{availableWidth(), doc->defaultFont(), doc->defaultTextOption().wrapMode(),
                    doc->documentMargin()};
}

void ILRLogTextLayout::layOutFrom(int from, bool removed) {
    const QTextDocument* doc = document();
    const Settings settings = currentSettings();
    int first = 0;
    if (!(settings == m_settings)) {
        m_settings = settings;
        QTextLayout probe(QStringLiteral("x"), settings.font);
        probe.beginLayout();
        QTextLine line = probe.createLine();
        line.setLeadingIncluded(true);
        probe.endLayout();
        m_lineHeight = line.height();
        m_averageCharacterWidth = QFontMetricsF(settings.font).averageCharWidth();
    } else if (const QTextBlock changed = doc->findBlock(from); changed.isValid()) {
        first = changed.blockNumber();
        // Paragraphs added after the end of one leave it as it was.
        if (!removed && from == changed.position() + changed.length() - 1 &&
            doc->characterAt(from) == QChar::ParagraphSeparator)
            ++first;
        first = std::min(first, m_heights->size());
    } else {
        first = std::min(doc->blockCount() - 1, m_heights->size());
    }
    forgetFrom(first);
    // Paragraphs out of sight are taken to be as wide as their characters on average.
    const QTextBlockFormat format = doc->begin().blockFormat();
    const qreal margins = 2 * settings.margin + format.leftMargin() + format.rightMargin();
    const qreal firstLine = settings.width - margins - format.textIndent();
    const qreal laterLines = std::max<qreal>(1, settings.width - margins);
    const qreal spacing = format.topMargin() + format.bottomMargin();
    for (QTextBlock block = doc->findBlockByNumber(first); block.isValid(); block = block.next()) {
        const qreal text = (block.length() - 1) * m_averageCharacterWidth;
        int lines = 1;
        if (settings.width > 0 && text > firstLine)
            lines += int(std::ceil((text - firstLine) / laterLines));
        m_heights->append(toUnits(spacing + lines * m_lineHeight));
    }
    layOutEnd();
    m_sizeChangePending = false;
    Q_EMIT documentSizeChanged(documentSize());
    Q_EMIT update(QRectF(0, blockTop(first), UnboundedWidth, UnboundedWidth));
}

void ILRLogTextLayout::forgetFrom(int first) const {
    const int count = std::min(m_heights->size(), document()->blockCount());
    for (int index = first; index < count; ++index) {
        if (m_heights->isLaidOut(index))
            document()->findBlockByNumber(index).clearLayout();
    }
    m_heights->truncate(first);
    std::erase_if(m_glyphsKept, [first](int index) { return index >= first; });
}

void ILRLogTextLayout::layOut(const QTextBlock& block, bool keepGlyphs) const {
    const QTextBlockFormat format = block.blockFormat();
    QTextLayout* layout = block.layout();
    layout->setTextOption(document()->defaultTextOption());
    QList<QTextLayout::FormatRange> colours;
    if (block.userState() >= 0) {
        int at = 0;
        for (const auto& [start, length] : dimParts(block)) {
            colours.append({at, start - at, m_normal});
            colours.append({start, length, m_dim});
            at = start + length;
        }
        colours.append({at, block.length() - 1 - at, m_normal});
    }
    if (layout->formats() != colours) {
        layout->setFormats(colours);
        // Formats mark the paragraph changed, to be told with the next edit, which would then seem to reach
        // from here to the end. Told now, the change is passed over.
        m_applyingColours = true;
        document()->markContentsDirty(block.position(), block.length());
        m_applyingColours = false;
    }

    const qreal margin = document()->documentMargin();
    const qreal right =
        m_settings.width > 0 ? m_settings.width - margin - format.rightMargin() : UnboundedWidth;
    qreal y = format.topMargin();
    layout->setCacheEnabled(keepGlyphs);
    layout->beginLayout();
    for (bool first = true;; first = false) {
        QTextLine line = layout->createLine();
        if (!line.isValid())
            break;
        line.setLeadingIncluded(true);
        const qreal x = margin + format.leftMargin() + (first ? format.textIndent() : 0);
        line.setLineWidth(std::max<qreal>(1, right - x));
        line.setPosition(QPointF(x, y));
        y += line.height();
    }
    layout->endLayout();
    const int number = block.blockNumber();
    const qint64 height = toUnits(y + format.bottomMargin());
    if (height != m_heights->height(number))
        sizeMayHaveChanged();
    m_heights->setLaidOut(number, height);
}

void ILRLogTextLayout::ensureLaidOut(int blockNumber) const {
    if (m_heights->isLaidOut(blockNumber))
        return;
    QTextBlock block = document()->findBlockByNumber(blockNumber);
    layOut(block, false);
    // What lies just above comes into view with it: laid out now, it does not move the paragraph later.
    qreal covered = 0;
    for (int number = blockNumber - 1; number >= 0 && covered < ScreenfulHeight; --number) {
        block = block.previous();
        if (m_heights->isLaidOut(number))
            break;
        layOut(block, false);
        covered += toPixels(m_heights->height(number));
    }
}

void ILRLogTextLayout::layOutEnd() const {
    if (m_settings.width <= 0)
        return;
    qreal covered = 0;
    int number = m_heights->size() - 1;
    for (QTextBlock block = document()->lastBlock(); block.isValid() && covered < ScreenfulHeight;
         block = block.previous(), --number) {
        if (!m_heights->isLaidOut(number)) {
            layOut(block, true);
            m_glyphsKept.push_back(number);
        }
        covered += toPixels(m_heights->height(number));
    }
    // The glyphs of lines long gone from the end are let go with their layout; the height stays.
    while (m_glyphsKept.size() > GlyphsKeptBlocks) {
        const int number = m_glyphsKept.front();
        m_glyphsKept.pop_front();
        if (m_heights->isLaidOut(number)) {
            document()->findBlockByNumber(number).clearLayout();
            m_heights->setEstimated(number);
        }
    }
}

void ILRLogTextLayout::sizeMayHaveChanged() const {
    if (std::exchange(m_sizeChangePending, true))
        return;
    // Told once the painting or hit test that laid it out is over.
    auto* self = const_cast<ILRLogTextLayout*>(this);
    QMetaObject::invokeMethod(
        self,
        [self] {
            if (std::exchange(self->m_sizeChangePending, false))
                Q_EMIT self->documentSizeChanged(self->documentSize());
        },
        Qt::QueuedConnection);
}

qreal ILRLogTextLayout::blockTop(int blockNumber) const {
    return document()->documentMargin() + toPixels(m_heights->prefix(std::size_t(blockNumber)));
}

QTextBlock ILRLogTextLayout::blockAt(qreal y) const {
    // Laying a paragraph out moves those below it: look again until the one found stays put.
    int number = -1;
    while (true) {
        const int found = m_heights->indexAt(toUnits(y - document()->documentMargin()));
        if (found == number)
            return document()->findBlockByNumber(number);
        number = found;
        ensureLaidOut(number);
    }
}

QSizeF ILRLogTextLayout::documentSize() const {
    const qreal margin = document()->documentMargin();
    const qreal width = m_settings.width > 0 ? m_settings.width : UnboundedWidth;
    return QSizeF(width, 2 * margin + toPixels(m_heights->total()));
}

int ILRLogTextLayout::pageCount() const {
    return 1;
}

QRectF ILRLogTextLayout::frameBoundingRect(QTextFrame*) const {
    return QRectF(QPointF(0, 0), documentSize());
}

QRectF ILRLogTextLayout::blockBoundingRect(const QTextBlock& block) const {
    if (!block.isValid() || block.blockNumber() >= m_heights->size())
        return QRectF();
    const int number = block.blockNumber();
    ensureLaidOut(number);
    return QRectF(0, blockTop(number), documentSize().width(), toPixels(m_heights->height(number)));
}

void ILRLogTextLayout::draw(QPainter* painter, const PaintContext& context) {
    if (m_heights->size() == 0)
        return;
    const QRectF clip = context.clip.isValid() ? context.clip : QRectF(QPointF(0, 0), documentSize());
    const int cursorWidth =
        property("cursorWidth").isValid() ? property("cursorWidth").toInt() : DefaultCursorWidth;
    painter->setPen(context.palette.color(QPalette::Text));
    for (QTextBlock block = blockAt(clip.top()); block.isValid(); block = block.next()) {
        const int number = block.blockNumber();
        ensureLaidOut(number);
        const qreal top = blockTop(number);
        if (top > clip.bottom())
            break;
        const int position = block.position();
        const int length = block.length();
        QList<QTextLayout::FormatRange> selections;
        for (const Selection& selection : context.selections) {
            const int start = std::max(selection.cursor.selectionStart() - position, 0);
            const int end = std::min(selection.cursor.selectionEnd() - position, length);
            if (start < end) {
                selections.append({start, end - start, selection.format});
            } else if (!selection.cursor.hasSelection() &&
                       selection.format.hasProperty(QTextFormat::FullWidthSelection) &&
                       block.contains(selection.cursor.position())) {
                const QTextLine line =
                    block.layout()->lineForTextPosition(selection.cursor.position() - position);
                selections.append({line.textStart(), line.textLength(), selection.format});
            }
        }
        const QPointF offset(0, top);
        block.layout()->draw(painter, offset, selections, clip);
        if (context.cursorPosition >= position && context.cursorPosition < position + length)
            block.layout()->drawCursor(painter, offset, context.cursorPosition - position, cursorWidth);
    }
}

int ILRLogTextLayout::hitTest(const QPointF& point, Qt::HitTestAccuracy accuracy) const {
    if (m_heights->size() == 0)
        return -1;
    const QTextBlock block = blockAt(point.y());
    const QTextLayout* layout = block.layout();
    const QPointF local = point - QPointF(0, blockTop(block.blockNumber()));
    for (int i = 0; i < layout->lineCount(); ++i) {
        const QTextLine line = layout->lineAt(i);
        if (local.y() >= line.y() + line.height() && i + 1 < layout->lineCount())
            continue;
        if (accuracy == Qt::ExactHit &&
            (local.y() < line.y() || local.y() >= line.y() + line.height() || local.x() < line.x() ||
             local.x() >= line.x() + line.naturalTextWidth()))
            return -1;
        return block.position() + line.xToCursor(local.x());
    }
    return block.position();
}
