#pragma once

#include <QString>
#include <QVariant>
#include <Qt>

class QComboBox;
class QIcon;
class QStandardItem;

// The pop-up buttons of the settings: each item carries the value it stores as its tag and, for an action,
// the action's represented object. Headers and separators are items that cannot be chosen, so neither the
// mouse nor the keys can select one.
namespace ZRSettingsPopUp {

inline constexpr int TagRole = Qt::UserRole;
inline constexpr int RepresentedObjectRole = Qt::UserRole + 1;
// The tag of headers and separators.
inline constexpr qint64 NoTag = -1;

void addItem(QComboBox* popUp, const QString& title, qint64 tag);
// New items for a model of the pop-up: an item, a section header, a separator.
QStandardItem* newItem(const QString& title, qint64 tag, const QVariant& representedObject = QVariant());
QStandardItem* newHeaderItem(const QString& title);
QStandardItem* newSeparatorItem();

// The tag of the item; NoTag for an index outside the pop-up or an item without one.
qint64 tagOfItem(const QComboBox* popUp, int index);
QVariant representedObjectOfItem(const QComboBox* popUp, int index);
// The first item with the tag, or -1.
int indexOfItemWithTag(const QComboBox* popUp, qint64 tag);
// Selects the first item with the tag, or none when there is none; the selection of code is no choice of
// the user and sends nothing.
void selectItemWithTag(QComboBox* popUp, qint64 tag);
void selectItem(QComboBox* popUp, int index);
// Whether the item can be chosen: it is neither a header nor a separator.
bool isChoosableItem(const QComboBox* popUp, int index);

} // namespace ZRSettingsPopUp
