#include "toolkit/ZRLaidOutString.h"

#include "toolkit/Drawing.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>
#include <cmath>

namespace {

// Wide enough that a line never wraps.
constexpr double UnwrappedLineWidth = 0x01000000;

// Characters that QPainter's text drawing treats apart (line breaks, tabs, length variants): such texts take
// the general way.
bool needsGeneralLayout(const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x9c || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            return true;
    }
    return false;
}

} // namespace

ZRLaidOutString::ZRLaidOutString(const QString& text, const QFont& font, Qt::Alignment alignment,
                                 QPainter& painter)
    : m_text(text), m_font(font), m_alignment(alignment & Qt::AlignHorizontal_Mask) {
    if (text.isEmpty() || needsGeneralLayout(text) ||
        (m_alignment != Qt::AlignHCenter && m_alignment != Qt::AlignLeft))
        return;
    // The font as the painter draws it: resolved for its device.
    painter.save();
    painter.setFont(font);
    const QFont drawn = painter.font();
    const Qt::LayoutDirection direction = painter.layoutDirection();
    painter.restore();

    m_layout = std::make_unique<QTextLayout>(text, drawn);
    QTextOption option;
    option.setTextDirection(direction);
    option.setAlignment(Qt::AlignLeft);
    m_layout->setTextOption(option);
    m_layout->setCacheEnabled(true);
    m_layout->beginLayout();
    QTextLine line = m_layout->createLine();
    line.setLineWidth(UnwrappedLineWidth);
    line.setPosition(QPointF());
    m_layout->endLayout();

    // Measured with the font as given, which lays out alike when the device does not change it.
    const QFontMetricsF given(font);
    if (drawn == font && given.fontDpi() == QFontMetricsF(drawn).fontDpi())
        m_size = QSizeF(line.naturalTextWidth(), line.ascent() + line.descent());
    else
        m_size = given.size(0, text);
}

ZRLaidOutString::~ZRLaidOutString() = default;

double ZRLaidOutString::lineOffset(double available, double width) const {
    return m_alignment == Qt::AlignHCenter ? (available - width) / 2 : 0;
}

void ZRLaidOutString::draw(QPainter& painter, const QColor& color, const QRectF& rect) const {
    if (!m_layout) {
        ZRDrawAttributedStringInRect(painter, m_text, {m_font, color, m_alignment}, rect);
        return;
    }
    const double width = std::min(m_size.width(), rect.width());
    const double height = std::min(m_size.height(), rect.height());
    const QRectF textRect(rect.x() + std::round((rect.width() - width) / 2),
                          rect.y() + std::round((rect.height() - height) / 2), width, height);
    painter.save();
    painter.setClipRect(rect, Qt::IntersectClip);
    painter.setPen(color);
    // A text wider or taller than its place is cut at the place's edges.
    const QRectF bounds(textRect.x() + lineOffset(textRect.width(), m_size.width()), textRect.y(),
                        m_size.width(), m_size.height());
    if (!textRect.contains(bounds))
        painter.setClipRect(textRect, Qt::IntersectClip);
    const QTextLine line = m_layout->lineAt(0);
    line.draw(&painter,
              QPointF(textRect.x() + lineOffset(textRect.width(), line.horizontalAdvance()), textRect.y()));
    painter.restore();
}
