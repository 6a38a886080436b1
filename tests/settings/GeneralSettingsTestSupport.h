#pragma once

#include "MouseControlContext.h"
#include "SettingsTestSupport.h"

#include "hotkeys/ZRHotKey.h"
#include "mouse-control/ZRFocusWindow.h"
#include "mouse-control/ZRMouseControlPaletteWindows.h"
#include "mouse-control/ZRMouseController.h"
#include "mouse-control/ZRSystemWindowSettings.h"
#include "settings/ZRGeneralSettingsControls.h"
#include "settings/ZRSettingsPopUps.h"
#include "settings/ZRSettingsSlider.h"
#include "settings/ZRSettingsSwitch.h"
#include "settings/ZRSnapActionSelectors.h"
#include "window-access/WindowDescription.h"

#include <QAbstractButton>
#include <QComboBox>
#include <cmath>
#include <functional>

// The program launched with mouse control and the settings window on a simulated desktop; the controls'
// calls to recompute mouse control's features are counted instead of made.
class GeneralSettingsTest : public SettingsTest {
protected:
    GeneralSettingsTest() { launchesOnSetUp = false; }

    void SetUp() override {
        SettingsTest::SetUp();
        controller().addArea(
            std::make_unique<ZRMouseController>(mouseControlContext(DesktopTest::settings())));
        // The options of the keyboard controls stay shrouded while no hot key opens them.
        set(QStringLiteral("Keyboard Controls"),
            ZRHotKey::hotKeyWithIdentifer(
                QStringLiteral("Keyboard Controls"), QString(), Key::F19,
                ModifierFlag::Control | ModifierFlag::Option,
                ZRHotKeyContext{desktop.globalHotKeys(), DesktopTest::settings(), RunLoop::main()})
                ->dictionaryRepresentation());
        beforeLaunch();
        launch();
        controls().setFeatureFlagsUpdater([this] { ++featureFlagUpdates; });
        desktop.processes().clearRuns();
    }

    void TearDown() override { SettingsTest::TearDown(); }

    // Settings of the test, before the program starts.
    virtual void beforeLaunch() {}

    ZRGeneralSettingsControls& controls() const { return settings().generalSettingsControls(); }
    ZRMouseController& mouseControl() const { return *settings().controller().area<ZRMouseController>(); }

    // As the user changes a control: a click on a switch, a choice in a pop-up, a move of a slider.
    static void toggle(QObject* control) { static_cast<QAbstractButton*>(control)->click(); }
    static void chooseIndex(QObject* control, int index) {
        auto* popUp = static_cast<QComboBox*>(control);
        popUp->setCurrentIndex(index);
        Q_EMIT popUp->activated(index);
    }
    static void choose(QObject* control, qint64 tag) {
        chooseIndex(control, ZRSettingsPopUp::indexOfItemWithTag(static_cast<QComboBox*>(control), tag));
    }
    static void slide(QObject* control, double value) {
        auto* slider = static_cast<ZRSettingsSlider*>(control);
        slider->setValue(static_cast<int>(std::lround((value - slider->minValue()) / slider->step())));
    }

    // A layout with one window, at the top of the store.
    std::shared_ptr<ZRAction> addLayout(const QString& name) {
        auto layout = namedAction(name, ZRActionTypeLayout);
        ZRSnapshot snapshot;
        snapshot.windowDescriptions.push_back(
            ZRMakeWindowDescription({QStringLiteral("com.example.Editor"), QStringLiteral("Editor"), name,
                                     Rect(0, 0, 400, 300), Rect(0, 0, 1440, 900), Rect(0, 0, 1440, 875)}));
        layout->setSnapshot(snapshot);
        sidebar().addActions({layout}, nullptr, std::nullopt, false);
        return layout;
    }

    int featureFlagUpdates = 0;
};

// The palette's windows as the palette would report them, with what the settings asked of them.
class FakePaletteWindows : public ZRMouseControlPaletteWindows {
public:
    bool hasPaletteWindow() const override { return paletteExists; }
    bool hasZoomButtonOverlayWindow() const override { return overlayExists; }
    bool isPaletteWindowVisible() const override { return paletteExists && paletteVisible; }
    void invalidatePaletteWindowShadowSoon() override { calls << QStringLiteral("shadow"); }
    void orderPaletteWindow(bool front) override {
        calls << (front ? QStringLiteral("palette front") : QStringLiteral("palette out"));
    }
    void orderZoomButtonOverlayWindow(bool front) override {
        calls << (front ? QStringLiteral("overlay front") : QStringLiteral("overlay out"));
    }
    void cancelPendingOverlayHides() override { calls << QStringLiteral("cancel hides") << preview(); }
    void hideOverlayAfterDelay() override { calls << QStringLiteral("hide later") << preview(); }
    // Whether the palette is asked while it shows as a preview.
    std::function<bool()> isChangingPaletteIconSize;
    QString preview() const {
        return isChangingPaletteIconSize && isChangingPaletteIconSize() ? QStringLiteral("preview")
                                                                        : QStringLiteral("no preview");
    }

    bool paletteExists = false;
    bool paletteVisible = false;
    bool overlayExists = false;
    QStringList calls;
};
