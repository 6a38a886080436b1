#include "settings/ZRGridDimensionFields.h"

#include "platform/foundation/UserDefaults.h"
#include "toolkit/StringExtensions.h"
#include "window-access/GridGeometry.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <algorithm>

namespace ZRGridDimensionFields {

void takeValueOfControl(QLineEdit& control, const QString& key, const QVariantMap* preferValueFromDictionary,
                        bool extendedRules, const UserDefaults& defaults) {
    QString description;
    ZRGridGeometry::sizeOfGridDimension(key, preferValueFromDictionary, nullptr, nullptr, &description,
                                        extendedRules, defaults);
    control.setText(description);
}

void takeSizeOfGridDimension(const QString& key, const QLineEdit& control,
                             QVariantMap* storeValueInDictionary, bool exclusively, bool extendedRules,
                             UserDefaults& defaults) {
    static const QRegularExpression form(
        QStringLiteral(R"(^\s*(\d+)\s*(?:([<>])\s*(\d+))?\s*(?:([+-])\s*(\d+))?)"));
    const QRegularExpressionMatch match = form.match(control.text());
    if (!match.hasMatch() || (!storeValueInDictionary && exclusively))
        return;
    const std::int64_t size =
        std::clamp<std::int64_t>(integerValue(match.captured(1)), ZRGridGeometry::minimumGridDimensionSize(),
                                 ZRGridGeometry::maximumGridDimensionSize(defaults));
    const QString limitKey = key + ZRGridDimensionKey::LimitSuffix;
    const QString deltaKey = limitKey + ZRGridDimensionKey::DeltaSuffix;
    QVariant limit, delta;
    if (extendedRules && !match.captured(3).isEmpty()) {
        const std::int64_t points = integerValue(match.captured(3));
        limit = qint64(match.captured(2) == QStringLiteral("<") ? points : -points);
        if (!match.captured(5).isEmpty())
            delta = qint64(integerValue(match.captured(5)));
    }
    if (storeValueInDictionary) {
        storeValueInDictionary->insert(key, qint64(size));
        if (!extendedRules)
            return;
        for (const auto& [ruleKey, value] : {std::pair{limitKey, limit}, std::pair{deltaKey, delta}}) {
            if (value.isValid())
                storeValueInDictionary->insert(ruleKey, value);
            else
                storeValueInDictionary->remove(ruleKey);
        }
        return;
    }
    defaults.setInteger(size, key);
    if (extendedRules) {
        defaults.setObject(limit, limitKey);
        defaults.setObject(delta, deltaKey);
    }
}

} // namespace ZRGridDimensionFields
