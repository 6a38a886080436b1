#pragma once

#include <QString>
#include <memory>

class QWidget;

// What a hot-key field tells or asks the user. Tests replace it.
class ZRHotKeyTextViewAlerts {
public:
    virtual ~ZRHotKeyTextViewAlerts() = default;

    // The keys cannot be used: taken by another owner or another program.
    virtual void beep() = 0;
    // Whether to use a hot key that takes a plain key (or one with Command only) from every other
    // application; the text is the hot key's. The window is the field's.
    virtual bool confirmHotKey(QWidget* window, const QString& visualRepresentation) = 0;

    // The application's beep and a message box; without a widget application, no beep and no.
    static std::unique_ptr<ZRHotKeyTextViewAlerts> standardAlerts();
};
