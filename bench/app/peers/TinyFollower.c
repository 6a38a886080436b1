/* The smallest window follower: on every raw pointer motion (XInput 2) it asks where the pointer is and moves
 * the window by as much as the pointer moved since the first motion, with one request.
 * Argument: the window (decimal or 0x hexadecimal). */
#include "TinyPeer.h"

#include <xcb/xinput.h>

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    xcb_connection_t* c = xcb_connect(NULL, NULL);
    if (xcb_connection_has_error(c))
        return 1;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t window = (xcb_window_t)strtoul(argv[1], NULL, 0);
    const xcb_query_extension_reply_t* input = xcb_get_extension_data(c, &xcb_input_id);
    if (!input || !input->present)
        return 1;
    free(xcb_input_xi_query_version_reply(c, xcb_input_xi_query_version(c, 2, 2), NULL));
    struct {
        xcb_input_event_mask_t head;
        uint32_t mask;
    } selection = {{XCB_INPUT_DEVICE_ALL_MASTER, 1}, XCB_INPUT_XI_EVENT_MASK_RAW_MOTION};
    xcb_input_xi_select_events(c, screen->root, 1, &selection.head);
    const xcb_atom_t moveResize = tinyAtom(c, "_NET_MOVERESIZE_WINDOW");
    const xcb_atom_t extents = tinyAtom(c, "_NET_FRAME_EXTENTS");

    /* The frame's top left, which the request sets: the window's own less the frame's left and top. */
    xcb_translate_coordinates_reply_t* origin =
        xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, window, screen->root, 0, 0), NULL);
    xcb_get_property_reply_t* frame =
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, extents, XCB_ATOM_CARDINAL, 0, 4), NULL);
    if (!origin)
        return 1;
    int32_t x = origin->dst_x, y = origin->dst_y;
    if (frame && xcb_get_property_value_length(frame) == 16) {
        const uint32_t* sides = (const uint32_t*)xcb_get_property_value(frame);
        x -= (int32_t)sides[0];
        y -= (int32_t)sides[2];
    }
    free(origin);
    free(frame);

    int started = 0;
    int32_t fromX = 0, fromY = 0;
    xcb_generic_event_t* event;
    xcb_flush(c);
    while ((event = xcb_wait_for_event(c))) {
        if (event->response_type == XCB_GE_GENERIC &&
            ((xcb_ge_generic_event_t*)event)->extension == input->major_opcode &&
            ((xcb_ge_generic_event_t*)event)->event_type == XCB_INPUT_RAW_MOTION) {
            xcb_query_pointer_reply_t* pointer =
                xcb_query_pointer_reply(c, xcb_query_pointer(c, screen->root), NULL);
            if (pointer) {
                if (!started) {
                    started = 1;
                    fromX = pointer->root_x;
                    fromY = pointer->root_y;
                }
                tinyMoveResize(c, screen->root, moveResize, window, TinyMoveX | TinyMoveY,
                               x + pointer->root_x - fromX, y + pointer->root_y - fromY, 0, 0);
                xcb_flush(c);
            }
            free(pointer);
        }
        free(event);
    }
    xcb_disconnect(c);
    return 0;
}
