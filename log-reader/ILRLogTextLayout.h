#pragma once

#include <QAbstractTextDocumentLayout>
#include <QColor>
#include <QFont>
#include <QList>
#include <QTextCharFormat>
#include <QTextOption>
#include <deque>
#include <memory>
#include <optional>

// The layout of the log text: paragraphs with their block format's indents and spacing, and dim parts
// (times, senders, counts, the header and markers) in one colour, messages in another. A log of a hundred
// thousand lines is laid out only where it is seen: paragraphs out of sight count with a height estimated
// from their length, so a whole new text costs nothing to show and a line added at the end costs its own
// layout alone. The last screenful is always laid out, so that a view kept at the end stays there.
class ILRLogTextLayout : public QAbstractTextDocumentLayout {
    Q_OBJECT
public:
    // Lays out the document, which owns the layout from then on.
    ILRLogTextLayout(QTextDocument* document, const QColor& normalColor, const QColor& dimColor);
    ~ILRLogTextLayout() override;

    // The user state of a paragraph whose first dimPrefix and last dimSuffix characters are dim.
    static int blockState(qsizetype dimPrefix, qsizetype dimSuffix);
    // The dim parts of a paragraph as its state gives them: start and length of each, in order.
    static QList<std::pair<int, int>> dimParts(const QTextBlock& block);

    void draw(QPainter* painter, const PaintContext& context) override;
    int hitTest(const QPointF& point, Qt::HitTestAccuracy accuracy) const override;
    int pageCount() const override;
    QSizeF documentSize() const override;
    QRectF frameBoundingRect(QTextFrame* frame) const override;
    QRectF blockBoundingRect(const QTextBlock& block) const override;

    // Holds back the work on changes to the text, until the colours of the paragraphs changed are set.
    void holdChanges();
    void releaseChanges();

    // How many paragraphs have been laid out since the document was last laid out anew (for tests).
    int laidOutBlockCount() const;

protected:
    void documentChanged(int from, int charsRemoved, int charsAdded) override;

private:
    class Heights;
    struct Settings;

    Settings currentSettings() const;
    // Lays out the paragraphs from the one at the position on anew (estimated, but for the last
    // screenful) after a change there that added text and, when removed, took some away.
    void layOutFrom(int position, bool removed);
    // The paragraph with its layout, and those above it within a screenful that are still estimated.
    void ensureLaidOut(int blockNumber) const;
    // Lays out one paragraph and records its height; keeping its glyphs spares shaping it again to draw it.
    void layOut(const QTextBlock& block, bool keepGlyphs) const;
    qreal blockTop(int blockNumber) const;
    // The paragraph at the height, the last one below the end.
    QTextBlock blockAt(qreal y) const;
    qreal availableWidth() const;
    void sizeMayHaveChanged() const;
    // Forgets the layouts of the paragraphs from the one numbered first on.
    void forgetFrom(int first) const;
    // Lays out the paragraphs at the end up to a screenful.
    void layOutEnd() const;

    QTextCharFormat m_normal;
    QTextCharFormat m_dim;
    std::unique_ptr<Heights> m_heights;
    // The paragraphs that keep their glyphs, in the order they were laid out.
    mutable std::deque<int> m_glyphsKept;
    // What the text was laid out for: a change of any of them lays it out anew.
    struct Settings {
        qreal width = -1;
        QFont font;
        QTextOption::WrapMode wrapMode = QTextOption::NoWrap;
        qreal margin = -1;
        bool operator==(const Settings&) const = default;
    };
    Settings m_settings;
    int m_documentLength = 0;
    qreal m_lineHeight = 0;
    qreal m_averageCharacterWidth = 0;
    mutable bool m_sizeChangePending = false;
    mutable bool m_applyingColours = false;
    // The changes held back: where the first begins, and whether any took text away.
    struct HeldChange {
        int from;
        bool removed;
    };
    std::optional<HeldChange> m_held;
};
