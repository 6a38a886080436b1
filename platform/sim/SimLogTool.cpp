#include "platform/sim/SimLogTool.h"

#include "platform/foundation/LogTool.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/SystemLogFiles.h"
#include "platform/sim/SimChildProcess.h"

namespace {

constexpr double PollIntervalSeconds = 1;

void schedulePoll(const std::shared_ptr<LogTool>& tool, const std::weak_ptr<SimChildProcess>& weakChild) {
    RunLoop::main().schedule(PollIntervalSeconds, [tool, weakChild] {
        const auto child = weakChild.lock();
        if (!child || child->hasEnded())
            return;
        if (tool->pollStream())
            schedulePoll(tool, weakChild);
    });
}

} // namespace

void runSimLogTool(const std::shared_ptr<SimChildProcess>& child) {
    QString error;
    auto command = LogToolCommand::parse(child->arguments(), &error);
    if (!command) {
        child->writeError(QStringLiteral("log: %1\n").arg(error).toUtf8());
        child->exit(LogToolCommand::UsageExitStatus);
        return;
    }
    const bool streams = command->mode == LogToolCommand::Mode::Stream;
    std::weak_ptr<SimChildProcess> weakChild = child;
    auto write = [weakChild](const QByteArray& bytes) {
        const auto child = weakChild.lock();
        if (!child || child->hasEnded())
            return false;
        child->write(bytes);
        return true;
    };
    auto writeError = [weakChild](const QByteArray& bytes) {
        if (const auto child = weakChild.lock())
            child->writeError(bytes);
        return true;
    };
    auto tool =
        std::make_shared<LogTool>(std::move(*command), SystemLogFiles::defaultFilePath(), write, writeError);
    if (!streams) {
        child->exit(tool->show());
        return;
    }
    if (tool->startStream())
        schedulePoll(tool, weakChild);
}
