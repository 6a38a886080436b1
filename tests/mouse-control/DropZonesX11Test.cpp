// Drop zones as a user meets them on the X11 test display: two xterms saved as a layout at the halves of the
// screen, shown while Shift is held, and a third xterm dragged by its title bar while openbox moves it. A
// release over the right zone gives the xterm that frame; Escape, which openbox takes to cancel its move,
// closes the zones at once, and the release then leaves the xterm where openbox put it. No grab of Escape
// stays behind either way.
#include "MouseControlContext.h"
#include "MouseControlX11TestSupport.h"
#include "TestProgram.h"

#include "actions/ZRAction.h"
#include "actions/ZRActionController.h"
#include "actions/ZRActionManager.h"
#include "mouse-control/ZRDropZoneManager.h"
#include "mouse-control/ZRMouseControlDefaults.h"
#include "mouse-control/ZRMouseController.h"
#include "platform/GlobalHotKeys.h"
#include "shell/ZRMainController.h"
#include "toolkit/WindowExtensions.h"
#include "window-access/WindowDescription.h"

#include <QElapsedTimer>

using namespace X11Test;

namespace {

// The test display is 1600 x 1000 without panels: Cocoa and Quartz frames of full height are the same.
const Rect Screen(0, 0, 1600, 1000);
const Rect LeftHalf(0, 0, 800, 1000), RightHalf(800, 0, 800, 1000);
// Escape closes the zones from the event stream, on the next turn of the event loop; the pause that would
// close them otherwise is never shorter than half a second.
constexpr int EscapeClosesWithinMilliseconds = 100;

class DropZonesX11 : public XtermDragX11Test {
protected:
    std::optional<TestProgram> program;

    void SetUp() override {
        XtermDragX11Test::SetUp();
        program.emplace(settings(), Platform::current());
        ZRActionManager::registerDefaults(settings());
        controller = std::make_unique<ZRMouseController>(mouseControlContext(settings()));
        controller->registerDefaults(settings());
        ZRMainController::mainController().actions().setDropZones(&zones());
        setFadingDuration(&focus(), 0);

        left = Client::start(QStringLiteral("xterm"), QStringLiteral("80x24+0+0"));
        right = Client::start(QStringLiteral("xterm"), QStringLiteral("80x24+800+0"));
        ASSERT_TRUE(left && right);
        for (const auto& [client, half] : {std::pair{left.get(), LeftHalf}, {right.get(), RightHalf}})
            run(QStringLiteral("wmctrl"), {QStringLiteral("-i"), QStringLiteral("-r"),
                                           QString::number(client->window()), QStringLiteral("-e"),
                                           QStringLiteral("0,%1,%2,%3,%4")
                                               .arg(half.x())
                                               .arg(half.y())
                                               .arg(half.width())
                                               .arg(half.height())});

        auto layout = ZRAction::actionWithType(ZRActionTypeLayout);
        ZRSnapshot snapshot;
        for (const Rect& half : {LeftHalf, RightHalf})
            snapshot.windowDescriptions.push_back(
                ZRMakeWindowDescription({QStringLiteral("xterm"), QStringLiteral("XTerm"),
                                         QStringLiteral("xterm"), half, Screen, Screen}));
        layout->setSnapshot(snapshot);
        ZRActionManager::actionManager().insertAction(layout);
        set(ZRMouseControlDefault::DropSnap, true);
        set(QStringLiteral("Drop Snap: Modifier: 131072"), layout->uniqueIdentifier());
        set(QStringLiteral("Mouse Controls"), false);
        controller->updateFeatureFlagsAndTap();
        ASSERT_TRUE(controller->hasEventTap()) << "the event tap";
        ASSERT_TRUE(controller->features().dropSnapOn);
    }
    void TearDown() override {
        if (input)
            input->key(Key::Shift, false);
        controller.reset();
        program.reset();
        XtermDragX11Test::TearDown();
    }

    // xterm keeps to whole cells, and one that cannot fill a half is pushed against the screen's edge.
    static bool withinACell(const std::optional<Rect>& a, const Rect& b) {
        return a && std::abs(a->x() - b.x()) <= Cell && std::abs(a->y() - b.y()) <= Cell &&
               std::abs(a->maxX() - b.maxX()) <= Cell && std::abs(a->maxY() - b.maxY()) <= Cell;
    }

    ZRDropZoneManager& zones() const { return controller->ownDropZones(); }
    static ZRFocusWindow& focus() { return ZRFocusWindow::defaultFocusWindow(); }

    // Drags the third xterm by its title bar, holds Shift on the way, and stops over the right half with the
    // zones shown.
    void dragOverTheRightZoneWithShift() {
        ASSERT_TRUE(startXterm());
        press(titleBar);
        glide(60, 40);
        ASSERT_TRUE(input->key(Key::Shift, true));
        processEvents(50);
        glide(1200 - pointer.x, 500 - pointer.y, 20);
        ASSERT_TRUE(waitUntil([&] { return zones().isActive() && isViewable(focus().winId()); }))
            << "the zones show";
        EXPECT_TRUE(xwininfoText(focus().winId()).contains(QStringLiteral("Override Redirect State: yes")));
        EXPECT_EQ(zones().dropZones().size(), 2u);
        EXPECT_EQ(zones().dropFrame(), RightHalf);
        EXPECT_FALSE(escapeIsFree()) << "held while the zones show";
    }

    // Another client can take Escape on the root: we hold no grab of it.
    static bool escapeIsFree() {
        QString error;
        const auto other = createX11Platform(&error);
        if (!other)
            return false;
        HotKeyReference reference = 0;
        const HotKeyRegistrationStatus status =
            other->globalHotKeys().registerHotKey(Key::Escape, 0, 1, 1, reference);
        if (reference != 0)
            other->globalHotKeys().unregisterHotKey(reference);
        return status == HotKeyRegistrationStatus::Success;
    }

    std::unique_ptr<ZRMouseController> controller;
    std::unique_ptr<Client> left, right;
};

} // namespace

TEST_F(DropZonesX11, AReleaseOverAZoneGivesTheXtermItsFrame) {
    dragOverTheRightZoneWithShift();
    saveScreenshot(screenPixels(QRect(0, 0, 1600, 1000)), QStringLiteral("drop-zones-x11"));
    release();
    ASSERT_TRUE(input->key(Key::Shift, false));
    EXPECT_TRUE(waitUntil([&] { return withinACell(now(), RightHalf); }))
        << stringFromRect(now().value_or(Rect())).toStdString();
    EXPECT_TRUE(waitUntil([&] { return !isViewable(focus().winId()); }));
    EXPECT_FALSE(zones().isActive());
    EXPECT_TRUE(escapeIsFree());
}

TEST_F(DropZonesX11, EscapeClosesTheZonesAndTheReleaseLeavesTheXtermWhereOpenboxPutIt) {
    dragOverTheRightZoneWithShift();
    QElapsedTimer timer;
    timer.start();
    ASSERT_TRUE(input->key(Key::Escape, true));
    ASSERT_TRUE(input->key(Key::Escape, false));
    ASSERT_TRUE(waitUntil([&] { return !zones().isActive(); }, 2000));
    const qint64 closedAfter = timer.elapsed();
    EXPECT_LE(closedAfter, EscapeClosesWithinMilliseconds);
    EXPECT_TRUE(waitUntil([&] { return !isViewable(focus().winId()); }));

    processEvents(200);
    const auto putByOpenbox = now();
    ASSERT_TRUE(putByOpenbox);
    glide(-100, 50);
    processEvents(200);
    EXPECT_FALSE(zones().isActive()) << "closed for the rest of the drag";
    release();
    ASSERT_TRUE(input->key(Key::Shift, false));
    EXPECT_EQ(now(), putByOpenbox);
    EXPECT_FALSE(withinACell(now(), RightHalf));
    EXPECT_TRUE(escapeIsFree());
}
