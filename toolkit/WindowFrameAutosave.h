#pragma once

#include <QString>

class QWidget;
class UserDefaults;

// A window's frame kept in the settings under a name, so that a window opens where the user left it.
// Frames are kept in Cocoa screen coordinates under "NSWindow Frame <name>", in the settings given.

// Puts the window at the frame saved under the name, moved and shrunk onto the current screen it
// overlaps most, or centred on the primary screen when it lies on none; false when none is saved.
bool setFrameUsingName(QWidget* window, const QString& name, const UserDefaults& defaults);
// From now on saves the window's frame under the name whenever it moves or changes size while shown;
// an empty name stops saving.
void setFrameAutosaveName(QWidget* window, const QString& name, UserDefaults& defaults);
// The name the window's frame is saved under; empty when none.
QString frameAutosaveName(const QWidget* window);
// Centres the window on the primary screen's usable frame, shrunk to fit it.
void centerWindow(QWidget* window);
// What the settings, help and log windows do on first showing: the saved frame, or centred when none is
// saved, then saving under the name.
void restoreFrameAndAutosave(QWidget* window, const QString& name, UserDefaults& defaults);
