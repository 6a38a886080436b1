#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <cstdint>
#include <optional>

class Platform;
class UserDefaults;

// The desktop's own features on the gestures that mouse control uses: tiling a window dragged to a screen
// edge (and its Option-key accelerator), and a menu over the zoom button. While our snapping, drop zones
// or palette are on, they are turned off by writing the desktop's preferences with its preferences tool,
// run as a child process; at quit the user's own values come back, unless the desktop's value was changed
// after we wrote it: that newer choice stays.
//
// Before the first write of a key, the user's value (or its absence) is recorded in our settings and saved
// at once, so a run that crashes is undone by the next start rather than mistaking our value for the
// user's. Main thread only; each call waits for the tool, never longer than ToolTimeout.
class ZRSystemWindowSettings {
public:
    // Seconds the preferences tool may take before it is given up.
    static constexpr double ToolTimeout = 5.0;

    static inline const QString WindowManagerDomain = QStringLiteral("com.apple.WindowManager");
    static inline const QString TilingByEdgeDragKey = QStringLiteral("EnableTilingByEdgeDrag");
    static inline const QString TilingOptionAcceleratorKey = QStringLiteral("EnableTilingOptionAccelerator");
    static inline const QString ZoomButtonMenuOptionKey = QStringLiteral("NSZoomButtonMenuOption");

    // Never touch the tiling keys.
    static inline const QString LeaveTilingUnchangedUserDefaultName =
        QStringLiteral("Snap: Apple: Leave Unchanged");
    // When present, decides whether the zoom-button option may be managed.
    static inline const QString ManualAvailabilityOverrideUserDefaultName =
        QStringLiteral("Mouse Controls Trigger: Apple: Manual Availability Override");
    // The palette turned the desktop's zoom-button menu off for a moment.
    static inline const QString DisabledTemporarilyUserDefaultName =
        QStringLiteral("Mouse Controls Trigger: Apple: Immutable: Disabled Temporarily");
    // The desktop's zoom-button menu has priority over the palette.
    static inline const QString ApplePrimaryUserDefaultName =
        QStringLiteral("Mouse Controls Trigger: Apple: Primary");
    // Our own record of the user's values: an array of dictionaries with "Domain", "Key", what we wrote as
    // "Written" and, when the key had a value before, that as "Value".
    static inline const QString RecordUserDefaultName =
        QStringLiteral("Mouse Controls: System Settings To Restore");

    // The one instance of the run: the one the program made and installed (see Installation).
    static ZRSystemWindowSettings& shared();
    // Makes an instance the one that shared() answers for as long as it lives, and puts back the one before
    // when it goes.
    class Installation {
    public:
        explicit Installation(ZRSystemWindowSettings& settings);
        ~Installation();
        Installation(const Installation&) = delete;
        Installation& operator=(const Installation&) = delete;

    private:
        ZRSystemWindowSettings* m_previous;
    };

    // The record is kept in the settings; the desktop's preferences are read, and written with its tool,
    // through the platform. Both outlive the instance. A new instance starts a new run: what the run found
    // out is forgotten, the saved record is kept.
    ZRSystemWindowSettings(UserDefaults& defaults, Platform& platform);
    ZRSystemWindowSettings(const ZRSystemWindowSettings&) = delete;
    ZRSystemWindowSettings& operator=(const ZRSystemWindowSettings&) = delete;

    // Writes NO to the tiling key, or with remove gives the key back its recorded value (deleting it when
    // it had none). Nothing where the desktop has no edge tiling or with "Snap: Apple: Leave Unchanged".
    // False when the key could not be brought where it was asked to be.
    bool setTilingDefault(const QString& key, bool remove);
    // Writes the option, or for 0 gives back the user's value. Nothing unless the option can be managed,
    // and nothing when it already holds the value or holds 3 or more (the user's own choice).
    bool setZoomButtonMenuOption(std::int64_t value);
    // 2 when wanted and the palette is on with the zoom button as its trigger, else 0.
    bool updateZoomButtonMenuOption(bool wanted);
    bool zoomButtonMenuIsActive();
    bool canManageZoomButtonMenuOption();
    bool paletteTriggerIsNonDefault();

    // Puts every recorded key back as the user had it; keys that could not be put back stay recorded for
    // the next try. False when one could not.
    bool restoreRecordedValues();
    // At quit: every recorded key restored, no more changes of the zoom-button option in this run, and the
    // palette's temporary setting forgotten.
    void restoreForTermination();

    // The zoom-button option recorded at the first check of the run, when it was recorded.
    std::optional<std::int64_t> previousZoomButtonMenuOption() const {
        return m_previousZoomButtonMenuOption;
    }

private:
    // The current value of a desktop key; invalid when absent.
    QVariant currentValue(const QString& domain, const QString& key) const;
    std::int64_t currentZoomButtonMenuOption() const;
    // Runs the preferences tool; false (logged) unless it ended with status 0 in time.
    bool runTool(const QStringList& arguments) const;
    // The record as stored; entries that name no key are dropped.
    QVariantList recordEntries() const;
    // Stores the record and saves it now: it must be on disk before the desktop key changes.
    bool saveRecord(const QVariantList& entries);

    // Records the key's current value unless it is recorded, and the value about to be written; false
    // (logged) when the record could not be kept, or the value could not be put back by the tool.
    bool recordBeforeWriting(const QString& domain, const QString& key, const QVariant& written);
    // Writes the value through the tool, recording the user's value first.
    [[nodiscard]] bool write(const QString& domain, const QString& key, const QVariant& value);
    // Gives the key back its recorded value, unless it was changed since we wrote it: that newer choice
    // stays. True when nothing is recorded for it any more.
    bool restore(const QString& domain, const QString& key);

    UserDefaults& m_defaults;
    Platform& m_platform;
    std::optional<std::int64_t> m_previousZoomButtonMenuOption;
    bool m_availabilityTested = false;
    bool m_managementFinished = false;
};

void ZRSetSystemTilingDefault(const QString& key, bool remove);
void ZRSetSystemZoomButtonMenuOption(std::int64_t value);
void ZRUpdateSystemZoomButtonMenuOption(bool wanted);
bool ZRSystemZoomButtonMenuIsActive();
bool ZRCanManageSystemZoomButtonMenuOption();
bool ZRPaletteTriggerIsNonDefault();
