#include "shell/ZRShellDefaults.h"

#include "platform/foundation/UserDefaults.h"
#include "shell/ZRApplicationMode.h"
#include "shell/ZRKeyboardMenuLineHeight.h"
#include "window-access/GridGeometry.h"
#include "window-access/VirtualScreen.h"

#include <QVariantMap>

namespace {

// Older keys whose values decide what is registered in their place.
const QString KeyboardGridStartWithWindowKey = QStringLiteral("Keyboard Controls Grid: Start With Window");
const QString OlderArrowKeysResetSelectionKey =
    QStringLiteral("Non-Modifier Arrow Keys Reset Keyboard Grid Selection");
const QString ArrowKeysResetSelectionKey =
    QStringLiteral("Keyboard Controls Grid: Non-Modifier Arrow Keys Reset Selection");

QVariant integer(qint64 value) {
    return QVariant::fromValue(value);
}

} // namespace

void ZRRegisterShellDefaults(UserDefaults& defaults) {
    QVariantMap registered;
    for (const char* key :
         {"Focus: Always Enable For Snap", "Focus: Animate", "Focus: Shadow", "Drop Snap: Always Adapt",
          "Drop Snap: Activate Via Snap", "Mouse Controls Grid: Full Size: Cover All Displays",
          "Mouse Controls Grid: Swap Dimensions On Portrait Orientation Displays",
          "Palette Icons Emphasize Borders"})
        registered.insert(QString::fromLatin1(key), true);

    registered.insert(QStringLiteral("Focus"), 0.25);
    registered.insert(ZRGridDimensionKey::MouseControlsGridColumns, integer(6));
    registered.insert(ZRGridDimensionKey::MouseControlsGridRows, integer(4));
    registered.insert(QStringLiteral("Mouse Controls Grid: Hover Highlight Duration"), 2.0);
    registered.insert(QStringLiteral("Mouse Controls Grid: Full Size: Hover Trigger Delay"), -1.0);
    registered.insert(QStringLiteral("Snap Delay"), 0.2);
    registered.insert(QStringLiteral("Keyboard Controls Grid: Starting Position"),
                      integer(defaults.boolForKey(KeyboardGridStartWithWindowKey) ? 1 : 0));
    registered.insert(QString::fromUtf16(ZRKeyboardMenuLineHeightUserDefaultName),
                      ZRKeyboardMenuDefaultLineHeightForScreen(nullptr));
    registered.insert(QStringLiteral("ZRKeyboardMenu: Type-Select"), integer(2));
    registered.insert(QStringLiteral("Recently Deleted"), integer(10));
    registered.insert(QStringLiteral("Sidebar Hot Key Priority"), integer(1));
    registered.insert(QStringLiteral("Sidebar Icon Priority"), integer(2));
    registered.insert(QStringLiteral("Exported Icon Height"), integer(100));
    registered.insert(QString::fromUtf16(ZRApplicationModeUserDefaultName),
                      integer(static_cast<qint64>(ZRApplicationMode::StatusItem)));
    registered.insert(QString::fromUtf16(ZRVisibleFrameExtraDockSpacingUserDefaultName), integer(1));
    defaults.registerDefaults(registered);
}

void ZRMigrateShellDefaults(UserDefaults& defaults) {
    if (!defaults.persistentObject(OlderArrowKeysResetSelectionKey).isValid())
        return;
    if (defaults.boolForKey(OlderArrowKeysResetSelectionKey))
        defaults.setBool(true, ArrowKeysResetSelectionKey);
    defaults.removeObject(OlderArrowKeysResetSelectionKey);
}
