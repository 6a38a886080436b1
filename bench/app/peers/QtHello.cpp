// The smallest Qt widgets programs beside which the program is measured. Without arguments: a window that
// says hello, for its memory. With "--grab KEYCODE MODIFIERS": no window, a hot key grabbed on a connection
// of its own once the application is made, which puts the active window on the left half of the screen,
// for the start of a Qt program that has hot keys.
#include "TinyPeer.h"

#include <QApplication>
#include <QLabel>
#include <QSocketNotifier>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc >= 4 && qstrcmp(argv[1], "--grab") == 0) {
        xcb_connection_t* c = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(c))
            return 1;
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
        xcb_grab_key(c, 1, screen->root, uint16_t(atoi(argv[3])), xcb_keycode_t(atoi(argv[2])),
                     XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        const xcb_atom_t active = tinyAtom(c, "_NET_ACTIVE_WINDOW");
        const xcb_atom_t moveResize = tinyAtom(c, "_NET_MOVERESIZE_WINDOW");
        QSocketNotifier notifier(xcb_get_file_descriptor(c), QSocketNotifier::Read);
        QObject::connect(&notifier, &QSocketNotifier::activated, [&] {
            while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
                if ((event->response_type & 0x7f) == XCB_KEY_PRESS) {
                    xcb_get_property_reply_t* reply = xcb_get_property_reply(
                        c, xcb_get_property(c, 0, screen->root, active, XCB_ATOM_WINDOW, 0, 1), nullptr);
                    if (reply && xcb_get_property_value_length(reply) == 4)
                        tinyMoveResize(c, screen->root, moveResize,
                                       *static_cast<xcb_window_t*>(xcb_get_property_value(reply)),
                                       TinyMoveX | TinyMoveY | TinyMoveWidth | TinyMoveHeight, 0, 0,
                                       screen->width_in_pixels / 2, screen->height_in_pixels);
                    free(reply);
                    xcb_flush(c);
                }
                free(event);
            }
        });
        return application.exec();
    }
    QLabel label(QStringLiteral("Hello, world"));
    label.show();
    return application.exec();
}
