#pragma once

#include <QProcessEnvironment>

// The desktop's session bus, as this process and the programs it starts see it.
namespace SessionBus {

// Keeps this process from starting a bus of its own. With no session bus to find, the bus library starts one
// through dbus-launch at the first use (Qt's accessibility bridge makes one), and that daemon outlives us and
// the display. The process then goes without a bus. To be called before the application object is made.
void avoidAutolaunch();

// The environment for the programs we start: as it was before avoidAutolaunch().
QProcessEnvironment childEnvironment();

} // namespace SessionBus
