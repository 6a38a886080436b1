#pragma once

#include <QString>
#include <memory>
#include <optional>

class QWidget;

// What the log reader asks of and tells the user. Tests replace it.
class ILRLogReaderAlerts {
public:
    virtual ~ILRLogReaderAlerts() = default;

    // "Log Not Supported".
    virtual void logNotSupported() = 0;
    virtual void beep() = 0;
    // The save panel of a log, as a sheet of the window: the chosen path, or none when cancelled.
    virtual std::optional<QString> savePanel(QWidget* window) = 0;

    // Message boxes and the file dialog.
    static std::unique_ptr<ILRLogReaderAlerts> standardAlerts();
};
