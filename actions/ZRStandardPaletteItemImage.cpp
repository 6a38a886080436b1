#include "actions/ZRStandardPaletteItemImage.h"

#include "actions/ZRAction.h"
#include "actions/ZRActionGeometry.h"
#include "window-access/Position.h"

#include <QPainter>
#include <cmath>

namespace {

// Larger images are no icon but a mistake that would take the memory.
constexpr double MaximumPixelSide = 4096;

} // namespace

QImage ZRStandardPaletteItemImage(std::int64_t position, const QColor& color, double width, double height,
                                  double devicePixelRatio) {
    if (!(width > 0) || !(height > 0) || !(devicePixelRatio > 0) ||
        width * devicePixelRatio > MaximumPixelSide || height * devicePixelRatio > MaximumPixelSide)
        return {};
    QImage image(int(std::ceil(width * devicePixelRatio)), int(std::ceil(height * devicePixelRatio)),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    std::shared_ptr<ZRActionDummy> dummy;
    if (position == ZRPositionCenter) {
        dummy = ZRActionDummy::dummyWithType(ZRActionTypeCenter);
    } else {
        dummy = ZRActionDummy::dummyWithType(ZRActionTypeMoveAndResize);
        const Rect frame = ZRRelativeFrameOfPosition(position);
        dummy->setRelativeFrame(frame.isEmpty() ? ZRRelativeFrame{0, 0, 1, 1} : frame);
    }
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    dummy->drawIconInRect(
        painter, QRectF(0, 0, width, height),
        {.asPaletteItem = true, .asTemplate = true, .color = color.isValid() ? color : QColor(Qt::black)});
    return image;
}
