#include "TestApplication.h"

#include "platform/SystemPreferences.h"
#include "platform/foundation/PreferencesFileStore.h"
#include "platform/foundation/PreferencesTool.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

namespace {

const QString Domain = QStringLiteral("com.apple.WindowManager");
const QString Key = QStringLiteral("EnableTilingByEdgeDrag");

class PreferencesToolTest : public ::testing::Test {
protected:
    PreferencesToolResult run(const QStringList& arguments) { return runPreferencesTool(store, arguments); }

    QTemporaryDir folder;
    PreferencesFileStore store{folder.path()};
};

TEST_F(PreferencesToolTest, WritesReadsAndDeletes) {
    struct Case {
        QStringList arguments;
        QString domain;
        QString key;
        QVariant stored; // after the command; invalid: absent
        QByteArray output;
    };
    const QString global = SystemPreferences::GlobalDomain;
    const std::vector<Case> cases{
        {{"write", Domain, Key, "-bool", "NO"}, Domain, Key, false, ""},
        {{"read", Domain, Key}, Domain, Key, false, "0\n"},
        {{"write", Domain, Key, "-bool", "yes"}, Domain, Key, true, ""},
        {{"write", Domain, Key, "-bool", "FALSE"}, Domain, Key, false, ""},
        {{"write", Domain, Key, "-bool", "1"}, Domain, Key, true, ""},
        {{"read", Domain, Key}, Domain, Key, true, "1\n"},
        {{"write", "-g", "NSZoomButtonMenuOption", "-int", "2"},
         global,
         "NSZoomButtonMenuOption",
         qint64(2),
         ""},
        {{"write", global, "NSZoomButtonMenuOption", "-int", "-7"},
         global,
         "NSZoomButtonMenuOption",
         qint64(-7),
         ""},
        {{"read", "-g", "NSZoomButtonMenuOption"}, global, "NSZoomButtonMenuOption", qint64(-7), "-7\n"},
        {{"delete", "-g", "NSZoomButtonMenuOption"}, global, "NSZoomButtonMenuOption", {}, ""},
        {{"delete", Domain, Key}, Domain, Key, {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(QLatin1Char(' ')).toStdString());
        const PreferencesToolResult result = run(c.arguments);
        EXPECT_EQ(result.exitStatus, 0) << result.standardError.toStdString();
        EXPECT_EQ(result.standardOutput, c.output);
        EXPECT_TRUE(result.standardError.isEmpty());
        const QVariant stored = store.value(c.domain, c.key);
        EXPECT_EQ(stored, c.stored);
        if (c.stored.isValid()) {
            EXPECT_EQ(stored.metaType(), c.stored.metaType());
        }
    }
    // The global domain is a file of its own.
    EXPECT_TRUE(QFile::exists(store.pathForDomain(global)));
}

TEST_F(PreferencesToolTest, RefusesWhatItCannotDoAndChangesNothing) {
    ASSERT_EQ(run({"write", Domain, Key, "-bool", "YES"}).exitStatus, 0);
    struct Case {
        QStringList arguments;
        int status;
        QByteArray message;
    };
    const std::vector<Case> cases{
        {{}, 2, "usage: skaf-defaults write"},
        {{"write", Domain, Key, "-bool"}, 2, "usage:"},
        {{"delete", Domain}, 2, "usage:"},
        {{"rename", Domain, Key}, 2, "usage:"},
        {{"write", Domain, Key, "-string", "x"}, 2, "cannot write \"x\" as -string"},
        {{"write", Domain, Key, "-int", "2x"}, 2, "cannot write \"2x\" as -int"},
        {{"write", Domain, Key, "-bool", "maybe"}, 2, "cannot write \"maybe\" as -bool"},
        {{"write", "../escape", Key, "-int", "1"}, 1, "\"../escape\" is no preferences domain"},
        {{"write", Domain, "", "-int", "1"}, 1, "the key is empty"},
        {{"delete", Domain, "Missing"}, 1, "no key \"Missing\" in domain \"com.apple.WindowManager\""},
        {{"read", "-g", "Missing"}, 1, "no key \"Missing\" in domain \"NSGlobalDomain\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(QLatin1Char(' ')).toStdString());
        const PreferencesToolResult result = run(c.arguments);
        EXPECT_EQ(result.exitStatus, c.status);
        EXPECT_TRUE(result.standardError.contains(c.message)) << result.standardError.toStdString();
        EXPECT_TRUE(result.standardOutput.isEmpty());
    }
    EXPECT_EQ(store.value(Domain, Key), QVariant(true));
    EXPECT_FALSE(QFile::exists(folder.filePath(QStringLiteral("../escape.plist"))));
}

// The program itself: its exit status and standard error, on the preference files of its settings folder.
TEST(PreferencesToolProgram, RunsOnTheDefaultFolder) {
    testApplication<QCoreApplication>();
    QTemporaryDir config;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    const auto tool = [&](const QStringList& arguments, QByteArray* output = nullptr,
                          QByteArray* error = nullptr) {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/skaf-defaults"), arguments);
        EXPECT_TRUE(process.waitForFinished(10000));
        if (output)
            *output = process.readAllStandardOutput();
        if (error)
            *error = process.readAllStandardError();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    };

    EXPECT_EQ(tool({"write", "-g", "NSZoomButtonMenuOption", "-int", "2"}), 0);
    PreferencesFileStore store(config.path() + QStringLiteral("/Skaf/Preferences"));
    EXPECT_EQ(store.value(SystemPreferences::GlobalDomain, QStringLiteral("NSZoomButtonMenuOption")),
              QVariant(qint64(2)));
    QByteArray output;
    EXPECT_EQ(tool({"read", "-g", "NSZoomButtonMenuOption"}, &output), 0);
    EXPECT_EQ(output, "2\n");
    QByteArray error;
    EXPECT_EQ(tool({"delete", Domain, Key}, nullptr, &error), 1);
    EXPECT_EQ(error,
              "skaf-defaults: no key \"EnableTilingByEdgeDrag\" in domain \"com.apple.WindowManager\"\n");
}

} // namespace
