#pragma once

class QWidget;

// Windows of the program that float over other applications' windows: the palette, grids, menus and
// outlines. The window manager does not manage them (override-redirect on X11): they stay above every
// window on every desktop, never take the focus from the application the user works in, receive clicks
// the window manager would keep for itself (Alt+click), and neither the window list nor the element under
// the pointer sees them. The desktop hears of each one as it is shown, moved, hidden or made
// click-through, so the simulated desktop can treat it as the X server does.

// Makes a top-level widget such an overlay, before it is first shown. An overlay that must take the keys
// grabs the keyboard (WindowInputGrab.h); with takesFocus it may also be activated explicitly.
void makeOverlayWindow(QWidget* window, bool takesFocus = false);
// Whether the widget was made an overlay.
bool isOverlayWindow(const QWidget* window);
// Tells the desktop what the overlay is now; called by the toolkit when its click-through changes.
void overlayStateChanged(QWidget* window);
