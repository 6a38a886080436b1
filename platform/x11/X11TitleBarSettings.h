#pragma once

#include "platform/x11/X11TitleBar.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

// Where each window manager other than openbox keeps the layout of its title-bar buttons, and the
// sizes its theme gives them. EWMH carries no button geometry, so the palette can only sit over a
// button whose place is read here.
class X11TitleBarSettings {
public:
    // The buttons of the window manager of that _NET_WM_NAME; none when its configuration or theme
    // cannot be read, or for a window manager not known here.
    static std::optional<X11TitleButtonRow> read(const QString& windowManager);

    // The contents of the first of the files that exists; empty when none does or it is too large.
    static QByteArray firstExisting(const QStringList& paths);
    static QString configHome();
    // The user's and the system's folders of shared data, the user's first.
    static QStringList dataDirs();

private:
    static std::optional<X11TitleButtonRow> xfwm4();
    static std::optional<X11TitleButtonRow> icewm();
    static std::optional<X11TitleButtonRow> fluxbox();
    static std::optional<X11TitleButtonRow> metacity();
    static std::optional<X11TitleButtonRow> marco();
};
