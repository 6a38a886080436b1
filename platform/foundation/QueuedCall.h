#pragma once

#include "platform/foundation/ThreadSanitizer.h"

#include <QMetaObject>
#include <QObject>
#include <utility>

namespace QueuedCallDetail {

// One token for every queued call: a call acquires it before it reads anything of its own.
inline char token = 0;

// The function as Qt keeps it for the receiver's thread. Moving it into Qt's queue releases the token after
// the function's new copy is written, and calling it acquires the token before the copy is read; the call
// releases it again for the sender's thread, which may be the one to destroy the copy (Qt counts its
// references). This shows ThreadSanitizer the order that Qt's event queue (not built with it) gives.
template <typename Function> class Call {
public:
    explicit Call(Function function) : m_function(std::move(function)) {}
    Call(Call&& other) noexcept : m_function(std::move(other.m_function)) { threadSanitizerRelease(&token); }
    ~Call() { threadSanitizerAcquire(&token); }
    Call(const Call&) = delete;
    Call& operator=(const Call&) = delete;
    Call& operator=(Call&&) = delete;

    void operator()() {
        threadSanitizerAcquire(&token);
        m_function();
        threadSanitizerRelease(&token);
    }

private:
    Function m_function;
};

} // namespace QueuedCallDetail

// Runs the function on the receiver's thread on a later turn of its event loop, as a queued
// QMetaObject::invokeMethod does. For calls from another thread.
template <typename Function> void invokeQueued(QObject* receiver, Function function) {
    QMetaObject::invokeMethod(receiver, QueuedCallDetail::Call<Function>(std::move(function)),
                              Qt::QueuedConnection);
}
