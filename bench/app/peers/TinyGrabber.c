/* The smallest hot-key program: it grabs one key on the root and, when the key is pressed, puts the active
 * window on the left half of the screen with one request. Arguments: the key code and the modifier mask. */
#include "TinyPeer.h"

int main(int argc, char** argv) {
    if (argc < 3)
        return 2;
    xcb_connection_t* c = xcb_connect(NULL, NULL);
    if (xcb_connection_has_error(c))
        return 1;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    xcb_grab_key(c, 1, screen->root, (uint16_t)atoi(argv[2]), (xcb_keycode_t)atoi(argv[1]),
                 XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    const xcb_atom_t active = tinyAtom(c, "_NET_ACTIVE_WINDOW");
    const xcb_atom_t moveResize = tinyAtom(c, "_NET_MOVERESIZE_WINDOW");
    xcb_generic_event_t* event;
    while ((event = xcb_wait_for_event(c))) {
        if ((event->response_type & 0x7f) == XCB_KEY_PRESS) {
            xcb_get_property_reply_t* reply = xcb_get_property_reply(
                c, xcb_get_property(c, 0, screen->root, active, XCB_ATOM_WINDOW, 0, 1), NULL);
            if (reply && xcb_get_property_value_length(reply) == 4)
                tinyMoveResize(c, screen->root, moveResize, *(xcb_window_t*)xcb_get_property_value(reply),
                               TinyMoveX | TinyMoveY | TinyMoveWidth | TinyMoveHeight, 0, 0,
                               screen->width_in_pixels / 2, screen->height_in_pixels);
            free(reply);
            xcb_flush(c);
        }
        free(event);
    }
    xcb_disconnect(c);
    return 0;
}
