#include "platform/foundation/NotificationCenter.h"

NotificationCenter& NotificationCenter::defaultCenter() {
    static NotificationCenter center;
    return center;
}

Connection NotificationCenter::addObserver(const QString& name, const void* sender, Handler handler) {
    return m_posted.connect([name, sender, handler = std::move(handler)](const Notification& notification) {
        if ((name.isEmpty() || name == notification.name) && (!sender || sender == notification.sender))
            handler(notification);
    });
}

void NotificationCenter::post(const Notification& notification) {
    m_posted.emit(notification);
}

void NotificationCenter::post(const QString& name, const void* sender, std::any object,
                              QVariantMap userInfo) {
    post(Notification{name, sender, std::move(object), std::move(userInfo)});
}
