#pragma once

#include <QString>
#include <memory>

// The questions the shell asks the user. Tests replace them.
class ZRShellAlerts {
public:
    enum class SaveFailureAnswer { QuitAnyway, DoNotQuit };

    virtual ~ZRShellAlerts() = default;

    // Whether the user wants to quit.
    virtual bool confirmQuit() = 0;
    // The custom actions could not be saved (the reason says why); what was saved before is kept.
    virtual SaveFailureAnswer actionsCouldNotBeSaved(const QString& reason) = 0;

    // Message boxes; without an application to show them, quitting goes ahead.
    static std::unique_ptr<ZRShellAlerts> standardAlerts();
};
