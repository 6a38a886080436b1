#include "ActionTestSupport.h"

#include "actions/ActionRecordReading.h"
#include "platform/Keys.h"

namespace {

using namespace ModifierFlag;

ZRWindowDescription window(const QString& application, const Rect& frame, const Rect& screen) {
    return ZRMakeWindowDescription({QStringLiteral("org.example.") + application.toLower(), application,
                                    application + QStringLiteral(" window"), frame, screen, screen});
}

// One action of each type, each with settings that differ from a new action's.
std::vector<std::shared_ptr<ZRAction>> oneActionOfEachType() {
    std::vector<std::shared_ptr<ZRAction>> actions;
    const auto make = [&](ZRActionType type, const std::function<void(ZRAction&)>& configure) {
        auto action = ZRAction::actionWithType(type);
        configure(*action);
        actions.push_back(action);
    };
    make(ZRActionTypeMenuHeader, [](ZRAction& a) { a.setName(QStringLiteral("Arrange")); });
    make(ZRActionTypeSeparator, [](ZRAction&) {});
    make(ZRActionTypeRevert, [](ZRAction& a) { a.setName(QStringLiteral("Back")); });
    make(ZRActionTypeFill, [](ZRAction&) {});
    make(ZRActionTypeHalf, [](ZRAction& a) { a.setMoveDirection(ZRPositionRight); });
    make(ZRActionTypeQuarter, [](ZRAction& a) { a.setMoveDirection(ZRPositionBottomLeft); });
    make(ZRActionTypeMoveAndResize, [](ZRAction& a) {
        a.setRelativeFrame({0.25, 0.5, 0.5, 0.25});
        a.setGridDimensionsDictionary({{QStringLiteral("Configuration Grid: Columns"), 8}});
    });
    make(ZRActionTypeCenter, [](ZRAction& a) { a.setCenterMode(ZRCenterModeGeometric); });
    make(ZRActionTypeCenterGeometrically, [](ZRAction&) {});
    make(ZRActionTypeMove, [](ZRAction& a) {
        a.setMoveDirection(ZRPositionTop);
        a.setMoveDeltaUnit(ZRMeasurementUnit::Percent);
        a.setMoveDelta(25);
        a.setConfinedToDisplay(true);
    });
    make(ZRActionTypeMoveConfined, [](ZRAction& a) { a.setMoveDelta(40); });
    make(ZRActionTypeMoveToEdgeOrCorner,
         [](ZRAction& a) { a.setMoveToEdgeOrCornerPosition(ZRPositionTopCentered); });
    make(ZRActionTypeMoveToOtherDisplay, [](ZRAction& a) {
        a.setMoveDirection(ZRPositionRight);
        a.setMoveToOtherDisplayResize(true);
        a.setMoveToOtherDisplayLoop(true);
    });
    make(ZRActionTypeResize, [](ZRAction& a) {
        a.setResizeAnchorPosition(ZRPositionTopLeft);
        a.setResizeWidthUnit(ZRMeasurementUnit::Percent);
        a.setResizeSize({50, 600});
    });
    make(ZRActionTypeGrow, [](ZRAction& a) { a.setMoveDirection(ZRPositionBottomRight); });
    make(ZRActionTypeShrink, [](ZRAction& a) { a.setMoveDelta(3); });
    make(ZRActionTypeZoomToFit, [](ZRAction&) {});
    make(ZRActionTypeUseGrid, [](ZRAction& a) {
        a.setGridDimensionsDictionary({{QStringLiteral("Mouse Controls Grid: Columns"), 3},
                                       {QStringLiteral("Mouse Controls Grid: Rows"), 2}});
    });
    make(ZRActionTypeLayout, [](ZRAction& a) {
        const Rect screen(0, 0, 1440, 900);
        a.setSnapshot({{window(QStringLiteral("Mail"), {0, 0, 720, 900}, screen),
                        window(QStringLiteral("Notes"), {720, 0, 720, 450}, screen)},
                       {screen}});
        a.setSnapshotGeneric(true);
        a.setSnapshotGenericProximity(2);
        a.setSnapshotAppliesToActiveDisplay(true);
        a.setSnapshotAdapts(true);
        a.setSnapshotWakeAutoTriggerEnabled(true);
        a.setSnapshotDisplayAutoTriggerEnabled(true);
        a.setSnapshotAutoDisplayCount(3);
        a.setApplyToObstructedWindows(false);
        a.setActivatesApplications(true);
        a.setHidesOtherApplications(true);
    });
    make(ZRActionTypeFolder, [](ZRAction& a) {
        a.setChain(true);
        a.setChainMode(ZRChainModeCycle);
        a.setExpanded(true);
        a.setChildren({ZRAction::actionWithType(ZRActionTypeFill)});
    });
    return actions;
}

TEST_F(ActionModelTest, EveryTypeSurvivesItsRecordThroughTheSettingsFile) {
    for (const auto& action : oneActionOfEachType()) {
        const QVariantMap record = action->dictionaryRepresentation();
        const QVariant stored = throughXml(record);
        ASSERT_EQ(stored.typeId(), QMetaType::QVariantMap);
        const auto copy = ZRAction::actionWithDictionaryRepresentation(stored.toMap(), true);
        ASSERT_TRUE(copy) << action->actionType();
        EXPECT_EQ(copy->dictionaryRepresentation(), record) << action->actionType();
        EXPECT_EQ(copy->displayNameWithSuffixes(), action->displayNameWithSuffixes());
    }
    EXPECT_FALSE(logged(QStringLiteral("ignoring")));
    EXPECT_FALSE(logged(QStringLiteral("skipping")));
}

TEST_F(ActionModelTest, NestedFoldersKeepOrderAndIdentifiersOnlyWhenAskedTo) {
    auto inner = ZRAction::actionWithType(ZRActionTypeFolder);
    inner->setChildren(
        {ZRAction::actionWithType(ZRActionTypeCenter), ZRAction::actionWithType(ZRActionTypeRevert)});
    auto outer = ZRAction::actionWithType(ZRActionTypeFolder);
    outer->setName(QStringLiteral("Outer"));
    outer->setChildren({ZRAction::actionWithType(ZRActionTypeFill), inner});
    const QVariantMap record = throughXml(outer->dictionaryRepresentation()).toMap();

    const auto kept = ZRAction::actionWithDictionaryRepresentation(record, true);
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->dictionaryRepresentation(), outer->dictionaryRepresentation());
    ASSERT_EQ(kept->children().size(), 2u);
    ASSERT_EQ(kept->children()[1]->children().size(), 2u);
    EXPECT_EQ(kept->children()[1]->children()[1]->actionType(), ZRActionTypeRevert);

    const auto renewed = ZRAction::actionWithDictionaryRepresentation(&record);
    ASSERT_TRUE(renewed);
    const std::vector<std::pair<const ZRAction*, const ZRAction*>> pairs = {
        {renewed.get(), outer.get()},
        {renewed->children()[0].get(), outer->children()[0].get()},
        {renewed->children()[1].get(), inner.get()},
        {renewed->children()[1]->children()[0].get(), inner->children()[0].get()},
    };
    for (const auto& [copy, original] : pairs) {
        EXPECT_NE(copy->uniqueIdentifier(), original->uniqueIdentifier());
        EXPECT_EQ(copy->actionType(), original->actionType());
    }
    EXPECT_EQ(renewed->userDefinedName(), QStringLiteral("Outer"));
}

TEST_F(ActionModelTest, RecordsFromOutsideAreRepairedOrRefused) {
    // The program reads records while its store is there: their hot keys are made with the store's context.
    store();
    const QVariantMap valid = ZRAction::actionWithType(ZRActionTypeMove)->dictionaryRepresentation();
    const auto with = [&](std::initializer_list<std::pair<QString, QVariant>> changes) {
        QVariantMap record = valid;
        for (const auto& [key, value] : changes)
            record.insert(key, value);
        return record;
    };
    struct Case {
        const char* what;
        QVariantMap record;
        std::function<void(const std::shared_ptr<ZRAction>&)> check;
        const char* logLine;
    };
    const Rect screen(0, 0, 1000, 800);
    const QVariantMap goodWindow = window(QStringLiteral("Mail"), {0, 0, 500, 800}, screen);
    QVariantMap windowWithoutFrame = goodWindow;
    windowWithoutFrame.remove(ZRWindowDescriptionKey::WindowFrame);
    QVariantMap windowWithBadScreen = goodWindow;
    windowWithBadScreen.insert(ZRWindowDescriptionKey::ScreenFrame, QStringLiteral("{{0, 0}, {inf, 1}}"));
    const auto refused = [](const std::shared_ptr<ZRAction>& action) { EXPECT_FALSE(action); };
    const Case cases[] = {
        {"type as text", with({{ZRActionKey::Action, QStringLiteral("31")}}), refused, "not an integer"},
        {"unknown type", with({{ZRActionKey::Action, 7}}), refused, "unknown type 7"},
        {"delta as text", with({{ZRActionKey::MoveDelta, QStringLiteral("50")}}),
         [](const auto& a) { EXPECT_EQ(a->moveDelta(), 10); }, "\"Move Delta\""},
        {"percent beyond the whole", with({{ZRActionKey::MoveDeltaUnit, 1}, {ZRActionKey::MoveDelta, 500}}),
         [](const auto& a) { EXPECT_EQ(a->moveDelta(), 100); }, nullptr},
        {"negative delta", with({{ZRActionKey::MoveDelta, -4}}),
         [](const auto& a) { EXPECT_EQ(a->moveDelta(), 1); }, nullptr},
        {"relative frame outside the grid",
         with({{ZRActionKey::RelativeFrame, QStringLiteral("{{-1, 0.5}, {3, 2}}")}}),
         [](const auto& a) { EXPECT_EQ(a->relativeFrame(), Rect(0, 0.5, 1, 0.5)); }, nullptr},
        {"relative frame with NaN",
         with({{ZRActionKey::RelativeFrame, QStringLiteral("{{nan, 0}, {1, 1}}")}}),
         [](const auto& a) { EXPECT_EQ(a->relativeFrame(), Rect(0, 0, 1, 1)); }, "no rectangle"},
        {"relative frame overflowing",
         with({{ZRActionKey::RelativeFrame, QStringLiteral("{{1e999, 0}, {1, 1}}")}}),
         [](const auto& a) { EXPECT_EQ(a->relativeFrame(), Rect(0, 0, 1, 1)); }, "no rectangle"},
        {"relative frame of three numbers",
         with({{ZRActionKey::RelativeFrame, QStringLiteral("{{0, 0}, {1}}")}}),
         [](const auto& a) { EXPECT_EQ(a->relativeFrame(), Rect(0, 0, 1, 1)); }, "no rectangle"},
        {"negative resize size", with({{ZRActionKey::ResizeSize, QStringLiteral("{-5, 300}")}}),
         [](const auto& a) {
             EXPECT_EQ(a->resizeSize(), (Size{0, 300}));
         },
         nullptr},
        {"chain mode out of range", with({{ZRActionKey::ChainMode, 7}}),
         [](const auto& a) { EXPECT_EQ(a->chainMode(), ZRChainModeSequence); }, "is no choice"},
        {"proximity out of range", with({{ZRActionKey::SnapshotGenericProximity, 9}}),
         [](const auto& a) { EXPECT_EQ(a->snapshotGenericProximity(), 2); }, nullptr},
        {"grid dimension as text",
         with({{ZRActionKey::GridDimensions,
                QVariantMap{{QStringLiteral("Configuration Grid: Rows"), QStringLiteral("x")},
                            {QStringLiteral("Configuration Grid: Columns"), 5}}}}),
         [](const auto& a) {
             EXPECT_EQ(a->gridDimensionsDictionary(),
                       (QVariantMap{{QStringLiteral("Configuration Grid: Columns"), qint64(5)}}));
         },
         "grid dimension"},
        {"title with control characters",
         with({{ZRActionKey::Title, QStringLiteral("A\x01"
                                                   "B")}}),
         [](const auto& a) {
             ASSERT_TRUE(a->userDefinedName());
             EXPECT_TRUE(PropertyList::isValid(a->dictionaryRepresentation()));
             EXPECT_EQ(a->userDefinedName()->size(), 3);
         },
         nullptr},
        {"title of megabytes", with({{ZRActionKey::Title, QString(30 * 1000 * 1000, u'x')}}),
         [](const auto& a) {
             ASSERT_TRUE(a->userDefinedName());
             EXPECT_EQ(a->userDefinedName()->size(), ActionRecordReading::MaximumTextLength);
         },
         "to 1000 characters"},
        {"title cut between a pair of surrogates",
         with({{ZRActionKey::Title, QString(999, u'x').append(QStringLiteral("\U0001F600"))}}),
         [](const auto& a) { EXPECT_EQ(*a->userDefinedName(), QString(999, u'x')); }, "cutting \"Title\""},
        {"hot key as text", with({{ZRActionKey::HotKey, QStringLiteral("cmd-K")}}),
         [](const auto& a) { EXPECT_FALSE(a->hotKey()); }, "\"Hot Key\""},
        {"hot key without text", with({{ZRActionKey::HotKey, QVariantMap{{QStringLiteral("Key Code"), 96}}}}),
         [](const auto& a) {
             ASSERT_TRUE(a->hotKey());
             EXPECT_EQ(a->hotKey()->visualRepresentation(), QStringLiteral("F5"));
         },
         nullptr},
        {"hot key without a key",
         with({{ZRActionKey::HotKey, QVariantMap{{QStringLiteral("Modifier Flags"), 0}}}}),
         [](const auto& a) { EXPECT_FALSE(a->hotKey()); }, "unreadable"},
        {"layout with broken windows",
         with({{ZRActionKey::Action, qint64(ZRActionTypeLayout)},
               {ZRActionKey::Snapshot,
                QVariantMap{{QStringLiteral("Window Descriptions"),
                             QVariantList{goodWindow, QStringLiteral("window"), windowWithoutFrame,
                                          windowWithBadScreen}},
                            {QStringLiteral("Screen Frames"), QVariantList{stringFromRect(screen), 4}}}}}),
         [&](const auto& a) {
             ASSERT_EQ(a->snapshot().windowDescriptions.size(), 2u);
             EXPECT_EQ(a->snapshot().windowDescriptions[0], goodWindow);
             EXPECT_FALSE(a->snapshot().windowDescriptions[1].contains(ZRWindowDescriptionKey::ScreenFrame));
             EXPECT_EQ(a->snapshotScreenFrames(), std::vector<Rect>{screen});
         },
         "skipping window 1"},
        {"layout as text", with({{ZRActionKey::Snapshot, QStringLiteral("windows")}}),
         [](const auto& a) { EXPECT_TRUE(a->snapshot().isEmpty()); }, "ignoring the layout"},
        {"folder whose members are no array",
         with({{ZRActionKey::Action, qint64(ZRActionTypeFolder)},
               {ZRActionKey::Children, QStringLiteral("none")}}),
         [](const auto& a) { EXPECT_TRUE(a->children().empty()); }, "\"Children\""},
        {"folder with a broken member",
         with({{ZRActionKey::Action, qint64(ZRActionTypeFolder)},
               {ZRActionKey::Children, QVariantList{3, QVariantMap{{ZRActionKey::Action, "x"}}, valid}}}),
         [](const auto& a) {
             ASSERT_EQ(a->children().size(), 1u);
             EXPECT_EQ(a->children()[0]->actionType(), ZRActionTypeMove);
         },
         "skipping a member"},
        {"members of anything but a folder", with({{ZRActionKey::Children, QVariantList{valid}}}),
         [](const auto& a) { EXPECT_TRUE(a->children().empty()); }, nullptr},
    };
    for (const auto& c : cases) {
        log->clear();
        const auto action = ZRAction::actionWithDictionaryRepresentation(c.record, true);
        c.check(action);
        if (c.logLine) {
            EXPECT_TRUE(logged(QString::fromUtf8(c.logLine))) << c.what;
        }
        if (action) {
            EXPECT_TRUE(PropertyList::isValid(action->dictionaryRepresentation())) << c.what;
        }
    }
}

TEST_F(ActionModelTest, ACollectionLoadsAroundBadRecordsAndRenewsRepeatedIdentifiers) {
    auto first = ZRAction::actionWithType(ZRActionTypeFill);
    auto second = ZRAction::actionWithType(ZRActionTypeCenter);
    QVariantMap repeated = second->dictionaryRepresentation();
    repeated.insert(ZRActionKey::Identifier, first->uniqueIdentifier());
    QVariantMap blankIdentifier = second->dictionaryRepresentation();
    blankIdentifier.insert(ZRActionKey::Identifier, QStringLiteral("  "));
    const QVariantList records = {first->dictionaryRepresentation(), QStringLiteral("junk"), repeated,
                                  QVariantMap{{ZRActionKey::Action, 99999}}, blankIdentifier};

    const auto actions = ZRAction::actionsFromCollection(records, true);
    ASSERT_EQ(actions.size(), 3u);
    EXPECT_EQ(actions[0]->uniqueIdentifier(), first->uniqueIdentifier());
    EXPECT_NE(actions[1]->uniqueIdentifier(), first->uniqueIdentifier());
    EXPECT_FALSE(actions[2]->uniqueIdentifier().trimmed().isEmpty());
    EXPECT_TRUE(logged(QStringLiteral("skipping action record 1")));
    EXPECT_TRUE(logged(QStringLiteral("gets a new one")));
}

TEST_F(ActionModelTest, FoldersNestOnlyToTheLimit) {
    QVariantMap record = ZRAction::actionWithType(ZRActionTypeFill)->dictionaryRepresentation();
    constexpr int Levels = 100;
    for (int i = 0; i < Levels; ++i)
        record = {{ZRActionKey::Action, qint64(ZRActionTypeFolder)},
                  {ZRActionKey::Children, QVariantList{record}}};

    const auto action = ZRAction::actionWithDictionaryRepresentation(record, true);
    ASSERT_TRUE(action);
    int depth = 0;
    const ZRAction* folder = action.get();
    while (!folder->children().empty()) {
        folder = folder->children().front().get();
        ++depth;
    }
    EXPECT_EQ(depth, ZRAction::MaximumFolderDepth);
    EXPECT_TRUE(logged(QStringLiteral("folders nest at most")));
    EXPECT_TRUE(PropertyList::isValid(action->dictionaryRepresentation()));
}

TEST_F(ActionModelTest, UndoAndRedoStepThroughStateChanges) {
    auto action = ZRAction::actionWithType(ZRActionTypeMoveAndResize);
    action->setName(QStringLiteral("Mine"));
    const Rect original = action->relativeFrame();

    action->applyStateChange([&] { action->setRelativeFrame({0, 0, 0.5, 1}); }, true);
    action->applyStateChange([&] { action->setRelativeFrame({0.5, 0, 0.5, 1}); }, true);
    action->applyStateChange([&] { action->setRelativeFrame({0.5, 0, 0.5, 1}); }, true);
    action->applyStateChange(
        [&] {
            action->setGridDimensionsDictionary({{QStringLiteral("Configuration Grid: Rows"), 2}});
        },
        false);
    const QVariantMap grid = action->gridDimensionsDictionary();

    action->undo();
    EXPECT_EQ(action->relativeFrame(), Rect(0, 0, 0.5, 1));
    action->undo();
    EXPECT_EQ(action->relativeFrame(), original);
    EXPECT_FALSE(action->canUndo()) << "a change that changed nothing left no entry";
    // The state an entry restores is the whole state at the time, the grid change included.
    EXPECT_TRUE(action->gridDimensionsDictionary().isEmpty());
    EXPECT_EQ(action->userDefinedName(), QStringLiteral("Mine")) << "names are no part of the state";

    action->redo();
    action->redo();
    EXPECT_EQ(action->relativeFrame(), Rect(0.5, 0, 0.5, 1));
    EXPECT_EQ(action->gridDimensionsDictionary(), grid);
    EXPECT_FALSE(action->canRedo());

    action->undo();
    action->applyStateChange([&] { action->setRelativeFrame({0, 0, 1, 0.5}); }, true);
    EXPECT_FALSE(action->canRedo()) << "a new change forgets what could be redone";
    action->undo();
    EXPECT_EQ(action->relativeFrame(), Rect(0, 0, 0.5, 1));
}

// A length is bounded by its unit: a step back to points must not be cut to the percent it steps from.
TEST_F(ActionModelTest, UndoRestoresALengthBeyondAHundredPercentAfterItsUnit) {
    auto action = ZRAction::actionWithType(ZRActionTypeMove);
    action->applyStateChange([&] { action->setMoveDelta(150); }, true);
    action->applyStateChange([&] { action->setMoveDeltaUnit(ZRMeasurementUnit::Percent); }, true);
    EXPECT_EQ(action->moveDelta(), 100);

    action->undo();
    EXPECT_EQ(action->moveDeltaUnit(), ZRMeasurementUnit::Points);
    EXPECT_EQ(action->moveDelta(), 150);
    action->redo();
    EXPECT_EQ(action->moveDeltaUnit(), ZRMeasurementUnit::Percent);
    EXPECT_EQ(action->moveDelta(), 100);
}

TEST_F(ActionModelTest, DefaultNamesFollowTheTypeAndSettings) {
    struct Case {
        ZRActionType type;
        std::int64_t direction;
        const char* name;
        const char* nameWithoutDirection;
    };
    const Case cases[] = {
        {ZRActionTypeFill, 0, "Fill", "Fill"},
        {ZRActionTypeHalf, ZRPositionLeft, "Left Half", "Half"},
        {ZRActionTypeQuarter, ZRPositionTopRight, "Top Right Quarter", "Quarter"},
        {ZRActionTypeCenter, 0, "Center", "Center"},
        {ZRActionTypeMove, ZRPositionLeft, "Move Left", "Move"},
        {ZRActionTypeMove, ZRPositionTop, "Move Up", "Move"},
        {ZRActionTypeMoveToOtherDisplay, ZRPositionRight, "Move to Right Display", "Move to Other Display"},
        {ZRActionTypeGrow, ZRPositionBottom, "Grow Down", "Grow"},
    };
    for (const auto& c : cases) {
        auto action = ZRAction::actionWithType(c.type);
        action->setMoveDirection(c.direction);
        EXPECT_EQ(action->defaultNameWithSuffixes(nullptr), QString::fromUtf8(c.name));
        EXPECT_EQ(action->defaultNameWithSuffixes(nullptr, false), QString::fromUtf8(c.nameWithoutDirection));
    }

    auto move = ZRAction::actionWithType(ZRActionTypeMoveConfined);
    move->setName(QStringLiteral("Nudge"));
    QStringList suffixes;
    EXPECT_EQ(move->displayNameWithSuffixes(&suffixes), QStringLiteral("Nudge"));
    EXPECT_EQ(suffixes, (QStringList{QStringLiteral("10 px"), QStringLiteral("Confine to Display")}));
    move->setName(QString());
    EXPECT_FALSE(move->userDefinedName());
    EXPECT_EQ(move->displayNameWithSuffixes(), QStringLiteral("Move Left"));

    auto named = ZRAction::actionWithType(ZRActionTypeFill);
    named->setName(QStringLiteral("../.hidden: a/b"));
    EXPECT_EQ(named->filename(), QStringLiteral("-.hidden- a-b"));
}

TEST_F(ActionModelTest, IconsAreDrawnPerTypeAndCachedUntilTheActionChanges) {
    for (const auto& action : oneActionOfEachType()) {
        const QImage icon = action->strongReferenceTemplateIconWithSize({23, 16});
        ASSERT_EQ(icon.size(), QSize(23, 16));
        bool drawn = false;
        for (int y = 0; y < icon.height() && !drawn; ++y) {
            for (int x = 0; x < icon.width() && !drawn; ++x)
                drawn = qAlpha(icon.pixel(x, y)) > 0;
        }
        EXPECT_TRUE(drawn) << action->actionType();
    }
    auto half = ZRAction::actionWithType(ZRActionTypeHalf);
    half->setMoveDirection(ZRPositionLeft);
    const QImage left = half->strongReferenceTemplateIconWithSize({40, 30});
    EXPECT_EQ(half->strongReferenceTemplateIconWithSize({40, 30}).cacheKey(), left.cacheKey());
    half->setMoveDirection(ZRPositionRight);
    const QImage right = half->strongReferenceTemplateIconWithSize({40, 30});
    EXPECT_NE(right, left);
    // The right half is filled where the left one is not.
    EXPECT_GT(qAlpha(right.pixel(30, 15)), qAlpha(left.pixel(30, 15)));
    EXPECT_TRUE(half->strongReferenceTemplateIconWithSize({0, 10}).isNull());
    EXPECT_TRUE(half->strongReferenceTemplateIconWithSize({1e12, 10}).isNull());

    const QImage section =
        ZRActionDummy::sidebarIconWithName(QStringLiteral("Snap"), 20, true, false, QColor());
    EXPECT_EQ(section.size(), QSize(28, 20));
    QString title;
    ZRActionDummy::genericMenuTemplateIconForActionType(ZRActionTypeFolder, nullptr, &title);
    EXPECT_EQ(title, QStringLiteral("Folder"));
}

} // namespace
