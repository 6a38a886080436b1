#include "platform/x11/X11TitleBarSettings.h"

#include "platform/PlatformLog.h"
#include "platform/foundation/RegularFile.h"
#include "platform/foundation/SessionBus.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QProcess>
#include <QStandardPaths>

namespace {

// The window manager's configuration and theme files are small; anything larger is not one of them.
constexpr qint64 MaximumConfigurationBytes = 4 * 1024 * 1024;
// gsettings answers from its database at once; a hung one must not hold up the start.
constexpr int SettingsToolMilliseconds = 2000;

// Buttons of the themes that draw them with GTK, where no file says their size: measured on the
// default theme of each (a click through every pixel of the title bar), and used for that theme only.
struct MeasuredTheme {
    const char* theme;
    int width;
    int edgeGap;
    int spacing;
    int verticalGap;
};
constexpr MeasuredTheme MarcoMenta{"Menta", 17, 2, 2, 2};
constexpr MeasuredTheme MetacityAdwaita{"Adwaita", 28, 4, 6, 4};

QStringList configDirs() {
    QStringList dirs{X11TitleBarSettings::configHome()};
    const QString system = qEnvironmentVariable("XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg"));
    dirs << system.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    return dirs;
}

QStringList under(const QStringList& dirs, const QString& path) {
    QStringList paths;
    for (const QString& dir : dirs)
        paths << dir + QLatin1Char('/') + path;
    return paths;
}

// The first folder that holds the file, with the file's name.
QString firstFolderWith(const QStringList& folders, const QString& file) {
    for (const QString& folder : folders)
        if (QFileInfo(folder + QLatin1Char('/') + file).isFile())
            return folder;
    return {};
}

// The width of a button's picture in a theme folder, tried in the formats themes use; 0 without one.
int imageWidth(const QString& folder, const QString& name) {
    for (const char* suffix : {".png", ".xpm", ".svg"}) {
        QImageReader reader(folder + QLatin1Char('/') + name + QLatin1String(suffix));
        if (const QSize size = reader.size(); size.isValid() && size.width() > 0)
            return size.width();
    }
    return 0;
}

// A value of gsettings, unquoted; empty when it has none or cannot say.
QString gsetting(const QString& schema, const QString& key) {
    QProcess process;
    process.setProcessEnvironment(SessionBus::childEnvironment());
    process.start(QStringLiteral("gsettings"), {QStringLiteral("get"), schema, key});
    if (!process.waitForFinished(SettingsToolMilliseconds) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        process.kill();
        process.waitForFinished(SettingsToolMilliseconds);
        return {};
    }
    QString value = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    if (value.size() >= 2 && value.startsWith(QLatin1Char('\'')) && value.endsWith(QLatin1Char('\'')))
        value = value.mid(1, value.size() - 2);
    return value;
}

std::optional<X11TitleButtonRow> gnomeRow(const QString& layout, const QString& theme,
                                          const MeasuredTheme& measured, const QString& windowManager) {
    if (layout.isEmpty())
        return std::nullopt;
    if (theme != QLatin1String(measured.theme)) {
        platformLog(QStringLiteral("the title-bar buttons of %1 are not known in its theme %2")
                        .arg(windowManager, theme));
        return std::nullopt;
    }
    return X11TitleBar::gnomeRow(layout, measured.width, measured.edgeGap, measured.spacing,
                                 measured.verticalGap);
}

} // namespace

QByteArray X11TitleBarSettings::firstExisting(const QStringList& paths) {
    for (const QString& path : paths)
        if (QFileInfo::exists(path))
            return readRegularFile(path, MaximumConfigurationBytes).value_or(QByteArray());
    return {};
}

QString X11TitleBarSettings::configHome() {
    const QString configured = qEnvironmentVariable("XDG_CONFIG_HOME");
    return configured.isEmpty() ? QDir::homePath() + QStringLiteral("/.config") : configured;
}

QStringList X11TitleBarSettings::dataDirs() {
    return QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
}

std::optional<X11TitleButtonRow> X11TitleBarSettings::read(const QString& windowManager) {
    auto is = [&](const char* name) {
        return windowManager.startsWith(QLatin1String(name), Qt::CaseInsensitive);
    };
    if (is("Xfwm4"))
        return xfwm4();
    if (is("IceWM"))
        return icewm();
    if (is("Fluxbox"))
        return fluxbox();
    // marco calls itself "Metacity (Marco)".
    if (windowManager.contains(QLatin1String("Marco"), Qt::CaseInsensitive))
        return marco();
    if (is("Metacity"))
        return metacity();
    return std::nullopt;
}

std::optional<X11TitleButtonRow> X11TitleBarSettings::xfwm4() {
    // What xfconf keeps of the user's and the system's choices, then what xfwm4 ships.
    const QString channel = QStringLiteral("xfce4/xfconf/xfce-perchannel-xml/xfwm4.xml");
    QList<QByteArray> channels;
    for (const QString& path : under(configDirs(), channel))
        channels << firstExisting({path});
    const QByteArray defaults = firstExisting(under(dataDirs(), QStringLiteral("xfwm4/defaults")));
    auto value = [&](const QString& key) {
        for (const QByteArray& text : channels)
            if (const QString found = X11TitleBar::xfconfValue(text, key); !found.isEmpty())
                return found;
        return X11TitleBar::settingValue(defaults, key, QLatin1Char('='));
    };
    const QString layout = value(QStringLiteral("button_layout"));
    const QString theme = value(QStringLiteral("theme"));
    if (layout.isEmpty() || theme.isEmpty())
        return std::nullopt;
    const QString folder = firstFolderWith(under(QStringList{QDir::homePath() + QStringLiteral("/.themes")} +
                                                     under(dataDirs(), QStringLiteral("themes")),
                                                 theme + QStringLiteral("/xfwm4")),
                                           QStringLiteral("themerc"));
    if (folder.isEmpty())
        return std::nullopt;
    const QByteArray themerc = firstExisting({folder + QStringLiteral("/themerc")});
    auto integer = [&](const QString& key) {
        const QString own = X11TitleBar::settingValue(themerc, key, QLatin1Char('='));
        return (own.isEmpty() ? X11TitleBar::settingValue(defaults, key, QLatin1Char('=')) : own).toInt();
    };
    bool complete = true;
    auto widthOf = [&](QChar letter) {
        static const QHash<QChar, QString> images{
            {QLatin1Char('O'), QStringLiteral("menu")},     {QLatin1Char('T'), QStringLiteral("stick")},
            {QLatin1Char('S'), QStringLiteral("shade")},    {QLatin1Char('H'), QStringLiteral("hide")},
            {QLatin1Char('M'), QStringLiteral("maximize")}, {QLatin1Char('C'), QStringLiteral("close")}};
        const int width = imageWidth(folder, images.value(letter) + QStringLiteral("-active"));
        complete = complete && width > 0;
        return width;
    };
    auto row = X11TitleBar::xfwm4Row(layout, integer(QStringLiteral("button_offset")),
                                     integer(QStringLiteral("button_spacing")), widthOf);
    return complete ? std::optional(row) : std::nullopt;
}

std::optional<X11TitleButtonRow> X11TitleBarSettings::icewm() {
    // icewm reads its preferences from the system's folders, then the user's, then the theme, and
    // last the overrides; of a key set twice the later counts.
    QStringList folders = under(dataDirs(), QStringLiteral("icewm"));
    std::reverse(folders.begin(), folders.end());
    folders << QStringLiteral("/etc/icewm") << QStringLiteral("/etc/X11/icewm")
            << QDir::homePath() + QStringLiteral("/.icewm") << configHome() + QStringLiteral("/icewm");
    if (const QString own = qEnvironmentVariable("ICEWM_PRIVCFG"); !own.isEmpty())
        folders << own;
    QByteArray settings;
    QString themeName;
    for (const QString& folder : folders) {
        settings += firstExisting({folder + QStringLiteral("/preferences")}) + '\n';
        if (const QString chosen =
                X11TitleBar::settingValue(firstExisting({folder + QStringLiteral("/theme")}),
                                          QStringLiteral("Theme"), QLatin1Char('='));
            !chosen.isEmpty())
            themeName = chosen;
    }
    if (themeName.isEmpty())
        themeName = X11TitleBar::settingValue(settings, QStringLiteral("Theme"), QLatin1Char('='));
    if (themeName.isEmpty())
        themeName = QStringLiteral("default/default.theme");
    QString themeFolder;
    for (auto it = folders.crbegin(); it != folders.crend() && themeFolder.isEmpty(); ++it)
        if (QFileInfo(*it + QStringLiteral("/themes/") + themeName).isFile())
            themeFolder = QFileInfo(*it + QStringLiteral("/themes/") + themeName).absolutePath();
    if (themeFolder.isEmpty())
        return std::nullopt;
    settings += firstExisting({themeFolder + QLatin1Char('/') + QFileInfo(themeName).fileName()}) + '\n';
    for (const QString& folder : folders)
        settings += firstExisting({folder + QStringLiteral("/prefoverride")}) + '\n';

    auto setting = [&](const QString& key, const QString& fallback) {
        const QString value = X11TitleBar::settingValue(settings, key, QLatin1Char('='));
        return value.isEmpty() ? fallback : value;
    };
    auto widthOf = [&](QChar letter) {
        static const QHash<QChar, QString> images{{QLatin1Char('x'), QStringLiteral("closeA")},
                                                  {QLatin1Char('m'), QStringLiteral("maximizeA")},
                                                  {QLatin1Char('i'), QStringLiteral("minimizeA")},
                                                  {QLatin1Char('r'), QStringLiteral("rollupA")},
                                                  {QLatin1Char('h'), QStringLiteral("hideA")},
                                                  {QLatin1Char('s'), QStringLiteral("menuButtonA")},
                                                  {QLatin1Char('d'), QStringLiteral("depthA")}};
        // Without a picture a button is as wide as the title bar is high.
        return imageWidth(themeFolder, images.value(letter));
    };
    return X11TitleBar::icewmRow(setting(QStringLiteral("TitleButtonsLeft"), QStringLiteral("s")),
                                 setting(QStringLiteral("TitleButtonsRight"), QStringLiteral("xmir")),
                                 setting(QStringLiteral("TitleButtonsSupported"), QStringLiteral("xmis")),
                                 widthOf);
}

std::optional<X11TitleButtonRow> X11TitleBarSettings::fluxbox() {
    const QByteArray init = firstExisting({QDir::homePath() + QStringLiteral("/.fluxbox/init")});
    auto setting = [&](const QString& key, const QString& fallback) {
        const QString value = X11TitleBar::settingValue(init, key, QLatin1Char(':'));
        return value.isEmpty() ? fallback : value;
    };
    // A style is a file, or a folder with its theme.cfg.
    QString style = setting(QStringLiteral("session.styleFile"), QString());
    if (QFileInfo(style).isDir())
        style += QStringLiteral("/theme.cfg");
    bool ok = false;
    int bevel = X11TitleBar::settingValue(firstExisting({style}), QStringLiteral("window.bevelWidth"),
                                          QLatin1Char(':'))
                    .toInt(&ok);
    if (!ok)
        bevel = 1; // fluxbox's own when the style does not say
    return X11TitleBar::fluxboxRow(
        setting(QStringLiteral("session.screen0.titlebar.left"), QStringLiteral("Stick")),
        setting(QStringLiteral("session.screen0.titlebar.right"), QStringLiteral("Minimize Maximize Close")),
        bevel);
}

std::optional<X11TitleButtonRow> X11TitleBarSettings::metacity() {
    // Metacity draws with the GTK theme unless told to use a theme of its own.
    const QString type = gsetting(QStringLiteral("org.gnome.metacity.theme"), QStringLiteral("type"));
    const QString theme =
        type == QLatin1String("metacity")
            ? gsetting(QStringLiteral("org.gnome.metacity.theme"), QStringLiteral("name"))
            : gsetting(QStringLiteral("org.gnome.desktop.interface"), QStringLiteral("gtk-theme"));
    return gnomeRow(
        gsetting(QStringLiteral("org.gnome.desktop.wm.preferences"), QStringLiteral("button-layout")), theme,
        MetacityAdwaita, QStringLiteral("metacity"));
}

std::optional<X11TitleButtonRow> X11TitleBarSettings::marco() {
    return gnomeRow(gsetting(QStringLiteral("org.mate.Marco.general"), QStringLiteral("button-layout")),
                    gsetting(QStringLiteral("org.mate.Marco.general"), QStringLiteral("theme")), MarcoMenta,
                    QStringLiteral("marco"));
}
