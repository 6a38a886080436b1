/* The smallest overlay on a hot key: one override-redirect window, made at its full size and filled by the
 * server, mapped when the key is pressed and unmapped on Escape, and kept for the next time.
 * Arguments: the hot key's code, its modifier mask, Escape's code, the width and the height. */
#include "TinyPeer.h"

int main(int argc, char** argv) {
    if (argc < 6)
        return 2;
    xcb_connection_t* c = xcb_connect(NULL, NULL);
    if (xcb_connection_has_error(c))
        return 1;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_keycode_t hotKey = (xcb_keycode_t)atoi(argv[1]);
    const xcb_keycode_t escape = (xcb_keycode_t)atoi(argv[3]);
    xcb_grab_key(c, 1, screen->root, (uint16_t)atoi(argv[2]), hotKey, XCB_GRAB_MODE_ASYNC,
                 XCB_GRAB_MODE_ASYNC);
    xcb_grab_key(c, 1, screen->root, 0, escape, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    xcb_window_t window = XCB_NONE;
    xcb_flush(c);
    xcb_generic_event_t* event;
    while ((event = xcb_wait_for_event(c))) {
        if ((event->response_type & 0x7f) == XCB_KEY_PRESS) {
            const xcb_keycode_t key = ((xcb_key_press_event_t*)event)->detail;
            if (key == hotKey && window == XCB_NONE) {
                window = xcb_generate_id(c);
                const uint32_t values[] = {screen->white_pixel, 1};
                xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 600, 300,
                                  (uint16_t)atoi(argv[4]), (uint16_t)atoi(argv[5]), 0,
                                  XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                                  XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
            }
            if (key == hotKey)
                xcb_map_window(c, window);
            else if (window != XCB_NONE)
                xcb_unmap_window(c, window);
            xcb_flush(c);
        }
        free(event);
    }
    xcb_disconnect(c);
    return 0;
}
