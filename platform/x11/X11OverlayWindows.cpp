#include "platform/x11/X11OverlayWindows.h"

#include "platform/PlatformLog.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <cstdlib>
#include <xcb/shape.h>
#include <xcb/xcb.h>

namespace {

// The connection Qt shows the program's windows on; null when they are not on an X display.
xcb_connection_t* windowConnection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

// What the program's windows need to see of the pointer while they hold it.
constexpr std::uint16_t PointerGrabEvents = XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE |
                                            XCB_EVENT_MASK_POINTER_MOTION | XCB_EVENT_MASK_ENTER_WINDOW |
                                            XCB_EVENT_MASK_LEAVE_WINDOW;

// Refusals are the caller's to report: it may try again once the window is shown.
template <class Reply> GrabStatus grabStatus(Reply* reply) {
    const GrabStatus status = reply ? x11GrabStatus(reply->status) : GrabStatus::Failed;
    std::free(reply);
    return status;
}

GrabStatus takeKeyboard(OwnWindowId window) {
    xcb_connection_t* c = windowConnection();
    if (!c) {
        platformLog(
            QStringLiteral("cannot grab the keyboard: the program's windows are not on an x display"));
        return GrabStatus::Failed;
    }
    const auto cookie = xcb_grab_keyboard(c, 0, static_cast<xcb_window_t>(window), XCB_CURRENT_TIME,
                                          XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    return grabStatus(xcb_grab_keyboard_reply(c, cookie, nullptr));
}

GrabStatus takePointer(OwnWindowId window) {
    xcb_connection_t* c = windowConnection();
    if (!c) {
        platformLog(QStringLiteral("cannot grab the pointer: the program's windows are not on an x display"));
        return GrabStatus::Failed;
    }
    const auto cookie =
        xcb_grab_pointer(c, 0, static_cast<xcb_window_t>(window), PointerGrabEvents, XCB_GRAB_MODE_ASYNC,
                         XCB_GRAB_MODE_ASYNC, XCB_WINDOW_NONE, XCB_CURSOR_NONE, XCB_CURRENT_TIME);
    return grabStatus(xcb_grab_pointer_reply(c, cookie, nullptr));
}

} // namespace

GrabStatus x11GrabStatus(std::uint8_t status) {
    switch (status) {
    case XCB_GRAB_STATUS_SUCCESS:
        return GrabStatus::Granted;
    case XCB_GRAB_STATUS_ALREADY_GRABBED:
        return GrabStatus::AlreadyGrabbed;
    case XCB_GRAB_STATUS_NOT_VIEWABLE:
        return GrabStatus::NotViewable;
    case XCB_GRAB_STATUS_FROZEN:
        return GrabStatus::Frozen;
    default:
        return GrabStatus::Failed;
    }
}

X11OverlayWindows::X11OverlayWindows()
    : m_keyboard(takeKeyboard,
                 [] {
                     if (xcb_connection_t* c = windowConnection()) {
                         xcb_ungrab_keyboard(c, XCB_CURRENT_TIME);
                         xcb_flush(c);
                     }
                 }),
      m_pointer(takePointer, [] {
          if (xcb_connection_t* c = windowConnection()) {
              xcb_ungrab_pointer(c, XCB_CURRENT_TIME);
              xcb_flush(c);
          }
      }) {}

void X11OverlayWindows::overlayShown(OwnWindowId window, const Rect&, bool ignoresMouseEvents) {
    xcb_connection_t* c = windowConnection();
    if (ignoresMouseEvents || !c)
        return;
    // No input shape: the input region is the bounding shape, whatever the window's size.
    xcb_shape_mask(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, static_cast<xcb_window_t>(window), 0, 0,
                   XCB_NONE);
    xcb_flush(c);
}

std::unique_ptr<InputGrab> X11OverlayWindows::grabKeyboard(OwnWindowId window, GrabStatus* status) {
    return m_keyboard.grab(window, status);
}

std::unique_ptr<InputGrab> X11OverlayWindows::grabPointer(OwnWindowId window, GrabStatus* status) {
    return m_pointer.grab(window, status);
}
