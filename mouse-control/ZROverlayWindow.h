#pragma once

#include "toolkit/KQAttachedNonActivatingPanel.h"

#include <QPoint>
#include <QPointer>
#include <QWindow>

class QMenu;
class ZROverlayWindowDelegate;

// The palette panel: it hangs beside the trigger button with an arrow, never takes the focus or becomes
// the main window, so the other application stays active, shows on every desktop, and turns a right click
// on its background into a context menu. Its buttons have hover areas exactly while it takes the mouse.
class ZROverlayWindow : public KQAttachedNonActivatingPanel {
    Q_OBJECT
public:
    // On every desktop, staying put there, and beside full-screen windows.
    static constexpr int CollectionBehavior = 0x111;

    // As KQAttachedNonActivatingPanel; the view's buttons make their hover areas for this window. The
    // window holds the view as a child: a view that is to outlive the window is taken out of it
    // (setParent(nullptr)) before the window goes.
    ZROverlayWindow(QWidget* view, Point point, QWidget* window, int side, double distance);
    ~ZROverlayWindow() override;

    bool canBecomeKeyWindow() const { return false; }
    bool canBecomeMainWindow() const { return false; }
    int collectionBehavior() const { return CollectionBehavior; }

    // Not owned; null for none.
    ZROverlayWindowDelegate* delegate() const { return m_delegate; }
    void setDelegate(ZROverlayWindowDelegate* delegate) { m_delegate = delegate; }

    bool ignoresMouseEvents() const;
    // Switched in place; a change makes the hover areas of the views again.
    void setIgnoresMouseEvents(bool ignores);

    // An event of the window before its views see it; true when the window took it.
    bool sendEvent(QEvent* event);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ZROverlayWindowDelegate* m_delegate = nullptr;
    QPointer<QWindow> m_filteredWindowHandle;
};

// Opens a menu handed over by a delegate at the point (global coordinates) without waiting for it, and
// deletes it once it has closed.
void popUpContextMenu(QMenu* menu, const QPoint& globalPosition);
