// The pure parts of the backend: title-bar buttons, usable areas, size hints and the key table.
#include "X11TestSupport.h"
#include "platform/x11/X11KeyTable.h"
#include "platform/x11/X11Platform.h"
#include "platform/x11/X11TitleBar.h"
#include "platform/x11/X11WindowInfo.h"

#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>

TEST(X11TitleBarLayout, PlacesButtonsAsOpenboxDoes) {
    // Measured on openbox with the Clearlooks theme: a frame at (100, 100), 486 wide, extents 1, 1, 20, 5.
    const Rect frame(100, 100, 486, 342);
    const X11Extents extents{1, 1, 20, 5};
    const X11TitleBarMetrics clearlooks{3, 2};
    const struct {
        QString layout;
        std::vector<X11TitleButtonRect> buttons;
    } cases[] = {
        {QStringLiteral("NLIMC"),
         {{X11TitleButton::Close, Rect(569, 104, 12, 12)},
          {X11TitleButton::Zoom, Rect(553, 104, 12, 12)},
          {X11TitleButton::Minimize, Rect(537, 104, 12, 12)}}},
        // Left of the label, from the left edge; the icon is two pixels wider than a button.
        {QStringLiteral("CNLM"),
         {{X11TitleButton::Close, Rect(105, 104, 12, 12)}, {X11TitleButton::Zoom, Rect(569, 104, 12, 12)}}},
        // Letters count once, and lower case reads as upper case.
        {QStringLiteral("lcc"), {{X11TitleButton::Close, Rect(569, 104, 12, 12)}}},
        {QStringLiteral("NL"), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.layout.toStdString());
        const auto buttons = X11TitleBar::buttonRects(frame, extents, c.layout, clearlooks);
        ASSERT_EQ(buttons.size(), c.buttons.size());
        for (std::size_t i = 0; i < buttons.size(); ++i) {
            EXPECT_EQ(buttons[i].button, c.buttons[i].button);
            EXPECT_EQ(buttons[i].rect, c.buttons[i].rect);
        }
    }
    // No title bar (undecorated or full screen), and a frame too narrow for its buttons.
    EXPECT_TRUE(X11TitleBar::buttonRects(frame, {}, QStringLiteral("NLIMC"), clearlooks).empty());
    EXPECT_TRUE(X11TitleBar::buttonRects(frame, {0, 0, 0, 0}, QStringLiteral("NLIMC"), clearlooks).empty());
    EXPECT_EQ(
        X11TitleBar::buttonRects(Rect(0, 0, 30, 100), extents, QStringLiteral("NLIMC"), clearlooks).size(),
        1u);
}

TEST(X11TitleBarLayout, ReadsOpenboxConfigurationAndTheme) {
    EXPECT_EQ(
        X11TitleBar::openboxTitleLayout("<openbox_config><theme><name>Onyx</name>\n"
                                        "  <titleLayout> nlimc </titleLayout></theme></openbox_config>"),
        QStringLiteral("NLIMC"));
    EXPECT_EQ(X11TitleBar::openboxTitleLayout("<theme><name>Onyx</name></theme>"), QString());
    const auto metrics =
        X11TitleBar::openboxThemeMetrics("border.width: 1\npadding.width: 5\n  padding.height:4\n");
    EXPECT_EQ(metrics.paddingX, 5);
    EXPECT_EQ(metrics.paddingY, 4);
    const auto defaults = X11TitleBar::openboxThemeMetrics("window.client.padding.width: 9\n");
    EXPECT_EQ(defaults.paddingX, X11TitleBarMetrics{}.paddingX);
    EXPECT_EQ(defaults.paddingY, X11TitleBarMetrics{}.paddingY);
}

TEST(X11TitleBarLayout, PlacesTheZoomButtonWhereEachWindowManagerDrawsIt) {
    // Measured on each window manager's default theme: an xterm's frame at (300, 300), the pixels from
    // the frame's right edge where a click maximises it.
    auto widths = [](std::map<QChar, int> known) {
        return [known](QChar letter) { return known.contains(letter) ? known.at(letter) : 0; };
    };
    const struct {
        const char* name;
        X11TitleButtonRow row;
        double width;
        X11Extents extents;
        std::optional<std::pair<int, int>> zoom; // the first and last pixel, counted from the right edge
    } cases[] = {
        {"xfwm4",
         X11TitleBar::xfwm4Row(QStringLiteral("O|SHMC"), 0, 2,
                               widths({{'O', 22}, {'S', 21}, {'H', 21}, {'M', 21}, {'C', 21}})),
         374,
         {5, 5, 29, 5},
         std::pair(29, 49)},
        {"icewm",
         X11TitleBar::icewmRow(QStringLiteral("sd"), QStringLiteral("xmirh"), QStringLiteral("sxmihrd"),
                               widths({{'x', 28}, {'m', 20}, {'i', 20}, {'r', 20}, {'h', 20}})),
         374,
         {5, 5, 24, 5},
         std::pair(34, 53)},
        {"fluxbox",
         X11TitleBar::fluxboxRow(QStringLiteral("Stick"), QStringLiteral("Minimize Maximize Close"), 1),
         366,
         {1, 1, 20, 4},
         std::pair(20, 35)},
        {"marco",
         X11TitleBar::gnomeRow(QStringLiteral("menu:minimize,maximize,close"), 17, 2, 2, 2),
         370,
         {3, 3, 23, 3},
         std::pair(25, 41)},
        {"metacity",
         X11TitleBar::gnomeRow(QStringLiteral("appmenu:minimize,maximize,close"), 28, 4, 6, 4),
         374,
         {5, 5, 42, 5},
         std::pair(44, 71)},
        {"metacity by default",
         X11TitleBar::gnomeRow(QStringLiteral("appmenu:close"), 28, 4, 6, 4),
         374,
         {5, 5, 42, 5},
         std::nullopt},
        // Maximise on the left: counted from the left edge.
        {"icewm on the left",
         X11TitleBar::icewmRow(QStringLiteral("mx"), QString(), QStringLiteral("xm"), widths({})),
         374,
         {5, 5, 24, 5},
         std::pair(-6, -24)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Rect frame(300, 300, c.width, 200);
        std::optional<Rect> zoom;
        for (const auto& button : X11TitleBar::buttonRects(frame, c.extents, c.row))
            if (button.button == X11TitleButton::Zoom)
                zoom = button.rect;
        ASSERT_EQ(zoom.has_value(), c.zoom.has_value());
        if (!zoom)
            continue;
        const auto [first, last] = *c.zoom;
        if (first > 0) {
            EXPECT_EQ(zoom->maxX(), frame.maxX() - first + 1);
            EXPECT_EQ(zoom->minX(), frame.maxX() - last);
        } else {
            EXPECT_EQ(zoom->minX(), frame.minX() - first - 1);
            EXPECT_EQ(zoom->maxX(), frame.minX() - last);
        }
        EXPECT_GT(zoom->minY(), frame.minY());
        EXPECT_LE(zoom->maxY(), frame.minY() + c.extents.top);
    }
    // No title bar: no buttons.
    EXPECT_TRUE(X11TitleBar::buttonRects(Rect(0, 0, 300, 200), {0, 0, 0, 0},
                                         X11TitleBar::fluxboxRow(QString(), QStringLiteral("Maximize"), 1))
                    .empty());
}

TEST(X11TitleBarLayout, ReadsTheSettingsOfTheWindowManagers) {
    const QByteArray preferences = "# TitleButtonsRight=\"ix\"\n"
                                   "TitleButtonsRightX=\"q\"\n"
                                   "TitleButtonsRight=\"xmir\" # from the right\n"
                                   "TitleBarHeight=20\n"
                                   "  TitleBarHeight = 24\n";
    EXPECT_EQ(X11TitleBar::settingValue(preferences, QStringLiteral("TitleButtonsRight"), QLatin1Char('=')),
              QStringLiteral("xmir"));
    EXPECT_EQ(X11TitleBar::settingValue(preferences, QStringLiteral("TitleBarHeight"), QLatin1Char('=')),
              QStringLiteral("24"))
        << "the last line counts";
    EXPECT_EQ(X11TitleBar::settingValue(preferences, QStringLiteral("TitleButtonsLeft"), QLatin1Char('=')),
              QString());
    EXPECT_EQ(X11TitleBar::settingValue("session.screen0.titlebar.right:\tMaximize Close\n",
                                        QStringLiteral("session.screen0.titlebar.right"), QLatin1Char(':')),
              QStringLiteral("Maximize Close"));

    const QByteArray channel = R"(<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfwm4" version="1.0">
  <property name="general" type="empty">
    <property name="theme" type="string" value="Daloa"/>
    <property name="button_layout" type="string" value="CMH|O"/>
  </property>
</channel>)";
    EXPECT_EQ(X11TitleBar::xfconfValue(channel, QStringLiteral("button_layout")), QStringLiteral("CMH|O"));
    EXPECT_EQ(X11TitleBar::xfconfValue(channel, QStringLiteral("theme")), QStringLiteral("Daloa"));
    EXPECT_EQ(X11TitleBar::xfconfValue(channel, QStringLiteral("title_font")), QString());
}

TEST(X11UsableArea, TakesFromEachMonitorWhatItsStrutsCover) {
    // A root of 1600 x 1000 with two monitors side by side.
    const Rect left(0, 0, 800, 1000);
    const Rect right(800, 0, 800, 1000);
    auto partial = [](std::vector<std::uint32_t> values) { return X11Strut::fromValues(values, 1600, 1000); };
    const struct {
        const char* name;
        std::vector<X11Strut> struts;
        Rect left, right;
    } cases[] = {
        {"none", {}, left, right},
        {"top bar over the left monitor",
         {partial({0, 0, 30, 0, 0, 0, 0, 0, 0, 799, 0, 0})},
         {0, 30, 800, 970},
         right},
        {"full-width bottom panel (legacy strut)",
         {partial({0, 0, 0, 40})},
         {0, 0, 800, 960},
         {800, 0, 800, 960}},
        {"dock on the right edge of the root",
         {partial({0, 64, 0, 0, 0, 0, 100, 899, 0, 0, 0, 0})},
         left,
         {800, 0, 736, 1000}},
        {"left dock and top bar together",
         {partial({48, 0, 0, 0, 0, 999, 0, 0, 0, 0, 0, 0}),
          partial({0, 0, 24, 0, 0, 0, 0, 0, 0, 1599, 0, 0})},
         {48, 24, 752, 976},
         {800, 24, 800, 976}},
        // A strut that would leave nothing is ignored rather than making the monitor unusable.
        {"strut deeper than the monitor", {partial({0, 0, 1200, 0, 0, 0, 0, 0, 0, 1599, 0, 0})}, left, right},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(usableArea(left, c.struts, 1600, 1000), c.left);
        EXPECT_EQ(usableArea(right, c.struts, 1600, 1000), c.right);
    }
}

TEST(X11SizeHints, ConstrainsSizesAsWindowManagersDo) {
    X11SizeHints terminal; // xterm: 4 pixels of border, cells of 6 x 13, at least one cell
    terminal.minWidth = 10;
    terminal.minHeight = 17;
    terminal.baseWidth = 4;
    terminal.baseHeight = 4;
    terminal.widthIncrement = 6;
    terminal.heightIncrement = 13;
    X11SizeHints bounded;
    bounded.minWidth = 100;
    bounded.minHeight = 50;
    bounded.maxWidth = 400;
    bounded.maxHeight = 300;
    const struct {
        const X11SizeHints* hints;
        Size requested, expected;
    } cases[] = {
        {&terminal, {484, 316}, {484, 316}},  {&terminal, {489, 328}, {484, 316}},
        {&terminal, {1, 1}, {10, 17}},        {&bounded, {50, 20}, {100, 50}},
        {&bounded, {1000, 1000}, {400, 300}}, {&bounded, {250, 120}, {250, 120}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(stringFromSize(c.requested).toStdString());
        EXPECT_EQ(c.hints->constrained(c.requested), c.expected);
    }
    EXPECT_TRUE(terminal.isResizable());
    X11SizeHints fixed;
    fixed.minWidth = fixed.maxWidth = 200;
    fixed.minHeight = fixed.maxHeight = 100;
    EXPECT_FALSE(fixed.isResizable());
}

TEST(X11KeyTable, NamesEachKeyOnceAndEveryKeyOfTheProgram) {
    std::set<KeyCode> virtualKeys;
    std::set<std::string> names;
    std::set<std::uint32_t> symbols;
    for (const X11KeyTableEntry& entry : X11KeyTable::entries()) {
        EXPECT_LE(entry.virtualKey, Key::MaximumKeyCode);
        EXPECT_TRUE(virtualKeys.insert(entry.virtualKey).second) << entry.virtualKey;
        if (entry.keyName[0] != '\0') {
            EXPECT_TRUE(names.insert(entry.keyName).second) << entry.keyName;
        }
        if (entry.keysym != 0) {
            EXPECT_TRUE(symbols.insert(entry.keysym).second) << entry.keysym;
        }
    }
    for (KeyCode key :
         {Key::A, Key::Escape, Key::F5, Key::LeftArrow, Key::UpArrow, Key::Keypad9, Key::Help}) {
        EXPECT_TRUE(X11KeyTable::entryForVirtualKey(key)) << key;
    }
    EXPECT_FALSE(X11KeyTable::entryForVirtualKey(Key::MaximumKeyCode));
}

TEST(X11PlatformFactory, FailsCleanlyWithoutADisplay) {
    const QByteArray display = qgetenv("DISPLAY");
    qputenv("DISPLAY", ":9999");
    QString error;
    auto platform = createX11Platform(&error);
    qputenv("DISPLAY", display);
    EXPECT_FALSE(platform);
    EXPECT_TRUE(error.contains(QStringLiteral(":9999"))) << error.toStdString();
}
