#pragma once

#include <functional>

// What tells the user that a click on the palette or its zoom-button overlay does nothing: the
// application's beep unless a handler is set (tests count beeps through it). Main thread.
void ZRPaletteBeep();
// An empty handler restores the application's beep.
void ZRSetPaletteBeepHandler(std::function<void()> beep);
