#include "platform/foundation/QtProcesses.h"

#include "platform/PlatformLog.h"
#include "platform/foundation/SessionBus.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QObject>
#include <QProcess>

#include <cmath>
#include <limits>

namespace {

constexpr int StartTimeoutMs = 10000;
constexpr auto LogToolName = "skaf-log";
// After a kill the child is gone at once; this only bounds the wait for its exit status.
constexpr int KillWaitMs = 2000;
constexpr double MillisecondsPerSecond = 1000;
// A child that writes without newlines, or floods its error output, must not fill our memory.
constexpr qsizetype MaxLineBytes = 1 << 20;
constexpr qsizetype MaxErrorBytes = 1 << 20;

QString commandLine(const QString& program, const QStringList& arguments) {
    return (QStringList{program} + arguments).join(QLatin1Char(' '));
}

void prepare(QProcess& process, const QString& program, const QStringList& arguments) {
    process.setProgram(program);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setProcessEnvironment(SessionBus::childEnvironment());
}

// Starts the child and waits until it runs; logs why when it cannot.
bool startAndWait(QProcess& process, const QString& program, const QStringList& arguments) {
    prepare(process, program, arguments);
    process.start();
    if (process.waitForStarted(StartTimeoutMs))
        return true;
    platformLog(
        QStringLiteral("cannot start %1: %2").arg(commandLine(program, arguments), process.errorString()));
    return false;
}

int timeoutMs(double seconds) {
    if (!std::isfinite(seconds) || seconds <= 0)
        seconds = QtProcesses::DefaultTimeoutSeconds;
    const double ms = std::ceil(seconds * MillisecondsPerSecond);
    return ms >= double(std::numeric_limits<int>::max()) ? std::numeric_limits<int>::max() : int(ms);
}

void appendCapped(QByteArray& buffer, const QByteArray& more, qsizetype cap) {
    if (buffer.size() < cap)
        buffer += more.left(cap - buffer.size());
}

class QtStreamingProcess : public StreamingProcess {
public:
    QtStreamingProcess(std::function<void(const QByteArray&)> onLine,
                       std::function<void(const ProcessResult&)> onFinished)
        : m_process(new QProcess), m_onLine(std::move(onLine)), m_onFinished(std::move(onFinished)) {
        m_result.started = true;
        if (!m_onLine)
            m_onLine = [](const QByteArray&) {};
    }

    ~QtStreamingProcess() override {
        *m_alive = false;
        QObject::disconnect(m_process, nullptr, nullptr, nullptr);
        if (m_process->state() != QProcess::NotRunning) {
            m_process->kill();
            m_process->waitForFinished(KillWaitMs);
        }
        // This may run inside one of the process's own signals.
        m_process->deleteLater();
    }

    bool start(const QString& program, const QStringList& arguments) {
        prepare(*m_process, program, arguments);
        QObject::connect(m_process, &QProcess::readyReadStandardOutput, m_process, [this] { readLines(); });
        QObject::connect(m_process, &QProcess::readyReadStandardError, m_process, [this] {
            appendCapped(m_result.standardError, m_process->readAllStandardError(), MaxErrorBytes);
        });
        QObject::connect(m_process, &QProcess::finished, m_process,
                         [this](int exitCode, QProcess::ExitStatus status) { finish(exitCode, status); });
        m_process->start();
        if (!m_process->waitForStarted(StartTimeoutMs)) {
            platformLog(QStringLiteral("cannot start %1: %2")
                            .arg(commandLine(program, arguments), m_process->errorString()));
            return false;
        }
        m_command = commandLine(program, arguments);
        return true;
    }

    bool isRunning() const override { return m_process->state() != QProcess::NotRunning; }

private:
    // Delivers whole lines; returns false when a handler destroyed this object.
    bool readLines() {
        const auto alive = m_alive;
        m_pending += m_process->readAllStandardOutput();
        qsizetype start = 0;
        for (;;) {
            const qsizetype newline = m_pending.indexOf('\n', start);
            if (newline < 0)
                break;
            const QByteArray line = m_pending.mid(start, newline - start);
            start = newline + 1;
            m_onLine(line);
            if (!*alive)
                return false;
        }
        m_pending.remove(0, start);
        if (m_pending.size() > MaxLineBytes) {
            m_onLine(std::exchange(m_pending, {}));
            return *alive;
        }
        return true;
    }

    void finish(int exitCode, QProcess::ExitStatus status) {
        const auto alive = m_alive;
        if (!readLines())
            return;
        if (!m_pending.isEmpty()) {
            m_onLine(std::exchange(m_pending, {}));
            if (!*alive)
                return;
        }
        appendCapped(m_result.standardError, m_process->readAllStandardError(), MaxErrorBytes);
        m_result.crashed = status == QProcess::CrashExit;
        m_result.exitCode = m_result.crashed ? -1 : exitCode;
        if (m_result.crashed)
            platformLog(QStringLiteral("%1 crashed").arg(m_command));
        if (m_onFinished)
            m_onFinished(m_result);
    }

    QProcess* m_process;
    std::function<void(const QByteArray&)> m_onLine;
    std::function<void(const ProcessResult&)> m_onFinished;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    QByteArray m_pending;
    ProcessResult m_result;
    QString m_command;
};

} // namespace

ProcessResult QtProcesses::run(const QString& program, const QStringList& arguments, double timeoutSeconds) {
    ProcessResult result;
    QProcess process;
    result.started = startAndWait(process, program, arguments);
    if (!result.started)
        return result;
    if (!process.waitForFinished(timeoutMs(timeoutSeconds))) {
        process.kill();
        process.waitForFinished(KillWaitMs);
        result.timedOut = true;
        platformLog(QStringLiteral("%1 did not finish within %2 s and was killed")
                        .arg(commandLine(program, arguments))
                        .arg(timeoutMs(timeoutSeconds) / MillisecondsPerSecond));
    } else if (process.exitStatus() == QProcess::CrashExit) {
        result.crashed = true;
        platformLog(QStringLiteral("%1 crashed").arg(commandLine(program, arguments)));
    } else {
        result.exitCode = process.exitCode();
    }
    result.standardOutput = process.readAllStandardOutput();
    result.standardError = process.readAllStandardError();
    return result;
}

std::unique_ptr<StreamingProcess> QtProcesses::start(const QString& program, const QStringList& arguments,
                                                     std::function<void(const QByteArray& line)> onLine,
                                                     std::function<void(const ProcessResult&)> onFinished) {
    auto process = std::make_unique<QtStreamingProcess>(std::move(onLine), std::move(onFinished));
    if (!process->start(program, arguments))
        return nullptr;
    return process;
}

ProcessResult QtProcesses::read(const QString& program, const QStringList& arguments,
                                const std::function<bool(const QByteArray& output)>& onOutput,
                                double silenceTimeoutSeconds) {
    ProcessResult result;
    QProcess process;
    result.started = startAndWait(process, program, arguments);
    if (!result.started)
        return result;
    const int silenceMs = timeoutMs(silenceTimeoutSeconds);
    QElapsedTimer silence;
    silence.start();
    // Hands on what has arrived; false when the reader wants no more.
    auto deliver = [&] {
        appendCapped(result.standardError, process.readAllStandardError(), MaxErrorBytes);
        const QByteArray output = process.readAllStandardOutput();
        if (output.isEmpty())
            return true;
        silence.restart();
        return onOutput(output);
    };
    for (;;) {
        const qint64 left = silenceMs - silence.elapsed();
        const bool arrived = left > 0 && process.waitForReadyRead(int(left));
        // After the child's end, QProcess has read its pipes to their end: this delivers the rest.
        if (!deliver()) {
            result.stopped = true;
            break;
        }
        if (arrived)
            continue;
        if (process.state() == QProcess::NotRunning)
            break;
        if (silence.elapsed() >= silenceMs) {
            result.timedOut = true;
            platformLog(QStringLiteral("%1 wrote nothing for %2 s and was killed")
                            .arg(commandLine(program, arguments))
                            .arg(silenceMs / MillisecondsPerSecond));
            break;
        }
    }
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(KillWaitMs);
        return result;
    }
    result.crashed = process.exitStatus() == QProcess::CrashExit;
    result.exitCode = result.crashed ? -1 : process.exitCode();
    if (result.crashed)
        platformLog(QStringLiteral("%1 crashed").arg(commandLine(program, arguments)));
    return result;
}

QString QtProcesses::logToolPath() const {
    const QString path = QCoreApplication::applicationDirPath() + u'/' + QLatin1String(LogToolName);
    return QFileInfo(path).isExecutable() ? path : QString();
}
