#include "ActionTestSupport.h"

#include "window-access/VirtualScreen.h"

namespace {

const Rect Left(0, 0, 1000, 800);
const Rect Right(1000, 0, 800, 600);

ZRWindowDescription window(const QString& application, const Rect& frame, const Rect& screen,
                           const QString& title = {}) {
    return ZRMakeWindowDescription({{}, application, title, frame, screen, screen});
}

std::shared_ptr<ZRAction> layout(std::vector<ZRWindowDescription> windows) {
    auto action = ZRAction::actionWithType(ZRActionTypeLayout);
    action->setSnapshot({std::move(windows), {Left, Right}});
    return action;
}

TEST_F(ActionModelTest, CoveredWindowsAreToldApartAndLeftOutWhenAsked) {
    // Front to back: a large window, one wholly behind it, one partly behind it, one elsewhere.
    auto action = layout({window(QStringLiteral("Front"), {0, 0, 600, 600}, Left),
                          window(QStringLiteral("Hidden"), {100, 100, 200, 200}, Left),
                          window(QStringLiteral("Peeking"), {500, 0, 300, 300}, Left),
                          window(QStringLiteral("Other"), {1100, 0, 300, 300}, Right)});
    bool covered = false;
    EXPECT_EQ(action->snapshotIncludingObstructedWindows(true, &covered).size(), 4);
    EXPECT_TRUE(covered);
    const QVariantList visible = action->unobstructedSnapshot();
    ASSERT_EQ(visible.size(), 3);
    EXPECT_EQ(visible[1].toMap().value(ZRWindowDescriptionKey::ApplicationName), QStringLiteral("Peeking"));

    action->setApplyToObstructedWindows(false);
    EXPECT_EQ(action->accessibleSnapshotHasObstructedWindows(&covered).size(), 3);
    EXPECT_EQ(action->snapChildren().size(), 3u);

    bool truncated = false;
    EXPECT_EQ(action->snapshotApplicationNamesTruncated(true, &truncated),
              (QStringList{QStringLiteral("Front"), QStringLiteral("Hidden"), QStringLiteral("Peeking")}));
    EXPECT_TRUE(truncated);
    EXPECT_EQ(action->snapshotApplicationNamesTruncated(false, &truncated).size(), 4);
    EXPECT_FALSE(truncated);
}

TEST_F(ActionModelTest, SnapChildrenOfLayoutsAndFolders) {
    auto twoWindows = layout({window(QStringLiteral("Mail"), {0, 0, 500, 800}, Left, QStringLiteral("Inbox")),
                              window(QStringLiteral("Notes"), {1000, 0, 400, 600}, Right)});
    auto& store = this->store();
    const auto children = twoWindows->snapChildren();
    ASSERT_EQ(children.size(), 2u);
    EXPECT_EQ(children[0]->actionType(), ZRActionTypeLayout);
    EXPECT_EQ(children[0]->snapshot().windowDescriptions.size(), 1u);
    EXPECT_EQ(children[0]->displayNameWithSuffixes(), QStringLiteral("Mail \u2014 Inbox"));
    // The same children until the layout changes, found by their identifiers meanwhile.
    EXPECT_EQ(twoWindows->snapChildren(), children);
    EXPECT_EQ(store.actionWithIdentifier(children[1]->uniqueIdentifier(), true), children[1]);
    twoWindows->setSnapshotAdapts(true);
    const auto renewed = twoWindows->snapChildren();
    ASSERT_EQ(renewed.size(), 2u);
    EXPECT_NE(renewed[0], children[0]);
    EXPECT_TRUE(renewed[0]->snapshotAdapts());
    EXPECT_TRUE(twoWindows->hasRelevantSnapChildren());
    EXPECT_FALSE(ZRAction::actionWithType(ZRActionTypeLayout)->hasRelevantSnapChildren());

    auto moveAndResize = ZRAction::actionWithType(ZRActionTypeMoveAndResize);
    auto inner = ZRAction::actionWithType(ZRActionTypeFolder);
    inner->setChildren({twoWindows, ZRAction::actionWithType(ZRActionTypeLayout)});
    auto outer = ZRAction::actionWithType(ZRActionTypeFolder);
    outer->setChildren({ZRAction::actionWithType(ZRActionTypeCenter), moveAndResize, inner});
    const auto snapTargets = outer->snapChildren();
    ASSERT_EQ(snapTargets.size(), 2u);
    EXPECT_EQ(snapTargets[0], moveAndResize);
    EXPECT_EQ(snapTargets[1], twoWindows);
    EXPECT_FALSE(ZRAction::actionWithType(ZRActionTypeFolder)->hasRelevantSnapChildren());
}

TEST_F(ActionModelTest, TheFirstFrameOnAScreenIsTheRecordedOneOrOneMapped) {
    desktop.addScreen(Left);
    desktop.addScreen(Right);
    const auto screens = ZRVirtualScreen::screens(settings());
    ASSERT_EQ(screens.size(), 2u);
    auto action = layout({window(QStringLiteral("Mail"), {0, 0, 500, 400}, Left),
                          window(QStringLiteral("Notes"), {1000, 0, 400, 300}, Right)});
    EXPECT_EQ(action->firstSnapshotFrameOnScreen(screens[1], settings()), Rect(1000, 0, 400, 300));

    auto leftOnly = layout({window(QStringLiteral("Mail"), {0, 0, 500, 400}, Left)});
    EXPECT_EQ(leftOnly->firstSnapshotFrameOnScreen(screens[1], settings()), Rect(0, 0, 500, 400));
    leftOnly->setSnapshotAdapts(true);
    const Rect usable = screens[1].skafableFrame();
    EXPECT_EQ(leftOnly->firstSnapshotFrameOnScreen(screens[1], settings()),
              Rect(usable.x(), usable.y(), usable.width() / 2, usable.height() / 2));
    EXPECT_FALSE(
        ZRAction::actionWithType(ZRActionTypeLayout)->firstSnapshotFrameOnScreen(screens[0], settings()));
}

TEST_F(ActionModelTest, ExtractedMoveAndResizeActionsMergeBackIntoTheLayout) {
    auto original = layout({window(QStringLiteral("Mail"), {0, 0, 500, 400}, Left),
                            window(QStringLiteral("Notes"), {1000, 300, 400, 300}, Right)});
    const auto extracted = original->extractedMoveAndResizeActions(settings());
    ASSERT_EQ(extracted.size(), 2u);
    EXPECT_EQ(extracted[0]->actionType(), ZRActionTypeMoveAndResize);
    EXPECT_EQ(extracted[0]->relativeFrame(), Rect(0, 0, 0.5, 0.5));
    EXPECT_EQ(extracted[1]->relativeFrame(), Rect(0, 0.5, 0.5, 0.5));
    EXPECT_EQ(extracted[1]->userDefinedName(), QStringLiteral("Notes"));
    EXPECT_TRUE(
        ZRAction::actionWithType(ZRActionTypeFill)->extractedMoveAndResizeActions(settings()).empty());

    // The user moves the second window's frame before merging.
    extracted[1]->setRelativeFrame({0.5, 0.5, 0.5, 0.5});
    auto plain = ZRAction::actionWithType(ZRActionTypeMoveAndResize);
    const auto merged =
        ZRAction::layoutActionWithMergedMoveAndResizeActions({extracted[0], plain, extracted[1]}, settings());
    ASSERT_TRUE(merged);
    ASSERT_EQ(merged->snapshot().windowDescriptions.size(), 2u);
    EXPECT_EQ(ZRWindowFrameOfDescription(merged->snapshot().windowDescriptions[0]), Rect(0, 0, 500, 400));
    EXPECT_EQ(ZRWindowFrameOfDescription(merged->snapshot().windowDescriptions[1]),
              Rect(1400, 300, 400, 300));
    EXPECT_EQ(merged->snapshotScreenFrames(), (std::vector<Rect>{Left, Right}));
    EXPECT_FALSE(ZRAction::layoutActionWithMergedMoveAndResizeActions({plain}, settings()));
}

} // namespace
