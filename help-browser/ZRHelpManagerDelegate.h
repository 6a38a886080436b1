#pragma once

#include <QString>
#include <optional>

class ZRHelpManager;

// Who hears of the help book's links. The program sets none.
class ZRHelpManagerDelegate {
public:
    virtual ~ZRHelpManagerDelegate() = default;
    // A message link was followed; the text is as the link writes it.
    virtual void helpManagerDidReceiveMessage(ZRHelpManager& manager, const QString& message) {}
    // A settings link changed or removed the setting; the text to tell the user, or none for the standard
    // one.
    virtual std::optional<QString> helpManagerDidSetOrRemoveUserDefault(ZRHelpManager& manager,
                                                                        const QString& key) {
        return std::nullopt;
    }
};
