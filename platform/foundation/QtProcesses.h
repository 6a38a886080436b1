#pragma once

#include "platform/Processes.h"

// Child processes through QProcess, shared by the real backends.
class QtProcesses : public Processes {
public:
    ProcessResult run(const QString& program, const QStringList& arguments, double timeoutSeconds) override;
    std::unique_ptr<StreamingProcess> start(const QString& program, const QStringList& arguments,
                                            std::function<void(const QByteArray& line)> onLine,
                                            std::function<void(const ProcessResult&)> onFinished) override;
};
