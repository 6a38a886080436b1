#pragma once

#include <QPixmap>
#include <QPoint>

// The puff of smoke that tells the user a dragged item is gone: a cursor shown while a release would delete
// it, and a short cloud at the point where it went. The cloud never takes a click or the keyboard.
class ZRDisappearingItemAnimation {
public:
    // Seconds the cloud shows.
    static constexpr double Duration = 0.3;
    static constexpr int Size = 48;

    static QPixmap cursorPixmap();
    // Shows the cloud centred on the screen point; it closes itself.
    static void showAtPoint(QPoint screenPoint);
};
