// Preloaded into the program by the benchmark: counts the X round trips from each hot key's KeyPress to the
// first request that goes to the window manager (a client message sent to the root), and appends the count
// as a line to the file that SKAF_ROUND_TRIP_LOG names. A round trip is a wait for a reply that has not
// come yet, or a check of a request's error.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>

static atomic_int armed;
static atomic_int count;

static void *next(const char *name) {
    return dlsym(RTLD_NEXT, name);
}

static void counted(void) {
    if (atomic_load(&armed))
        atomic_fetch_add(&count, 1);
}

static void seen(const xcb_generic_event_t *event) {
    if (event && (event->response_type & 0x7f) == XCB_KEY_PRESS) {
        atomic_store(&count, 0);
        atomic_store(&armed, 1);
    }
}

// A reply that has come with an earlier one cost no trip of its own: it is handed out as polled.
static int answered(int polled, xcb_generic_error_t *error, xcb_generic_error_t **e) {
    if (!polled)
        return 0;
    if (e)
        *e = error;
    else
        free(error);
    return 1;
}

void *xcb_wait_for_reply(xcb_connection_t *c, unsigned int request, xcb_generic_error_t **e) {
    static void *(*real)(xcb_connection_t *, unsigned int, xcb_generic_error_t **);
    if (!real)
        real = next("xcb_wait_for_reply");
    if (atomic_load(&armed)) {
        void *reply = NULL;
        xcb_generic_error_t *error = NULL;
        if (answered(xcb_poll_for_reply(c, request, &reply, &error), error, e))
            return reply;
        counted();
    }
    return real(c, request, e);
}

void *xcb_wait_for_reply64(xcb_connection_t *c, uint64_t request, xcb_generic_error_t **e) {
    static void *(*real)(xcb_connection_t *, uint64_t, xcb_generic_error_t **);
    if (!real)
        real = next("xcb_wait_for_reply64");
    if (atomic_load(&armed)) {
        void *reply = NULL;
        xcb_generic_error_t *error = NULL;
        if (answered(xcb_poll_for_reply64(c, request, &reply, &error), error, e))
            return reply;
        counted();
    }
    return real(c, request, e);
}

xcb_generic_error_t *xcb_request_check(xcb_connection_t *c, xcb_void_cookie_t cookie) {
    static xcb_generic_error_t *(*real)(xcb_connection_t *, xcb_void_cookie_t);
    if (!real)
        real = next("xcb_request_check");
    counted();
    return real(c, cookie);
}

xcb_generic_event_t *xcb_poll_for_event(xcb_connection_t *c) {
    static xcb_generic_event_t *(*real)(xcb_connection_t *);
    if (!real)
        real = next("xcb_poll_for_event");
    xcb_generic_event_t *event = real(c);
    seen(event);
    return event;
}

xcb_generic_event_t *xcb_poll_for_queued_event(xcb_connection_t *c) {
    static xcb_generic_event_t *(*real)(xcb_connection_t *);
    if (!real)
        real = next("xcb_poll_for_queued_event");
    xcb_generic_event_t *event = real(c);
    seen(event);
    return event;
}

xcb_generic_event_t *xcb_wait_for_event(xcb_connection_t *c) {
    static xcb_generic_event_t *(*real)(xcb_connection_t *);
    if (!real)
        real = next("xcb_wait_for_event");
    xcb_generic_event_t *event = real(c);
    seen(event);
    return event;
}

xcb_void_cookie_t xcb_send_event(xcb_connection_t *c, uint8_t propagate, xcb_window_t destination,
                                 uint32_t mask, const char *event) {
    static xcb_void_cookie_t (*real)(xcb_connection_t *, uint8_t, xcb_window_t, uint32_t, const char *);
    if (!real)
        real = next("xcb_send_event");
    if ((event[0] & 0x7f) == XCB_CLIENT_MESSAGE && atomic_exchange(&armed, 0)) {
        const char *path = getenv("SKAF_ROUND_TRIP_LOG");
        FILE *log = path ? fopen(path, "a") : NULL;
        if (log) {
            fprintf(log, "%d\n", atomic_load(&count));
            fclose(log);
        }
    }
    return real(c, propagate, destination, mask, event);
}
