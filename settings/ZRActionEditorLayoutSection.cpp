// The action editor's layout section: the preview of the windows, how they are matched, and when the layout
// applies by itself.

#include "settings/ZRActionEditor.h"
#include "settings/ZRSettingsController.h"

#include "actions/ZRAction.h"
#include "actions/ZRSnapshotDrawing.h"
#include "platform/foundation/UserDefaults.h"
#include "settings/ZRActionSnapshotPreviewView.h"
#include "window-access/WindowDescription.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QStandardItemModel>
#include <algorithm>
#include <map>
#include <set>

namespace {

// Tags of the matching pop-up: exact, generic by proximity (0, 1, 2: 1, 101, 201), and generic on the
// active display (11, 111, 211); -1 for the separator.
constexpr std::int64_t SeparatorTag = -1;
constexpr std::int64_t ActiveDisplayTag = 11;
constexpr std::int64_t ProximityTagStep = 100;
constexpr std::int64_t DefaultMaximumDisplayCount = 10;
// Labels of the layout's windows come as names for an exact layout, as numbers for a loose one.
constexpr unsigned ExactLabelPriority = 2;
constexpr double ScreenItemFontScale = 0.85;
const QString MainDisplayOrigin = QStringLiteral("0, 0");

QString integerText(double value) {
    return QString::number(qint64(value));
}

// The layout's screens, by origin ("x, y") to size ("w x h px"), from its screen frames or else its windows'.
std::map<QString, QString> screensOfLayout(const ZRAction& action) {
    std::vector<Rect> frames = action.snapshotScreenFrames();
    if (frames.empty())
        for (const ZRWindowDescription& window : action.snapshot().windowDescriptions)
            frames.push_back(rectFromString(window.value(ZRWindowDescriptionKey::ScreenFrame).toString()));
    std::map<QString, QString> screens;
    for (const Rect& frame : frames)
        screens[integerText(frame.x()) + QStringLiteral(", ") + integerText(frame.y())] =
            integerText(frame.width()) + QStringLiteral(" x ") + integerText(frame.height()) +
            QStringLiteral(" px");
    return screens;
}

} // namespace

void ZRActionEditor::fillLayoutSection(ZRAction& action, QString& header) {
    const QStringList names = action.snapshotApplicationNamesTruncated(false, nullptr);
    const QString joined = names.join(spacedMidDotSring());
    if (!names.isEmpty())
        header = QStringLiteral("%1: %2").arg(header, joined);
    m_snapshotPreviewView->setToolTip(joined);

    bool hasObstructedWindow = false;
    const bool applyToObstructed = action.applyToObstructedWindows();
    const QVariantList windows =
        action.snapshotIncludingObstructedWindows(applyToObstructed, &hasObstructedWindow);
    m_snapshotPreviewView->setSnapshot(windows);
    m_snapshotPreviewView->setIncreaseTranslucency(applyToObstructed && hasObstructedWindow);
    const bool generic = action.snapshotGeneric();
    m_snapshotPreviewView->setLabelPriority(!generic                                ? ExactLabelPriority
                                            : action.snapshotGenericProximity() < 1 ? ZRSnapshotLabelNumbers
                                                                                    : ZRSnapshotLabelNone);
    m_ignoreObstructedWindowsSwitch->setEnabled(hasObstructedWindow);
    m_ignoreObstructedWindowsSwitch->setChecked(hasObstructedWindow && !applyToObstructed);

    // Launching and hiding need to know the applications: a loose layout does not.
    if (generic) {
        m_activatesApplicationsSwitch->setEnabled(false);
        m_activatesApplicationsSwitch->setChecked(false);
        m_activatesApplicationsSwitch->setText(tr("Bring the programs forward"));
        m_hidesOtherApplicationsSwitch->setEnabled(false);
        m_hidesOtherApplicationsSwitch->setChecked(false);
    } else {
        const auto& descriptions = action.snapshot().windowDescriptions;
        const auto identified = [](const ZRWindowDescription& window) {
            return !window.value(ZRWindowDescriptionKey::BundleIdentifier).toString().isEmpty();
        };
        const bool anyIdentified = std::any_of(descriptions.begin(), descriptions.end(), identified);
        const bool allIdentified = std::all_of(descriptions.begin(), descriptions.end(), identified);
        m_activatesApplicationsSwitch->setEnabled(anyIdentified);
        m_activatesApplicationsSwitch->setChecked(anyIdentified && action.activatesApplications());
        m_activatesApplicationsSwitch->setText(names.size() == 1 && anyIdentified
                                                   ? tr("Bring %1 forward").arg(names.front())
                                                   : tr("Bring the programs forward"));
        m_hidesOtherApplicationsSwitch->setEnabled(allIdentified);
        m_hidesOtherApplicationsSwitch->setChecked(allIdentified && action.hidesOtherApplications());
    }

    // A layout of one screen that adapts may apply to whichever display is active.
    QComboBox* matching = m_snapshotMatchingSelector;
    const bool activeDisplayItems = action.snapshotAdapts() &&
                                    ZRAction::applyAdaptiveSingleScreenSnapshotToActiveDisplayIfGeneric() &&
                                    numberOfScreensInSnapshot(action.snapshot().windowDescriptionList()) == 1;
    const int activeDisplayIndex = matching->findData(qint64(ActiveDisplayTag));
    if (activeDisplayItems && activeDisplayIndex < 0) {
        matching->insertSeparator(matching->count());
        matching->setItemData(matching->count() - 1, qint64(SeparatorTag));
        matching->addItem(tr("frontmost windows on active display"), qint64(ActiveDisplayTag));
        matching->addItem(tr("nearest frontmost windows on active display"),
                          qint64(ActiveDisplayTag + ProximityTagStep));
        matching->addItem(tr("nearest windows on active display"),
                          qint64(ActiveDisplayTag + 2 * ProximityTagStep));
    } else if (!activeDisplayItems && activeDisplayIndex >= 0) {
        int index = matching->count() - 1;
        while (index >= 0 && matching->itemData(index).toLongLong() != SeparatorTag)
            matching->removeItem(index--);
        if (index >= 0)
            matching->removeItem(index);
    }
    std::int64_t tag = 0;
    if (generic)
        tag = ProximityTagStep * action.snapshotGenericProximity() +
              (activeDisplayItems && action.snapshotAppliesToActiveDisplay() ? ActiveDisplayTag : 1);
    selectItemWithTag(matching, tag);

    m_snapshotAdaptsSwitch->setChecked(action.snapshotAdapts());
    const bool displayAutoTrigger = action.snapshotDisplayAutoTriggerEnabled();
    m_snapshotDisplayAutoTriggerSwitch->setChecked(displayAutoTrigger);
    m_snapshotWakeAutoTriggerSwitch->setChecked(action.snapshotWakeAutoTriggerEnabled());
    m_snapshotWakeAutoTriggerSwitch->setEnabled(displayAutoTrigger);
    fillDisplayCountSelector(action);
    m_snapshotSaveButton->setText(action.snapshot().isEmpty() ? tr("Save Layout") : tr("Update Layout..."));
}

void ZRActionEditor::fillDisplayCountSelector(const ZRAction& action) {
    QComboBox* selector = m_snapshotDisplayAutoTriggerDisplayCountSelector;
    while (selector->count() > 1)
        selector->removeItem(selector->count() - 1);
    auto* model = qobject_cast<QStandardItemModel*>(selector->model());
    const auto addScreenItem = [&](const QString& title) {
        selector->addItem(title, qint64(SeparatorTag));
        if (QStandardItem* item = model ? model->item(selector->count() - 1) : nullptr) {
            item->setEnabled(false);
            QFont font = selector->font();
            font.setPointSizeF(font.pointSizeF() * ScreenItemFontScale);
            item->setFont(font);
        }
    };
    if (!m_settings.defaults().boolForKey(IgnoreScreenFramesKey)) {
        const std::map<QString, QString> screens = screensOfLayout(action);
        if (screens.size() == 1) {
            addScreenItem(QStringLiteral("- %1").arg(screens.begin()->second));
        } else if (!screens.empty()) {
            if (const auto main = screens.find(MainDisplayOrigin); main != screens.end())
                addScreenItem(tr("- %1 (main display)").arg(main->second));
            std::vector<QString> origins;
            for (const auto& [origin, size] : screens)
                if (origin != MainDisplayOrigin)
                    origins.push_back(origin);
            std::sort(origins.begin(), origins.end(), [](const QString& a, const QString& b) {
                return ZRCompareCaseInsensitiveNumeric(a, b) < 0;
            });
            for (const QString& origin : origins)
                addScreenItem(tr("- %1 (at %2)").arg(screens.at(origin), origin));
        }
    }
    selector->insertSeparator(selector->count());
    selector->setItemData(selector->count() - 1, qint64(SeparatorTag));
    // An imported count may be far beyond any desk: the list stops at its cap, and such a count comes last.
    std::int64_t maximum = m_settings.defaults().integerForKey(MaximumDisplayCountKey);
    if (maximum <= 0)
        maximum = DefaultMaximumDisplayCount;
    const std::int64_t count = action.snapshotAutoDisplayCount();
    const std::int64_t listed = std::min(std::max(maximum, count), MaximumDisplayCountItems);
    const auto title = [this](std::int64_t n) {
        return n == 1 ? tr("switching to 1 display") : tr("switching to %1 displays").arg(n);
    };
    for (std::int64_t n = 1; n <= listed; ++n)
        selector->addItem(title(n), qint64(n));
    if (count > listed)
        selector->addItem(title(count), qint64(count));
    selectItemWithTag(selector, count);
    selector->setEnabled(action.snapshotDisplayAutoTriggerEnabled());
}
