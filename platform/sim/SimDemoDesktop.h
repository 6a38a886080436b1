#pragma once

#include <memory>

class SimDesktop;

// A ready-made desktop to try the program on: two screens side by side and a few applications
// with windows of different kinds (resizable, fixed size, with a minimum size, an Electron one).
std::unique_ptr<SimDesktop> makeDemoDesktop();
