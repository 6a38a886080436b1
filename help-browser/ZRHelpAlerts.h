#pragma once

#include <QString>
#include <QStringList>
#include <memory>

class QWidget;

// The questions the help window asks the user. Tests replace them.
class ZRHelpAlerts {
public:
    virtual ~ZRHelpAlerts() = default;

    // A modal alert over the window with the buttons, the first the default and the last the one Escape
    // chooses; answers the index of the chosen button.
    virtual int runModal(QWidget* window, const QString& message, const QString& informativeText,
                         const QStringList& buttons) = 0;

    // Message boxes.
    static std::unique_ptr<ZRHelpAlerts> standardAlerts();
};
