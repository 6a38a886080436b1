// The keyboard menu's input, read by the panel itself: keys walk the tree, choose, close or type-select;
// a pressed left button highlights rows and its release chooses; the wheel steps the selection.
#include "keyboard-control/ZRKeyboardMenu.h"

#include "hotkeys/KeyEvent.h"
#include "hotkeys/QtKeyEvents.h"
#include "keyboard-control/ZRKeyboardControlContext.h"
#include "keyboard-control/ZRKeyboardMenuDefaults.h"
#include "keyboard-control/ZRKeyboardMenuItem.h"
#include "keyboard-control/ZRSettingsWindowOpener.h"
#include "platform/Platform.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "toolkit/ArrowKeyForHJKL.h"
#include "toolkit/KeyStrings.h"
#include "toolkit/MatchingQualityEvaluator.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace {

// The query is discarded this many seconds after the last typed character, unless the setting gives a
// sensible delay.
constexpr double DefaultInvalidationDelay = 2.0;
constexpr double MinimumInvalidationDelay = 0.1;
constexpr double MaximumInvalidationDelay = 3600;
// Any function key other than the arrows moves this many rows down.
constexpr qsizetype OtherFunctionKeyStep = 9;
// Wheel movement, in lines, that steps the selection once; and what one notch of a wheel is in Qt.
constexpr double ScrollStepLines = 4.0;
constexpr double IgnoredScrollLines = 0.1;
constexpr double AngleDeltaPerNotch = 120.0;

const QString TypeSelectKey = QString::fromUtf16(ZRKeyboardMenuDefaults::TypeSelect);
const QString InvalidationDelayKey = QString::fromUtf16(ZRKeyboardMenuDefaults::TypeSelectInvalidationDelay);
const QString ScrollingGestureKey =
    QString::fromUtf16(ZRKeyboardMenuDefaults::ScrollingGestureMovesSelection);

double typeSelectInvalidationDelay(const UserDefaults& defaults) {
    const double delay = defaults.doubleForKey(InvalidationDelayKey);
    return std::isfinite(delay) && delay >= MinimumInvalidationDelay && delay <= MaximumInvalidationDelay
               ? delay
               : DefaultInvalidationDelay;
}

} // namespace

bool ZRKeyboardMenu::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
        if (const auto key =
                keyEventFromQKeyEvent(*static_cast<QKeyEvent*>(event), &context().platform.inputState(),
                                      context().mainRunLoop.now()))
            keyDown(*key);
        event->accept();
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const bool left = event->type() == QEvent::MouseMove ? mouse->buttons().testFlag(Qt::LeftButton)
                                                             : mouse->button() == Qt::LeftButton;
        if (!left)
            break;
        if (event->type() == QEvent::MouseButtonRelease)
            mouseUp();
        else
            mouseDownOrDragged(menuView()->mapFrom(this, mouse->position()));
        event->accept();
        return true;
    }
    case QEvent::Wheel: {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        scrollWheel(wheel->angleDelta().y() / AngleDeltaPerNotch * QApplication::wheelScrollLines(),
                    wheel->inverted());
        event->accept();
        return true;
    }
    default:
        break;
    }
    return ZRSelfDrawingOverlayPanel::event(event);
}

void ZRKeyboardMenu::keyDown(const KeyEvent& event) {
    // Keys that come after the menu closed, or while it fades, find nothing to act on.
    if (!m_currentParent || m_fadingOut)
        return;
    const std::shared_ptr<ZRKeyboardMenuItem> tree = m_rootItem;
    const QString& characters = event.characters;
    if (characters == u",") {
        // The settings window takes the keys once the menu has let go of them.
        if (ZRSettingsWindowOpener* opener = settingsWindow(); opener && opener->canOpenSettingsWindow()) {
            closeMenu();
            if (opener->openSettingsWindow())
                return;
        }
        beep();
        return;
    }
    if (characters == u" ") {
        closeAfterPerformingActionOrNavigateToChild(m_currentParent->selectedChild());
        return;
    }
    const qint64 mode = context().defaults.integerForKey(TypeSelectKey);
    if (characters.isEmpty()) {
        vanishAndCloseMenu();
        return;
    }
    char16_t character = characters.front().unicode();
    if (mode <= 0)
        character = ZRArrowKeyForHJKL(character, event.keyCode, context().defaults);
    if (character >= FunctionKeyCharacter::First) {
        switch (character) {
        case FunctionKeyCharacter::UpArrow:
            navigateToSiblingWithStep(-1, false);
            break;
        case FunctionKeyCharacter::DownArrow:
            navigateToSiblingWithStep(1, false);
            break;
        case FunctionKeyCharacter::LeftArrow:
            navigateToParent();
            break;
        case FunctionKeyCharacter::RightArrow:
            navigateToChild(m_currentParent->selectedChild());
            break;
        default:
            navigateToSiblingWithStep(OtherFunctionKeyStep, false);
            break;
        }
        return;
    }
    if (character == KeyEquivalentCharacter::Enter || character == KeyEquivalentCharacter::Return) {
        closeAfterPerformingActionOrNavigateToChild(m_currentParent->selectedChild());
        return;
    }
    if (character == KeyEquivalentCharacter::Escape || mode <= 0) {
        vanishAndCloseMenu();
        return;
    }
    typeSelect(characters, mode != 1);
}

void ZRKeyboardMenu::typeSelect(const QString& characters, bool allowFuzzyMatching) {
    if (!m_typeSelectQuery)
        m_typeSelectQuery = QString();
    m_typeSelectQuery->append(characters.toLower());
    if (const auto evaluator =
            newMatchingQualityEvaluatorAllowingFuzzyMatching(*m_typeSelectQuery, allowFuzzyMatching)) {
        ZRKeyboardMenuItem* best = nullptr;
        std::size_t bestQuality = ZRNotFound;
        for (const auto& child : m_currentParent->children()) {
            if (!child->isEntry())
                continue;
            // Cleared rather than made anew: a long list types without allocating a list per row.
            std::vector<ZRMatchedRange>& ranges = child->typeSelectMatchingRanges();
            ranges.clear();
            const std::size_t quality = (*evaluator)(child->title(), ranges);
            if (quality == ZRNotFound) {
                ranges.clear();
            } else if (quality < bestQuality) {
                bestQuality = quality;
                best = child.get();
            }
        }
        // The query stays while it matches, so further keys refine it; otherwise the next key starts anew.
        if (best)
            selectItem(best);
        else
            invalidateTypeSelectQuery();
    } else {
        invalidateTypeSelectQuery();
    }
    m_invalidateTypeSelectQuery = context().mainRunLoop.performLater(
        typeSelectInvalidationDelay(context().defaults), [this] { invalidateTypeSelectQuery(); });
}

qsizetype ZRKeyboardMenu::rowAtPoint(const QPointF& point) const {
    if (!m_currentParent || !QRectF(menuView()->rect()).contains(point))
        return NoHighlight;
    const double lineHeight = lineHeightForScreen(screen());
    const Size padding = paddingForLineHeight(lineHeight);
    const double arrowWidth = QFontMetricsF(textAttributesForLineHeight(lineHeight, true).text.font)
                                  .horizontalAdvance(QChar(LeftArrow));
    if (QRectF(0, 0, 2 * padding.width + arrowWidth, 2 * padding.height + lineHeight).contains(point))
        return m_currentParent->parent() ? BackArrowHighlight : NoHighlight;
    const double below = point.y() - (3 * padding.height + lineHeight);
    const auto& children = m_currentParent->children();
    const qsizetype count = qsizetype(children.size());
    if (below <= 0 || count == 0)
        return NoHighlight;
    const auto selected = std::find_if(children.begin(), children.end(), [this](const auto& child) {
        return child.get() == m_currentParent->selectedChild();
    });
    const qsizetype base = selected == children.end() ? 0 : qsizetype(selected - children.begin());
    const qsizetype first = usesStaticSelection() ? base - m_numberOfLines / 2 + 1
                                                  : std::max<qsizetype>(0, base - m_numberOfLines + 2);
    const qsizetype row = qsizetype(below / lineHeight) + first;
    return row >= 0 && row < count ? row : NoHighlight;
}

void ZRKeyboardMenu::mouseDownOrDragged(const QPointF& point) {
    if (!m_currentParent || m_fadingOut)
        return;
    const qsizetype highlight = rowAtPoint(point);
    if (highlight == m_mouseHighlightIndex)
        return;
    m_mouseHighlightIndex = highlight;
    menuView()->update();
}

void ZRKeyboardMenu::mouseUp() {
    if (m_mouseHighlightIndex == NoHighlight || !m_currentParent || m_fadingOut)
        return;
    const qsizetype highlight = std::exchange(m_mouseHighlightIndex, NoHighlight);
    menuView()->update();
    const std::shared_ptr<ZRKeyboardMenuItem> tree = m_rootItem;
    if (highlight == BackArrowHighlight)
        navigateToParent();
    else if (highlight >= 0 && highlight < qsizetype(m_currentParent->children().size()))
        closeAfterPerformingActionOrNavigateToChild(
            m_currentParent->children()[std::size_t(highlight)].get());
}

void ZRKeyboardMenu::scrollWheel(double deltaY, bool invertedFromDevice) {
    if (!m_currentParent || m_fadingOut || std::abs(deltaY) <= IgnoredScrollLines)
        return;
    if (invertedFromDevice && context().defaults.boolForKey(ScrollingGestureKey) && !usesStaticSelection())
        deltaY = -deltaY;
    m_cumulativeScrollingDelta += deltaY;
    if (std::abs(m_cumulativeScrollingDelta) > ScrollStepLines) {
        navigateToSiblingWithStep(m_cumulativeScrollingDelta > 0 ? -1 : 1, false);
        m_cumulativeScrollingDelta = 0;
    }
}
