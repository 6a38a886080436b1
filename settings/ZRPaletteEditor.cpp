#include "settings/ZRPaletteEditor.h"

#include "actions/ZRAction.h"
#include "actions/ZRActionManager.h"
#include "mouse-control/ZRPaletteLayout.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "resources/Resources.h"
#include "settings/ZRPaletteItemButton.h"
#include "settings/ZRPaletteItemWell.h"
#include "settings/ZRSettingsContext.h"
#include "settings/ZRStandardPaletteItem.h"
#include "toolkit/ViewExtensions.h"
#include "toolkit/ZRLog.h"

#include <QCoreApplication>
#include <QFile>
#include <QScrollArea>
#include <QUuid>
#include <algorithm>
#include <cmath>
#include <set>

namespace {

const QString ExamplesResourceName = QStringLiteral("Examples");
const QString ExamplesResourceType = QStringLiteral("skaf");
// The seeded examples stand in row 2, columns 3 to 7.
constexpr std::int64_t ExamplesRow = 2;
constexpr std::int64_t FirstExamplesColumn = 3;
constexpr std::size_t ExamplesCount = 5;
// Files larger than this are no examples of ours.
constexpr qint64 MaximumExamplesFileSize = 1 << 20;

// A stored number: an integer, or a real without fraction. Texts, booleans and the rest are none.
std::optional<std::int64_t> storedInteger(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return value.toLongLong();
    case QMetaType::Double: {
        const double number = value.toDouble();
        if (number == std::floor(number) && std::abs(number) < 1e15)
            return std::int64_t(number);
        return std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

std::set<std::int64_t> storedHiddenItems(const UserDefaults& defaults) {
    std::set<std::int64_t> hidden;
    for (const QVariant& value : defaults.arrayForKey(ZRPaletteLayout::HiddenItemsUserDefaultName))
        if (const auto number = storedInteger(value))
            hidden.insert(*number);
    return hidden;
}

// The examples' first record, read from the resource; none (logged) when it cannot be read.
std::optional<QVariantMap> examplesRecord() {
    const QString path = pathForResource(ExamplesResourceName, ExamplesResourceType);
    if (path.isEmpty()) {
        ZRLog("cannot seed the palette: no examples");
        return std::nullopt;
    }
    QFile file(path);
    if (file.size() > MaximumExamplesFileSize || !file.open(QIODevice::ReadOnly)) {
        ZRLog("cannot seed the palette: cannot read %@", path);
        return std::nullopt;
    }
    const PropertyList::ReadResult read = PropertyList::fromData(file.readAll());
    const QVariantList records =
        read.value.toMap().value(QString::fromUtf16(ZRCustomControlsUserDefaultName)).toList();
    if (!read.ok() || records.isEmpty() || records.front().typeId() != QMetaType::QVariantMap) {
        ZRLog("cannot seed the palette: %@ holds no actions", path);
        return std::nullopt;
    }
    return records.front().toMap();
}

} // namespace

ZRPaletteEditor::ZRPaletteEditor(const ZRSettingsContext& context)
    : m_controller(context.controller), m_store(context.store), m_defaults(context.defaults),
      m_mainRunLoop(context.mainRunLoop),
      m_dragSourceToken(QUuid::createUuid().toByteArray(QUuid::WithoutBraces)) {}

ZRPaletteEditor::~ZRPaletteEditor() {
    // Wells without a container have no parent to take them along.
    for (ZRPaletteItemWell* well : m_wells)
        if (!well->parent())
            delete well;
}

int ZRPaletteEditor::wellSideForContainerWidth(int width) {
    const int columns = int(ZRPaletteLayout::Columns);
    return std::max(1, (std::max(0, width) + WellGap) / columns - WellGap);
}

QSize ZRPaletteEditor::gridSizeForWellSide(int side) {
    const int step = side + WellGap;
    return {int(ZRPaletteLayout::Columns) * step - WellGap, int(ZRPaletteLayout::Rows) * step - WellGap};
}

void ZRPaletteEditor::revealAction(const std::shared_ptr<ZRAction>& action) {
    if (m_revealAction && action)
        m_revealAction(action);
}

void ZRPaletteEditor::setMouseControlPaletteContainer(QWidget* container) {
    m_container = container;
    if (m_container && !m_wells.empty())
        placeWells();
}

void ZRPaletteEditor::buildWellsIfNeeded() const {
    // The wells stand for the stored layout: making them is no change of the editor as its users see it.
    if (m_wells.empty())
        const_cast<ZRPaletteEditor*>(this)->updatePaletteItemWells();
}

std::vector<ZRPaletteItemWellInterface*> ZRPaletteEditor::paletteItemWells() {
    buildWellsIfNeeded();
    return {m_wells.begin(), m_wells.end()};
}

std::int64_t ZRPaletteEditor::minimumPaletteItemColumn() const {
    buildWellsIfNeeded();
    return m_minimumColumn;
}

std::int64_t ZRPaletteEditor::maximumPaletteItemColumn() const {
    buildWellsIfNeeded();
    return m_maximumColumn;
}

std::int64_t ZRPaletteEditor::minimumPaletteItemRow() const {
    buildWellsIfNeeded();
    return m_minimumRow;
}

std::int64_t ZRPaletteEditor::maximumPaletteItemRow() const {
    buildWellsIfNeeded();
    return m_maximumRow;
}

bool ZRPaletteEditor::paletteItemButtonShowsMenu() const {
    return ZRPaletteItemButton::showsMenu();
}

bool ZRPaletteEditor::canHidePaletteItemWell() const {
    return std::count_if(m_wells.begin(), m_wells.end(),
                         [](const ZRPaletteItemWell* well) { return well->isVisibleItem(); }) >= 2;
}

// --- Building and refreshing

void ZRPaletteEditor::updatePaletteItemWells() {
    m_updatePaletteItemWells.cancel();
    if (m_wells.empty())
        buildWells();
    else
        refreshWells();
}

void ZRPaletteEditor::updatePaletteItemWellsAfterDelay() {
    m_updatePaletteItemWells = m_mainRunLoop.performLater(0, [this] { updatePaletteItemWells(); });
}

void ZRPaletteEditor::buildWells() {
    UserDefaults& defaults = m_defaults;
    if (!defaults.hasValue(ZRPaletteLayout::PaletteUserDefaultName))
        seedPaletteLayout();
    const QVariant stored = defaults.object(ZRPaletteLayout::PaletteUserDefaultName);
    if (stored.isValid() && stored.typeId() != QMetaType::QVariantMap)
        ZRLog("palette layout is no dictionary: the palette starts with the standard items");
    const QVariantMap layout = stored.toMap();

    const ZRActionManager& store = m_store;
    const std::set<std::int64_t> hidden = storedHiddenItems(m_defaults);
    std::set<std::int64_t> seen;
    int visible = 0;
    for (std::int64_t row = 0; row < ZRPaletteLayout::Rows; ++row) {
        for (std::int64_t column = 0; column < ZRPaletteLayout::Columns; ++column) {
            auto* well = new ZRPaletteItemWell(*this, m_container);
            const QString identifier = ZRPaletteLayout::coordinatesIdentifier(column, row);
            const QVariant value = layout.value(identifier);
            if (value.typeId() == QMetaType::QString) {
                if (const auto action = store.actionWithIdentifier(value.toString(), false)) {
                    well->setPaletteAction(action);
                    ++visible;
                }
            } else if (const auto number = storedInteger(value)) {
                if (ZRPaletteLayout::isStandardPaletteItem(*number) && seen.insert(*number).second) {
                    well->setDummyPosition(*number);
                    if (hidden.contains(*number))
                        well->setHiddenByUser(true);
                    else
                        ++visible;
                }
            }
            well->setColumn(column);
            well->setRow(row);
            well->setCoordinatesIdentifier(identifier);
            m_wells.push_back(well);
        }
    }
    if (seen.size() != ZRPaletteLayout::StandardPaletteItems.size()) {
        for (ZRPaletteItemWell* well : m_wells) {
            if (const auto item = ZRStandardPaletteItems::defaultItemAt(well->column(), well->row())) {
                ZRLog("inserting missing palette item %lu at %@", qint64(*item),
                      well->coordinatesIdentifier());
                if (well->isVisibleItem())
                    --visible;
                well->setDummyPosition(*item);
                ++visible;
            } else if (well->dummyPosition() != ZRStandardPaletteItemNone) {
                ZRLog("clearing stray palette item from %@", well->coordinatesIdentifier());
                if (well->isVisibleItem())
                    --visible;
                well->setDummyPosition(ZRStandardPaletteItemNone);
            }
        }
    }
    placeWells();
    finishUpdate(visible);
}

void ZRPaletteEditor::placeWells() {
    const int side = wellSideForContainerWidth(m_container ? m_container->width() : 0);
    const int step = side + WellGap;
    for (ZRPaletteItemWell* well : m_wells) {
        if (m_container && well->parentWidget() != m_container)
            well->setParent(m_container);
        well->setGeometry(int(well->column()) * step, int(well->row()) * step, side, side);
        if (m_container)
            well->show();
    }
    fitContainerToGrid(side);
}

bool ZRPaletteEditor::seedPaletteLayout() {
    const auto record = examplesRecord();
    if (!record)
        return false;
    const auto folder = ZRAction::actionWithDictionaryRepresentation(*record, false);
    if (!folder || folder->actionType() != ZRActionTypeFolder || folder->children().size() != ExamplesCount) {
        ZRLog("cannot seed the palette: the examples are no folder of %ld actions", qint64(ExamplesCount));
        return false;
    }
    const auto& children = folder->children();
    folder->setName(tr("Examples"));
    const QString names[] = {tr("Sidebar"), tr("Left & Right"), tr("Top & Bottom"), tr("More Examples")};
    for (std::size_t i = 0; i < std::size(names); ++i)
        children[i + 1]->setName(names[i]);
    const auto& more = children.back()->children();
    if (more.size() >= 3) {
        more[0]->setName(tr("Left Third"));
        more[1]->setName(tr("Middle Third"));
        more[2]->setName(tr("Right Third"));
    }
    QVariantMap layout;
    for (std::size_t i = 0; i < ExamplesCount; ++i)
        layout.insert(
            ZRPaletteLayout::coordinatesIdentifier(FirstExamplesColumn + std::int64_t(i), ExamplesRow),
            children[i]->uniqueIdentifier());
    m_defaults.setObject(layout, ZRPaletteLayout::PaletteUserDefaultName);
    m_store.insertAction(folder);
    return true;
}

void ZRPaletteEditor::fitContainerToGrid(int wellSide) {
    if (!m_container)
        return;
    const QSize grid = gridSizeForWellSide(wellSide);
    const int growth = grid.height() - m_container->height();
    moveSiblingsBelowUpByDelta(m_container, -growth);
    m_container->setGeometry(m_container->x(), m_container->y(), grid.width(), grid.height());
    // The pane's document grows with the grid; the pane scrolls when the window is short.
    for (QWidget* view = m_container->parentWidget(); view; view = view->parentWidget()) {
        auto* scroll = qobject_cast<QScrollArea*>(view);
        if (scroll && scroll->widget() && scroll->widget()->isAncestorOf(m_container)) {
            scroll->widget()->resize(scroll->widget()->width(), scroll->widget()->height() + growth);
            return;
        }
    }
}

void ZRPaletteEditor::refreshWells() {
    const ZRActionManager& store = m_store;
    QVariantMap layout;
    QVariantList hidden;
    int visible = 0;
    for (ZRPaletteItemWell* well : m_wells) {
        if (const auto action = well->paletteAction()) {
            if (store.contains(*action)) {
                layout.insert(well->coordinatesIdentifier(), action->uniqueIdentifier());
                ++visible;
            } else {
                well->setPaletteAction(nullptr);
            }
        } else if (well->dummyPosition() != ZRStandardPaletteItemNone) {
            layout.insert(well->coordinatesIdentifier(), qint64(well->dummyPosition()));
            if (well->hiddenByUser())
                hidden.append(qint64(well->dummyPosition()));
            else
                ++visible;
        }
    }
    UserDefaults& defaults = m_defaults;
    defaults.setObject(layout, ZRPaletteLayout::PaletteUserDefaultName);
    defaults.setObject(hidden, ZRPaletteLayout::HiddenItemsUserDefaultName);
    finishUpdate(visible);
}

void ZRPaletteEditor::finishUpdate(int visibleCount) {
    // The palette never ends up empty: with nothing visible every item shows again.
    if (visibleCount == 0)
        for (ZRPaletteItemWell* well : m_wells)
            well->setHiddenByUser(false);
    m_minimumColumn = m_minimumRow = NoItemMinimum;
    m_maximumColumn = m_maximumRow = NoItemMaximum;
    for (const ZRPaletteItemWell* well : m_wells) {
        if (!well->isVisibleItem())
            continue;
        m_minimumColumn = std::min(m_minimumColumn, well->column());
        m_maximumColumn = std::max(m_maximumColumn, well->column());
        m_minimumRow = std::min(m_minimumRow, well->row());
        m_maximumRow = std::max(m_maximumRow, well->row());
    }
    for (ZRPaletteItemWell* well : m_wells) {
        well->setEmphasized(well->column() >= m_minimumColumn && well->column() <= m_maximumColumn &&
                            well->row() >= m_minimumRow && well->row() <= m_maximumRow);
        well->update();
    }
}
