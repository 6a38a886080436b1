#include "settings/ZRSnapActionSelectors.h"

#include "actions/ZRAction.h"
#include "actions/ZRActionManager.h"
#include "mouse-control/ZRMouseControlDefaults.h"
#include "platform/foundation/UserDefaults.h"
#include "settings/ZRSettingsPopUps.h"
#include "toolkit/ImageExtensions.h"
#include "toolkit/ZRShroudView.h"

#include <QComboBox>
#include <QSet>
#include <QStandardItem>
#include <QStandardItemModel>

namespace {

namespace PopUp = ZRSettingsPopUp;

constexpr std::int64_t TopPosition = 3;
constexpr std::int64_t TopRightPosition = 4;
constexpr std::int64_t BottomRightPosition = 6;
constexpr std::int64_t BottomLeftPosition = 8;
constexpr std::int64_t TopLeftPosition = 10;
// The tag of the fixed item that leaves a position without an action.
constexpr qint64 NoActionTag = 0;
// Where the two centre items and their separator join the fixed items.
constexpr int CenterIndex = 3;

const QString EmDash = QStringLiteral(" \u2014 ");

QStandardItemModel* itemModel(QComboBox* popUp) {
    return qobject_cast<QStandardItemModel*>(popUp->model());
}

bool isTopCorner(std::int64_t position) {
    return position == TopLeftPosition || position == TopRightPosition;
}

bool isBottomCorner(std::int64_t position) {
    return position == BottomLeftPosition || position == BottomRightPosition;
}

QString folderHeader(std::int64_t position) {
    if (isTopCorner(position))
        return QObject::tr("First in Folder");
    if (isBottomCorner(position))
        return QObject::tr("Last in Folder");
    return QObject::tr("Choose from Folder");
}

QString layoutHeader(std::int64_t position, bool dropZones) {
    if (dropZones)
        return QObject::tr("Layout Drop Zones");
    if (isTopCorner(position))
        return QObject::tr("First in Layout");
    if (isBottomCorner(position))
        return QObject::tr("Last in Layout");
    return QObject::tr("Choose from Layout");
}

// The name of a built-in type at a position ("Top Half", "Quarter").
QString typeTitle(ZRActionType type, std::int64_t position) {
    auto dummy = ZRActionDummy::dummyWithType(type);
    dummy->setMoveDirection(position);
    dummy->setMoveToEdgeOrCornerPosition(position);
    return dummy->defaultNameWithSuffixes(nullptr);
}

struct Collected {
    std::vector<std::shared_ptr<ZRAction>> folders;
    std::vector<std::shared_ptr<ZRAction>> layouts;
    std::vector<std::shared_ptr<ZRAction>> moves;
    QSet<QString> identifiers;
    QSet<QString> layoutIdentifiers;
};

Collected collect(const ZRActionManager* store) {
    Collected collected;
    if (!store)
        return collected;
    for (const auto& action : store->allActions()) {
        switch (action->actionType()) {
        case ZRActionTypeFolder:
            if (!action->hasRelevantSnapChildren())
                continue;
            collected.folders.push_back(action);
            break;
        case ZRActionTypeLayout:
            if (!action->hasRelevantSnapChildren())
                continue;
            collected.layouts.push_back(action);
            collected.layoutIdentifiers.insert(action->uniqueIdentifier());
            break;
        case ZRActionTypeMoveAndResize:
            collected.moves.push_back(action);
            break;
        default:
            continue;
        }
        collected.identifiers.insert(action->uniqueIdentifier());
    }
    return collected;
}

} // namespace

void ZRSnapActionSelectors::makeSelectors() {
    if (m_snapSelectors.front())
        return;
    std::size_t owned = 0;
    for (std::size_t i = 0; i < Positions.size(); ++i) {
        const std::int64_t position = Positions[i];
        auto* selector = new QComboBox;
        selector->setObjectName(QStringLiteral("snapSelector%1").arg(position));
        selector->setMaxVisibleItems(30);
        // The items of the interface: the standard sizes above, "None" below.
        PopUp::addItem(selector, typeTitle(ZRActionTypeFill, position), ZRActionTypeFill);
        PopUp::addItem(selector, typeTitle(ZRActionTypeHalf, position), ZRActionTypeHalf);
        PopUp::addItem(selector, typeTitle(ZRActionTypeQuarter, position), ZRActionTypeQuarter);
        PopUp::addItem(selector, QObject::tr("None"), NoActionTag);
        // Joined on the first build: both centres, then the separator above the actions.
        QStandardItemModel* model = itemModel(selector);
        model->insertRow(CenterIndex, PopUp::newItem(QObject::tr("Center"), ZRActionTypeCenter));
        model->insertRow(CenterIndex + 1,
                         PopUp::newItem(QObject::tr("Center") + EmDash + QObject::tr("Actual Display Center"),
                                        ZRActionTypeCenterGeometrically));
        model->insertRow(CenterIndex + 2, PopUp::newSeparatorItem());
        m_snapSelectors[i] = selector;
        m_owned[owned++] = selector;
    }
    for (std::size_t i = 0; i < DropSnapModifiers.size(); ++i) {
        auto* selector = new QComboBox;
        selector->setObjectName(QStringLiteral("dropSnapSelector%1").arg(DropSnapModifiers[i]));
        selector->setMaxVisibleItems(30);
        itemModel(selector)->appendRow(PopUp::newSeparatorItem());
        itemModel(selector)->appendRow(PopUp::newItem(QObject::tr("None"), PopUp::NoTag));
        m_dropSnapSelectors[i] = selector;
        m_owned[owned++] = selector;
    }
}

ZRSnapActionSelectors::~ZRSnapActionSelectors() {
    for (const QPointer<QComboBox>& selector : m_owned)
        if (selector && !selector->parent())
            delete selector.data();
}

QComboBox* ZRSnapActionSelectors::snapSelector(std::int64_t position) const {
    for (std::size_t i = 0; i < Positions.size(); ++i)
        if (Positions[i] == position)
            return m_snapSelectors[i];
    return nullptr;
}

QComboBox* ZRSnapActionSelectors::dropSnapSelector(ModifierFlags modifier) const {
    for (std::size_t i = 0; i < DropSnapModifiers.size(); ++i)
        if (DropSnapModifiers[i] == modifier)
            return m_dropSnapSelectors[i];
    return nullptr;
}

std::int64_t ZRSnapActionSelectors::positionForSnapActionSelector(const QObject* control) const {
    for (std::size_t i = 0; i < Positions.size(); ++i)
        if (control && m_snapSelectors[i] == control)
            return Positions[i];
    return -1;
}

ModifierFlags ZRSnapActionSelectors::modifierFlagForDropZoneActionSelector(const QObject* control) const {
    for (std::size_t i = 0; i < DropSnapModifiers.size(); ++i)
        if (control && m_dropSnapSelectors[i] == control)
            return DropSnapModifiers[i];
    return 0;
}

QString ZRSnapActionSelectors::userDefaultNameForSnapPosition(std::int64_t position) {
    return ::userDefaultNameForSnapPosition(position);
}

QIcon ZRSnapActionSelectors::iconFor(const QImage& image, const QColor& color) {
    if (image.isNull())
        return {};
    const QPair<qint64, QRgb> key(image.cacheKey(), color.rgba());
    const auto found = m_icons.constFind(key);
    if (found != m_icons.constEnd())
        return *found;
    const QIcon icon(QPixmap::fromImage(tintedImage(image, color)));
    m_icons.insert(key, icon);
    return icon;
}

void ZRSnapActionSelectors::addFixedItems(QComboBox* selector, std::int64_t position,
                                          const QColor& iconColor) {
    QStandardItemModel* model = itemModel(selector);
    for (int row = 0; row < FixedTopItemCount; ++row) {
        QStandardItem* item = model->item(row);
        const qint64 tag = item->data(PopUp::TagRole).toLongLong();
        if (tag >= ZRActionTypeFill && tag <= ZRActionTypeQuarter)
            item->setIcon(iconFor(
                ZRActionDummy::menuTemplateIconForActionType(static_cast<ZRActionType>(tag), position),
                iconColor));
        else if (tag == ZRActionTypeCenter || tag == ZRActionTypeCenterGeometrically)
            item->setIcon(iconFor(
                ZRActionDummy::menuTemplateIconForActionType(static_cast<ZRActionType>(tag), 0), iconColor));
    }
}

void ZRSnapActionSelectors::updateSnapActionSelectors(const ZRActionManager* store, const QColor& iconColor) {
    UserDefaults& defaults = m_defaults;
    const Collected collected = collect(store);
    const bool mayReset = store && !store->storedValueIsUnreadable();
    for (const std::int64_t position : Positions) {
        const QString key = userDefaultNameForSnapPosition(position);
        const QVariant stored = defaults.object(key);
        if (stored.typeId() == QMetaType::QString) {
            const QString text = stored.toString();
            const bool known = text.size() >= 2 && collected.identifiers.contains(text.mid(1));
            if (!known && mayReset)
                defaults.setInteger(NoActionTag, key);
        }
    }
    for (const ModifierFlags modifier : DropSnapModifiers) {
        const QString key = userDefaultNameForDropSnapModifier(modifier);
        if (defaults.hasValue(key) && !collected.layoutIdentifiers.contains(defaults.stringForKey(key)) &&
            mayReset)
            defaults.removeObject(key);
    }
    // The menus wait until the settings window, first shown, makes the pop-ups: their icons are drawn then.
    if (!m_snapSelectors.front())
        return;

    const bool layoutsShowDropZones = defaults.boolForKey(ZRMouseControlDefault::DropSnapActivateViaSnap);
    if (!m_builtOnce || m_fixedIconColor != iconColor) {
        for (std::size_t i = 0; i < Positions.size(); ++i)
            addFixedItems(m_snapSelectors[i], Positions[i], iconColor);
        m_fixedIconColor = iconColor;
        m_builtOnce = true;
    }

    const auto actionItem = [this, &iconColor](const std::shared_ptr<ZRAction>& action,
                                               const QVariant& representedObject, qint64 tag) {
        QStandardItem* item =
            PopUp::newItem(action->displayNameWithSuffixes(nullptr), tag, representedObject);
        item->setIcon(iconFor(action->menuTemplateIcon(), iconColor));
        return item;
    };

    for (std::size_t i = 0; i < Positions.size(); ++i) {
        const std::int64_t position = Positions[i];
        QComboBox* selector = m_snapSelectors[i];
        QStandardItemModel* model = itemModel(selector);
        if (model->rowCount() > FixedItemCount)
            model->removeRows(FixedTopItemCount, model->rowCount() - FixedItemCount);
        QList<QStandardItem*> rows;
        const auto addGroup = [&](const QString& header,
                                  const std::vector<std::shared_ptr<ZRAction>>& group) {
            if (group.empty())
                return;
            rows.append(PopUp::newHeaderItem(header));
            for (const auto& action : group)
                rows.append(actionItem(action,
                                       QVariant(QString(QChar(ActionPrefix)) + action->uniqueIdentifier()),
                                       PopUp::NoTag));
            rows.append(PopUp::newSeparatorItem());
        };
        addGroup(folderHeader(position), collected.folders);
        addGroup(layoutHeader(position, layoutsShowDropZones), collected.layouts);
        if (!collected.moves.empty())
            addGroup(collected.moves.front()->defaultNameWithSuffixes(nullptr), collected.moves);
        if (!rows.isEmpty())
            model->invisibleRootItem()->insertRows(FixedTopItemCount, rows);
        selectStoredSnapChoice(selector, position);
    }

    for (std::size_t i = 0; i < DropSnapModifiers.size(); ++i) {
        const ModifierFlags modifier = DropSnapModifiers[i];
        QComboBox* selector = m_dropSnapSelectors[i];
        QStandardItemModel* model = itemModel(selector);
        if (model->rowCount() > DropSnapFixedItemCount)
            model->removeRows(0, model->rowCount() - DropSnapFixedItemCount);
        QList<QStandardItem*> rows;
        for (const auto& layout : collected.layouts)
            rows.append(actionItem(layout, layout->uniqueIdentifier(), PopUp::NoTag));
        if (!rows.isEmpty())
            model->invisibleRootItem()->insertRows(0, rows);
        selectStoredDropSnapChoice(selector, modifier);
        setShroudAwareEnabled(selector, !collected.layouts.empty());
    }
}

void ZRSnapActionSelectors::selectStoredSnapChoice(QComboBox* selector, std::int64_t position) {
    const QVariant stored = m_defaults.object(userDefaultNameForSnapPosition(position));
    if (stored.typeId() == QMetaType::QString) {
        // An action that is not (yet) in the menu shows as no choice rather than as another one.
        PopUp::selectItem(selector, selector->findData(stored, PopUp::RepresentedObjectRole));
        return;
    }
    PopUp::selectItemWithTag(selector, stored.isValid() ? stored.toLongLong() : NoActionTag);
}

void ZRSnapActionSelectors::selectStoredDropSnapChoice(QComboBox* selector, ModifierFlags modifier) {
    const QString stored = m_defaults.stringForKey(userDefaultNameForDropSnapModifier(modifier));
    const int index = stored.isEmpty() ? -1 : selector->findData(stored, PopUp::RepresentedObjectRole);
    PopUp::selectItem(selector, index >= 0 ? index : selector->count() - 1);
}

bool ZRSnapActionSelectors::changeSnapAction(QComboBox* sender) {
    const std::int64_t position = positionForSnapActionSelector(sender);
    if (position < 0)
        return false;
    const int index = sender->currentIndex();
    if (!PopUp::isChoosableItem(sender, index)) {
        selectStoredSnapChoice(sender, position);
        return false;
    }
    const QVariant representedObject = PopUp::representedObjectOfItem(sender, index);
    const QString key = userDefaultNameForSnapPosition(position);
    if (representedObject.isValid())
        m_defaults.setObject(representedObject, key);
    else
        m_defaults.setInteger(PopUp::tagOfItem(sender, index), key);
    return true;
}

bool ZRSnapActionSelectors::changeDropSnapAction(QComboBox* sender) {
    const ModifierFlags modifier = modifierFlagForDropZoneActionSelector(sender);
    if (!modifier)
        return false;
    const int index = sender->currentIndex();
    if (!PopUp::isChoosableItem(sender, index)) {
        selectStoredDropSnapChoice(sender, modifier);
        return false;
    }
    const QVariant representedObject = PopUp::representedObjectOfItem(sender, index);
    const QString key = userDefaultNameForDropSnapModifier(modifier);
    if (representedObject.isValid())
        m_defaults.setObject(representedObject, key);
    else
        m_defaults.removeObject(key);
    return true;
}
