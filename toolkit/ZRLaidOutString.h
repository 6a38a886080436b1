#pragma once

#include <QFont>
#include <QSizeF>
#include <QString>
#include <memory>

class QColor;
class QPainter;
class QRectF;
class QTextLayout;

// A text laid out once and drawn any number of times in a rectangle, each time with the pixels of
// ZRDrawAttributedStringInRect, which lays the text out on every call and once more to measure it. Labels
// drawn twice (cut out of a shape, then in their colour) cost a third as much. Texts that the one-line layout
// does not cover (line breaks, tabs and other controls, alignments other than left and centred) are drawn
// by ZRDrawAttributedStringInRect itself.
class ZRLaidOutString {
public:
    // Laid out for the painter's device with the font and the horizontal part of the alignment.
    ZRLaidOutString(const QString& text, const QFont& font, Qt::Alignment alignment, QPainter& painter);
    ~ZRLaidOutString();
    ZRLaidOutString(const ZRLaidOutString&) = delete;
    ZRLaidOutString& operator=(const ZRLaidOutString&) = delete;

    void draw(QPainter& painter, const QColor& color, const QRectF& rect) const;

private:
    double lineOffset(double available, double width) const;

    QString m_text;
    QFont m_font;
    Qt::Alignment m_alignment;
    std::unique_ptr<QTextLayout> m_layout;
    // What ZRDrawAttributedStringInRect measures: the text's natural width and the height of its line.
    QSizeF m_size;
};
