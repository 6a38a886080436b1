#include "DesktopTest.h"

#include "TestApplication.h"

#include "window-access/IgnoreList.h"
#include "window-access/WindowAccessClock.h"
#include "window-access/WindowAccessDefaults.h"

#include <QApplication>

namespace {

// Where the program would otherwise read and write the user's own files.
const char* const ScratchFolders[] = {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME"};

// The clock's start: far enough from zero that "a while ago" stays a positive time.
constexpr double ClockStart = 1000;

} // namespace

DesktopTest::DesktopTest(std::unique_ptr<SimDesktop> desktop)
    : m_desktop(std::move(desktop)), desktop(*m_desktop) {}

DesktopTest::~DesktopTest() = default;

void DesktopTest::SetUp() {
    if (!QCoreApplication::instance())
        testApplication<QApplication>();
    ASSERT_TRUE(folder.isValid());
    for (const char* name : ScratchFolders) {
        m_environment[name] =
            qEnvironmentVariableIsSet(name) ? std::optional<QByteArray>(qgetenv(name)) : std::nullopt;
        qputenv(name, folder.path().toUtf8());
    }
    RunLoop::main().useManualClock(ClockStart);
    WindowAccessClock::install([] { return RunLoop::main().now(); },
                               [](double seconds) { RunLoop::main().advance(seconds); });
    Platform::setCurrent(&desktop);
    openSettings();
    ZRIgnoreList::sharedList().reload();
    ZRSetLogReaderFactory([this](const ZRLogReaderSettings&) { return log; });
}

void DesktopTest::TearDown() {
    RunLoop::main().runPending();
    EXPECT_TRUE(desktop.globalHotKeys().registrations().empty()) << "a hot key outlived its test";
    ZRSetLogReaderFactory({});
    m_debugLogging.disconnect();
    m_settings.clear();
    Platform::setCurrent(nullptr);
    WindowAccessClock::install({}, {});
    RunLoop::main().useRealClock();
    for (const auto& [name, value] : m_environment) {
        if (value)
            qputenv(name.constData(), *value);
        else
            qunsetenv(name.constData());
    }
    ZRIgnoreList::sharedList().reload();
}

QString DesktopTest::settingsPath() const {
    return folder.filePath(QStringLiteral("Settings.plist"));
}

void DesktopTest::closeSettings() {
    if (!m_settings.empty() && m_settings.back()->hasUnsavedChanges())
        (void)m_settings.back()->save();
}

UserDefaults::LoadResult DesktopTest::openSettings(SystemPreferences* preferences) {
    closeSettings();
    m_settings.push_back(std::make_unique<UserDefaults>(
        settingsPath(), preferences ? preferences : &desktop.systemPreferences()));
    const UserDefaults::LoadResult result = settings().load();
    m_debugLogging = WindowAccessDefaults::followDebugLogSetting(settings());
    return result;
}

std::vector<QStringList> DesktopTest::toolRuns() const {
    std::vector<QStringList> runs;
    for (const auto& run : desktop.processes().runs())
        if (run.program == desktop.systemPreferences().preferencesToolPath())
            runs.push_back(run.arguments);
    return runs;
}

void DesktopTest::set(const QString& key, const QVariant& value) const {
    settings().setObject(value, key);
}
