#pragma once

#include "platform/Signal.h"
#include "platform/x11/X11Atoms.h"
#include "platform/x11/X11Errors.h"

#include <xcb/xcb.h>

#include <QByteArray>
#include <QString>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class QSocketNotifier;

struct X11FreeDeleter {
    void operator()(void* pointer) const { std::free(pointer); }
};
// A reply or error of xcb, which the caller owns.
template <class T> using X11Reply = std::unique_ptr<T, X11FreeDeleter>;

// The type of an event, whether the server made it or a client sent it.
inline std::uint8_t x11EventType(const xcb_generic_event_t* event) {
    constexpr std::uint8_t SentEventBit = 0x80;
    return event->response_type & ~SentEventBit;
}
// The modifier bits of an X event's or the pointer's state, without those of the buttons.
inline constexpr std::uint16_t X11ModifierBits = 0xff;

// One xcb connection with its atoms. Requests may be made from any thread (xcb serialises them);
// events are read only on the main thread, through a socket notifier on the Qt event loop, and
// handed to the subscribers of `events`.
// Words of a property that one request asks for unless told otherwise: enough for every property of a
// window; the window manager's lists of windows are read whole.
inline constexpr std::uint32_t DefaultPropertyWords = 1024;

class X11Connection {
public:
    // Null with a reason when the display cannot be reached. An empty name means $DISPLAY.
    static std::unique_ptr<X11Connection> open(const QByteArray& displayName, QString* error);
    ~X11Connection();

    xcb_connection_t* xcb() const { return m_connection; }
    xcb_screen_t* screen() const { return m_screen; }
    xcb_window_t root() const { return m_screen->root; }
    xcb_atom_t atom(X11Atom which) const { return m_atoms[static_cast<std::size_t>(which)]; }
    bool isBroken() const;
    void flush();

    // Starts reading events on the main thread's event loop; needs a Q(Core)Application.
    bool startReading();
    // Hands every event waiting in xcb's queue or on the socket to the subscribers (main thread).
    void dispatchPending();
    // From any thread: replies read there may have queued events that the socket no longer shows. On a
    // worker the dispatch is asked for once the worker's task has ended.
    void scheduleDispatch();

    // Marks a call that makes requests on this connection from a worker, and asks for the dispatch when it
    // ends. Meanwhile the main thread leaves xcb's queue alone before it sleeps: the worker holds xcb's lock
    // through each of its reads and writes, and the dispatch asked for takes what is queued all the same.
    class WorkerCall {
    public:
        explicit WorkerCall(X11Connection& connection);
        ~WorkerCall();
        WorkerCall(const WorkerCall&) = delete;
        WorkerCall& operator=(const WorkerCall&) = delete;

    private:
        X11Connection& m_connection;
        bool m_counted = false;
    };

    // Called for every event as soon as it is read, on the thread that reads it and before the main
    // thread hands it out: for caches that must follow events while a request waits for them. Set it
    // before reading starts; it must not read events itself.
    using Inspector = std::function<void(const xcb_generic_event_t*)>;
    void setInspector(Inspector inspector) { m_inspector = std::move(inspector); }
    // From any thread: reads events, inspecting each and keeping it for the main thread, until done()
    // says so or the deadline passes; false on the deadline or a broken connection.
    bool waitForEvents(std::chrono::steady_clock::time_point deadline, const std::function<bool()>& done);
    // Inspects the events that xcb already holds (replies read for other requests leave them there),
    // without reading the socket.
    void inspectQueued();

    // A worker takes the reading of events over from the main thread, for as long as a gesture that it
    // follows lasts: from then on the main thread's notifier rests and the main thread reads nothing. The
    // worker hands reading back with the events it read and did not use, for a dispatch that it asks for at
    // once. The first from the main thread, the other three from that worker.
    void handReadingToWorker();
    void handReadingBack(std::vector<X11Reply<xcb_generic_event_t>> unread);
    // The next event, inspected; null when none has come. Only what xcb has queued already unless asked to
    // read the socket, which a wait has found readable.
    X11Reply<xcb_generic_event_t> readEvent(bool fromSocket);
    // Sleeps until the connection has something to read or the other descriptor is readable; false when
    // the time-out (milliseconds, negative for none) passed first. Events already in xcb's queue do not
    // wake it: read them first.
    bool waitUntilReadable(int wakeDescriptor, int timeoutMilliseconds);
    // From a worker whose task lasts a whole gesture, where the dispatch asked for at its end would come
    // late: asks the main thread for one at once when an event kept for it is not quiet.
    void handOverKeptUnlessQuiet(const std::function<bool(const xcb_generic_event_t*)>& quiet);

    Signal<const xcb_generic_event_t*> events;
    // Every event that one dispatch found has been handed out (main thread).
    Signal<> dispatched;
    // The server closed the connection.
    Signal<> broken;

    // Properties. Requests are sent at once and read later, so that several travel in one round trip.
    xcb_get_property_cookie_t requestProperty(xcb_window_t window, xcb_atom_t property,
                                              xcb_atom_t type = XCB_ATOM_ANY,
                                              std::uint32_t longLength = DefaultPropertyWords);
    xcb_get_property_cookie_t requestProperty(xcb_window_t window, X11Atom property,
                                              xcb_atom_t type = XCB_ATOM_ANY,
                                              std::uint32_t longLength = DefaultPropertyWords) {
        return requestProperty(window, atom(property), type, longLength);
    }
    X11Reply<xcb_get_property_reply_t> propertyReply(xcb_get_property_cookie_t cookie);
    // The 32-bit items of a property; empty when it is missing or of another format.
    static std::vector<std::uint32_t> cardinals(const xcb_get_property_reply_t* reply);
    // An 8-bit text property (UTF-8 or Latin-1); a list of texts (WM_CLASS) reads as its parts.
    static QString text(const xcb_get_property_reply_t* reply);
    static std::vector<QByteArray> textList(const xcb_get_property_reply_t* reply);

    // A property read whole, however long (a list of thousands of windows is longer than one request
    // asks for by default): the items, or the text.
    std::vector<std::uint32_t> readCardinals(xcb_window_t window, X11Atom property,
                                             xcb_atom_t type = XCB_ATOM_ANY);
    QString readText(xcb_window_t window, X11Atom property);
    X11Reply<xcb_get_property_reply_t> readWholeProperty(xcb_window_t window, xcb_atom_t property,
                                                         xcb_atom_t type = XCB_ATOM_ANY);

    // X errors. Every one reaches the log once, with its request and resource, unless the caller expects
    // it: an error read with reply(), check() or reportError() there, an unchecked request's when it
    // arrives among the events. (xcb drops the error of a reply read without an error pointer.)
    template <class Reply, class Cookie>
    X11Reply<Reply> reply(Reply* (*read)(xcb_connection_t*, Cookie, xcb_generic_error_t**), Cookie cookie,
                          X11ErrorCodes expected = {}, X11Reply<xcb_generic_error_t>* error = nullptr) {
        xcb_generic_error_t* received = nullptr;
        X11Reply<Reply> result(read(m_connection, cookie, &received));
        X11Reply<xcb_generic_error_t> taken = reportError(received, expected);
        if (error)
            *error = std::move(taken);
        return result;
    }
    // The error of a checked request without a reply, or null.
    [[nodiscard]] X11Reply<xcb_generic_error_t> check(xcb_void_cookie_t cookie, X11ErrorCodes expected = {});
    // Errors of an unchecked request, which arrive among the events, that the caller expects.
    void expectErrors(xcb_void_cookie_t cookie, X11ErrorCodes expected);
    // Logs an error read by the caller unless it is expected, and hands it back.
    X11Reply<xcb_generic_error_t> reportError(xcb_generic_error_t* error, X11ErrorCodes expected);

    // Sends a client message to the root window, as window managers expect EWMH requests.
    void sendRootMessage(xcb_window_t window, X11Atom type, std::array<std::uint32_t, 5> data);

private:
    X11Connection() = default;
    void handle(xcb_generic_event_t* event);
    void checkQueue();
    // Takes an event read outside the main thread's dispatch, inspected, for that dispatch.
    void keepForDispatch(xcb_generic_event_t* event);
    bool hasKeptEvents();
    // Asks the main thread for one dispatch: at once from there, at the end of the task from a worker.
    void requestDispatch();
    void postDispatch();
    // A worker makes requests or waits for events: it reads the socket, and asks for a dispatch when done.
    bool workerReading() const;
    // The main thread's notifier rests while a worker reads, and wakes again with the dispatch it asks for.
    void pauseReading();
    void resumeReading();

    xcb_connection_t* m_connection = nullptr;
    xcb_screen_t* m_screen = nullptr;
    std::array<xcb_atom_t, static_cast<std::size_t>(X11Atom::Count)> m_atoms{};
    std::unique_ptr<QSocketNotifier> m_notifier;
    bool m_reportedBroken = false;
    Inspector m_inspector;
    // One reader of events at a time, so that every event is inspected once and in order.
    std::mutex m_readMutex;
    // Events read outside the main thread's dispatch (found in xcb's queue just before the loop
    // sleeps, or read by a wait), inspected and handed out on the next dispatch.
    std::mutex m_keptMutex;
    std::vector<X11Reply<xcb_generic_event_t>> m_kept;
    std::size_t m_keptSeenQuiet = 0; // guarded by m_keptMutex: the kept events a worker found quiet
    std::atomic<bool> m_dispatchPosted{false};
    // The expected errors of unchecked requests by sequence number, until the server is past them.
    std::mutex m_expectedMutex;
    std::deque<std::pair<std::uint32_t, X11ErrorCodes>> m_expected;
    std::atomic<int> m_workerCalls{0};
    // Waits for events under way, on any thread.
    std::atomic<int> m_waits{0};
    std::atomic<bool> m_readingPaused{false};
    // When a wait last found nothing more on the socket (steady clock ticks).
    std::atomic<std::chrono::steady_clock::rep> m_socketEmptyAt{0};
    std::chrono::steady_clock::time_point socketEmptyAt() const {
        return std::chrono::steady_clock::time_point(
            std::chrono::steady_clock::duration(m_socketEmptyAt.load()));
    }
};
