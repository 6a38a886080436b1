#include "keyboard-control/ZRKeyboardMenu.h"

#include "keyboard-control/ZRKeyboardControlContext.h"
#include "keyboard-control/ZRKeyboardMenuDefaults.h"
#include "keyboard-control/ZRKeyboardMenuItem.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "toolkit/ScreenCoordinates.h"
#include "toolkit/WindowExtensions.h"
#include "toolkit/ZRLog.h"

#include <QApplication>
#include <QPropertyAnimation>
#include <QVariantAnimation>
#include <QWindow>
#include <algorithm>

namespace {

constexpr int MillisecondsPerSecond = 1000;
// The fade-in starts from the fitted frame squeezed by this share of its height, about its centre.
constexpr double PopUpSqueeze = 0.45;
// A menu fainter than this is already on its way out.
constexpr double VisibleAlpha = 0.5;

const QString LoopKey = QString::fromUtf16(ZRKeyboardMenuDefaults::Loop);
const QString DisableCyclingKey = QString::fromUtf16(ZRKeyboardMenuDefaults::DisableCycling);
const QString DisableAnimationKey = QString::fromUtf16(ZRKeyboardMenuDefaults::DisableAnimation);

QPointer<ZRKeyboardMenu> sharedMenu;
const ZRKeyboardMenu::Installation* installed = nullptr;

} // namespace

// --- The shared panel

ZRKeyboardMenu::Installation::Installation(const ZRKeyboardControlContext& context,
                                           ZRSettingsWindowOpener* settingsWindow, std::function<void()> beep)
    : m_context(context), m_settingsWindow(settingsWindow), m_beep(std::move(beep)),
      m_previous(std::exchange(installed, this)) {}

ZRKeyboardMenu::Installation::~Installation() {
    destroySharedMenu();
    installed = m_previous;
}

const ZRKeyboardControlContext& ZRKeyboardMenu::context() {
    // Keyboard control's controller installs it before anything can show the menu.
    Q_ASSERT(installed);
    return installed->m_context;
}

ZRSettingsWindowOpener* ZRKeyboardMenu::settingsWindow() {
    return installed ? installed->m_settingsWindow : nullptr;
}

bool ZRKeyboardMenu::animationDisabled() {
    return context().defaults.boolForKey(DisableAnimationKey);
}

ZRKeyboardMenu* ZRKeyboardMenu::keyboardMenuByCreatingIfNecessary(bool create) {
    if (!sharedMenu && create)
        sharedMenu = new ZRKeyboardMenu;
    return sharedMenu;
}

void ZRKeyboardMenu::destroySharedMenu() {
    delete sharedMenu.data();
}

bool ZRKeyboardMenu::popUpWithEntryItem(const std::shared_ptr<ZRKeyboardMenuItem>& entryItem,
                                        const ScreenInfo* onScreen, bool animate,
                                        const void* cycleReference) {
    return keyboardMenuByCreatingIfNecessary(true)->popUp(entryItem, onScreen, animate, cycleReference);
}

bool ZRKeyboardMenu::popUpWithEntryItem(const std::shared_ptr<ZRKeyboardMenuItem>& entryItem,
                                        const ScreenInfo* onScreen) {
    return popUpWithEntryItem(entryItem, onScreen, true, nullptr);
}

bool ZRKeyboardMenu::isVisible() {
    const ZRKeyboardMenu* menu = keyboardMenuByCreatingIfNecessary(false);
    return menu && menu->QWidget::isVisible();
}

bool ZRKeyboardMenu::cycleWithReference(const void* reference) {
    ZRKeyboardMenu* menu = keyboardMenuByCreatingIfNecessary(false);
    return reference && menu && reference == menu->m_cycleReference &&
           !context().defaults.boolForKey(DisableCyclingKey) && menu->QWidget::isVisible() &&
           menu->navigateToSiblingWithStep(1, true);
}

void ZRKeyboardMenu::close() {
    if (ZRKeyboardMenu* menu = keyboardMenuByCreatingIfNecessary(false))
        menu->closeMenu();
}

void ZRKeyboardMenu::vanishAndClose() {
    if (ZRKeyboardMenu* menu = keyboardMenuByCreatingIfNecessary(false))
        menu->vanishAndCloseMenu();
}

bool ZRKeyboardMenu::selectItemAtIndex(qsizetype index) {
    ZRKeyboardMenu* menu = keyboardMenuByCreatingIfNecessary(false);
    return menu && menu->selectChildAtIndex(index);
}

void ZRKeyboardMenu::beep() {
    if (installed && installed->m_beep)
        installed->m_beep();
    else
        QApplication::beep();
}

// --- The panel

ZRKeyboardMenu::ZRKeyboardMenu()
    : ZRSelfDrawingOverlayPanel(frameForScreen(nullptr, nullptr), WindowLevel, true, true),
      m_keyboard(
          this, context().platform,
          [this] {
              // A menu that hears no keys would leave the user stuck before it.
              ZRLog("the keyboard menu closes: it cannot have the keyboard");
              closeMenu();
              beep();
          },
          // The menu is never the active window, so it cannot hear that it lost the keys itself.
          [this] {
              if (m_currentParent && !m_fadingOut)
                  vanishAndCloseMenu();
          }) {
    setWindowTitle(QString::fromLatin1(WindowTitle));
    // Unlike the panels it derives from, the menu takes clicks.
    setIgnoresMouseEvents(this, false);
    setFadingDuration(this, AnimationDuration);
    setUpMenuViewWithFrame(QRect(QPoint(), size()));
}

ZRKeyboardMenu::~ZRKeyboardMenu() {
    m_keyboard.release();
    m_keyboard.watchForLoss(false);
}

void ZRKeyboardMenu::setUpMenuViewWithFrame(const QRect& frame) {
    // The panel reads the clicks over its rows itself (event()).
    menuView()->setAttribute(Qt::WA_TransparentForMouseEvents);
    menuView()->setGeometry(frame);
}

void ZRKeyboardMenu::setRootItem(std::shared_ptr<ZRKeyboardMenuItem> rootItem) {
    m_rootItem = std::move(rootItem);
}

bool ZRKeyboardMenu::holdsKeyboard() const {
    return m_keyboard.isHeld();
}

bool ZRKeyboardMenu::popUp(const std::shared_ptr<ZRKeyboardMenuItem>& entryItem, const ScreenInfo* onScreen,
                           bool animate, const void* cycleReference, bool takeKeys) {
    const std::optional<ScreenInfo> screen = onScreen ? std::optional<ScreenInfo>(*onScreen) : firstScreen();
    if (!entryItem || !screen) {
        m_cycleReference = nullptr;
        return false;
    }
    m_cumulativeScrollingDelta = 0;
    m_mouseHighlightIndex = NoHighlight;

    // An entry without children opens the level that holds it. The new level is in place before the old
    // tree goes, so nothing can reach a level that is gone.
    ZRKeyboardMenuItem* level =
        entryItem->parent() && entryItem->children().empty() ? entryItem->parent() : entryItem.get();
    m_currentParent = level;
    std::shared_ptr<ZRKeyboardMenuItem> previousRoot =
        std::exchange(m_rootItem, entryItem->topmostAncestor());
    m_typeSelectQuery.reset();
    m_invalidateTypeSelectQuery.cancel();
    previousRoot.reset();
    m_screen = screen;

    const bool shown = QWidget::isVisible();
    sizeToFitForScreen(this->screen(), false);
    if (animate && !shown && !animationDisabled()) {
        // The window is mapped once, at the fitted frame, and the menu grows inside it from the squeezed
        // frame: a window that grew would be resized and drawn again at every step. Without a compositor
        // the window shapes itself to the menu it draws.
        const QRectF fitted = QRectF(rect());
        const double squeeze = std::floor(PopUpSqueeze * fitted.height());
        presentFrom(fitted.adjusted(0, squeeze, 0, -squeeze));
        orderFrontWithAlphaValue(this, 1.0, true);
    } else {
        orderFrontWithAlphaValue(this, 1.0, false);
    }
    m_fadingOut = false;
    m_keyboard.watchForLoss(true);
    if (takeKeys)
        m_keyboard.take();
    else
        m_keyboard.release();
    if (!QWidget::isVisible())
        return false;
    m_cycleReference = cycleReference;
    return true;
}

void ZRKeyboardMenu::sizeToFitForScreen(const ScreenInfo* screen, bool animate) {
    menuView()->update();
    const bool visible = QWidget::isVisible();
    qsizetype lines = m_numberOfLines;
    double verticalPadding = 0;
    const Rect frame = frameForScreen(screen, m_currentParent, &lines, &verticalPadding);
    if (frame.isZero())
        return;
    m_numberOfLines = lines;
    setMenuCornerRadiusForVerticalPadding(verticalPadding);
    moveToCocoaFrame(frame, animate && visible && windowOpacity() > VisibleAlpha && !animationDisabled());
}

void ZRKeyboardMenu::moveToCocoaFrame(const Rect& frame, bool animate) {
    const QRect target = qtRectFromCocoaRect(frame).toRect();
    if (m_frameAnimation)
        m_frameAnimation->stop();
    if (!animate) {
        setGeometry(target);
        return;
    }
    if (!m_frameAnimation) {
        m_frameAnimation = new QPropertyAnimation(this, "geometry", this);
        m_frameAnimation->setDuration(int(AnimationDuration * MillisecondsPerSecond));
    }
    m_frameAnimation->setStartValue(geometry());
    m_frameAnimation->setEndValue(target);
    m_frameAnimation->start();
}

void ZRKeyboardMenu::presentFrom(const QRectF& bounds) {
    if (!m_presentation) {
        m_presentation = new QVariantAnimation(this);
        m_presentation->setDuration(int(AnimationDuration * MillisecondsPerSecond));
        connect(m_presentation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
            m_presentedBounds = value.toRectF();
            menuView()->update();
        });
        connect(m_presentation, &QVariantAnimation::finished, this, [this] {
            m_presentedBounds = QRectF();
            menuView()->update();
        });
    }
    m_presentation->stop();
    m_presentedBounds = bounds;
    m_presentation->setStartValue(bounds);
    m_presentation->setEndValue(QRectF(rect()));
    m_presentation->start();
}

void ZRKeyboardMenu::closeMenu() {
    if (m_frameAnimation)
        m_frameAnimation->stop();
    if (m_presentation)
        m_presentation->stop();
    m_presentedBounds = QRectF();
    m_keyboard.release();
    m_keyboard.watchForLoss(false);
    m_fadingOut = false;
    hide();
    // Late events and the delayed discard of the query find no level and do nothing.
    m_currentParent = nullptr;
    m_cycleReference = nullptr;
    m_typeSelectQuery.reset();
    m_mouseHighlightIndex = NoHighlight;
    m_invalidateTypeSelectQuery.cancel();
    m_rootItem.reset();
}

void ZRKeyboardMenu::vanishAndCloseMenu() {
    if (!QWidget::isVisible())
        return;
    if (animationDisabled()) {
        closeMenu();
        return;
    }
    // The keys go back as the menu starts to go; a pop-up during the fade takes them again.
    m_keyboard.release();
    m_keyboard.watchForLoss(false);
    m_fadingOut = true;
    fadeOutAndCloseWithCompletionHandler(this, [this] { closeMenu(); });
}

void ZRKeyboardMenu::invalidateTypeSelectQuery() {
    if (!m_typeSelectQuery)
        return;
    m_typeSelectQuery.reset();
    menuView()->update();
}

// --- The keyboard and losing it

// --- Navigation

bool ZRKeyboardMenu::navigateToParent() {
    ZRKeyboardMenuItem* parent = m_currentParent ? m_currentParent->parent() : nullptr;
    if (!parent)
        return false;
    invalidateTypeSelectQuery();
    ZRKeyboardMenuItem* left = std::exchange(m_currentParent, parent);
    parent->setSelectedChild(left);
    sizeToFitForScreen(screen(), true);
    return true;
}

bool ZRKeyboardMenu::navigateToChild(ZRKeyboardMenuItem* item) {
    if (!m_currentParent || !item || item->children().empty())
        return false;
    invalidateTypeSelectQuery();
    m_currentParent = item;
    sizeToFitForScreen(screen(), true);
    return true;
}

bool ZRKeyboardMenu::navigateToSiblingWithStep(qsizetype step, bool forceLoop) {
    if (!m_currentParent || step == 0)
        return false;
    const auto& children = m_currentParent->children();
    const qsizetype count = qsizetype(children.size());
    if (count == 0)
        return false;
    const auto selected = std::find_if(children.begin(), children.end(), [this](const auto& child) {
        return child.get() == m_currentParent->selectedChild();
    });
    const qsizetype start = selected != children.end() ? qsizetype(selected - children.begin())
                            : step < 0                 ? count
                                                       : -1;
    bool loop = forceLoop || context().defaults.boolForKey(LoopKey);
    qsizetype index = start;
    bool candidate = false;
    for (;;) {
        index += step;
        bool atEnd = false;
        if (index < 0 || index >= count) {
            if (loop) {
                // A level wraps at most once.
                index = index < 0 ? count - 1 : 0;
                loop = false;
            } else {
                index = std::clamp<qsizetype>(index, 0, count - 1);
                atEnd = true;
            }
        }
        candidate = children[std::size_t(index)]->isEntry();
        if (candidate || atEnd)
            break;
    }
    if (!candidate || index == start)
        return false;
    invalidateTypeSelectQuery();
    children[std::size_t(index)]->select();
    menuView()->update();
    return true;
}

bool ZRKeyboardMenu::selectItem(ZRKeyboardMenuItem* item) {
    if (!item || !item->isEntry())
        return false;
    item->select();
    menuView()->update();
    return true;
}

bool ZRKeyboardMenu::selectChildAtIndex(qsizetype index) {
    invalidateTypeSelectQuery();
    if (!m_currentParent || index < 0 || index >= qsizetype(m_currentParent->children().size()))
        return false;
    return selectItem(m_currentParent->children()[std::size_t(index)].get());
}

bool ZRKeyboardMenu::closeAfterPerformingActionOrNavigateToChild(ZRKeyboardMenuItem* item) {
    if (!item || !m_currentParent)
        return false;
    // The action may close the menu, and with it the tree the item belongs to.
    const std::shared_ptr<ZRKeyboardMenuItem> tree = m_rootItem;
    if (item->action() && item->action()(*item)) {
        closeMenu();
        return true;
    }
    return navigateToChild(item);
}
