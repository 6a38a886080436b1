#pragma once

#include <QString>

// The private X display that the tests' fixture (tests/platform/x11/x11-display.sh) started for this run of
// the tests. The fixture files it under the state folder by the process that ran it, which is this program's
// parent too (ctest, or the shell that started both), so that runs beside each other never share or end a
// display.
namespace TestDisplay {

// The folder of this run's display in the fixture's state folder.
QString runFolder(const QString& stateFolder);

// Points this program at the display: DISPLAY, the session bus that runs with it, and Qt's xcb platform;
// to be called before the application object is made. Ends the program with a message when the fixture
// started no display for this run: the tests would otherwise act on whatever display DISPLAY names.
void use(const QString& stateFolder);

} // namespace TestDisplay
