#pragma once

#include <QString>

// Files compiled into the program (resources/CMakeLists.txt), each area's under a prefix of its own:
// pictures under ":/images", the examples under ":/examples", the help book under ":/help".

// The path of the compiled-in picture of that name (its file name without the extension, a PNG or
// SVG file); empty when there is none.
QString resourceImagePath(const QString& name);

// The path of the compiled-in file of that name and type (its extension), in whichever area's folder it
// lies; empty when there is none.
QString pathForResource(const QString& name, const QString& type);
