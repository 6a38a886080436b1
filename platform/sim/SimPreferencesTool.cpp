#include "platform/sim/SimPreferencesTool.h"

#include "platform/foundation/PreferencesTool.h"
#include "platform/sim/SimSystemPreferences.h"

namespace {

// The tool's commands on the simulated desktop's preferences, which keep no files that could fail.
class SimPreferencesToolStore : public PreferencesToolStore {
public:
    explicit SimPreferencesToolStore(SimSystemPreferences& preferences) : m_preferences(preferences) {}

    bool isDomain(const QString& domain) const override { return !domain.isEmpty(); }
    QVariant value(const QString& domain, const QString& key) const override {
        return m_preferences.value(domain, key);
    }
    bool setValue(const QString& domain, const QString& key, const QVariant& value, QString* error) override {
        return m_preferences.setValue(domain, key, value);
    }
    bool removeValue(const QString& domain, const QString& key, QString* error) override {
        return m_preferences.removeValue(domain, key);
    }

private:
    SimSystemPreferences& m_preferences;
};

} // namespace

SimProgramBehaviour runSimPreferencesTool(SimSystemPreferences& preferences, const QStringList& arguments) {
    SimPreferencesToolStore store(preferences);
    const PreferencesToolResult result = runPreferencesTool(store, arguments);
    SimProgramBehaviour behaviour;
    behaviour.exitCode = result.exitStatus;
    behaviour.standardOutput = result.standardOutput;
    behaviour.standardError = result.standardError;
    return behaviour;
}
