#include "platform/sim/SimDemoDesktop.h"

#include "platform/sim/SimDesktop.h"

namespace {
constexpr double MenuBarHeight = 25;
constexpr double DockHeight = 70;
constexpr double RetinaScale = 2;
} // namespace

std::unique_ptr<SimDesktop> makeDemoDesktop() {
    auto sim = std::make_unique<SimDesktop>();

    // A laptop with its Dock, and a larger display to its right, a little higher.
    const Rect laptop(0, 0, 1440, 900);
    sim->addScreen(laptop, Rect(0, DockHeight, laptop.width(), laptop.height() - MenuBarHeight - DockHeight),
                   RetinaScale);
    const Rect display(1440, -90, 1920, 1080);
    sim->addScreen(display,
                   Rect(display.x(), display.y(), display.width(), display.height() - MenuBarHeight));

    auto& editor =
        sim->addApplication(QStringLiteral("com.example.TextEditor"), QStringLiteral("Text Editor"));
    auto& browser = sim->addApplication(QStringLiteral("com.example.Browser"), QStringLiteral("Browser"));
    auto& calculator =
        sim->addApplication(QStringLiteral("com.example.Calculator"), QStringLiteral("Calculator"));
    auto& terminal = sim->addApplication(QString(), QStringLiteral("Terminal"));

    // Electron applications report their buttons disabled.
    browser.setElectron(true);
    auto& page = sim->addWindow(browser, Rect(1600, 60, 1200, 800), QStringLiteral("Start Page"));
    page.addStandardButtons();
    for (const SimButton button : {SimButton::Close, SimButton::Minimize, SimButton::Zoom})
        page.setButtonEnabled(button, false);

    auto& sums = sim->addWindow(calculator, Rect(900, 420, 240, 320), QStringLiteral("Calculator"));
    sums.addStandardButtons();
    sums.setResizable(false);
    sums.setButtonEnabled(SimButton::Zoom, false);

    // A terminal grows by whole character cells.
    auto& shell = sim->addWindow(terminal, Rect(180, 470, 570, 350), QStringLiteral("Terminal - bash"));
    shell.addStandardButtons();
    shell.setMinimumSize(Size(290, 140));
    shell.setSizeIncrements(Size(7, 14));

    auto& letter = sim->addWindow(editor, Rect(320, 200, 640, 480), QStringLiteral("Letter.txt"));
    letter.addStandardButtons();
    auto& notes = sim->addWindow(editor, Rect(120, 80, 720, 520), QStringLiteral("Notes.txt"));
    notes.addStandardButtons();
    notes.setMinimumSize(Size(300, 200));

    editor.activate();
    return sim;
}
