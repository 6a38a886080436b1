#pragma once

#include "platform/Processes.h"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

class QtProcesses;
class SimSystemPreferences;

// What a scripted program does when it runs.
struct SimProgramBehaviour {
    int exitCode = 0;
    QByteArray standardOutput;
    QByteArray standardError;
    bool failsToStart = false;
    bool hangs = false;   // never ends: run() answers timed out, a started one keeps running
    bool crashes = false; // ended by a signal
};

// Child processes of the simulated desktop. Every run is recorded. Scripted programs behave as
// scripted, the preferences tool writes the simulated preferences, and other programs run for real
// unless that is switched off.
class SimProcesses : public Processes {
public:
    struct Run {
        QString program;
        QStringList arguments;
        double timeoutSeconds = 0; // 0 for a started (streaming) process
    };
    using Handler = std::function<SimProgramBehaviour(const QStringList& arguments)>;

    explicit SimProcesses(SimSystemPreferences& preferences);
    ~SimProcesses() override;

    ProcessResult run(const QString& program, const QStringList& arguments, double timeoutSeconds) override;
    std::unique_ptr<StreamingProcess> start(const QString& program, const QStringList& arguments,
                                            std::function<void(const QByteArray& line)> onLine,
                                            std::function<void(const ProcessResult&)> onFinished) override;

    void script(const QString& program, SimProgramBehaviour behaviour);
    void script(const QString& program, Handler handler);
    // Off: unscripted programs fail to start instead of running.
    void setRunsUnscriptedPrograms(bool runs);
    std::vector<Run> runs() const;
    void clearRuns();

private:
    // The handler of the program, or none; records the run.
    Handler handlerFor(const QString& program, const QStringList& arguments, double timeoutSeconds,
                       bool& runsForReal);

    mutable std::mutex m_mutex;
    std::map<QString, Handler> m_handlers;
    std::vector<Run> m_runs;
    bool m_runsUnscripted = true;
    std::unique_ptr<QtProcesses> m_system;
};
