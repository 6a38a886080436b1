#include "platform/sim/SimChildProcess.h"

#include <chrono>

SimChildProcess::SimChildProcess(QStringList arguments) : m_arguments(std::move(arguments)) {}

void SimChildProcess::write(const QByteArray& output) {
    std::function<void()> wake;
    {
        std::lock_guard lock(m_mutex);
        if (m_exitCode || m_crashed || m_stopped || output.isEmpty())
            return;
        m_pending.push_back(output);
        wake = m_whenWritten;
    }
    m_changed.notify_all();
    if (wake)
        wake();
}

void SimChildProcess::writeError(const QByteArray& output) {
    std::lock_guard lock(m_mutex);
    m_standardError += output;
}

void SimChildProcess::exit(int exitCode) {
    std::function<void()> wake;
    {
        std::lock_guard lock(m_mutex);
        if (m_exitCode || m_crashed || m_stopped)
            return;
        m_exitCode = exitCode;
        wake = m_whenWritten;
    }
    m_changed.notify_all();
    if (wake)
        wake();
}

void SimChildProcess::crash() {
    std::function<void()> wake;
    {
        std::lock_guard lock(m_mutex);
        if (m_exitCode || m_stopped)
            return;
        m_crashed = true;
        wake = m_whenWritten;
    }
    m_changed.notify_all();
    if (wake)
        wake();
}

void SimChildProcess::failToStart() {
    std::lock_guard lock(m_mutex);
    m_failedToStart = true;
    m_exitCode = -1;
}

bool SimChildProcess::failedToStart() const {
    std::lock_guard lock(m_mutex);
    return m_failedToStart;
}

void SimChildProcess::setWhenDrained(std::function<void(SimChildProcess&)> whenDrained) {
    std::lock_guard lock(m_mutex);
    m_whenDrained = std::move(whenDrained);
}

void SimChildProcess::setWhenWritten(std::function<void()> whenWritten) {
    std::lock_guard lock(m_mutex);
    m_whenWritten = std::move(whenWritten);
}

bool SimChildProcess::wasStopped() const {
    std::lock_guard lock(m_mutex);
    return m_stopped;
}

bool SimChildProcess::hasEnded() const {
    std::lock_guard lock(m_mutex);
    return m_exitCode || m_crashed || m_stopped;
}

std::optional<QByteArray> SimChildProcess::next(double silenceTimeoutSeconds, bool* silent) {
    *silent = false;
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (!m_pending.empty()) {
            QByteArray piece = std::move(m_pending.front());
            m_pending.pop_front();
            return piece;
        }
        if (m_exitCode || m_crashed || m_stopped)
            return std::nullopt;
        if (auto whenDrained = m_whenDrained) {
            const std::size_t before = m_pending.size();
            lock.unlock();
            whenDrained(*this);
            lock.lock();
            if (m_pending.size() != before || m_exitCode || m_crashed || m_stopped)
                continue;
        }
        const auto limit = std::chrono::duration<double>(silenceTimeoutSeconds);
        if (!m_changed.wait_for(
                lock, limit, [this] { return !m_pending.empty() || m_exitCode || m_crashed || m_stopped; })) {
            *silent = true;
            return std::nullopt;
        }
    }
}

QByteArray SimChildProcess::takeAll() {
    std::lock_guard lock(m_mutex);
    QByteArray all;
    for (const QByteArray& piece : m_pending)
        all += piece;
    m_pending.clear();
    return all;
}

void SimChildProcess::stop() {
    {
        std::lock_guard lock(m_mutex);
        if (m_exitCode || m_crashed)
            return;
        m_stopped = true;
        m_pending.clear();
    }
    m_changed.notify_all();
}

ProcessResult SimChildProcess::result() const {
    std::lock_guard lock(m_mutex);
    ProcessResult result;
    result.started = true;
    result.stopped = m_stopped;
    result.crashed = m_crashed;
    result.exitCode = m_exitCode.value_or(-1);
    result.standardError = m_standardError;
    return result;
}
