// The backend begun on a thread of its own before the application exists, as the program makes it.
#include "X11TestSupport.h"
#include "platform/GlobalHotKeys.h"
#include "platform/Screens.h"
#include "platform/WindowServer.h"
#include "platform/x11/X11FakeInput.h"
#include "platform/x11/X11Platform.h"

#include <gtest/gtest.h>

using namespace X11Test;

namespace {

constexpr double AnswerSeconds = 5;

// The display's name for the length of a scope.
class DisplayName {
public:
    explicit DisplayName(const QByteArray& name) : m_saved(qgetenv("DISPLAY")) { qputenv("DISPLAY", name); }
    ~DisplayName() { qputenv("DISPLAY", m_saved); }

private:
    QByteArray m_saved;
};

} // namespace

TEST(X11PlatformPreparation, ADisplayThatRefusesIsToldAsTheProgramTellsIt) {
    const struct {
        QByteArray display;
        QString problem;
    } cases[] = {
        {":65000", QStringLiteral("cannot connect to the X display :65000")},
        {"no display here", QStringLiteral("cannot connect to the X display no display here")},
    };
    for (const auto& c : cases) {
        const DisplayName name(c.display);
        auto preparation = X11PlatformPreparation::begin();
        EXPECT_EQ(preparation->displayProblem(AnswerSeconds), std::optional<QString>(c.problem))
            << c.display.constData();
        QString error;
        EXPECT_FALSE(createX11Platform(&error, std::move(preparation)));
        EXPECT_EQ(error, c.problem);
    }
}

TEST(X11PlatformPreparation, APreparedBackendFollowsTheDesktopAndItsHotKeysArrive) {
    // One left unused (a later start that hands over) ends with its thread.
    X11PlatformPreparation::begin().reset();

    auto preparation = X11PlatformPreparation::begin();
    ASSERT_EQ(preparation->displayProblem(AnswerSeconds), std::nullopt);
    // A window that comes while the desktop is read on the other thread, or just after.
    auto early = Client::start(QStringLiteral("xlogo"), QStringLiteral("120x80+40+40"));
    QString error;
    auto platform = createX11Platform(&error, std::move(preparation));
    ASSERT_TRUE(platform) << error.toStdString();
    ASSERT_TRUE(early);

    ASSERT_EQ(platform->screens().screens().size(), 1u);
    EXPECT_EQ(platform->screens().screens().front().frame, Rect(0, 0, 1600, 1000));
    const auto listed = [&](const Client& client) {
        for (const WindowListEntry& entry : platform->windowServer().windowList())
            if (entry.number == client.window())
                return true;
        return false;
    };
    auto late = Client::start(QStringLiteral("xlogo"), QStringLiteral("120x80+300+40"));
    ASSERT_TRUE(late);
    EXPECT_TRUE(waitUntil([&] { return listed(*early) && listed(*late); }));

    HotKeyReference reference = 0;
    ASSERT_EQ(platform->globalHotKeys().registerHotKey(
                  Key::F7, hotKeyModifierMask(ModifierFlag::Control | ModifierFlag::Shift), 1, 1, reference),
              HotKeyRegistrationStatus::Success);
    int presses = 0;
    auto counting = platform->globalHotKeys().hotKeyEvent.connect([&](const HotKeyEvent& event) {
        if (event.reference == reference && event.pressed)
            ++presses;
    });
    auto input = X11FakeInput::open(&error);
    ASSERT_TRUE(input) << error.toStdString();
    for (const auto& [key, down] : {std::pair{Key::Control, true},
                                    {Key::Shift, true},
                                    {Key::F7, true},
                                    {Key::F7, false},
                                    {Key::Shift, false},
                                    {Key::Control, false}})
        ASSERT_TRUE(input->key(key, down));
    EXPECT_TRUE(waitUntil([&] { return presses == 1; }));
    EXPECT_TRUE(platform->globalHotKeys().unregisterHotKey(reference));
}
