#pragma once

#include "Printers.h"
#include "RecordingLogReader.h"

#include "platform/Platform.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/sim/SimDesktop.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>
#include <map>
#include <memory>
#include <optional>
#include <vector>

// Every test on the simulated desktop: a fresh desktop installed as the platform; settings, data and
// log folders in a scratch folder; the run loop's manual clock behind every wait, the window-access
// waits included; the log recorded. Tear-down puts every shared thing back as it found it, and finds
// no hot key still registered with the desktop.
class DesktopTest : public ::testing::Test {
protected:
    // Fixtures that count what the program asks of the desktop give a desktop of their own.
    explicit DesktopTest(std::unique_ptr<SimDesktop> desktop = std::make_unique<SimDesktop>());
    ~DesktopTest() override;

    void SetUp() override;
    void TearDown() override;

    QString settingsPath() const;
    // A new settings store on the settings file, loaded as a start of the program loads it (the one open
    // before saves first, as a quit does), its global domain from the given preferences or the desktop's.
    UserDefaults::LoadResult openSettings(SystemPreferences* preferences = nullptr);
    // Saves what the open store holds, as the program does when it quits.
    void closeSettings();
    // The settings the parts under test are handed: the store the last openSettings() made.
    UserDefaults& settings() const { return *m_settings.back(); }
    void set(const QString& key, const QVariant& value) const;

    bool logged(const QString& text) const { return log->contains(text); }
    // The argument lists given to the desktop's preferences tool, in order.
    std::vector<QStringList> toolRuns() const;

    QTemporaryDir folder;

private:
    std::unique_ptr<SimDesktop> m_desktop;
    std::map<QByteArray, std::optional<QByteArray>> m_environment;
    // Every store the case opened: a part made before a later open may still read its own.
    std::vector<std::unique_ptr<UserDefaults>> m_settings;
    // Debug logging follows the open store's switch, as it follows the program's.
    Connection m_debugLogging;

protected:
    SimDesktop& desktop;
    std::shared_ptr<RecordingLogReader> log = std::make_shared<RecordingLogReader>();
};
