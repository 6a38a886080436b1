#include "mouse-control/ZRPaletteBeep.h"

#include <QApplication>

namespace {

std::function<void()>& beepHandler() {
    static std::function<void()> handler;
    return handler;
}

} // namespace

void ZRPaletteBeep() {
    if (beepHandler())
        beepHandler()();
    else if (qobject_cast<QApplication*>(QCoreApplication::instance()))
        QApplication::beep();
}

void ZRSetPaletteBeepHandler(std::function<void()> beep) {
    beepHandler() = std::move(beep);
}
