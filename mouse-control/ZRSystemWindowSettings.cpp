#include "mouse-control/ZRSystemWindowSettings.h"

#include "mouse-control/ZRMouseControlDefaults.h"
#include "platform/Platform.h"
#include "platform/Processes.h"
#include "platform/SystemPreferences.h"
#include "platform/foundation/PreferencesTool.h"
#include "platform/foundation/UserDefaults.h"
#include "toolkit/ZRLog.h"

#include <utility>

namespace {

const QString DomainField = QStringLiteral("Domain");
const QString KeyField = QStringLiteral("Key");
const QString ValueField = QStringLiteral("Value");
const QString WrittenField = QStringLiteral("Written");

// The zoom-button option we write: the desktop's menu gives way to the palette.
constexpr std::int64_t PaletteZoomButtonMenuOption = 2;
// A user value that turns the menu off for good, found at the first check: we leave the option alone.
constexpr std::int64_t MenuDisabledZoomButtonMenuOption = 1;
// Values from here on are the user's own choices, never changed.
constexpr std::int64_t FirstUserZoomButtonMenuOption = 3;

bool isBool(const QVariant& value) {
    return value.metaType().id() == QMetaType::Bool;
}

bool isInteger(const QVariant& value) {
    switch (value.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}

// Values the tool can write back: absent, a boolean or an integer.
bool isRestorable(const QVariant& value) {
    return !value.isValid() || isBool(value) || isInteger(value);
}

// Equal as the tool would write them: both absent, or the same kind and value.
bool sameValue(const QVariant& a, const QVariant& b) {
    if (!a.isValid() || !b.isValid())
        return a.isValid() == b.isValid();
    if (isBool(a) || isBool(b))
        return isBool(a) && isBool(b) && a.toBool() == b.toBool();
    return isInteger(a) && isInteger(b) && a.toLongLong() == b.toLongLong();
}

QString failureReason(const ProcessResult& result, const QString& program) {
    if (!result.started)
        return QStringLiteral("%1 could not be started").arg(program);
    if (result.timedOut)
        return QStringLiteral("no answer within %1 seconds").arg(ZRSystemWindowSettings::ToolTimeout);
    if (result.crashed)
        return QStringLiteral("it crashed");
    const QString message = QString::fromUtf8(result.standardError).trimmed();
    return message.isEmpty() ? QStringLiteral("exit status %1").arg(result.exitCode)
                             : QStringLiteral("exit status %1: %2").arg(result.exitCode).arg(message);
}

qsizetype indexOfEntry(const QVariantList& entries, const QString& domain, const QString& key) {
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QVariantMap entry = entries.at(i).toMap();
        if (entry.value(DomainField).toString() == domain && entry.value(KeyField).toString() == key)
            return i;
    }
    return -1;
}

ZRSystemWindowSettings* installedInstance = nullptr;

} // namespace

ZRSystemWindowSettings& ZRSystemWindowSettings::shared() {
    if (!installedInstance)
        qFatal("the desktop's window settings are asked for before the program made them");
    return *installedInstance;
}

ZRSystemWindowSettings::Installation::Installation(ZRSystemWindowSettings& settings)
    : m_previous(std::exchange(installedInstance, &settings)) {}

ZRSystemWindowSettings::Installation::~Installation() {
    installedInstance = m_previous;
}

ZRSystemWindowSettings::ZRSystemWindowSettings(UserDefaults& defaults, Platform& platform)
    : m_defaults(defaults), m_platform(platform) {}

QVariantList ZRSystemWindowSettings::recordEntries() const {
    QVariantList entries;
    for (const QVariant& item : m_defaults.arrayForKey(RecordUserDefaultName)) {
        const QVariantMap entry = item.toMap();
        if (!entry.value(DomainField).toString().isEmpty() && !entry.value(KeyField).toString().isEmpty())
            entries.append(entry);
    }
    return entries;
}

bool ZRSystemWindowSettings::saveRecord(const QVariantList& entries) {
    if (entries.isEmpty())
        m_defaults.removeObject(RecordUserDefaultName);
    else
        m_defaults.setObject(entries, RecordUserDefaultName);
    return m_defaults.save();
}

QVariant ZRSystemWindowSettings::currentValue(const QString& domain, const QString& key) const {
    return m_platform.systemPreferences().value(domain, key);
}

std::int64_t ZRSystemWindowSettings::currentZoomButtonMenuOption() const {
    return currentValue(SystemPreferences::GlobalDomain, ZoomButtonMenuOptionKey).toLongLong();
}

bool ZRSystemWindowSettings::runTool(const QStringList& arguments) const {
    const QString program = m_platform.systemPreferences().preferencesToolPath();
    const ProcessResult result = m_platform.processes().run(program, arguments, ToolTimeout);
    if (result.succeeded())
        return true;
    ZRLog("cannot change the desktop's preferences (%@): %@", arguments.join(QLatin1Char(' ')),
          failureReason(result, program));
    return false;
}

bool ZRSystemWindowSettings::recordBeforeWriting(const QString& domain, const QString& key,
                                                 const QVariant& written) {
    QVariantList entries = recordEntries();
    if (const qsizetype index = indexOfEntry(entries, domain, key); index >= 0) {
        QVariantMap entry = entries.at(index).toMap();
        if (sameValue(entry.value(WrittenField), written))
            return true;
        entry.insert(WrittenField, written);
        entries[index] = entry;
    } else {
        const QVariant value = currentValue(domain, key);
        if (!isRestorable(value)) {
            ZRLog("the desktop's preference %@ of %@ holds a value that could not be put back; it is left as "
                  "it is",
                  key, domain);
            return false;
        }
        QVariantMap entry{{DomainField, domain}, {KeyField, key}, {WrittenField, written}};
        if (value.isValid())
            entry.insert(ValueField, value);
        entries.append(entry);
    }
    if (saveRecord(entries))
        return true;
    ZRLog("cannot keep the user's value of the desktop's preference %@ of %@; it is left as it is", key,
          domain);
    return false;
}

bool ZRSystemWindowSettings::write(const QString& domain, const QString& key, const QVariant& value) {
    if (sameValue(currentValue(domain, key), value))
        return true;
    if (!recordBeforeWriting(domain, key, value))
        return false;
    return runTool(preferencesToolWriteArguments(domain, key, value));
}

bool ZRSystemWindowSettings::restore(const QString& domain, const QString& key) {
    QVariantList entries = recordEntries();
    const qsizetype index = indexOfEntry(entries, domain, key);
    if (index < 0)
        return true;
    const QVariantMap entry = entries.at(index).toMap();
    const QVariant recorded = entry.value(ValueField);
    const QVariant written = entry.value(WrittenField);
    const QVariant current = currentValue(domain, key);
    if (sameValue(current, recorded)) {
        // Nothing to put back.
    } else if (written.isValid() && !sameValue(current, written)) {
        ZRLog("the desktop's preference %@ of %@ was changed since it was written; the newer value stays",
              key, domain);
    } else if (!isRestorable(recorded)) {
        ZRLog(
            "the recorded value of the desktop's preference %@ of %@ cannot be written; it is left as it is",
            key, domain);
    } else {
        const QStringList arguments = recorded.isValid()
                                          ? preferencesToolWriteArguments(domain, key, recorded)
                                          : preferencesToolDeleteArguments(domain, key);
        // Kept in the record, so the next quit or start tries again.
        if (!runTool(arguments))
            return false;
    }
    entries.removeAt(index);
    saveRecord(entries);
    return true;
}

bool ZRSystemWindowSettings::restoreRecordedValues() {
    bool restored = true;
    for (const QVariant& item : recordEntries()) {
        const QVariantMap entry = item.toMap();
        restored = restore(entry.value(DomainField).toString(), entry.value(KeyField).toString()) && restored;
    }
    return restored;
}

void ZRSystemWindowSettings::restoreForTermination() {
    restoreRecordedValues();
    m_managementFinished = true;
    m_defaults.removeObject(DisabledTemporarilyUserDefaultName);
}

bool ZRSystemWindowSettings::setTilingDefault(const QString& key, bool remove) {
    if (!m_platform.systemPreferences().offersEdgeTiling() ||
        m_defaults.boolForKey(LeaveTilingUnchangedUserDefaultName))
        return true;
    if (remove)
        return restore(WindowManagerDomain, key);
    return write(WindowManagerDomain, key, false);
}

bool ZRSystemWindowSettings::setZoomButtonMenuOption(std::int64_t value) {
    if (!canManageZoomButtonMenuOption())
        return true;
    const std::int64_t current = currentZoomButtonMenuOption();
    if (current == value || current >= FirstUserZoomButtonMenuOption)
        return true;
    // 0 is the desktop's own behaviour: whatever the user had before we wrote.
    if (value == 0)
        return restore(SystemPreferences::GlobalDomain, ZoomButtonMenuOptionKey);
    return write(SystemPreferences::GlobalDomain, ZoomButtonMenuOptionKey,
                 QVariant::fromValue<qint64>(value));
}

bool ZRSystemWindowSettings::updateZoomButtonMenuOption(bool wanted) {
    const UserDefaults& defaults = m_defaults;
    const bool paletteOnZoomButton = defaults.boolForKey(ZRMouseControlDefault::MouseControls) &&
                                     defaults.integerForKey(ZRMouseControlDefault::Trigger) == 0;
    return setZoomButtonMenuOption(wanted && paletteOnZoomButton ? PaletteZoomButtonMenuOption : 0);
}

bool ZRSystemWindowSettings::zoomButtonMenuIsActive() {
    return !canManageZoomButtonMenuOption() || currentZoomButtonMenuOption() != 0;
}

bool ZRSystemWindowSettings::canManageZoomButtonMenuOption() {
    if (m_managementFinished)
        return false;
    UserDefaults& defaults = m_defaults;
    if (const auto overridden = defaults.optionalBool(ManualAvailabilityOverrideUserDefaultName))
        return *overridden;
    if (m_platform.systemPreferences().offersZoomButtonMenuOption()) {
        if (m_availabilityTested)
            return true;
        m_availabilityTested = true;
        if (defaults.boolForKey(DisabledTemporarilyUserDefaultName)) {
            defaults.removeObject(DisabledTemporarilyUserDefaultName);
            return true;
        }
        m_previousZoomButtonMenuOption = currentZoomButtonMenuOption();
        if (*m_previousZoomButtonMenuOption != MenuDisabledZoomButtonMenuOption)
            return true;
    }
    m_managementFinished = true;
    return false;
}

bool ZRSystemWindowSettings::paletteTriggerIsNonDefault() {
    const UserDefaults& defaults = m_defaults;
    return zoomButtonMenuIsActive() ||
           defaults.integerForKey(ZRMouseControlDefault::ZoomButtonBehavior) != 0 ||
           defaults.integerForKey(ZRMouseControlDefault::Trigger) != 0;
}

void ZRSetSystemTilingDefault(const QString& key, bool remove) {
    ZRSystemWindowSettings::shared().setTilingDefault(key, remove);
}

void ZRSetSystemZoomButtonMenuOption(std::int64_t value) {
    ZRSystemWindowSettings::shared().setZoomButtonMenuOption(value);
}

void ZRUpdateSystemZoomButtonMenuOption(bool wanted) {
    ZRSystemWindowSettings::shared().updateZoomButtonMenuOption(wanted);
}

bool ZRSystemZoomButtonMenuIsActive() {
    return ZRSystemWindowSettings::shared().zoomButtonMenuIsActive();
}

bool ZRCanManageSystemZoomButtonMenuOption() {
    return ZRSystemWindowSettings::shared().canManageZoomButtonMenuOption();
}

bool ZRPaletteTriggerIsNonDefault() {
    return ZRSystemWindowSettings::shared().paletteTriggerIsNonDefault();
}
