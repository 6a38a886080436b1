#pragma once

#include "DesktopTest.h"

#include "log-reader/ILRIntegratedLogReader.h"
#include "log-reader/ILRLogReaderAlerts.h"
#include "log-reader/ILRLogReaderFlags.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/LogTimestamp.h"
#include "platform/foundation/NotificationCenter.h"
#include "toolkit/ZRFindPasteboard.h"
#include "toolkit/ZRSystemLog.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <memory>

namespace LogReaderTest {

constexpr qint64 Second = LogTimestamp::MicrosecondsPerSecond;
// 2024-05-01 10:00:00 UTC: the fake clock's start.
constexpr qint64 ClockBase = 1714557600LL * Second;

// One object of the log tool's answer.
inline QJsonObject toolObject(const QString& message, qint64 micros,
                              const QString& process = "/opt/Skaf/bin/skaf", const QString& sender = {},
                              const QString& subsystem = "com.tallowin.Skaf") {
    return QJsonObject{{"timestamp", LogTimestamp::format(micros, 0)},
                       {"eventMessage", message},
                       {"processImagePath", process},
                       {"senderImagePath", sender.isEmpty() ? process : sender},
                       {"subsystem", subsystem}};
}

// The tool's answer: a preamble, then the objects, each closed by a brace at the start of a line.
inline QByteArray toolAnswer(const QList<QJsonObject>& objects, bool closed = true) {
    QByteArray text = "Filtering the log data using \"x\"\n";
    for (qsizetype i = 0; i < objects.size(); ++i) {
        QByteArray object = QJsonDocument(objects[i]).toJson(QJsonDocument::Indented);
        object.chop(1);
        text += (i == 0 ? "[" : ",") + object;
    }
    if (closed)
        text += objects.isEmpty() ? "[]\n" : "\n]\n";
    return text;
}

// A reader's context on the test's desktop, settings and find string, on this process's system unless the
// test gives flags of its own.
inline ILRLogReaderContext readerContext(SimDesktop& desktop, UserDefaults& defaults,
                                         ZRFindPasteboard& findPasteboard,
                                         const ILRLogReaderFlags& flags = ILRLogReaderFlags::shared()) {
    return {desktop.processes(),
            defaults,
            RunLoop::main(),
            DispatchQueue::global(QueuePriority::Default),
            NotificationCenter::defaultCenter(),
            ZRSystemLog::shared(),
            findPasteboard,
            flags};
}

class RecordingAlerts : public ILRLogReaderAlerts {
public:
    struct State {
        int beeps = 0;
        int notSupported = 0;
        int savePanels = 0;
        std::optional<QString> savePath;
    };
    explicit RecordingAlerts(std::shared_ptr<State> state) : m_state(std::move(state)) {}
    void logNotSupported() override { ++m_state->notSupported; }
    void beep() override { ++m_state->beeps; }
    std::optional<QString> savePanel(QWidget*) override {
        ++m_state->savePanels;
        return m_state->savePath;
    }

private:
    std::shared_ptr<State> m_state;
};

// A reader on the simulated desktop, its workers run when the test drains them, its clock the run loop's.
class Fixture : public DesktopTest {
protected:
    void SetUp() override {
        DesktopTest::SetUp();
        DispatchQueue::setManualForTesting(true);
        reader = ILRIntegratedLogReader::make(readerContext(desktop, settings(), findPasteboard, flags),
                                              ZRLogReaderSettings{QStringLiteral("ZRDebugLog"), {}});
        reader->setClock([] { return now(); });
        reader->setAlerts(std::make_unique<RecordingAlerts>(alerts));
    }
    void TearDown() override {
        reader.reset();
        DispatchQueue::drainForTesting();
        DispatchQueue::setManualForTesting(false);
        DesktopTest::TearDown();
    }

    static qint64 now() { return ClockBase + qint64(RunLoop::main().now() * double(Second)); }
    // Runs the workers and what they hand back, until nothing is left.
    static void settle() {
        for (int i = 0; i < 20; ++i) {
            const int ran = DispatchQueue::drainForTesting();
            RunLoop::main().runPending();
            if (ran == 0 && DispatchQueue::drainForTesting() == 0)
                break;
        }
    }
    QStringList messages() const {
        QStringList list;
        for (const ILRLogEntry& entry : reader->logEntries())
            list << entry.eventMessage;
        return list;
    }
    // The command lines the reader gave the log tool, from the given run on.
    std::vector<QStringList> toolRuns() const {
        std::vector<QStringList> runs;
        for (const auto& run : desktop.processes().runs()) {
            if (run.program == SimProcesses::LogToolPath)
                runs.push_back(run.arguments);
        }
        return runs;
    }

    ZRFindPasteboard findPasteboard;
    std::shared_ptr<RecordingAlerts::State> alerts = std::make_shared<RecordingAlerts::State>();
    // The system the reader believes it runs on: this process's until a test changes it.
    ILRLogReaderFlags flags = ILRLogReaderFlags::shared();
    std::shared_ptr<ILRIntegratedLogReader> reader;
};

} // namespace LogReaderTest
