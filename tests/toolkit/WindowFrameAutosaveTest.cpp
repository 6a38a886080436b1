#include "toolkit/WindowFrameAutosave.h"
#include "toolkit/ScreenCoordinates.h"

#include "DesktopTest.h"
#include <QWidget>
#include <memory>

namespace {

const QString Name = QStringLiteral("Settings Window (4001)");
const QString Key = QStringLiteral("NSWindow Frame Settings Window (4001)");

// A primary screen with a panel along its bottom, and a second screen to its right.
class WindowFrameAutosaveTest : public DesktopTest {
protected:
    void SetUp() override {
        DesktopTest::SetUp();
        desktop.addScreen(Rect(0, 0, 1440, 900), Rect(0, 40, 1440, 860));
        desktop.addScreen(Rect(1440, 0, 1000, 800));
        m_window = std::make_unique<QWidget>();
        m_window->resize(400, 300);
    }
    void TearDown() override {
        m_window.reset();
        DesktopTest::TearDown();
    }

    Rect cocoaFrame() const { return cocoaRectFromQtRect(QRectF(window().geometry())); }
    QWidget& window() const { return *m_window; }

private:
    std::unique_ptr<QWidget> m_window;
};

TEST_F(WindowFrameAutosaveTest, SavedFramesComeBackOnACurrentScreen) {
    const struct {
        const char* what;
        QVariant saved;
        bool restored;
        Rect expected;
    } cases[] = {
        {"on the primary screen", "{{100, 200}, {500, 400}}", true, Rect(100, 200, 500, 400)},
        {"on the second screen", "{{1500, 100}, {300, 200}}", true, Rect(1500, 100, 300, 200)},
        {"across the right edge: moved onto the second", "{{2300, 100}, {300, 200}}", true,
         Rect(2140, 100, 300, 200)},
        {"below the panel: moved above it", "{{100, 0}, {500, 400}}", true, Rect(100, 40, 500, 400)},
        {"taller than its screen: shrunk", "{{1500, 0}, {300, 5000}}", true, Rect(1500, 0, 300, 800)},
        {"on no screen: centred on the primary", "{{9000, 9000}, {400, 300}}", true,
         Rect(520, 320, 400, 300)},
        {"nothing saved", QVariant(), false, Rect(7, 8, 400, 300)},
        {"not a frame", "the middle", false, Rect(7, 8, 400, 300)},
        {"not a text", 42, false, Rect(7, 8, 400, 300)},
        {"no size", "{{100, 100}, {0, 300}}", false, Rect(7, 8, 400, 300)},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        window().setGeometry(qtRectFromCocoaRect(Rect(7, 8, 400, 300)).toRect());
        set(Key, test.saved);
        EXPECT_EQ(setFrameUsingName(&window(), Name, settings()), test.restored);
        EXPECT_EQ(cocoaFrame(), test.expected);
    }
}

TEST_F(WindowFrameAutosaveTest, AFrameMovedWhileShownIsThereAtTheNextStart) {
    restoreFrameAndAutosave(&window(), Name, settings());
    EXPECT_EQ(cocoaFrame(), Rect(520, 320, 400, 300)) << "nothing saved: centred on the usable frame";
    EXPECT_EQ(frameAutosaveName(&window()), Name);

    window().setGeometry(qtRectFromCocoaRect(Rect(30, 60, 400, 300)).toRect());
    EXPECT_FALSE(settings().hasValue(Key)) << "a hidden window's moves are not its frame";
    window().show();
    window().setGeometry(qtRectFromCocoaRect(Rect(60, 90, 450, 350)).toRect());
    window().hide();
    ASSERT_TRUE(settings().save());

    openSettings();
    // A window with children of its own, as every real window has.
    QWidget next;
    new QWidget(&next);
    new QObject(&next);
    restoreFrameAndAutosave(&next, Name, settings());
    setFrameAutosaveName(&next, Name, settings());
    EXPECT_EQ(frameAutosaveName(&next), Name);
    EXPECT_EQ(cocoaRectFromQtRect(QRectF(next.geometry())), Rect(60, 90, 450, 350));

    setFrameAutosaveName(&window(), QString(), settings());
    EXPECT_TRUE(frameAutosaveName(&window()).isEmpty());
    window().show();
    window().move(300, 300);
    EXPECT_EQ(rectFromString(settings().stringForKey(Key)), Rect(60, 90, 450, 350)) << "no longer saved";
}

} // namespace
