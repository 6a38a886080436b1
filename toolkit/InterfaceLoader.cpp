#include "toolkit/InterfaceLoader.h"

#include <QHash>

namespace {
QHash<QString, ZRInterfaceBuilder>& builders() {
    static QHash<QString, ZRInterfaceBuilder> registry;
    return registry;
}
} // namespace

void registerInterfaceBuilder(const QString& name, ZRInterfaceBuilder builder) {
    if (builder)
        builders().insert(name, std::move(builder));
    else
        builders().remove(name);
}

bool vintageStyleLoadNibNamed(const QString& name, QObject* owner) {
    const auto it = builders().constFind(name);
    return it != builders().cend() && (*it)(owner);
}
