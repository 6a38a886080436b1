#pragma once

#include "mouse-control/ZRMouseControlPaletteLayout.h"
#include "platform/foundation/RunLoop.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <vector>

class QWidget;
class UserDefaults;
class ZRAction;
class ZRActionManager;
class ZRMainController;
class ZRPaletteItemWell;
struct ZRSettingsContext;

// The palette editor of the settings' "Palette" pane: 11 by 6 wells in the palette container, whose items the
// palette shows at the same columns and rows. It keeps the palette layout (ZRPaletteLayout.h) in the
// settings, seeds it from the "Examples" resource on first use, always holds the five standard items, and
// knows the bounding box of the visible items. The wells are made once and refreshed after every change. Main
// thread only.
class ZRPaletteEditor : public QObject, public ZRMouseControlPaletteLayout {
    Q_OBJECT
public:
    // Points between neighbouring wells.
    static constexpr int WellGap = 5;
    static constexpr std::int64_t NoItemMinimum = std::numeric_limits<std::int64_t>::max();
    static constexpr std::int64_t NoItemMaximum = -1;

    // The palette's wells, kept in the settings of the program given, with the actions of its store.
    explicit ZRPaletteEditor(const ZRSettingsContext& context);
    ~ZRPaletteEditor() override;
    ZRPaletteEditor(const ZRPaletteEditor&) = delete;
    ZRPaletteEditor& operator=(const ZRPaletteEditor&) = delete;

    // The wells' superview. Without one the wells are made all the same: the palette asks for them before the
    // settings window is first shown. Wells made before it move into it.
    QWidget* mouseControlPaletteContainer() const { return m_container; }
    void setMouseControlPaletteContainer(QWidget* container);
    // How a well's "Edit..." shows its action in the sidebar.
    void setActionRevealer(std::function<void(const std::shared_ptr<ZRAction>&)> revealer) {
        m_revealAction = std::move(revealer);
    }

    // Builds the wells on the first call, then rewrites the layout from them on every call.
    void updatePaletteItemWells();
    // The same on the next turn, once however often it is asked meanwhile.
    void updatePaletteItemWellsAfterDelay();
    // At least two wells show an item.
    bool canHidePaletteItemWell() const;
    void revealAction(const std::shared_ptr<ZRAction>& action);

    // The side of a well in a container of the width (never below 1), and the grid it makes.
    static int wellSideForContainerWidth(int width);
    static QSize gridSizeForWellSide(int side);

    const std::vector<ZRPaletteItemWell*>& wells() const { return m_wells; }
    // What the wells and their buttons work with: the menus and triggering of the main controller, the
    // store's actions, the settings and the run loop their held presses wait on.
    ZRMainController& controller() const { return m_controller; }
    ZRActionManager& store() const { return m_store; }
    const UserDefaults& defaults() const { return m_defaults; }
    RunLoop& mainRunLoop() const { return m_mainRunLoop; }
    // The wells' mark on their drags: wells take items dragged only from a well with the same mark.
    const QByteArray& dragSourceToken() const { return m_dragSourceToken; }

    void setChangingPaletteIconSize(bool changing) { m_isChangingPaletteIconSize = changing; }

    // --- ZRMouseControlPaletteLayout: the wells are made on the palette's first question when the settings
    // window has not made them yet.

    std::vector<ZRPaletteItemWellInterface*> paletteItemWells() override;
    std::int64_t minimumPaletteItemColumn() const override;
    std::int64_t maximumPaletteItemColumn() const override;
    std::int64_t minimumPaletteItemRow() const override;
    std::int64_t maximumPaletteItemRow() const override;
    bool isChangingPaletteIconSize() const override { return m_isChangingPaletteIconSize; }
    bool paletteItemButtonShowsMenu() const override;

private:
    void buildWells();
    // Lays the wells out in the container at its width, and fits the container to them.
    void placeWells();
    void buildWellsIfNeeded() const;
    void refreshWells();
    // Seeds the layout from the examples; false when they are missing or not as expected.
    bool seedPaletteLayout();
    void fitContainerToGrid(int wellSide);
    void finishUpdate(int visibleCount);

    ZRMainController& m_controller;
    ZRActionManager& m_store;
    UserDefaults& m_defaults;
    RunLoop& m_mainRunLoop;
    QPointer<QWidget> m_container;
    std::vector<ZRPaletteItemWell*> m_wells;
    std::function<void(const std::shared_ptr<ZRAction>&)> m_revealAction;
    std::int64_t m_minimumColumn = NoItemMinimum;
    std::int64_t m_maximumColumn = NoItemMaximum;
    std::int64_t m_minimumRow = NoItemMinimum;
    std::int64_t m_maximumRow = NoItemMaximum;
    bool m_isChangingPaletteIconSize = false;
    QByteArray m_dragSourceToken;
    PendingPerform m_updatePaletteItemWells;
};
