#pragma once

#include "platform/Signal.h"

#include <QString>
#include <QVariantMap>
#include <any>
#include <functional>

struct Notification {
    QString name;
    const void* sender = nullptr; // who posted, for observers that listen to one sender
    std::any object;              // what the notification carries
    QVariantMap userInfo;
};

// Delivers notifications by name, synchronously, on the main thread.
class NotificationCenter {
public:
    static NotificationCenter& defaultCenter();

    using Handler = std::function<void(const Notification&)>;
    // An empty name observes every notification; a null sender, every sender. The observation ends
    // with the connection.
    [[nodiscard]] Connection addObserver(const QString& name, const void* sender, Handler handler);

    void post(const Notification& notification);
    void post(const QString& name, const void* sender = nullptr, std::any object = {},
              QVariantMap userInfo = {});

private:
    Signal<const Notification&> m_posted;
};
