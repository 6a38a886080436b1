#include "settings/ZRSettingsPopUps.h"

#include <QComboBox>
#include <QSignalBlocker>
#include <QStandardItem>
#include <QStandardItemModel>

namespace ZRSettingsPopUp {

namespace {

// The pop-up's own view draws an item with this description as a line.
const QString SeparatorDescription = QStringLiteral("separator");

} // namespace

void addItem(QComboBox* popUp, const QString& title, qint64 tag) {
    popUp->addItem(title, QVariant::fromValue(tag));
}

QStandardItem* newItem(const QString& title, qint64 tag, const QVariant& representedObject) {
    auto* item = new QStandardItem(title);
    item->setData(QVariant::fromValue(tag), TagRole);
    if (representedObject.isValid())
        item->setData(representedObject, RepresentedObjectRole);
    return item;
}

QStandardItem* newHeaderItem(const QString& title) {
    QStandardItem* item = newItem(title, NoTag);
    item->setFlags(item->flags() & ~(Qt::ItemIsEnabled | Qt::ItemIsSelectable));
    QFont font = item->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 0.85);
    item->setFont(font);
    return item;
}

QStandardItem* newSeparatorItem() {
    QStandardItem* item = newItem(QString(), NoTag);
    item->setData(SeparatorDescription, Qt::AccessibleDescriptionRole);
    item->setFlags(item->flags() & ~(Qt::ItemIsEnabled | Qt::ItemIsSelectable));
    return item;
}

qint64 tagOfItem(const QComboBox* popUp, int index) {
    if (index < 0 || index >= popUp->count())
        return NoTag;
    bool ok = false;
    const qint64 tag = popUp->itemData(index, TagRole).toLongLong(&ok);
    return ok ? tag : NoTag;
}

QVariant representedObjectOfItem(const QComboBox* popUp, int index) {
    if (index < 0 || index >= popUp->count())
        return {};
    return popUp->itemData(index, RepresentedObjectRole);
}

int indexOfItemWithTag(const QComboBox* popUp, qint64 tag) {
    for (int index = 0; index < popUp->count(); ++index)
        if (isChoosableItem(popUp, index) && tagOfItem(popUp, index) == tag)
            return index;
    return -1;
}

void selectItem(QComboBox* popUp, int index) {
    const QSignalBlocker blocker(popUp);
    popUp->setCurrentIndex(index);
}

void selectItemWithTag(QComboBox* popUp, qint64 tag) {
    selectItem(popUp, indexOfItemWithTag(popUp, tag));
}

bool isChoosableItem(const QComboBox* popUp, int index) {
    if (index < 0 || index >= popUp->count())
        return false;
    const QModelIndex item = popUp->model()->index(index, popUp->modelColumn(), popUp->rootModelIndex());
    return (popUp->model()->flags(item) & (Qt::ItemIsEnabled | Qt::ItemIsSelectable)) ==
           (Qt::ItemIsEnabled | Qt::ItemIsSelectable);
}

} // namespace ZRSettingsPopUp
