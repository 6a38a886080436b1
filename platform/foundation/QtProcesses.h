#pragma once

#include "platform/Processes.h"

// Child processes through QProcess, shared by the real backends. Children get no standard input.
// A time-out that is not a positive number stands for DefaultTimeoutSeconds, so no child waits
// forever. Failing to start, a time-out and a crash are logged.
class QtProcesses : public Processes {
public:
    static constexpr double DefaultTimeoutSeconds = 30;

    ProcessResult run(const QString& program, const QStringList& arguments, double timeoutSeconds) override;
    // Call on the main thread: lines and the end are delivered there.
    std::unique_ptr<StreamingProcess> start(const QString& program, const QStringList& arguments,
                                            std::function<void(const QByteArray& line)> onLine,
                                            std::function<void(const ProcessResult&)> onFinished) override;
    ProcessResult read(const QString& program, const QStringList& arguments,
                       const std::function<bool(const QByteArray& output)>& onOutput,
                       double silenceTimeoutSeconds) override;
    // skaf-log, beside the program, when it is there.
    QString logToolPath() const override;
};
