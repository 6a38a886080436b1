#include "platform/x11/X11Errors.h"

#include <array>

namespace {

// The names of the core protocol's errors, by code.
constexpr std::array<const char*, 18> ErrorNames = {
    "",          "BadRequest", "BadValue",         "BadWindow",   "BadPixmap",
    "BadAtom",   "BadCursor",  "BadFont",          "BadMatch",    "BadDrawable",
    "BadAccess", "BadAlloc",   "BadColormap",      "BadGContext", "BadIDChoice",
    "BadName",   "BadLength",  "BadImplementation"};

// The names of the core protocol's requests, by major opcode; extensions' requests start at 128.
// clang-format off
constexpr std::array<const char*, 120> RequestNames = {
    "", "CreateWindow", "ChangeWindowAttributes", "GetWindowAttributes", "DestroyWindow", "DestroySubwindows",
    "ChangeSaveSet", "ReparentWindow", "MapWindow", "MapSubwindows", "UnmapWindow", "UnmapSubwindows",
    "ConfigureWindow", "CirculateWindow", "GetGeometry", "QueryTree", "InternAtom", "GetAtomName",
    "ChangeProperty", "DeleteProperty", "GetProperty", "ListProperties", "SetSelectionOwner",
    "GetSelectionOwner", "ConvertSelection", "SendEvent", "GrabPointer", "UngrabPointer", "GrabButton",
    "UngrabButton", "ChangeActivePointerGrab", "GrabKeyboard", "UngrabKeyboard", "GrabKey", "UngrabKey",
    "AllowEvents", "GrabServer", "UngrabServer", "QueryPointer", "GetMotionEvents", "TranslateCoordinates",
    "WarpPointer", "SetInputFocus", "GetInputFocus", "QueryKeymap", "OpenFont", "CloseFont", "QueryFont",
    "QueryTextExtents", "ListFonts", "ListFontsWithInfo", "SetFontPath", "GetFontPath", "CreatePixmap",
    "FreePixmap", "CreateGC", "ChangeGC", "CopyGC", "SetDashes", "SetClipRectangles", "FreeGC", "ClearArea",
    "CopyArea", "CopyPlane", "PolyPoint", "PolyLine", "PolySegment", "PolyRectangle", "PolyArc", "FillPoly",
    "PolyFillRectangle", "PolyFillArc", "PutImage", "GetImage", "PolyText8", "PolyText16", "ImageText8",
    "ImageText16", "CreateColormap", "FreeColormap", "CopyColormapAndFree", "InstallColormap",
    "UninstallColormap", "ListInstalledColormaps", "AllocColor", "AllocNamedColor", "AllocColorCells",
    "AllocColorPlanes", "FreeColors", "StoreColors", "StoreNamedColor", "QueryColors", "LookupColor",
    "CreateCursor", "CreateGlyphCursor", "FreeCursor", "RecolorCursor", "QueryBestSize", "QueryExtension",
    "ListExtensions", "ChangeKeyboardMapping", "GetKeyboardMapping", "ChangeKeyboardControl",
    "GetKeyboardControl", "Bell", "ChangePointerControl", "GetPointerControl", "SetScreenSaver",
    "GetScreenSaver", "ChangeHosts", "ListHosts", "SetAccessControl", "SetCloseDownMode", "KillClient",
    "RotateProperties", "ForceScreenSaver", "SetPointerMapping", "GetPointerMapping", "SetModifierMapping",
    "GetModifierMapping",
};
// clang-format on
constexpr std::uint8_t NoOperationOpcode = 127;
constexpr std::uint8_t FirstExtensionOpcode = 128;

QString errorName(std::uint8_t code) {
    if (code < ErrorNames.size() && code != 0)
        return QString::fromLatin1(ErrorNames[code]);
    return QStringLiteral("error %1").arg(code);
}

QString requestName(std::uint8_t major, std::uint16_t minor) {
    if (major >= FirstExtensionOpcode)
        return QStringLiteral("extension request %1.%2").arg(major).arg(minor);
    if (major == NoOperationOpcode)
        return QStringLiteral("NoOperation");
    if (major < RequestNames.size() && *RequestNames[major])
        return QString::fromLatin1(RequestNames[major]);
    return QStringLiteral("request %1").arg(major);
}

} // namespace

QString x11ErrorDescription(const xcb_generic_error_t& error) {
    return QStringLiteral("x error %1 (%2) of %3 on resource 0x%4")
        .arg(errorName(error.error_code))
        .arg(error.error_code)
        .arg(requestName(error.major_code, error.minor_code))
        .arg(error.resource_id, 0, 16);
}
