#pragma once

#include "platform/Signal.h"

#include <QString>
#include <QVariant>

// The desktop's own preferences, by domain, which the program reads and (through the preferences
// tool, a child process) writes. Values are property-list values.

class SystemPreferences {
public:
    virtual ~SystemPreferences() = default;

    // The domain of keys that every application sees.
    static inline const QString GlobalDomain = QStringLiteral("NSGlobalDomain");

    // An invalid value when the key is absent.
    virtual QVariant value(const QString& domain, const QString& key) const = 0;
    // False when the change could not be made; removing an absent key changes nothing and succeeds.
    virtual bool setValue(const QString& domain, const QString& key, const QVariant& value) = 0;
    virtual bool removeValue(const QString& domain, const QString& key) = 0;

    // Which of the desktop's own window features exist here: tiling by dragging to an edge (with
    // its Option-key accelerator), a menu over the zoom button, a strip of recent windows beside the
    // usable area (Stage Manager), and drawers that slide out of windows. Settings that allow for a
    // feature the desktop lacks are not offered.
    virtual bool offersEdgeTiling() const = 0;
    virtual bool offersZoomButtonMenuOption() const = 0;
    virtual bool offersStageManager() const = 0;
    virtual bool offersWindowDrawers() const = 0;

    // The program that writes these preferences on the command line ("write", "delete", "-g").
    virtual QString preferencesToolPath() const = 0;

    // A domain's values may have changed (by us, the preferences tool or another program); the key when
    // it is known, else empty. Main thread.
    Signal<const QString& /*domain*/, const QString& /*key*/> changed;
};
