#include "platform/sim/SimProcesses.h"

#include "platform/PlatformLog.h"
#include "platform/foundation/QtProcesses.h"
#include "platform/foundation/RunLoop.h"
#include "platform/sim/SimLogTool.h"
#include "platform/sim/SimPreferencesTool.h"
#include "platform/sim/SimSystemPreferences.h"

#include <atomic>

namespace {

// Children kept for a test to look at, per program.
constexpr std::size_t KeptChildren = 64;

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

// A scripted behaviour as a child that writes everything at once and ends as told.
SimProcesses::ChildScript childScriptOf(SimProcesses::Handler handler) {
    return [handler = std::move(handler)](const std::shared_ptr<SimChildProcess>& child) {
        const SimProgramBehaviour behaviour = handler(child->arguments());
        if (behaviour.failsToStart) {
            child->failToStart();
            return;
        }
        child->writeError(behaviour.standardError);
        child->write(behaviour.standardOutput);
        if (behaviour.crashes && !behaviour.hangs)
            child->crash();
        else if (!behaviour.hangs)
            child->exit(behaviour.exitCode);
    };
}

// A scripted child read line by line on the main thread.
class SimStreamingProcess : public StreamingProcess {
public:
    struct State {
        std::atomic<bool> alive{true};
        std::shared_ptr<SimChildProcess> child;
        std::function<void(const QByteArray&)> onLine;
        std::function<void(const ProcessResult&)> onFinished;
        QByteArray partialLine;
        bool finished = false;
    };

    explicit SimStreamingProcess(std::shared_ptr<State> state) : m_state(std::move(state)) {}
    ~SimStreamingProcess() override {
        m_state->alive = false;
        m_state->child->stop();
    }
    bool isRunning() const override { return !m_state->child->hasEnded(); }

    // Main thread: hands on the lines written so far, then the end.
    static void deliver(const std::shared_ptr<State>& state) {
        if (!state->alive || state->finished)
            return;
        state->partialLine += state->child->takeAll();
        qsizetype start = 0;
        for (qsizetype newline; (newline = state->partialLine.indexOf('\n', start)) >= 0;
             start = newline + 1) {
            if (state->onLine)
                state->onLine(state->partialLine.mid(start, newline - start));
            if (!state->alive)
                return;
        }
        state->partialLine.remove(0, start);
        if (!state->child->hasEnded() || state->child->wasStopped())
            return;
        state->finished = true;
        if (!state->partialLine.isEmpty() && state->onLine)
            state->onLine(std::exchange(state->partialLine, {}));
        if (state->alive && state->onFinished)
            state->onFinished(state->child->result());
    }

private:
    std::shared_ptr<State> m_state;
};

} // namespace

SimProcesses::SimProcesses(SimSystemPreferences& preferences) : m_system(std::make_unique<QtProcesses>()) {
    script(preferences.preferencesToolPath(), [&preferences](const QStringList& arguments) {
        return runSimPreferencesTool(preferences, arguments);
    });
    scriptChild(LogToolPath, runSimLogTool);
}

SimProcesses::~SimProcesses() = default;

SimProcesses::ChildScript SimProcesses::scriptFor(const QString& program, const QStringList& arguments,
                                                  double timeoutSeconds, bool& runsForReal) {
    std::lock_guard lock(m_mutex);
    m_runs.push_back(Run{program, arguments, timeoutSeconds});
    const auto it = m_scripts.find(program);
    runsForReal = it == m_scripts.end() && m_runsUnscripted;
    if (it == m_scripts.end()) {
        if (!runsForReal)
            platformLog(QStringLiteral("sim: no script for program %1").arg(program));
        return {};
    }
    return it->second;
}

std::shared_ptr<SimChildProcess> SimProcesses::startChild(const ChildScript& script, const QString& program,
                                                          const QStringList& arguments) {
    auto child = std::make_shared<SimChildProcess>(arguments);
    keepChild(program, child);
    script(child);
    return child;
}

ProcessResult SimProcesses::run(const QString& program, const QStringList& arguments, double timeoutSeconds) {
    Handler handler;
    {
        std::lock_guard lock(m_mutex);
        const auto it = m_handlers.find(program);
        if (it != m_handlers.end())
            handler = it->second;
    }
    bool runsForReal = false;
    const ChildScript script = scriptFor(program, arguments, timeoutSeconds, runsForReal);
    if (runsForReal)
        return m_system->run(program, arguments, timeoutSeconds);
    // A scripted behaviour answers at once, a hanging one as timed out.
    if (handler)
        return resultOf(handler(arguments));
    if (!script)
        return {};
    const auto child = startChild(script, program, arguments);
    if (child->failedToStart())
        return {};
    QByteArray output;
    bool silent = false;
    while (auto piece = child->next(timeoutSeconds, &silent))
        output += *piece;
    if (silent)
        child->stop();
    ProcessResult result = child->result();
    result.timedOut = silent;
    result.stopped = false;
    result.exitCode = silent ? -1 : result.exitCode;
    result.standardOutput = output;
    return result;
}

ProcessResult SimProcesses::read(const QString& program, const QStringList& arguments,
                                 const std::function<bool(const QByteArray& output)>& onOutput,
                                 double silenceTimeoutSeconds) {
    bool runsForReal = false;
    const ChildScript script = scriptFor(program, arguments, silenceTimeoutSeconds, runsForReal);
    if (runsForReal)
        return m_system->read(program, arguments, onOutput, silenceTimeoutSeconds);
    if (!script)
        return {};
    const auto child = startChild(script, program, arguments);
    if (child->failedToStart())
        return {};
    bool silent = false;
    while (auto piece = child->next(silenceTimeoutSeconds, &silent)) {
        if (!onOutput(*piece)) {
            child->stop();
            break;
        }
    }
    if (silent) {
        child->stop();
        platformLog(QStringLiteral("sim: %1 wrote nothing for %2 s and was killed")
                        .arg(program)
                        .arg(silenceTimeoutSeconds));
    }
    ProcessResult result = child->result();
    result.timedOut = silent;
    result.stopped = result.stopped && !silent;
    return result;
}

std::unique_ptr<StreamingProcess> SimProcesses::start(const QString& program, const QStringList& arguments,
                                                      std::function<void(const QByteArray& line)> onLine,
                                                      std::function<void(const ProcessResult&)> onFinished) {
    bool runsForReal = false;
    const ChildScript script = scriptFor(program, arguments, 0, runsForReal);
    if (runsForReal)
        return m_system->start(program, arguments, std::move(onLine), std::move(onFinished));
    if (!script)
        return nullptr;
    auto state = std::make_shared<SimStreamingProcess::State>();
    state->onLine = std::move(onLine);
    state->onFinished = std::move(onFinished);
    auto child = std::make_shared<SimChildProcess>(arguments);
    state->child = child;
    // Output reaches the program on the main thread, after start() returns, whoever writes it.
    std::weak_ptr<SimStreamingProcess::State> weak = state;
    child->setWhenWritten([weak] {
        RunLoop::main().performOnMainThread([weak] {
            if (const auto state = weak.lock())
                SimStreamingProcess::deliver(state);
        });
    });
    keepChild(program, child);
    script(child);
    if (child->failedToStart())
        return nullptr;
    auto process = std::make_unique<SimStreamingProcess>(state);
    RunLoop::main().performOnMainThread([state] { SimStreamingProcess::deliver(state); });
    return process;
}

void SimProcesses::script(const QString& program, SimProgramBehaviour behaviour) {
    script(program, [behaviour](const QStringList&) { return behaviour; });
}

void SimProcesses::script(const QString& program, Handler handler) {
    scriptChild(program, childScriptOf(handler));
    std::lock_guard lock(m_mutex);
    m_handlers[program] = std::move(handler);
}

void SimProcesses::scriptChild(const QString& program, ChildScript script) {
    std::lock_guard lock(m_mutex);
    m_scripts[program] = std::move(script);
    m_handlers.erase(program);
}

void SimProcesses::keepChild(const QString& program, const std::shared_ptr<SimChildProcess>& child) {
    std::lock_guard lock(m_mutex);
    auto& children = m_children[program];
    children.push_back(child);
    if (children.size() > KeptChildren)
        children.erase(children.begin());
}

std::vector<std::shared_ptr<SimChildProcess>> SimProcesses::children(const QString& program) const {
    std::lock_guard lock(m_mutex);
    const auto it = m_children.find(program);
    return it == m_children.end() ? std::vector<std::shared_ptr<SimChildProcess>>{} : it->second;
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
