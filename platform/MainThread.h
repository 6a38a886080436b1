#pragma once

// Whether the caller runs on the thread that started the program, where the Qt event loop and every
// main-thread-only object live.
bool isMainThread();
