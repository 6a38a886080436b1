#pragma once

#include "platform/Processes.h"
#include "platform/sim/SimChildProcess.h"

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
// scripted, the preferences tool writes the simulated preferences, the log tool runs in process on the
// program's log files, and other programs run for real unless that is switched off.
class SimProcesses : public Processes {
public:
    struct Run {
        QString program;
        QStringList arguments;
        double timeoutSeconds = 0; // 0 for a started (streaming) process
    };
    using Handler = std::function<SimProgramBehaviour(const QStringList& arguments)>;
    // Called as a child of the program starts, on the thread that starts it; the child's output may
    // follow later, from the script, a timer or the test.
    using ChildScript = std::function<void(const std::shared_ptr<SimChildProcess>& child)>;

    static inline const QString LogToolPath = QStringLiteral("/simulated/usr/bin/log");

    explicit SimProcesses(SimSystemPreferences& preferences);
    ~SimProcesses() override;

    ProcessResult run(const QString& program, const QStringList& arguments, double timeoutSeconds) override;
    std::unique_ptr<StreamingProcess> start(const QString& program, const QStringList& arguments,
                                            std::function<void(const QByteArray& line)> onLine,
                                            std::function<void(const ProcessResult&)> onFinished) override;
    ProcessResult read(const QString& program, const QStringList& arguments,
                       const std::function<bool(const QByteArray& output)>& onOutput,
                       double silenceTimeoutSeconds) override;
    QString logToolPath() const override { return LogToolPath; }

    void script(const QString& program, SimProgramBehaviour behaviour);
    void script(const QString& program, Handler handler);
    void scriptChild(const QString& program, ChildScript script);
    // The children started so far of a program scripted with scriptChild, oldest first.
    std::vector<std::shared_ptr<SimChildProcess>> children(const QString& program) const;
    // Off: unscripted programs fail to start instead of running.
    void setRunsUnscriptedPrograms(bool runs);
    std::vector<Run> runs() const;
    void clearRuns();

private:
    // The script of the program as a child, or none; records the run.
    ChildScript scriptFor(const QString& program, const QStringList& arguments, double timeoutSeconds,
                          bool& runsForReal);
    std::shared_ptr<SimChildProcess> startChild(const ChildScript& script, const QString& program,
                                                const QStringList& arguments);
    void keepChild(const QString& program, const std::shared_ptr<SimChildProcess>& child);

    mutable std::mutex m_mutex;
    std::map<QString, ChildScript> m_scripts;
    std::map<QString, Handler> m_handlers; // of programs scripted with a behaviour
    std::map<QString, std::vector<std::shared_ptr<SimChildProcess>>> m_children;
    std::vector<Run> m_runs;
    bool m_runsUnscripted = true;
    std::unique_ptr<QtProcesses> m_system;
};
