#include "platform/MainThread.h"

#include <thread>

namespace {

// Static initialisation runs on the thread that starts the program. Until this file's turn comes
// the id is still the empty one, and whoever asks then is that same thread.
const std::thread::id mainThreadId = std::this_thread::get_id();

} // namespace

bool isMainThread() {
    return mainThreadId == std::thread::id() || std::this_thread::get_id() == mainThreadId;
}
