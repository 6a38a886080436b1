#pragma once

#include <QString>
#include <QVariant>
#include <optional>

// A link of the help book's own scheme: "x-tallowin-help://message/TEXT" hands TEXT to the help manager's
// delegate; "x-tallowin-help://default/KEY#VALUE" offers to change the setting KEY. Only settings of an
// allow-list can be changed, each with values of its own type and range.
struct ZRHelpLink {
    static constexpr char16_t Scheme[] = u"x-tallowin-help";

    enum class Kind { Message, Default };
    // A setting the help book may change, and the values it takes.
    struct AllowedDefault {
        QString key;
        QMetaType::Type type; // Bool, LongLong or Double
        double minimum = 0;
        double maximum = 0;
    };

    Kind kind = Kind::Message;
    QString message; // as written in the link, not decoded
    QString key;
    QVariant value; // invalid: remove the setting

    // The link of an absolute URL string; none (with the reason) for a link that must change nothing:
    // another scheme, an empty key, broken percent escapes, NUL or bad UTF-8, a key off the allow-list, or
    // a value of the wrong type or out of range.
    static std::optional<ZRHelpLink> parse(const QString& absoluteString, QString* reason = nullptr);
    // The settings help links may change.
    static const std::vector<AllowedDefault>& allowedDefaults();
};
