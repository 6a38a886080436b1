#include "platform/PlatformLog.h"

#include <cstdio>
#include <mutex>

namespace {
std::mutex sinkMutex;
std::function<void(const QString&)>& sink() {
    static std::function<void(const QString&)> instance;
    return instance;
}
} // namespace

void platformLog(const QString& line) {
    std::function<void(const QString&)> target;
    {
        std::lock_guard lock(sinkMutex);
        target = sink();
    }
    if (target) {
        target(line);
        return;
    }
    const QByteArray text = line.toUtf8();
    std::fprintf(stderr, "skaf: %s\n", text.constData());
}

void setPlatformLogSink(std::function<void(const QString&)> newSink) {
    std::lock_guard lock(sinkMutex);
    sink() = std::move(newSink);
}
