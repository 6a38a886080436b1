#include "platform/x11/X11FakeInput.h"

#include "platform/x11/X11Connection.h"
#include "platform/x11/X11Keyboard.h"
#include "platform/x11/X11OverlayWindows.h"

#include <xcb/xtest.h>

X11FakeInput::X11FakeInput() = default;
X11FakeInput::~X11FakeInput() = default;

std::unique_ptr<X11FakeInput> X11FakeInput::open(QString* error) {
    auto connection = X11Connection::open({}, error);
    if (!connection)
        return nullptr;
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection->xcb(), &xcb_test_id);
    if (!extension || !extension->present) {
        if (error)
            *error = QStringLiteral("the x server has no xtest extension");
        return nullptr;
    }
    std::unique_ptr<X11FakeInput> input(new X11FakeInput);
    input->m_connection = std::move(connection);
    input->m_keyboard = std::make_unique<X11Keyboard>(*input->m_connection, false);
    return input;
}

bool X11FakeInput::send(std::uint8_t type, std::uint8_t detail, int x, int y, std::uint32_t root) {
    auto* c = m_connection->xcb();
    xcb_test_fake_input(c, type, detail, XCB_CURRENT_TIME, root, static_cast<std::int16_t>(x),
                        static_cast<std::int16_t>(y), 0);
    // A round trip: the server has handled the input when it answers.
    const auto reply = m_connection->reply(xcb_get_input_focus_reply, xcb_get_input_focus(c));
    return reply != nullptr;
}

bool X11FakeInput::movePointer(Point rootPoint) {
    return send(XCB_MOTION_NOTIFY, 0, static_cast<int>(rootPoint.x), static_cast<int>(rootPoint.y),
                m_connection->root());
}

bool X11FakeInput::movePointerBy(int dx, int dy) {
    // A motion whose detail is true is relative; the root is then not given.
    return send(XCB_MOTION_NOTIFY, 1, dx, dy, XCB_NONE);
}

bool X11FakeInput::button(int button, bool down) {
    return send(down ? XCB_BUTTON_PRESS : XCB_BUTTON_RELEASE, static_cast<std::uint8_t>(button));
}

bool X11FakeInput::key(KeyCode virtualKey, bool down) {
    const auto keycode = m_keyboard->keycodeForVirtualKey(virtualKey);
    if (!keycode)
        return false;
    return send(down ? XCB_KEY_PRESS : XCB_KEY_RELEASE, static_cast<std::uint8_t>(*keycode));
}

namespace {

// The status of a grab asked for; one that was granted is given back at once.
template <class Reply>
GrabStatus grabStatusReleasing(X11Connection& connection, const X11Reply<Reply>& owned,
                               xcb_void_cookie_t (*ungrab)(xcb_connection_t*, xcb_timestamp_t)) {
    if (!owned)
        return GrabStatus::Failed;
    const GrabStatus status = x11GrabStatus(owned->status);
    if (status == GrabStatus::Granted) {
        ungrab(connection.xcb(), XCB_CURRENT_TIME);
        connection.flush();
    }
    return status;
}

} // namespace

GrabStatus X11FakeInput::tryKeyboardGrab() {
    auto* c = m_connection->xcb();
    return grabStatusReleasing(
        *m_connection,
        m_connection->reply(xcb_grab_keyboard_reply,
                            xcb_grab_keyboard(c, 0, m_connection->root(), XCB_CURRENT_TIME,
                                              XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC)),
        xcb_ungrab_keyboard);
}

GrabStatus X11FakeInput::tryPointerGrab() {
    auto* c = m_connection->xcb();
    return grabStatusReleasing(
        *m_connection,
        m_connection->reply(xcb_grab_pointer_reply,
                            xcb_grab_pointer(c, 0, m_connection->root(), XCB_EVENT_MASK_BUTTON_PRESS,
                                             XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC, XCB_WINDOW_NONE,
                                             XCB_CURSOR_NONE, XCB_CURRENT_TIME)),
        xcb_ungrab_pointer);
}
