#pragma once

#include "platform/Geometry.h"
#include "platform/Screens.h"
#include "platform/foundation/RunLoop.h"
#include "toolkit/OverlayKeyboard.h"
#include "toolkit/ZRSelfDrawingOverlayPanel.h"
#include "toolkit/ZRTextAttributes.h"

#include <QRectF>
#include <QString>
#include <functional>
#include <limits>
#include <memory>
#include <optional>

class QPainter;
class QPropertyAnimation;
class QVariantAnimation;
class ZRKeyboardMenuItem;
class ZRSettingsWindowOpener;
struct KeyEvent;
struct ZRKeyboardControlContext;

// How the menu draws a text: font, colour and alignment, and how far below the top of its line the text
// starts (ZRBaselineOffsetAttributeName).
struct ZRKeyboardMenuTextAttributes {
    ZRTextAttributes text;
    double baselineOffset = 0;
};

// The keyboard menu: one shared floating panel that lists one level of a tree of ZRKeyboardMenuItem
// nodes and lets the user walk the tree and choose an entry with the keys, the mouse or the wheel. Its
// callers build the tree and hand over an entry item: the menu of actions and the snap chooser.
//
// The panel never becomes the active window, so the action chosen acts on the window the user works in.
// It takes the keyboard instead while shown and gives it back on every way out: Escape, a choice, a
// click, close and vanishAndClose, "," (the settings), losing the keys (a click outside, another of the
// program's windows activated, a workspace or screen change), quitting and its destruction. A fade gives
// the keys back as it starts; a pop-up during the fade takes them again. Main thread only.
//
// The panel's content view, flipped like every Qt view, is the menu view the rows are drawn into.
class ZRKeyboardMenu : public ZRSelfDrawingOverlayPanel {
    Q_OBJECT
public:
    // Stacked among the program's overlays (WindowExtensions.h).
    static constexpr int WindowLevel = 26;
    // Seconds of the fade-in, the fade-out and the resizing.
    static constexpr double AnimationDuration = 0.15;
    // The mouse highlight over the back arrow, and over nothing.
    static constexpr qsizetype BackArrowHighlight = -1;
    static constexpr qsizetype NoHighlight = std::numeric_limits<qsizetype>::max();
    // The arrows of the title line and of folder rows.
    static constexpr char16_t LeftArrow = u'\u2190';
    static constexpr char16_t RightArrow = u'\u2192';
    // The window's name, by which other programs find it.
    static constexpr char WindowTitle[] = "Skaf Keyboard Menu";

    // --- The shared panel

    // What the shared panel and the class methods use while it lives: the desktop, the settings, the run
    // loop, who opens the settings window on "," (none: the key beeps) and what tells the user that a key
    // does nothing here (the application's beep when empty). Keyboard control's controller makes one before
    // anything shows the menu; when it goes, the shared panel goes with it. Neither pointer is owned.
    class Installation {
    public:
        Installation(const ZRKeyboardControlContext& context, ZRSettingsWindowOpener* settingsWindow,
                     std::function<void()> beep = {});
        ~Installation();
        Installation(const Installation&) = delete;
        Installation& operator=(const Installation&) = delete;

        // Read by the class methods while this is the installation in use.
        const ZRKeyboardControlContext& m_context;
        ZRSettingsWindowOpener* m_settingsWindow;
        std::function<void()> m_beep;
        const Installation* m_previous;
    };

    // The panel, made on first use when asked; without create, null while there is none. Every class
    // method below that does not show the menu leaves it unmade.
    static ZRKeyboardMenu* keyboardMenuByCreatingIfNecessary(bool create);
    // Ends the shared panel (quit, tests); a later pop-up makes a new one.
    static void destroySharedMenu();
    // Shows the level of the entry item on the screen (the first screen when none is given); see popUp.
    static bool popUpWithEntryItem(const std::shared_ptr<ZRKeyboardMenuItem>& entryItem,
                                   const ScreenInfo* onScreen, bool animate, const void* cycleReference);
    static bool popUpWithEntryItem(const std::shared_ptr<ZRKeyboardMenuItem>& entryItem,
                                   const ScreenInfo* onScreen);
    static bool isVisible();
    // Steps the selection one row down, wrapping, when the visible menu was popped up by the same
    // reference and "ZRKeyboardMenu: Disable Cycling" is off.
    static bool cycleWithReference(const void* reference);
    static void close();
    static void vanishAndClose();
    static bool selectItemAtIndex(qsizetype index);

    // --- Metrics

    static void setLineHeight(double lineHeight);
    static double correctedLineHeight(double lineHeight);
    static double defaultLineHeightForScreen(const ScreenInfo* screen);
    // The stored line height corrected, else the screen's default.
    static double lineHeightForScreen(const ScreenInfo* screen);
    // Horizontal and vertical padding around the rows.
    static Size paddingForLineHeight(double lineHeight);
    static ZRKeyboardMenuTextAttributes textAttributesForLineHeight(double lineHeight, bool center);
    // The text as drawn in the font: the hyphenation point between the parts of a description becomes a
    // middle dot where the font has no glyph for it, as light faces often lack it and show a box instead.
    static QString drawableText(const QString& text, const QFont& font);
    static bool usesStaticSelection();
    static bool usesDarkTheme();
    // The panel's frame (Cocoa) for the level of the parent on the screen, with the number of lines it
    // shows and its vertical padding; the zero rectangle when there is no screen.
    static Rect frameForScreen(const ScreenInfo* screen, const ZRKeyboardMenuItem* parent,
                               qsizetype* getNumberOfLines = nullptr, double* getVerticalPadding = nullptr);
    // Whether the selection highlight runs from edge to edge, and the panel's corner radius.
    static bool fullWidthSelection();
    static double menuCornerRadius();
    // The row shown in a level without children.
    static QString emptyTitle();

    static void beep();

    // --- The panel

    ~ZRKeyboardMenu() override;

    // Shows the level of the entry item: its own children when it has any, else the level it is in.
    // The menu holds the item's tree until it closes. False, with nothing shown, for no item or no screen.
    // With takeKeyboard, a menu that cannot have the keyboard (another program holds it) closes and
    // beeps rather than stay deaf; the snap chooser pops up during a window drag without it.
    bool popUp(const std::shared_ptr<ZRKeyboardMenuItem>& entryItem, const ScreenInfo* onScreen, bool animate,
               const void* cycleReference, bool takeKeyboard = true);
    void sizeToFitForScreen(const ScreenInfo* screen, bool animate);
    // Hides the panel at once and lets go of the tree, the keyboard and the type-select query.
    void closeMenu();
    // The same after a fade; a pop-up during the fade keeps the menu open.
    void vanishAndCloseMenu();
    void invalidateTypeSelectQuery();

    bool navigateToParent();
    bool navigateToChild(ZRKeyboardMenuItem* item);
    bool navigateToSiblingWithStep(qsizetype step, bool forceLoop);
    bool selectItem(ZRKeyboardMenuItem* item);
    bool selectChildAtIndex(qsizetype index);
    // Runs the item's action; when it is done the menu closes, else the item's level opens.
    bool closeAfterPerformingActionOrNavigateToChild(ZRKeyboardMenuItem* item);

    // Draws the current level into the menu view's bounds.
    void drawKeyboardMenuInBounds(QPainter& painter, const QRectF& bounds);
    void drawOverlayInBounds(QPainter& painter, const QRectF& bounds, QWidget* view) override;
    // One key press as the menu reads it: walks, chooses, closes or type-selects.
    void keyDown(const KeyEvent& event);

    const std::shared_ptr<ZRKeyboardMenuItem>& rootItem() const { return m_rootItem; }
    void setRootItem(std::shared_ptr<ZRKeyboardMenuItem> rootItem);
    ZRKeyboardMenuItem* currentParent() const { return m_currentParent; }
    void setCurrentParent(ZRKeyboardMenuItem* parent) { m_currentParent = parent; }
    const void* cycleReference() const { return m_cycleReference; }
    void setCycleReference(const void* reference) { m_cycleReference = reference; }

    qsizetype numberOfLines() const { return m_numberOfLines; }
    qsizetype mouseHighlightIndex() const { return m_mouseHighlightIndex; }
    const std::optional<QString>& typeSelectQuery() const { return m_typeSelectQuery; }
    // Whether the panel holds the keyboard now.
    bool holdsKeyboard() const;
    QWidget* menuView() const { return contentView(); }

protected:
    // The panel reads its own keys, clicks and wheel; other events go the usual way.
    bool event(QEvent* event) override;

private:
    ZRKeyboardMenu();

    void setUpMenuViewWithFrame(const QRect& frame);
    static void setMenuCornerRadiusForVerticalPadding(double verticalPadding);
    static const ZRKeyboardControlContext& context();
    static ZRSettingsWindowOpener* settingsWindow();
    static bool animationDisabled();
    // The first of the desktop's screens; none without screens.
    static std::optional<ScreenInfo> firstScreen();
    const ScreenInfo* screen() const { return m_screen ? &*m_screen : nullptr; }
    void moveToCocoaFrame(const Rect& frame, bool animate);
    // Draws the menu in these bounds of its window, growing to the whole window.
    void presentFrom(const QRectF& bounds);
    void typeSelect(const QString& characters, bool allowFuzzyMatching);
    qsizetype rowAtPoint(const QPointF& point) const;
    void mouseDownOrDragged(const QPointF& point);
    void mouseUp();
    // Lines the wheel moved, up positive.
    void scrollWheel(double deltaY, bool invertedFromDevice);

    qsizetype m_numberOfLines = 0;
    qsizetype m_mouseHighlightIndex = NoHighlight;
    double m_cumulativeScrollingDelta = 0;
    std::optional<QString> m_typeSelectQuery;
    std::shared_ptr<ZRKeyboardMenuItem> m_rootItem;
    ZRKeyboardMenuItem* m_currentParent = nullptr;
    const void* m_cycleReference = nullptr;

    std::optional<ScreenInfo> m_screen;
    bool m_wantsKeyboard = false;
    OverlayKeyboard m_keyboard;
    QPropertyAnimation* m_frameAnimation = nullptr;
    QVariantAnimation* m_presentation = nullptr;
    QRectF m_presentedBounds;
    bool m_fadingOut = false;
    PendingPerform m_invalidateTypeSelectQuery;
};
