/* What the tiny xcb peers of the program benchmark share: atoms, and a frame request as a pager sends it. */
#pragma once

#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <xcb/xcb.h>

static inline xcb_atom_t tinyAtom(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, (uint16_t)strlen(name), name), NULL);
    xcb_atom_t atom = reply ? reply->atom : (xcb_atom_t)XCB_ATOM_NONE;
    free(reply);
    return atom;
}

/* _NET_MOVERESIZE_WINDOW with north-west gravity; flags say which of x, y, width and height count. */
static inline void tinyMoveResize(xcb_connection_t* c, xcb_window_t root, xcb_atom_t moveResize,
                                  xcb_window_t window, uint32_t flags, int32_t x, int32_t y, int32_t width,
                                  int32_t height) {
    xcb_client_message_event_t message;
    memset(&message, 0, sizeof message);
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = moveResize;
    /* Gravity 1 (north-west), the fields given, and source 2: a pager, which window managers obey. */
    message.data.data32[0] = 1u | flags | (2u << 12);
    message.data.data32[1] = (uint32_t)x;
    message.data.data32[2] = (uint32_t)y;
    message.data.data32[3] = (uint32_t)width;
    message.data.data32[4] = (uint32_t)height;
    xcb_send_event(c, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   (const char*)&message);
}

enum { TinyMoveX = 1u << 8, TinyMoveY = 1u << 9, TinyMoveWidth = 1u << 10, TinyMoveHeight = 1u << 11 };
