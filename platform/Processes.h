#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

// Child processes. Programs are started directly with their arguments, never through a shell.

struct ProcessResult {
    bool started = false;
    bool timedOut = false; // killed after the time-out
    bool crashed = false;  // ended by a signal
    bool stopped = false;  // ended because its reader asked
    int exitCode = -1;
    QByteArray standardOutput;
    QByteArray standardError;

    bool succeeded() const { return started && !timedOut && !crashed && exitCode == 0; }
};

// A running child whose output arrives line by line; destroying it ends the child.
class StreamingProcess {
public:
    virtual ~StreamingProcess() = default;
    virtual bool isRunning() const = 0;
};

class Processes {
public:
    virtual ~Processes() = default;

    // Runs the program to its end, killing it after the time-out.
    virtual ProcessResult run(const QString& program, const QStringList& arguments,
                              double timeoutSeconds) = 0;

    // Starts the program; each line of standard output (without its newline) goes to onLine, and
    // onFinished is called once at the end. Both on the main thread. Null when it cannot start.
    virtual std::unique_ptr<StreamingProcess> start(const QString& program, const QStringList& arguments,
                                                    std::function<void(const QByteArray& line)> onLine,
                                                    std::function<void(const ProcessResult&)> onFinished) = 0;

    // Runs the program to its end on the calling thread, which it blocks (a worker's), and hands each
    // piece of standard output to onOutput there, in order, as it arrives. onOutput answering false ends
    // the child (stopped). Whatever the child wrote before it exited is delivered before this returns.
    // A child that writes nothing for silenceTimeoutSeconds is killed (timed out). standardOutput stays
    // empty: the output went to onOutput.
    virtual ProcessResult read(const QString& program, const QStringList& arguments,
                               const std::function<bool(const QByteArray& output)>& onOutput,
                               double silenceTimeoutSeconds) = 0;

    // The desktop's log tool, which shows and streams the program's own log as JSON; empty when it has none.
    virtual QString logToolPath() const = 0;
};
