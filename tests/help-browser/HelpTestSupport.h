#pragma once

#include "Printers.h"
#include "RecordingLogReader.h"
#include "help-browser/ZRHelpBook.h"
#include "help-browser/ZRHelpContext.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "toolkit/ZRFindPasteboard.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

// A help page with the markers the book reads; the body follows the body start.
inline QString helpPage(const QString& title, const QString& index, const QString& body,
                        const QString& quickAccess = {}) {
    QString page = QStringLiteral("<html><head><title>%1</title></head><body>").arg(title);
    if (!index.isEmpty())
        page += QStringLiteral("<!--com.tallowin.help.index[%1]-->").arg(index);
    if (!quickAccess.isEmpty())
        page += QStringLiteral("<!--com.tallowin.help.quickaccess[%1]-->").arg(quickAccess);
    return page + QStringLiteral("<div id=\"main\">%1</div></body></html>").arg(body);
}

// A book written into a scratch folder: its language folders, the user's folder and the program's, with
// settings of its own there.
class HelpBookFixture {
public:
    HelpBookFixture() { EXPECT_TRUE(m_root.isValid()); }
    HelpBookFixture(const HelpBookFixture&) = delete;
    HelpBookFixture& operator=(const HelpBookFixture&) = delete;

    QString path(const QString& relative) const { return m_root.filePath(relative); }

    void write(const QString& relative, const QByteArray& content) const {
        const QString file = path(relative);
        QDir().mkpath(QFileInfo(file).absolutePath());
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(content);
    }
    void write(const QString& relative, const QString& html) const { write(relative, html.toUtf8()); }

    // The program's book lies at resources/en.lproj/Help; the user's copy would be data/Help/...
    ZRHelpBook::Location location() const {
        return {QStringLiteral("Help"),
                path(QStringLiteral("data")),
                path(QStringLiteral("resources")),
                {QStringLiteral("en.lproj"), QStringLiteral("English.lproj"), QString()}};
    }
    std::shared_ptr<ZRHelpBook> book() const { return std::make_shared<ZRHelpBook>(location()); }
    // A help manager's context on the fixture's own settings.
    ZRHelpContext context() {
        return {settings, RunLoop::main(), DispatchQueue::global(QueuePriority::Default), findPasteboard};
    }

    // The book of the window tests: three pages in order, two with quick access, anchors in categories.
    void writeStandardBook() const {
        const QString folder = QStringLiteral("resources/en.lproj/Help/");
        write(
            folder + "welcome.html",
            helpPage("Welcome", "1",
                     "<p>Skaf moves and resizes windows.</p><a name=\"[setup]first_steps\"></a><p>First "
                     "steps.</p><a href=\"setup.html#%5Bsetup%5Dpermissions\">setup</a> "
                     "<a href=\"../../../../etc/passwd.html\">escape</a> <a href=\"mailto:help@example.org\">"
                     "mail</a> <a href=\"x-tallowin-help://default/ZRDebugLog#yes\">debug</a>",
                     "setup|keys"));
        QString filler;
        for (int i = 0; i < 60; ++i)
            filler += QStringLiteral("<p>Line %1 of the setup page.</p>").arg(i);
        write(folder + "setup.html",
              helpPage("Setup", "2",
                       filler + "<a name=\"[setup]permissions\"></a><h2>Permissions</h2><p>Resize windows "
                                "with the window manager.</p><a name=\"[keys]alt_key\"></a>",
                       "setup"));
        write(folder + "keys.html", helpPage("Hot Keys", "3",
                                             "<p>Window hot keys resize and move.</p><a "
                                             "name=\"[keys]super_key\"></a><a name=\"[keys]alt_key\"></a>"));
    }

private:
    QTemporaryDir m_root;

public:
    // Settings of the test's own, in the scratch folder.
    UserDefaults settings{path(QStringLiteral("Settings.plist"))};
    // The test's own find string.
    ZRFindPasteboard findPasteboard;
};

// Keeps the log's lines for the test.
class LogRecording {
public:
    LogRecording() : reader(std::make_shared<RecordingLogReader>()) {
        ZRSetLogReaderFactory([this](const ZRLogReaderSettings&) { return reader; });
    }
    ~LogRecording() { ZRSetLogReaderFactory({}); }
    std::shared_ptr<RecordingLogReader> reader;
};
