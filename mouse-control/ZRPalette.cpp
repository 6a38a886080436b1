#include "mouse-control/ZRPalette.h"

#include "actions/ZRAction.h"
#include "actions/ZRActionController.h"
#include "actions/ZRActionManager.h"
#include "actions/ZRFrameMemory.h"
#include "actions/ZRPaletteIconMetrics.h"
#include "actions/ZRStandardPaletteItemImage.h"
#include "mouse-control/ZRMouseControlContext.h"
#include "mouse-control/ZRMouseControlDefaults.h"
#include "mouse-control/ZRMouseControlPaletteLayout.h"
#include "mouse-control/ZRMouseController.h"
#include "mouse-control/ZROverlayButton.h"
#include "mouse-control/ZROverlayColorScheme.h"
#include "mouse-control/ZROverlayMenuButton.h"
#include "mouse-control/ZROverlayWindow.h"
#include "mouse-control/ZRPaletteGeometry.h"
#include "mouse-control/ZRPaletteLayout.h"
#include "mouse-control/ZRSystemWindowSettings.h"
#include "mouse-control/ZRTriggerUIElement.h"
#include "mouse-control/ZRWindowFilter.h"
#include "mouse-control/ZRZoomButtonOverlayWindow.h"
#include "platform/InputState.h"
#include "platform/Platform.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "shell/ZRMainController.h"
#include "toolkit/Appearance.h"
#include "toolkit/ImageExtensions.h"
#include "toolkit/InterfaceLoader.h"
#include "toolkit/RunLoopExtensions.h"
#include "toolkit/ScreenCoordinates.h"
#include "toolkit/WindowExtensions.h"
#include "toolkit/ZRCGEventWrapper.h"
#include "toolkit/ZRLog.h"
#include "window-access/Coordinates.h"
#include "window-access/GridGeometry.h"
#include "window-access/Position.h"
#include "window-access/VirtualScreen.h"
#include "window-access/WindowElements.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace {

// The palette hangs this far from the trigger, by an arrow of this size.
constexpr double PaletteDistance = 8;
constexpr double PaletteArrowHeight = 7;
constexpr double PaletteArrowBaseWidth = 11;
// The dark scheme's background without material.
constexpr double DarkBackgroundWhite = 0.25;
constexpr double DarkBackgroundAlpha = 0.99;
// The revert button is as large as the custom-actions glyph, with a point to spare.
constexpr Size RevertButtonSize{28, 22};
constexpr Size CustomActionsGlyphSize{27, 21};
// Control or Command held while the pointer comes to rest: the palette is built but not shown.
constexpr ModifierFlags HoldModifiers = ModifierFlag::Control | ModifierFlag::Command;

// The standard buttons: tag, the image's position, the alternate image's, and the drag images of the
// sections the button offers (0 for none): up, right, down, left.
struct StandardButton {
    std::int64_t tag;
    std::int64_t alternate;
    std::int64_t up, right, down, left;
};
constexpr StandardButton StandardButtons[] = {
    {ZRPositionFull, ZRPositionCenter, 0, 0, 0, 0},
    {ZRPositionTop, ZRPositionBottomLeft, 0, ZRPositionTopRight, 0, ZRPositionTopLeft},
    {ZRPositionRight, ZRPositionTopRight, ZRPositionTopRight, 0, ZRPositionBottomRight, 0},
    {ZRPositionBottom, ZRPositionBottomRight, 0, ZRPositionBottomRight, 0, ZRPositionBottomLeft},
    {ZRPositionLeft, ZRPositionTopLeft, ZRPositionTopLeft, 0, ZRPositionBottomLeft, 0},
};

// Where a window lies on the screen, in Quartz coordinates.
Rect quartzFrameOf(const QWidget* window) {
    return quartzRectFromQtRect(QRectF(window->frameGeometry()));
}

bool isVisibleAt(const QWidget* window, Point quartzLocation) {
    return window && window->isVisible() && quartzFrameOf(window).contains(quartzLocation);
}

QRect qtRect(const Rect& rect) {
    return QRectF(rect.x(), rect.y(), rect.width(), rect.height()).toAlignedRect();
}

// The images of a standard button at the palette's icon size.
QImage standardImage(std::int64_t position, Size icon) {
    if (position == 0)
        return {};
    return ZRStandardPaletteItemImage(position, QColor(), icon.width, icon.height, qApp->devicePixelRatio());
}

} // namespace

ZRPalette::ZRPalette(ZRMouseController& controller, const ZRMouseGestures& gestures)
    : m_controller(controller), m_context(controller.context()), m_gestures(gestures) {
    registerInterfaceBuilder(InterfaceName, &ZRPalette::buildInterface);
}

ZRPalette::~ZRPalette() {
    closeZoomButtonOverlayWindow(false);
    closeOverlayWindow(false);
    delete m_zoomButtonOverlayWindow;
    delete m_overlayWindow;
    delete m_overlayView;
}

void ZRPalette::setPaletteGridFactory(ZRPaletteGridFactory factory) {
    m_gridFactory = std::move(factory);
}

ZROverlayWindow* ZRPalette::overlayWindow() const {
    return m_overlayWindow;
}

ZRZoomButtonOverlayWindow* ZRPalette::zoomButtonOverlayWindow() const {
    return m_zoomButtonOverlayWindow;
}

QWidget* ZRPalette::overlayView() const {
    return m_overlayView;
}

ZROverlayMenuButton* ZRPalette::revertButton() const {
    return m_revertButton;
}

ZROverlayButton* ZRPalette::fullButton() const {
    return m_fullButton;
}

ZROverlayButton* ZRPalette::leftButton() const {
    return m_leftButton;
}

ZROverlayButton* ZRPalette::rightButton() const {
    return m_rightButton;
}

ZROverlayButton* ZRPalette::topButton() const {
    return m_topButton;
}

ZROverlayButton* ZRPalette::bottomButton() const {
    return m_bottomButton;
}

ZRMouseControlPaletteLayout& ZRPalette::paletteLayout() {
    if (ZRMouseControlPaletteLayout* layout = m_controller.paletteLayout())
        return *layout;
    if (!m_ownLayout)
        m_ownLayout = std::make_unique<ZRPaletteLayout>(m_context.defaults);
    return *m_ownLayout;
}

// --- The interface

QImage ZRPalette::customActionsGlyph() {
    QImage image(int(CustomActionsGlyphSize.width), int(CustomActionsGlyphSize.height),
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // A person, head and shoulders, in the square (3, 3, 15, 15) from the top left.
    QPainterPath person;
    person.addEllipse(QRectF(7.3, 3.5, 6.4, 6.4));
    QPainterPath shoulders;
    shoulders.moveTo(4, 17.5);
    shoulders.cubicTo(4, 12.5, 7, 10.8, 10.5, 10.8);
    shoulders.cubicTo(14, 10.8, 17, 12.5, 17, 17.5);
    shoulders.closeSubpath();
    person.addPath(shoulders);
    painter.fillPath(person, Qt::black);
    // A heavy chevron pointing down, centred in (15, 7, 15, 10).
    QPen pen(Qt::black, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);
    painter.drawPolyline(QPolygonF({QPointF(19.5, 10.5), QPointF(22.5, 13.5), QPointF(25.5, 10.5)}));
    return image;
}

bool ZRPalette::buildInterface(QObject* owner) {
    auto* palette = qobject_cast<ZRPalette*>(owner);
    if (!palette)
        return false;
    auto* view = new QWidget;
    palette->m_overlayView = view;
    const auto makeButton = [palette, view](ZROverlayButton* button, std::int64_t tag) {
        button->setParent(view);
        button->setTag(tag);
        button->setTarget(palette);
        button->setAction([palette](ZROverlayButton& sender) { palette->skaf(sender); });
        button->setToolTipProvider(palette);
        button->setDragDirectionDelegate(palette);
        return button;
    };
    palette->m_fullButton = makeButton(new ZROverlayButton(palette->m_context), FullButtonTag);
    palette->m_topButton = makeButton(new ZROverlayButton(palette->m_context), TopButtonTag);
    palette->m_rightButton = makeButton(new ZROverlayButton(palette->m_context), RightButtonTag);
    palette->m_bottomButton = makeButton(new ZROverlayButton(palette->m_context), BottomButtonTag);
    palette->m_leftButton = makeButton(new ZROverlayButton(palette->m_context), LeftButtonTag);
    auto* revert = new ZROverlayMenuButton(palette->m_context);
    makeButton(revert, RevertButtonTag);
    revert->setMenuDelegate(palette);
    revert->resize(int(RevertButtonSize.width), int(RevertButtonSize.height));
    palette->m_revertButton = revert;
    return true;
}

bool ZRPalette::loadContentView() {
    if (!m_overlayView) {
        if (!vintageStyleLoadNibNamed(InterfaceName, this) || !m_overlayView) {
            ZRLog("cannot load <Palette.nib>");
            actions().beep();
            return false;
        }
        m_revertButton->setImage(revertImage());
        m_revertButton->setAlternateImage(customActionsGlyph());
        for (const StandardButton& standard : StandardButtons) {
            ZROverlayButton* button = nullptr;
            for (ZROverlayButton* candidate : {m_fullButton.data(), m_topButton.data(), m_rightButton.data(),
                                               m_bottomButton.data(), m_leftButton.data()})
                if (candidate && candidate->tag() == standard.tag)
                    button = candidate;
            if (!button)
                continue;
            button->setCanDragSectionUp(standard.up != 0);
            button->setCanDragSectionRight(standard.right != 0);
            button->setCanDragSectionDown(standard.down != 0);
            button->setCanDragSectionLeft(standard.left != 0);
        }
        return true;
    }
    // The view outlives every palette window: it leaves the old one before that one goes.
    m_overlayView->setParent(nullptr);
    if (m_revertButton) {
        m_revertButton->setHovered(false);
        m_revertButton->update();
    }
    return true;
}

// --- Building the palette

void ZRPalette::processTappedMouseMovedEvent(const std::shared_ptr<ZRCGEventWrapper>& wrapper) {
    const bool preview = paletteLayout().isChangingPaletteIconSize();
    std::optional<Point> location;
    if (!preview) {
        if (!wrapper || !wrapper->event() ||
            !m_controller.updateMouseControlUserDefaultForSender(nullptr, false, false)) {
            miss();
            return;
        }
        location = wrapper->event()->location;
    } else {
        if (wrapper && wrapper->event())
            location = wrapper->event()->location;
        else
            location = previewLocation();
        if (!location)
            return;
    }
    Point quartzLocation = *location;

    std::optional<QString> bundleIdentifier;
    std::optional<WindowListEntry> entry;
    if (!preview && !shouldProcessTappedMouseEventAtLocation(quartzLocation, true, &bundleIdentifier, &entry,
                                                             nullptr, m_context.defaults)) {
        miss();
        return;
    }
    // Our overlays are not in the window list nor under the pointer for the desktop: a rest on one of them
    // must not rebuild the palette for a button the user cannot see beneath it.
    if (isVisibleAt(m_zoomButtonOverlayWindow, quartzLocation) ||
        isVisibleAt(m_overlayWindow, quartzLocation)) {
        keep();
        return;
    }

    auto trigger = ZRTriggerUIElement::triggerUIElementAtLocation(
        quartzLocation, bundleIdentifier, entry ? &*entry : nullptr, m_context.defaults);
    if (!trigger) {
        miss();
        return;
    }
    if (m_currentTriggerUIElement && m_currentTriggerUIElement->isEqualToTriggerUIElement(trigger.get())) {
        keep();
        return;
    }
    m_currentTriggerUIElement = trigger;

    const AXElementRef window = trigger->window();
    const std::optional<Rect> frame =
        window ? ZRCopyWindowFrame(window, ZRAllowsForDrawers(m_context.defaults)) : std::nullopt;
    if (!frame) {
        miss();
        return;
    }
    const Rect cocoaFrame = ZRFlipRect(*frame);
    const Rect triggerFrame = trigger->frame();
    if (!triggerFrame.isEmpty())
        quartzLocation = {triggerFrame.midX(), triggerFrame.midY()};
    const Point triggerLocation = ZRFlipPoint(quartzLocation);

    if (!loadContentView())
        return;
    const bool customControls = boolSetting(IncludeCustomControlsUserDefaultName) &&
                                !m_context.actionStore().topLevelActions().empty();
    std::int64_t placedAt = -1;
    const bool placed = windowWithCGFrame(window, *frame, cocoaFrame, &placedAt, triggerLocation, true);

    ZRActionController& engine = actions();
    bool canRevert = false;
    if (!placed && !boolSetting(QString::fromUtf16(ZRPreserveOriginalFramesForeverUserDefaultName))) {
        engine.removeOriginalFrameForWindow(window);
    } else {
        Rect original;
        if (engine.getOriginalFrame(original, window, false)) {
            if (ZRFlipRect(original) == cocoaFrame)
                engine.removeOriginalFrameForWindow(window);
            else
                canRevert = true;
        }
    }
    bool revertInLayout = false;
    for (ZRPaletteItemWellInterface* well : paletteLayout().paletteItemWells()) {
        const auto action = well->paletteAction();
        if (action && action->actionType() == ZRActionTypeRevert)
            revertInLayout = true;
    }
    const bool revertOffered = canRevert && !revertInLayout;
    const bool revertShown = customControls || revertOffered;

    const auto screen =
        ZRVirtualScreen::screenAtPosition(ZRPositionNone, triggerLocation, m_context.defaults);
    const Rect usableFrame = screen ? screen->skafableFrame() : Rect();

    layOutContent(window, cocoaFrame, usableFrame, revertShown, revertOffered, customControls, canRevert);
    makeOverlayWindow(triggerLocation, usableFrame);
    closeZoomButtonOverlayWindow(false);
    m_showOverlayRequests.cancel();
    // A window whose size steps keep it short of the screen fills it all the same where the program set it
    // for the whole screen.
    const Point centre(cocoaFrame.midX(), cocoaFrame.midY());
    const bool fillsScreen = placedAt == ZRPositionFull ||
                             cocoaFrame == ZRGridGeometry::windowFrameAtPosition(
                                               ZRPositionFull, centre, ZRPositionNone, m_context.defaults);
    decideShowing(preview, canRevert && fillsScreen);
    keep();
}

void ZRPalette::layOutContent(const AXElementRef&, const Rect& cocoaFrame, const Rect& usableFrame,
                              bool revertShown, bool revertOffered, bool customControls, bool canRevert) {
    ZRMouseControlPaletteLayout& layout = paletteLayout();
    const std::vector<ZRPaletteItemWellInterface*> wells = layout.paletteItemWells();
    ZRPaletteContentMeasures measures;
    measures.minimumColumn = layout.minimumPaletteItemColumn();
    measures.maximumColumn = layout.maximumPaletteItemColumn();
    measures.minimumRow = layout.minimumPaletteItemRow();
    measures.maximumRow = layout.maximumPaletteItemRow();
    measures.iconMetrics = ZRPaletteIconMetrics(-1, m_context.defaults);
    measures.revertShown = revertShown;
    measures.revertButtonSize =
        m_revertButton ? Size(m_revertButton->width(), m_revertButton->height()) : RevertButtonSize;

    const bool showsGrid = boolSetting(GridUserDefaultName) && (m_grid || m_gridFactory);
    if (showsGrid && !m_grid) {
        m_grid = m_gridFactory(m_overlayView, [this](ZROverlayGridInterface& grid) { skaf(grid); });
        m_gridView = m_grid ? m_grid->view() : nullptr;
    }
    if (m_grid && !m_gridView)
        m_grid = nullptr;
    if (showsGrid && m_grid) {
        const std::int64_t mode = integerSetting(GridModeUserDefaultName);
        m_grid->setRepresentedWindowFrame(cocoaFrame);
        m_grid->setRepresentedSkafableFrame(usableFrame);
        m_grid->setPlaceholder(mode == 0);
        measures.grid = true;
        measures.gridMode = mode;
        measures.gridStyle = m_grid->gridStyle();
        if (mode != 0)
            m_grid->determineColumns(measures.gridColumns, measures.gridRows);
        measures.gridHeightForWidth = [grid = m_grid](double width) {
            return grid->updateLayoutAfterAdjustingFrame(Rect(0, 0, width, 0)).height();
        };
    }
    const ZRPaletteContentLayout content = ZRPaletteContentLayoutForMeasures(measures);
    m_overlayView->resize(int(std::ceil(content.size.width)), int(std::ceil(content.size.height)));

    const auto standardButton = [this](std::int64_t tag) -> ZROverlayButton* {
        switch (tag) {
        case FullButtonTag:
            return m_fullButton;
        case TopButtonTag:
            return m_topButton;
        case RightButtonTag:
            return m_rightButton;
        case BottomButtonTag:
            return m_bottomButton;
        case LeftButtonTag:
            return m_leftButton;
        default:
            return nullptr;
        }
    };
    for (const StandardButton& standard : StandardButtons)
        if (ZROverlayButton* button = standardButton(standard.tag))
            button->setHidden(true);
    for (ZRPaletteItemWellInterface* well : wells) {
        QWidget* button = nullptr;
        if (const auto action = well->paletteAction()) {
            button = well->paletteItemButton();
            if (!button)
                continue;
            button->setEnabled(action->actionType() != ZRActionTypeRevert || canRevert);
            button->setHidden(false);
        } else {
            well->destroyPaletteItemButton();
            button = standardButton(well->dummyPosition());
            if (!button)
                continue;
            button->setHidden(well->hiddenByUser());
        }
        button->setGeometry(qtRect(content.frameOfWell(well->column(), well->row())));
        if (!button->parent())
            button->setParent(m_overlayView);
    }

    const Size icon = measures.iconMetrics;
    for (const StandardButton& standard : StandardButtons) {
        ZROverlayButton* button = standardButton(standard.tag);
        if (!button)
            continue;
        button->setImage(standardImage(standard.tag, icon));
        button->setAlternateImage(standardImage(standard.alternate, icon));
        button->setDragUpImage(standardImage(standard.up, icon));
        button->setDragRightImage(standardImage(standard.right, icon));
        button->setDragDownImage(standardImage(standard.down, icon));
        button->setDragLeftImage(standardImage(standard.left, icon));
    }

    if (m_revertButton) {
        m_revertButton->setHidden(!revertShown);
        m_revertButton->setEnabled(revertShown);
        if (revertShown)
            m_revertButton->setGeometry(qtRect(content.revertButtonFrame));
        m_revertButton->setCanShowMenu(customControls);
        m_revertButton->setOriginalActionTitle(revertOffered && customControls
                                                   ? std::optional<QString>(QCoreApplication::translate(
                                                         "ZRPalette", "Revert to Original Dimensions"))
                                                   : std::nullopt);
    }
    if (m_gridView) {
        m_gridView->setHidden(!measures.grid);
        if (measures.grid)
            m_gridView->setGeometry(qtRect(content.gridFrame));
    }
}

void ZRPalette::makeOverlayWindow(Point triggerLocation, const Rect& usableFrame) {
    closeOverlayWindow(false);
    const std::int64_t scheme = ZROverlayColorScheme::colorScheme(m_context.defaults);
    const bool material = KQAttachedNonActivatingPanel::setUsesMaterial(
        scheme != ZROverlayColorSchemeClassic && !boolSetting(DisableMaterialUserDefaultName));
    // The custom actions' buttons draw light or dark by the panel they lie on, as the standard buttons do.
    QPalette colors = m_overlayView->palette();
    QColor panel = ZROverlayColorScheme::invertColors(m_context.defaults)
                       ? lightModeOverlayBackgroundColor()
                       : calibratedWhite(DarkBackgroundWhite, 1);
    panel.setAlphaF(1);
    colors.setColor(QPalette::Window, panel);
    m_overlayView->setPalette(colors);
    const Size size(m_overlayView->width(), m_overlayView->height());
    const int side = ZRPaletteSide(usableFrame, triggerLocation, size);
    auto* window = new ZROverlayWindow(m_overlayView, triggerLocation, nullptr, side, PaletteDistance);
    m_overlayWindow = window;
    m_overlayView->show();
    window->setDelegate(this);
    window->setWindowTitle(InterfaceName);
    setWindowLevel(window, ZRTriggerUIElement::triggerKind(m_context.defaults) == 0
                               ? PaletteLevel
                               : OtherTriggerPaletteLevel);
    window->setAttribute(Qt::WA_AlwaysShowToolTips);
    window->setArrowHeight(PaletteArrowHeight);
    window->setArrowBaseWidth(PaletteArrowBaseWidth);
    if (!material) {
        if (scheme == ZROverlayColorSchemeDark) {
            window->setBackgroundColor(calibratedWhite(DarkBackgroundWhite, DarkBackgroundAlpha));
            window->setBorderWidth(0);
        } else if (scheme == ZROverlayColorSchemeLight) {
            window->setBackgroundColor(lightModeOverlayBackgroundColor());
            window->setBorderWidth(0);
        }
    }
}

void ZRPalette::decideShowing(bool preview, bool canRevertFilled) {
    if (preview) {
        showOverlay();
        return;
    }
    const bool held = (m_context.platform.inputState().modifierFlags() & HoldModifiers) != 0;
    const std::int64_t behavior = integerSetting(ZRMouseControlDefault::ZoomButtonBehavior);
    if (behavior != 0) {
        auto overlay = ZRZoomButtonOverlayWindow::overlayPanelWithFrame(
            ZRFlipRect(m_currentTriggerUIElement->frame()), ZoomButtonOverlayLevel, true, false,
            m_context.defaults);
        m_zoomButtonOverlayWindow = overlay.release();
        m_zoomButtonOverlayWindow->setWindowTitle(ZoomButtonOverlayTitle);
        if (behavior > 0) {
            m_zoomButtonOverlayWindow->setTarget(this);
            m_zoomButtonOverlayWindow->setAction([this](ZRZoomButtonOverlayWindow& sender) { skaf(sender); });
            m_zoomButtonOverlayWindow->setCanRevert(canRevertFilled);
        }
        if (!held) {
            orderFrontWithAlphaValue(m_zoomButtonOverlayWindow, 1.0, false);
            m_showOverlayRequests.add(m_context.mainRunLoop.performLater(
                m_controller.delayForUserDefaultName(ZRMouseControlDefault::Delay), [this] { showOverlay(); },
                CommonRunLoopModes));
        }
        return;
    }
    if (!m_context.systemWindowSettings().canManageZoomButtonMenuOption()) {
        showOverlay();
        return;
    }
    if (m_context.systemWindowSettings().paletteTriggerIsNonDefault()) {
        if (!held)
            showOverlay();
        return;
    }
    if (!held)
        return;
    if (boolSetting(AppleImmutableUserDefaultName)) {
        m_context.defaults.setBool(true, ZRSystemWindowSettings::DisabledTemporarilyUserDefaultName);
        m_context.systemWindowSettings().setZoomButtonMenuOption(1);
    }
    showOverlay();
}

void ZRPalette::keep() {
    cancelPendingOverlayHides();
    if (m_overlayWindow)
        m_overlayWindow->setIgnoresMouseEvents(false);
}

void ZRPalette::miss() {
    if (m_overlayWindow && m_overlayWindow->isVisible())
        hideOverlayAfterDelay();
    else
        hideOverlayRegardless();
}

std::optional<Point> ZRPalette::previewLocation() const {
    const QWidget* window = QApplication::activeWindow();
    if (!window)
        return std::nullopt;
    const AXElementRef element = m_context.platform.accessibility().elementForOwnWindow(window->winId());
    const AXElementRef button =
        ZRTriggerUIElement::copyTriggerButton(element, ZRTriggerUIElement::triggerKind(m_context.defaults));
    const std::optional<Rect> frame = ZRCopyWindowFrame(button, false);
    if (!frame)
        return std::nullopt;
    return Point(frame->midX(), frame->midY());
}

// --- Showing and hiding

void ZRPalette::showOverlay() {
    if (!m_overlayWindow)
        return;
    if (paletteLayout().isChangingPaletteIconSize()) {
        orderFrontWithAlphaValue(m_overlayWindow, 1.0, false);
        return;
    }
    orderFrontWithAlphaValue(m_overlayWindow, 1.0, true, [revert = m_revertButton] {
        if (revert)
            revert->popUpMenuAutomaticallyWithHoverEvent(nullptr);
    });
}

void ZRPalette::hideOverlay() {
    hideOverlayRegardless(false);
}

void ZRPalette::hideOverlayRegardless() {
    hideOverlayRegardless(true);
}

void ZRPalette::hideOverlayRegardless(bool regardless) {
    m_showOverlayRequests.cancel();
    if (!m_overlayWindow && !m_zoomButtonOverlayWindow) {
        m_currentTriggerUIElement.reset();
        return;
    }
    const bool fade =
        !paletteLayout().isChangingPaletteIconSize() && m_overlayWindow && m_overlayWindow->isVisible();
    if (fade && !regardless) {
        const Point pointer = m_context.platform.inputState().pointerLocation();
        if (isVisibleAt(m_overlayWindow, pointer) || isVisibleAt(m_zoomButtonOverlayWindow, pointer)) {
            hideOverlayAfterDelay();
            return;
        }
    }
    closeOverlayWindow(fade);
    closeZoomButtonOverlayWindow(fade);
    UserDefaults& defaults = m_context.defaults;
    if (defaults.boolForKey(ZRSystemWindowSettings::DisabledTemporarilyUserDefaultName)) {
        m_context.systemWindowSettings().updateZoomButtonMenuOption(
            !defaults.boolForKey(ZRSystemWindowSettings::ApplePrimaryUserDefaultName));
        defaults.removeObject(ZRSystemWindowSettings::DisabledTemporarilyUserDefaultName);
    }
    m_currentTriggerUIElement.reset();
}

void ZRPalette::closeOverlayWindow(bool fade) {
    QPointer<ZROverlayWindow> window = std::exchange(m_overlayWindow, nullptr);
    if (!window)
        return;
    window->setIgnoresMouseEvents(true);
    const auto release = [window, view = m_overlayView] {
        if (!window)
            return;
        // Qt deletes a window's children with it; the view is ours.
        if (view && view->parent() == window)
            view->setParent(nullptr);
        window->deleteLater();
    };
    if (fade) {
        fadeOutAndCloseWithCompletionHandler(window, release);
    } else {
        window->close();
        release();
    }
}

void ZRPalette::closeZoomButtonOverlayWindow(bool fade) {
    QPointer<ZRZoomButtonOverlayWindow> window = std::exchange(m_zoomButtonOverlayWindow, nullptr);
    if (!window)
        return;
    setIgnoresMouseEvents(window, true);
    const auto release = [window] {
        if (window)
            window->deleteLater();
    };
    if (fade) {
        fadeOutAndCloseWithCompletionHandler(window, release);
    } else {
        window->close();
        release();
    }
}

void ZRPalette::hideOverlayAfterDelay() {
    const double delay =
        ZRHideOverlayDelay(integerSetting(ZRMouseControlDefault::ZoomButtonBehavior),
                           m_controller.delayForUserDefaultName(ZRMouseControlDefault::Delay));
    // These waited for the default run-loop mode, which a menu's tracking left: the hide waits for our menus
    // to close.
    const bool waitsForMenus = paletteLayout().isChangingPaletteIconSize() ||
                               paletteLayout().paletteItemButtonShowsMenu() ||
                               m_context.systemWindowSettings().zoomButtonMenuIsActive();
    scheduleHide(delay, waitsForMenus);
}

void ZRPalette::scheduleHide(double delay, bool waitsForMenus) {
    m_hideOverlayRequests.add(m_context.mainRunLoop.performLater(
        delay,
        [this, delay, waitsForMenus] {
            const bool menuIsOpen = QApplication::activePopupWidget() ||
                                    QGuiApplication::mouseButtons() != Qt::NoButton ||
                                    paletteLayout().paletteItemButtonShowsMenu();
            if (waitsForMenus && menuIsOpen) {
                scheduleHide(delay, true);
                return;
            }
            hideOverlay();
        },
        CommonRunLoopModes));
}

void ZRPalette::cancelPendingOverlayRequests() {
    m_showOverlayRequests.cancel();
    cancelPendingOverlayHides();
}

void ZRPalette::cancelPendingOverlayHides() {
    m_hideOverlayRequests.cancel();
    m_controller.cancelHideOverlayRegardlessOnNextTurn();
}

bool ZRPalette::isPaletteWindowVisible() const {
    return m_overlayWindow && m_overlayWindow->isVisible();
}

void ZRPalette::invalidatePaletteWindowShadowSoon() {
    // Without a compositor the window is shaped to what it paints, which is the nearest this desktop has
    // to a shadow that follows the window's shape.
    m_context.mainRunLoop.performOnNextTurn([window = QPointer<ZROverlayWindow>(m_overlayWindow)] {
        if (window && window->isVisible())
            window->update();
    });
}

namespace {

void orderWindow(QWidget* window, bool front) {
    if (!window)
        return;
    if (front)
        orderFrontWithAlphaValue(window, 1.0, false);
    else
        window->hide();
}

} // namespace

void ZRPalette::orderPaletteWindow(bool front) {
    orderWindow(m_overlayWindow, front);
}

void ZRPalette::orderZoomButtonOverlayWindow(bool front) {
    orderWindow(m_zoomButtonOverlayWindow, front);
}

bool ZRPalette::shouldHideOverlayForTappedMouseEvent(const TapEvent& event) {
    return !isVisibleAt(m_overlayWindow, event.location) &&
           !isVisibleAt(m_zoomButtonOverlayWindow, event.location);
}

bool ZRPalette::isShowingOverlay() const {
    return (m_overlayWindow && m_overlayWindow->isVisible()) ||
           (m_zoomButtonOverlayWindow && m_zoomButtonOverlayWindow->isVisible());
}

// --- Marking

bool ZRPalette::windowWithCGFrame(const AXElementRef& window, const Rect& frame, const Rect& equalToFrame,
                                  std::int64_t* hasSkafFrameAtPosition, Point triggerLocation,
                                  bool updateOverlayButtons) {
    std::int64_t position = -1;
    bool placed = false;
    ZRActionController& engine = actions();
    Rect lastFrame;
    std::int64_t lastPosition = -1;
    if (engine.getLastSkafFrame(lastFrame, lastPosition, window)) {
        if (lastFrame == frame) {
            placed = true;
            position = lastPosition;
            if (!updateOverlayButtons) {
                if (hasSkafFrameAtPosition)
                    *hasSkafFrameAtPosition = position;
                return true;
            }
        } else {
            engine.removeLastSkafFrameForWindow(window);
        }
    }
    std::array<bool, ZRPositionTopLeft + 1> marks{};
    for (std::int64_t candidate = ZRPositionFull; candidate <= ZRPositionTopLeft; ++candidate) {
        bool matches = candidate == position;
        if (!matches && ZRGridGeometry::windowFrameAtPosition(candidate, triggerLocation, ZRPositionNone,
                                                              m_context.defaults) == equalToFrame) {
            matches = true;
            position = candidate;
            placed = true;
        }
        marks[std::size_t(candidate)] = matches;
    }
    if (updateOverlayButtons) {
        const struct {
            QPointer<ZROverlayButton>& button;
            std::int64_t normal;
            std::int64_t alternate;
        } buttons[] = {
            {m_fullButton, ZRPositionFull, 0},
            {m_topButton, ZRPositionTop, ZRPositionBottomLeft},
            {m_rightButton, ZRPositionRight, ZRPositionTopRight},
            {m_bottomButton, ZRPositionBottom, ZRPositionBottomRight},
            {m_leftButton, ZRPositionLeft, ZRPositionTopLeft},
        };
        for (const auto& b : buttons) {
            if (!b.button)
                continue;
            b.button->setRepresentsCurrentWindowFrame(marks[std::size_t(b.normal)]);
            if (b.alternate)
                b.button->setAlternateModeRepresentsCurrentWindowFrame(marks[std::size_t(b.alternate)]);
        }
    }
    if (hasSkafFrameAtPosition)
        *hasSkafFrameAtPosition = position;
    return placed;
}

// --- The buttons' delegates

std::optional<QString> ZRPalette::toolTipForOverlayButton(const ZROverlayButton& button) {
    for (ZROverlayButton* own :
         {static_cast<ZROverlayButton*>(m_revertButton.data()), m_fullButton.data(), m_topButton.data(),
          m_rightButton.data(), m_bottomButton.data(), m_leftButton.data()})
        if (own == &button) {
            const bool canShowMenu = &button == m_revertButton && m_revertButton->canShowMenu();
            return toolTipForButton(button.tag(), button.alternateMode(), canShowMenu);
        }
    return std::nullopt;
}

void ZRPalette::prepareScreenDragDirectionsForOverlayButton(ZROverlayButton& button) {
    const std::int64_t tag = &button == m_revertButton ? RevertButtonTag : button.tag();
    const ScreenDragDirections directions =
        screenDragDirectionsForButton(tag, senderOfButton(button).screenOrigin);
    button.setCanDragScreenUp(directions.up);
    button.setCanDragScreenRight(directions.right);
    button.setCanDragScreenDown(directions.down);
    button.setCanDragScreenLeft(directions.left);
}

QMenu* ZRPalette::menuForOverlayButton(ZROverlayButton& button) {
    return m_context.mainController().menuForOverlayButton(&button);
}

QMenu* ZRPalette::contextMenuForOverlayHitView(QWidget* view) {
    return m_context.mainController().contextMenuForOverlayHitView(view);
}
