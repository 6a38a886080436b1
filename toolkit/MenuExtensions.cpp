#include "toolkit/MenuExtensions.h"

#include <QAction>
#include <QApplication>
#include <QMenu>

namespace {
constexpr double SmallTitleReduction = 2;
}

QAction* addItemWithTitle(QMenu* menu, const QString& title, const ZRTextAttributes& attributes,
                          std::function<void()> action) {
    if (!menu)
        return nullptr;
    QAction* item = menu->addAction(title);
    item->setFont(attributes.font);
    if (action)
        QObject::connect(item, &QAction::triggered, item, [action = std::move(action)] { action(); });
    return item;
}

ZRTextAttributes smallMenuItemTitleAttributes() {
    ZRTextAttributes attributes;
    attributes.font = QApplication::font("QMenu");
    const double size = attributes.font.pointSizeF();
    if (size > SmallTitleReduction)
        attributes.font.setPointSizeF(size - SmallTitleReduction);
    attributes.color = QApplication::palette("QMenu").color(QPalette::Text);
    attributes.alignment = Qt::AlignLeft | Qt::AlignVCenter;
    return attributes;
}
