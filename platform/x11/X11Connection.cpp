#include "platform/x11/X11Connection.h"

#include "platform/PlatformLog.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/QueuedCall.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QThread>
#include <algorithm>
#include <cstring>
#include <poll.h>
#include <utility>

namespace {

// A property that grows between two reads is read again, this many times at most, with room for this
// much more; beyond the maximum (64 MiB, a list of sixteen million windows) it is read in part.
constexpr int WholePropertyAttempts = 4;
constexpr std::uint64_t PropertyGrowthBytes = 1024;
constexpr std::uint32_t MaximumPropertyWords = 16 * 1024 * 1024;
// Expectations kept at most for unchecked requests whose errors have not come yet: a connection that
// reads no events meanwhile forgets the oldest.
constexpr std::size_t MaximumExpectations = 4096;
// How long a read that found the socket empty counts for a catch-up after it.
constexpr auto CaughtUpWindow = std::chrono::microseconds(20);
// Quiet events kept at most for the main thread before they are handed over all the same: a long gesture
// wakes it now and then rather than never, with what it would otherwise get only at the end.
constexpr std::size_t MaximumQuietKept = 512;

// Whether sequence number a comes before b, across the wrap of the 32 bits.
bool sequenceBefore(std::uint32_t a, std::uint32_t b) {
    return static_cast<std::int32_t>(a - b) < 0;
}

// The connections whose dispatch the task running on this thread has asked for, to be posted when it ends.
thread_local std::vector<X11Connection*> dispatchesAtEndOfTask;

} // namespace

std::unique_ptr<X11Connection> X11Connection::open(const QByteArray& displayName, QString* error) {
    int screenNumber = 0;
    xcb_connection_t* connection =
        xcb_connect(displayName.isEmpty() ? nullptr : displayName.constData(), &screenNumber);
    if (!connection || xcb_connection_has_error(connection)) {
        if (connection)
            xcb_disconnect(connection);
        if (error)
            *error =
                QStringLiteral("cannot connect to the X display %1")
                    .arg(QString::fromLocal8Bit(displayName.isEmpty() ? qgetenv("DISPLAY") : displayName));
        return nullptr;
    }
    std::unique_ptr<X11Connection> result(new X11Connection);
    result->m_connection = connection;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && it.rem; ++i)
        xcb_screen_next(&it);
    result->m_screen = it.data;

    std::array<xcb_intern_atom_cookie_t, static_cast<std::size_t>(X11Atom::Count)> cookies{};
    for (std::size_t i = 0; i < cookies.size(); ++i)
        cookies[i] = xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(x11AtomNames[i])),
                                     x11AtomNames[i]);
    for (std::size_t i = 0; i < cookies.size(); ++i) {
        const auto reply = result->reply(xcb_intern_atom_reply, cookies[i]);
        result->m_atoms[i] = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    }
    return result;
}

X11Connection::~X11Connection() {
    m_notifier.reset();
    if (m_connection)
        xcb_disconnect(m_connection);
}

bool X11Connection::isBroken() const {
    return xcb_connection_has_error(m_connection) != 0;
}

void X11Connection::flush() {
    xcb_flush(m_connection);
}

bool X11Connection::startReading() {
    auto* application = QCoreApplication::instance();
    if (!application || QThread::currentThread() != application->thread())
        return false;
    m_notifier =
        std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(m_connection), QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(),
                     [this] { dispatchPending(); });
    // Replies read for other requests leave their events in xcb's queue without waking the notifier.
    if (auto* dispatcher = QAbstractEventDispatcher::instance(application->thread()))
        QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, m_notifier.get(),
                         [this] { checkQueue(); });
    return true;
}

void X11Connection::keepForDispatch(xcb_generic_event_t* event) {
    std::lock_guard lock(m_keptMutex);
    m_kept.emplace_back(event);
}

bool X11Connection::hasKeptEvents() {
    std::lock_guard lock(m_keptMutex);
    return !m_kept.empty();
}

void X11Connection::inspectQueued() {
    std::unique_lock read(m_readMutex, std::try_to_lock);
    if (!read.owns_lock())
        return;
    while (xcb_generic_event_t* event = xcb_poll_for_queued_event(m_connection)) {
        if (m_inspector)
            m_inspector(event);
        keepForDispatch(event);
    }
}

bool X11Connection::waitForEvents(std::chrono::steady_clock::time_point deadline,
                                  const std::function<bool()>& done) {
    // Never longer at a time: replies that another thread reads take events off the socket.
    constexpr int LongestPollMilliseconds = 1;
    bool result = false;
    {
        std::lock_guard read(m_readMutex);
        ++m_waits;
        // A catch-up (no wait) this soon after a read found the socket empty takes what xcb has queued only:
        // what another client changed meanwhile could as well have come a moment later, and setting a frame
        // catches up several times within a few microseconds.
        const auto start = std::chrono::steady_clock::now();
        bool socketRead = deadline > start || start - socketEmptyAt() >= CaughtUpWindow;
        while (true) {
            while (xcb_generic_event_t* event = socketRead ? xcb_poll_for_event(m_connection)
                                                           : xcb_poll_for_queued_event(m_connection)) {
                if (m_inspector)
                    m_inspector(event);
                keepForDispatch(event);
            }
            if (socketRead)
                m_socketEmptyAt = std::chrono::steady_clock::now().time_since_epoch().count();
            socketRead = true;
            if (done()) {
                result = true;
                break;
            }
            const auto left = deadline - std::chrono::steady_clock::now();
            if (left <= std::chrono::steady_clock::duration::zero() || isBroken())
                break;
            pollfd fd{xcb_get_file_descriptor(m_connection), POLLIN, 0};
            ::poll(&fd, 1,
                   int(std::min<std::int64_t>(LongestPollMilliseconds,
                                              std::chrono::ceil<std::chrono::milliseconds>(left).count())));
        }
        --m_waits;
    }
    if (hasKeptEvents() || m_readingPaused.load())
        requestDispatch();
    return result;
}

void X11Connection::handReadingToWorker() {
    ++m_workerCalls;
    if (m_notifier && !m_readingPaused.exchange(true))
        m_notifier->setEnabled(false);
}

void X11Connection::handReadingBack(std::vector<X11Reply<xcb_generic_event_t>> unread) {
    {
        std::lock_guard lock(m_keptMutex);
        // Kept events of earlier reads come first: they were read before these.
        for (auto& event : unread)
            m_kept.push_back(std::move(event));
    }
    --m_workerCalls;
    postDispatch();
}

X11Reply<xcb_generic_event_t> X11Connection::readEvent(bool fromSocket) {
    std::lock_guard read(m_readMutex);
    X11Reply<xcb_generic_event_t> event(fromSocket ? xcb_poll_for_event(m_connection)
                                                   : xcb_poll_for_queued_event(m_connection));
    if (event && m_inspector)
        m_inspector(event.get());
    return event;
}

bool X11Connection::waitUntilReadable(int wakeDescriptor, int timeoutMilliseconds) {
    std::array<pollfd, 2> fds{pollfd{xcb_get_file_descriptor(m_connection), POLLIN, 0},
                              pollfd{wakeDescriptor, POLLIN, 0}};
    return ::poll(fds.data(), fds.size(), timeoutMilliseconds) != 0;
}

void X11Connection::handOverKeptUnlessQuiet(const std::function<bool(const xcb_generic_event_t*)>& quiet) {
    {
        std::lock_guard lock(m_keptMutex);
        // Those looked at before were quiet, or a dispatch was asked for them.
        const auto unseen = m_kept.begin() + std::ptrdiff_t(std::min(m_keptSeenQuiet, m_kept.size()));
        const bool allQuiet =
            std::all_of(unseen, m_kept.end(), [&](const auto& event) { return quiet(event.get()); });
        m_keptSeenQuiet = m_kept.size();
        if (allQuiet && m_kept.size() < MaximumQuietKept)
            return;
    }
    postDispatch();
}

void X11Connection::checkQueue() {
    if (m_dispatchPosted || m_workerCalls.load(std::memory_order_relaxed) > 0)
        return;
    inspectQueued();
    if (!hasKeptEvents())
        return;
    // Handled from a posted call, which wakes the loop, rather than here: a loop that is about to
    // sleep would not count them as work and would sleep all the same.
    m_dispatchPosted = true;
    invokeQueued(m_notifier.get(), [this] { dispatchPending(); });
}

void X11Connection::dispatchPending() {
    m_dispatchPosted = false;
    if (!workerReading())
        resumeReading();
    // Events kept by a wait come before those still on the socket; a handler may wait again and keep
    // more, which come before the next one read here.
    while (true) {
        // Local, as a handler may run a nested event loop that dispatches again.
        std::vector<X11Reply<xcb_generic_event_t>> handing;
        {
            std::lock_guard lock(m_keptMutex);
            handing.swap(m_kept);
            m_keptSeenQuiet = 0;
        }
        if (!handing.empty()) {
            for (auto& event : handing)
                handle(event.get());
            continue;
        }
        X11Reply<xcb_generic_event_t> event;
        {
            // A worker that makes requests reads the socket itself, and hands what it read over when it is
            // done. Until then the notifier rests: the main thread would wake for every event the worker is
            // about to read, and wait for xcb's lock while the worker reads.
            std::unique_lock read(m_readMutex, std::defer_lock);
            if (workerReading() || !read.try_lock()) {
                pauseReading();
                break;
            }
            event.reset(xcb_poll_for_event(m_connection));
            if (event && m_inspector)
                m_inspector(event.get());
        }
        if (!event)
            break;
        handle(event.get());
    }
    dispatched.emit();
    if (isBroken() && !m_reportedBroken) {
        m_reportedBroken = true;
        platformLog(QStringLiteral("the x server closed the connection"));
        if (m_notifier)
            m_notifier->setEnabled(false);
        broken.emit();
    }
}

bool X11Connection::workerReading() const {
    return m_workerCalls.load() > 0 || m_waits.load() > 0;
}

void X11Connection::pauseReading() {
    if (!m_notifier || m_readingPaused.load())
        return;
    m_notifier->setEnabled(false);
    m_readingPaused = true;
    // A worker that ended between the look and the pause saw no pause to end.
    if (!workerReading())
        resumeReading();
}

void X11Connection::resumeReading() {
    if (!m_readingPaused.exchange(false) || m_reportedBroken)
        return;
    m_notifier->setEnabled(true);
}

void X11Connection::scheduleDispatch() {
    if (!m_notifier)
        return;
    if (QThread::currentThread() == m_notifier->thread())
        return;
    requestDispatch();
}

X11Connection::WorkerCall::WorkerCall(X11Connection& connection) : m_connection(connection) {
    const auto* notifier = connection.m_notifier.get();
    m_counted = notifier && QThread::currentThread() != notifier->thread();
    if (m_counted)
        ++m_connection.m_workerCalls;
}

X11Connection::WorkerCall::~WorkerCall() {
    if (m_counted)
        --m_connection.m_workerCalls;
    m_connection.scheduleDispatch();
}

void X11Connection::requestDispatch() {
    if (!m_notifier)
        return;
    // A hover step on the worker reads and waits several times; each hand-over would wake the main thread
    // for a turn of its own.
    if (QThread::currentThread() != m_notifier->thread()) {
        if (std::find(dispatchesAtEndOfTask.begin(), dispatchesAtEndOfTask.end(), this) !=
            dispatchesAtEndOfTask.end())
            return;
        if (DispatchQueue::atEndOfCurrentTask([this] {
                std::erase(dispatchesAtEndOfTask, this);
                postDispatch();
            })) {
            dispatchesAtEndOfTask.push_back(this);
            return;
        }
    }
    postDispatch();
}

void X11Connection::postDispatch() {
    if (!m_notifier)
        return;
    // One dispatch takes every event kept until it runs; it clears the mark before it reads them.
    if (m_dispatchPosted.exchange(true))
        return;
    invokeQueued(m_notifier.get(), [this] { dispatchPending(); });
}

void X11Connection::handle(xcb_generic_event_t* event) {
    X11ErrorCodes expected;
    {
        std::lock_guard lock(m_expectedMutex);
        if (x11EventType(event) == 0) {
            for (const auto& [sequence, codes] : m_expected)
                if (sequence == event->full_sequence)
                    expected = codes;
        }
        // The server has handled every request before this one: their errors would have come.
        std::erase_if(m_expected, [event](const auto& entry) {
            return sequenceBefore(entry.first, event->full_sequence);
        });
    }
    if (x11EventType(event) == 0) {
        const auto& error = *reinterpret_cast<const xcb_generic_error_t*>(event);
        if (!expected.contains(error.error_code))
            platformLog(x11ErrorDescription(error));
    }
    events.emit(event);
}

X11Reply<xcb_generic_error_t> X11Connection::check(xcb_void_cookie_t cookie, X11ErrorCodes expected) {
    return reportError(xcb_request_check(m_connection, cookie), expected);
}

void X11Connection::expectErrors(xcb_void_cookie_t cookie, X11ErrorCodes expected) {
    std::lock_guard lock(m_expectedMutex);
    if (m_expected.size() >= MaximumExpectations)
        m_expected.pop_front();
    m_expected.emplace_back(cookie.sequence, expected);
}

X11Reply<xcb_generic_error_t> X11Connection::reportError(xcb_generic_error_t* error, X11ErrorCodes expected) {
    X11Reply<xcb_generic_error_t> taken(error);
    if (taken && !expected.contains(taken->error_code))
        platformLog(x11ErrorDescription(*taken));
    return taken;
}

xcb_get_property_cookie_t X11Connection::requestProperty(xcb_window_t window, xcb_atom_t property,
                                                         xcb_atom_t type, std::uint32_t longLength) {
    return xcb_get_property(m_connection, 0, window, property, type, 0, longLength);
}

X11Reply<xcb_get_property_reply_t> X11Connection::propertyReply(xcb_get_property_cookie_t cookie) {
    // Properties are read of other programs' windows, which may close at any time.
    return reply(xcb_get_property_reply, cookie, X11ClosingWindowErrors);
}

std::vector<std::uint32_t> X11Connection::cardinals(const xcb_get_property_reply_t* reply) {
    if (!reply || reply->format != 32 || reply->type == XCB_ATOM_NONE)
        return {};
    const auto* values = static_cast<const std::uint32_t*>(
        xcb_get_property_value(const_cast<xcb_get_property_reply_t*>(reply)));
    const int count = xcb_get_property_value_length(reply) / 4;
    return {values, values + count};
}

std::vector<QByteArray> X11Connection::textList(const xcb_get_property_reply_t* reply) {
    if (!reply || reply->format != 8 || reply->type == XCB_ATOM_NONE)
        return {};
    const auto* data =
        static_cast<const char*>(xcb_get_property_value(const_cast<xcb_get_property_reply_t*>(reply)));
    const QByteArray all(data, xcb_get_property_value_length(reply));
    std::vector<QByteArray> parts;
    for (const QByteArray& part : all.split('\0'))
        parts.push_back(part);
    if (parts.size() > 1 && parts.back().isEmpty())
        parts.pop_back();
    return parts;
}

QString X11Connection::text(const xcb_get_property_reply_t* reply) {
    const auto parts = textList(reply);
    if (parts.empty())
        return {};
    // Titles are UTF-8 in _NET_WM_NAME and Latin-1 in WM_NAME of type STRING.
    if (reply->type == XCB_ATOM_STRING)
        return QString::fromLatin1(parts.front());
    return QString::fromUtf8(parts.front());
}

X11Reply<xcb_get_property_reply_t> X11Connection::readWholeProperty(xcb_window_t window, xcb_atom_t property,
                                                                    xcb_atom_t type) {
    std::uint32_t words = DefaultPropertyWords;
    X11Reply<xcb_get_property_reply_t> reply = propertyReply(requestProperty(window, property, type, words));
    // The rest is asked for with the whole, not from where the first read ended: the property may change
    // in between (the window manager restacks), and then only a whole read is one consistent list.
    for (int attempt = 0; attempt < WholePropertyAttempts && reply && reply->bytes_after > 0; ++attempt) {
        const std::uint64_t wanted = std::uint64_t(xcb_get_property_value_length(reply.get())) +
                                     reply->bytes_after + PropertyGrowthBytes;
        if (words >= MaximumPropertyWords) {
            platformLog(QStringLiteral("a property of window 0x%1 is longer than %2 bytes: read in part")
                            .arg(window, 0, 16)
                            .arg(qint64(MaximumPropertyWords) * 4));
            break;
        }
        words = std::uint32_t(std::min<std::uint64_t>((wanted + 3) / 4, MaximumPropertyWords));
        reply = propertyReply(requestProperty(window, property, type, words));
    }
    return reply;
}

std::vector<std::uint32_t> X11Connection::readCardinals(xcb_window_t window, X11Atom property,
                                                        xcb_atom_t type) {
    return cardinals(readWholeProperty(window, atom(property), type).get());
}

QString X11Connection::readText(xcb_window_t window, X11Atom property) {
    return text(readWholeProperty(window, atom(property)).get());
}

void X11Connection::sendRootMessage(xcb_window_t window, X11Atom type, std::array<std::uint32_t, 5> data) {
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = atom(type);
    std::memcpy(message.data.data32, data.data(), sizeof(message.data.data32));
    xcb_send_event(m_connection, 0, root(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
}
