#include "platform/sim/SimProcesses.h"

#include "platform/PlatformLog.h"
#include "platform/foundation/QtProcesses.h"
#include "platform/foundation/RunLoop.h"
#include "platform/sim/SimPreferencesTool.h"
#include "platform/sim/SimSystemPreferences.h"

#include <atomic>

namespace {

ProcessResult resultOf(const SimProgramBehaviour& behaviour) {
    ProcessResult result;
    if (behaviour.failsToStart)
        return result;
    result.started = true;
    result.timedOut = behaviour.hangs;
    result.crashed = behaviour.crashes && !behaviour.hangs;
    result.exitCode = result.timedOut || result.crashed ? -1 : behaviour.exitCode;
    result.standardOutput = behaviour.standardOutput;
    result.standardError = behaviour.standardError;
    return result;
}

// A scripted child whose output arrives on the main thread after start() returns.
class SimStreamingProcess : public StreamingProcess {
public:
    struct State {
        std::atomic<bool> alive{true};
        std::atomic<bool> running{true};
    };

    SimStreamingProcess() : m_state(std::make_shared<State>()) {}
    ~SimStreamingProcess() override { m_state->alive = false; }
    bool isRunning() const override { return m_state->running; }
    std::shared_ptr<State> state() const { return m_state; }

private:
    std::shared_ptr<State> m_state;
};

} // namespace

SimProcesses::SimProcesses(SimSystemPreferences& preferences) : m_system(std::make_unique<QtProcesses>()) {
    script(preferences.preferencesToolPath(), [&preferences](const QStringList& arguments) {
        return runSimPreferencesTool(preferences, arguments);
    });
}

SimProcesses::~SimProcesses() = default;

SimProcesses::Handler SimProcesses::handlerFor(const QString& program, const QStringList& arguments,
                                               double timeoutSeconds, bool& runsForReal) {
    std::lock_guard lock(m_mutex);
    m_runs.push_back(Run{program, arguments, timeoutSeconds});
    const auto it = m_handlers.find(program);
    runsForReal = it == m_handlers.end() && m_runsUnscripted;
    if (it == m_handlers.end()) {
        if (!runsForReal)
            platformLog(QStringLiteral("sim: no script for program %1").arg(program));
        return {};
    }
    return it->second;
}

ProcessResult SimProcesses::run(const QString& program, const QStringList& arguments, double timeoutSeconds) {
    bool runsForReal = false;
    const Handler handler = handlerFor(program, arguments, timeoutSeconds, runsForReal);
    if (runsForReal)
        return m_system->run(program, arguments, timeoutSeconds);
    if (!handler)
        return {};
    return resultOf(handler(arguments));
}

std::unique_ptr<StreamingProcess> SimProcesses::start(const QString& program, const QStringList& arguments,
                                                      std::function<void(const QByteArray& line)> onLine,
                                                      std::function<void(const ProcessResult&)> onFinished) {
    bool runsForReal = false;
    const Handler handler = handlerFor(program, arguments, 0, runsForReal);
    if (runsForReal)
        return m_system->start(program, arguments, std::move(onLine), std::move(onFinished));
    if (!handler)
        return nullptr;
    const SimProgramBehaviour behaviour = handler(arguments);
    if (behaviour.failsToStart)
        return nullptr;
    auto process = std::make_unique<SimStreamingProcess>();
    RunLoop::main().performOnMainThread([state = process->state(), behaviour, onLine = std::move(onLine),
                                         onFinished = std::move(onFinished)] {
        QList<QByteArray> lines = behaviour.standardOutput.split('\n');
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        for (const auto& line : lines) {
            if (!state->alive)
                return;
            if (onLine)
                onLine(line);
        }
        if (behaviour.hangs || !state->alive)
            return;
        state->running = false;
        if (onFinished)
            onFinished(resultOf(behaviour));
    });
    return process;
}

void SimProcesses::script(const QString& program, SimProgramBehaviour behaviour) {
    script(program, [behaviour](const QStringList&) { return behaviour; });
}

void SimProcesses::script(const QString& program, Handler handler) {
    std::lock_guard lock(m_mutex);
    m_handlers[program] = std::move(handler);
}

void SimProcesses::setRunsUnscriptedPrograms(bool runs) {
    std::lock_guard lock(m_mutex);
    m_runsUnscripted = runs;
}

std::vector<SimProcesses::Run> SimProcesses::runs() const {
    std::lock_guard lock(m_mutex);
    return m_runs;
}

void SimProcesses::clearRuns() {
    std::lock_guard lock(m_mutex);
    m_runs.clear();
}
