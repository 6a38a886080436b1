#pragma once

#include <QString>
#include <QVariantMap>

class QLineEdit;
class UserDefaults;

// Grid dimensions in text fields, written as the grid geometry describes them: the count ("6") and, with the
// extended rules of the overlay grids, the limit ("<400": cells wider than 400 points grow the count, ">400":
// narrower ones shrink it) and its step ("+2").
namespace ZRGridDimensionFields {

// The field shows the dimension under the key: the dictionary's when it has one, else the setting's.
void takeValueOfControl(QLineEdit& control, const QString& key, const QVariantMap* preferValueFromDictionary,
                        bool extendedRules, const UserDefaults& defaults);
// The field's dimension goes into the dictionary or, without one and unless exclusively, into the settings
// given; counts beyond the grid's range are kept within it. A field without a count leaves the dimension as
// it was.
void takeSizeOfGridDimension(const QString& key, const QLineEdit& control,
                             QVariantMap* storeValueInDictionary, bool exclusively, bool extendedRules,
                             UserDefaults& defaults);

} // namespace ZRGridDimensionFields
