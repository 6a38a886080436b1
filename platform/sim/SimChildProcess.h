#pragma once

#include "platform/Processes.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>

// A scripted child of the simulated desktop that writes its output over time: its script, the test, or
// a timer of the run loop write pieces and end it, from any thread, while the program reads. Pieces
// reach the reader in order, as written.
class SimChildProcess {
public:
    explicit SimChildProcess(QStringList arguments);

    const QStringList& arguments() const { return m_arguments; }

    // Adds output; nothing once the child has ended or was stopped.
    void write(const QByteArray& output);
    void writeError(const QByteArray& output);
    // Ends the child once its output is read.
    void exit(int exitCode = 0);
    void crash();
    // The program could not be started: the script says so before it writes anything.
    void failToStart();
    bool failedToStart() const;
    // Called on the reading thread each time the reader has taken everything written so far and the
    // child goes on: the script writes more there (or ends it), so a test steps the program through
    // the output piece by piece. Without one, a reader waits for other threads to write.
    void setWhenDrained(std::function<void(SimChildProcess& child)> whenDrained);
    // Called whenever something new can be read (the streaming reader's wake-up), on the writing thread.
    void setWhenWritten(std::function<void()> whenWritten);

    // Whether the reader ended it, and whether it has ended at all.
    bool wasStopped() const;
    bool hasEnded() const;

    // Reader side. The next piece, waiting up to the silence time-out (real time) for one; empty when
    // the child ended (see result()) or stayed silent.
    std::optional<QByteArray> next(double silenceTimeoutSeconds, bool* silent);
    // Everything written so far, without waiting.
    QByteArray takeAll();
    void stop();
    ProcessResult result() const;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    QStringList m_arguments;
    std::deque<QByteArray> m_pending;
    QByteArray m_standardError;
    std::optional<int> m_exitCode;
    bool m_crashed = false;
    bool m_stopped = false;
    bool m_failedToStart = false;
    std::function<void(SimChildProcess&)> m_whenDrained;
    std::function<void()> m_whenWritten;
};
