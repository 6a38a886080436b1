// The keyboard control panel's look: a translucent shape of the logo (a rounded square with four arrow
// heads) above a rounded cheat sheet, the logo drawn inside the square, the rows of names and keys with
// their icons, and, without a window to control, a no-entry sign or (for debugging) the reason in red.
#include "keyboard-control/ZRKeyboardControlPanel.h"

#include "actions/ZRAction.h"
#include "platform/foundation/UserDefaults.h"
#include "toolkit/Appearance.h"
#include "toolkit/ImageExtensions.h"
#include "toolkit/OverlayDrawing.h"
#include "toolkit/ViewExtensions.h"
#include "window-access/WindowAccessDefaults.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

const QString HideLogoKey = QStringLiteral("Hide Keyboard Controls Logo");

// The logo's shape in the background: arrow heads as wide as this, half as deep, their tips on the middle
// of each edge of the logo's square; and a rounded square inset so far in it.
constexpr double ArrowHeadBase = 74;
constexpr double LogoSquareInset = 88.8;
constexpr double LogoSquareRadius = 30;
// The cheat sheet starts this far below the top when the logo shows, and stands inset in the panel.
constexpr double CheatSheetTop = 360;
constexpr double CheatSheetInset = 10;
constexpr double CheatSheetRadius = 10;
constexpr double TextInset = 20;
constexpr double IconGap = 10;
// The glyph of the logo and the no-entry sign stand inset so far in the logo's square.
constexpr double LogoGlyphInset = 107.3;
constexpr double SignInset = 96.2;
// The sign: made square when its sides differ by more; inset by a fifth above this side.
constexpr double SquareTolerance = 0.1;
constexpr double SmallestSignSide = 56;
constexpr int SignInsetDivisor = 5;
constexpr double SignLineWidth = 14;
constexpr double SignDiagonalReach = 0.35;
constexpr double SignWhite = 0.8;
constexpr double DarkSignWhite = 0.3;
constexpr double DescriptionFontSize = 13;

// The panel's material: a light or dark grey, translucent where a compositing manager blends it with what
// lies beneath, opaque where translucency would show black.
constexpr double LightMaterialWhite = 0.93;
constexpr double DarkMaterialWhite = 0.17;
constexpr double MaterialAlpha = 0.85;

const QColor SheetColor = QColor::fromRgbF(0.98f, 0.88f, 0.61f);
constexpr double SheetAlpha = 0.7;
constexpr double DarkSheetShade = 0.5;
constexpr double DarkSheetAlpha = 0.15;
constexpr double NameAlpha = 0.65;
constexpr double ShortcutAlpha = 0.45;
constexpr double DarkNameAlpha = 0.8;
constexpr double DarkShortcutAlpha = 0.6;
const QColor SystemRed(255, 59, 48);

QColor withAlpha(QColor color, double alpha) {
    color.setAlphaF(float(alpha));
    return color;
}

// An arrow head pointing away from the square's centre, its tip at the point.
QPolygonF arrowHead(const QPointF& tip, const QPointF& outwards) {
    const QPointF across(-outwards.y(), outwards.x());
    const QPointF base = tip - outwards * (ArrowHeadBase / 2);
    return QPolygonF{tip, base + across * (ArrowHeadBase / 2), base - across * (ArrowHeadBase / 2)};
}

// The lines of a column, each at its row's place; too long a line loses its end.
void drawLines(QPainter& painter, const QStringList& lines, const QRectF& column,
               const ZRCheatSheetTextAttributes& attributes, const QColor& color) {
    if (column.width() <= 0)
        return;
    const QFontMetricsF metrics(attributes.text.font);
    const double pitch = metrics.height() + attributes.lineSpacing;
    painter.setFont(attributes.text.font);
    painter.setPen(color);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QRectF line(column.left(), column.top() + double(i) * pitch, column.width(), metrics.height());
        if (line.top() >= column.bottom())
            break;
        painter.drawText(line, int(attributes.text.alignment),
                         metrics.elidedText(lines[i], attributes.elideMode, column.width()));
    }
}

} // namespace

void ZRKeyboardControlPanel::updateVisualEffectView() {
    const QRectF bounds(QPointF(0, 0), QSizeF(size()));
    m_logoFrame =
        logoShows() ? QRectF(std::floor((bounds.width() - LogoSide) / 2), 0, LogoSide, LogoSide) : QRectF();
    if (m_keyboardControlDescriptions.empty())
        m_cheatSheetFrame = QRectF();
    else if (!m_logoFrame.isNull())
        m_cheatSheetFrame = bounds.adjusted(CheatSheetInset, CheatSheetTop + CheatSheetInset,
                                            -CheatSheetInset, -CheatSheetInset);
    else
        m_cheatSheetFrame =
            bounds.adjusted(CheatSheetInset, CheatSheetInset, -CheatSheetInset, -CheatSheetInset);

    QPainterPath shape;
    shape.setFillRule(Qt::WindingFill);
    if (!m_logoFrame.isNull()) {
        const QRectF& logo = m_logoFrame;
        const QPointF tips[][2] = {{{logo.left(), logo.center().y()}, {-1, 0}},
                                   {{logo.right(), logo.center().y()}, {1, 0}},
                                   {{logo.center().x(), logo.bottom()}, {0, 1}},
                                   {{logo.center().x(), logo.top()}, {0, -1}}};
        for (const auto& [tip, outwards] : tips)
            shape.addPolygon(arrowHead(tip, outwards));
        shape.addRoundedRect(
            logo.adjusted(LogoSquareInset, LogoSquareInset, -LogoSquareInset, -LogoSquareInset),
            LogoSquareRadius, LogoSquareRadius);
    }
    if (m_cheatSheetFrame.isValid())
        shape.addRoundedRect(m_cheatSheetFrame, CheatSheetRadius, CheatSheetRadius);
    m_visualEffectView = shape;
    contentView()->update();
}

void ZRKeyboardControlPanel::drawOverlayInBounds(QPainter& painter, const QRectF&, QWidget* view) {
    const bool dark = isInFullyInvertedDarkMode(view ? view : this);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(m_visualEffectView, calibratedWhite(dark ? DarkMaterialWhite : LightMaterialWhite,
                                                         overlayTranslucencyShows() ? MaterialAlpha : 1.0));
    if (!m_controlledWindow)
        drawUncontrollableWindow(painter, dark);
    else if (logoShows() || !m_keyboardControlDescriptions.empty())
        drawCheatSheet(painter, dark);
    painter.restore();
}

void ZRKeyboardControlPanel::drawCheatSheet(QPainter& painter, bool dark) const {
    const QColor nameColor = dark ? withAlpha(SheetColor, DarkNameAlpha) : calibratedWhite(0, NameAlpha);
    if (!m_keyboardControlDescriptions.empty() && m_cheatSheetFrame.isValid()) {
        // Filled within the background's rounded corners.
        QPainterPath sheet;
        sheet.addRoundedRect(m_cheatSheetFrame, CheatSheetRadius, CheatSheetRadius);
        if (dark) {
            painter.fillPath(sheet, calibratedWhite(0, DarkSheetShade));
            painter.fillPath(sheet, withAlpha(SheetColor, DarkSheetAlpha));
        } else {
            painter.fillPath(sheet, withAlpha(SheetColor, SheetAlpha));
        }
        const QColor shortcutColor =
            dark ? withAlpha(SheetColor, DarkShortcutAlpha) : calibratedWhite(0, ShortcutAlpha);
        const QRectF text = m_cheatSheetFrame.adjusted(TextInset, TextInset, -TextInset, -TextInset);
        const double names = namesWidth();
        const QRectF namesColumn(text.right() - names, text.top(), names, text.height());
        const QRectF shortcutsColumn(text.left(), text.top(), text.width() - names - IconWidth - 2 * IconGap,
                                     text.height());
        // Each key stands beside its name: a row without a name keeps its empty line in both columns.
        QStringList nameLines;
        QStringList shortcutLines;
        for (const auto& row : m_keyboardControlDescriptions) {
            nameLines << row.actionName.value_or(QString());
            shortcutLines << (row.actionName ? row.keyboardShortcut : QString());
        }
        drawLines(painter, nameLines, namesColumn, cheatSheetAttributesForAction(true), nameColor);
        drawLines(painter, shortcutLines, shortcutsColumn, cheatSheetAttributesForAction(false),
                  shortcutColor);

        const auto& attributes = cheatSheetAttributesForAction(true);
        const double namesHeight = double(nameLines.size()) * QFontMetricsF(attributes.text.font).height() +
                                   double(nameLines.size() - 1) * attributes.lineSpacing;
        const double pitch = iconRowPitch(namesHeight, m_keyboardControlDescriptions.size());
        const double firstBottom = text.top() + std::floor((IconHeight + pitch - attributes.lineSpacing) / 2);
        std::shared_ptr<ZRActionDummy> generic;
        painter.save();
        painter.setClipRect(m_cheatSheetFrame);
        for (std::size_t i = 0; i < m_keyboardControlDescriptions.size(); ++i) {
            const auto& row = m_keyboardControlDescriptions[i];
            const QRectF icon(namesColumn.left() - IconGap - IconWidth,
                              firstBottom + double(i) * pitch - IconHeight, IconWidth, IconHeight);
            if (row.customControl) {
                row.customControl->drawIconInRect(painter, icon, {.asTemplate = true, .color = nameColor});
            } else if (row.actionName && row.action) {
                if (!generic) {
                    generic = ZRActionDummy::dummyWithType(*row.action);
                    generic->setHasGenericIcon(true);
                }
                generic->setActionType(*row.action);
                generic->drawIconInRect(painter, icon, {.asTemplate = true, .color = nameColor});
            }
        }
        painter.restore();
    }
    if (!m_context.defaults.boolForKey(HideLogoKey) && !m_logoFrame.isNull()) {
        const QRectF glyph =
            m_logoFrame.adjusted(LogoGlyphInset, LogoGlyphInset, -LogoGlyphInset, -LogoGlyphInset);
        const double side = std::round(glyph.height());
        const QRectF onPixels(std::round(glyph.center().x() - side / 2), std::round(glyph.top()), side, side);
        ZRDrawStatusItemLogo(painter, onPixels,
                             dark ? darkModeOverlayControlColor() : lightModeOverlayControlColor());
    }
}

void ZRKeyboardControlPanel::drawUncontrollableWindow(QPainter& painter, bool dark) const {
    if (m_logoFrame.isNull())
        return;
    QRectF rect = m_logoFrame.adjusted(SignInset, SignInset, -SignInset, -SignInset);
    if (m_context.defaults.boolForKey(QString::fromUtf16(ZRDebugLogUserDefaultName))) {
        QFont font = QApplication::font();
        font.setPixelSize(int(DescriptionFontSize));
        painter.setFont(font);
        painter.setPen(SystemRed);
        painter.setClipRect(rect, Qt::IntersectClip);
        painter.drawText(rect, Qt::AlignCenter | Qt::TextWordWrap, m_uncontrollableWindowDescription);
        return;
    }
    if (std::abs(rect.width() - rect.height()) > SquareTolerance) {
        const double side = std::min(rect.width(), rect.height());
        rect = QRectF(std::round(rect.center().x() - side / 2), std::round(rect.center().y() - side / 2),
                      side, side);
    }
    const double side = rect.width();
    if (side > SmallestSignSide) {
        const double inset = std::floor(side / SignInsetDivisor);
        rect.adjust(inset, inset, -inset, -inset);
    }
    const double reach = SignDiagonalReach * rect.width();
    painter.setPen(QPen(calibratedWhite(dark ? DarkSignWhite : SignWhite, 1), SignLineWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(rect);
    const QPointF centre = rect.center();
    painter.drawLine(centre + QPointF(-reach, -reach), centre + QPointF(reach, reach));
}
