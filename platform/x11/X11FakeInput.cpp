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

bool X11FakeInput::send(std::uint8_t type, std::uint8_t detail, int x, int y) {
    auto* c = m_connection->xcb();
    xcb_test_fake_input(c, type, detail, XCB_CURRENT_TIME, m_connection->root(), static_cast<std::int16_t>(x),
                        static_cast<std::int16_t>(y), 0);
    // A round trip: the server has handled the input when it answers.
    X11Reply<xcb_get_input_focus_reply_t> reply(
        xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    return reply != nullptr;
}

bool X11FakeInput::movePointer(Point rootPoint) {
    return send(XCB_MOTION_NOTIFY, 0, static_cast<int>(rootPoint.x), static_cast<int>(rootPoint.y));
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

GrabStatus X11FakeInput::tryKeyboardGrab() {
    auto* c = m_connection->xcb();
    X11Reply<xcb_grab_keyboard_reply_t> reply(
        xcb_grab_keyboard_reply(c,
                                xcb_grab_keyboard(c, 0, m_connection->root(), XCB_CURRENT_TIME,
                                                  XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
                                nullptr));
    if (!reply)
        return GrabStatus::Failed;
    const GrabStatus status = x11GrabStatus(reply->status);
    if (status == GrabStatus::Granted) {
        xcb_ungrab_keyboard(c, XCB_CURRENT_TIME);
        m_connection->flush();
    }
    return status;
}
