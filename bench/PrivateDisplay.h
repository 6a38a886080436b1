#pragma once

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

// A private display for an X11 benchmark run where there is none: Xvfb with openbox and a session bus of its
// own, started by the X11 tests' fixture script for this process, and ended with it.
class PrivateDisplay {
public:
    // Starts the display and points this program at it; null (and says why) when it does not start.
    static std::unique_ptr<PrivateDisplay> start(const QString& script) {
        std::unique_ptr<PrivateDisplay> display(new PrivateDisplay(script));
        QProcess process;
        process.start(script, {QStringLiteral("start"), display->m_state.path()});
        if (!process.waitForFinished(WaitMilliseconds) || process.exitCode() != 0) {
            std::fprintf(stderr, "cannot start a private display: %s\n",
                         process.readAllStandardError().constData());
            return nullptr;
        }
        // The script files the display under the process that ran it: this one.
        const QString run =
            display->m_state.path() + QStringLiteral("/owner-%1").arg(QCoreApplication::applicationPid());
        const QByteArray name = firstLine(run + QStringLiteral("/display"));
        if (name.isEmpty())
            return nullptr;
        qputenv("DISPLAY", name);
        if (const QByteArray bus = firstLine(run + QStringLiteral("/bus")); !bus.isEmpty())
            qputenv("DBUS_SESSION_BUS_ADDRESS", bus);
        return display;
    }
    // Leaves a program that has a display where it is and starts one for a program that has none; false
    // when that does not start.
    static bool startWhereThereIsNone(std::unique_ptr<PrivateDisplay>& display, const QString& script) {
        if (!qEnvironmentVariableIsEmpty("DISPLAY"))
            return true;
        display = start(script);
        return display != nullptr;
    }
    ~PrivateDisplay() {
        QProcess process;
        process.start(m_script, {QStringLiteral("stop"), m_state.path()});
        process.waitForFinished(WaitMilliseconds);
    }

private:
    static constexpr int WaitMilliseconds = 30000;

    explicit PrivateDisplay(QString script) : m_script(std::move(script)) {}
    static QByteArray firstLine(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readLine().trimmed() : QByteArray();
    }

    QString m_script;
    QTemporaryDir m_state;
};
