#include "MouseControlTestSupport.h"

#include "mouse-control/ZRWindowFilter.h"
#include "platform/foundation/PropertyList.h"
#include "window-access/IgnoreList.h"

#include <QDialog>
#include <QDir>

namespace {

const QString Editor = QStringLiteral("com.example.editor");

class WindowFilterTest : public MouseControlTest {
protected:
    void SetUp() override {
        MouseControlTest::SetUp();
        desktop.addScreen(Rect(0, 0, 1440, 900));
        set(QStringLiteral("ZRDebugLog"), true);
    }
    void TearDown() override {
        ignore({});
        MouseControlTest::TearDown();
    }

    static void ignore(const std::map<ZRIgnoreListCategory, QStringList>& lists) {
        QVariantMap file;
        for (const auto& [category, identifiers] : lists)
            file.insert(ZRIgnoreList::nameOfCategory(category), QVariant(identifiers));
        QDir().mkpath(ZRIgnoreList::folderPath());
        ASSERT_TRUE(PropertyList::writeFile(ZRIgnoreList::filePath(), file));
        ZRIgnoreList::sharedList().reload();
    }

    // Every out value asked for, each set beforehand to something the filter must replace.
    struct Answer {
        bool process = false;
        std::optional<QString> identifier = QStringLiteral("stale");
        std::optional<WindowListEntry> entry = WindowListEntry{};
        bool exact = true;
    };
    Answer ask(Point location, bool skipLargeTopEdgeDistances = false) const {
        Answer a;
        a.process = shouldProcessTappedMouseEventAtLocation(location, skipLargeTopEdgeDistances,
                                                            &a.identifier, &a.entry, &a.exact, settings());
        return a;
    }
};

// One window under the pointer, its owner with or without a bundle identifier and on or off the ignore
// lists, the pointer some way below its top edge.
TEST_F(WindowFilterTest, OneWindowUnderThePointer) {
    using enum ZRIgnoreListCategory;
    const Size large(400, 300);
    const struct Case {
        Size size;
        bool hasBundleIdentifier;
        double belowTopEdge;
        bool skipLargeTopEdgeDistances;
        std::map<ZRIgnoreListCategory, QStringList> ignored;
        bool preCheckingMayNotSkip;
        const char* refusal; // the debug line's start; null: accepted
    } cases[] = {
        {large, true, 76, true, {}, false, "[Debug] ignoring offset window: "},
        {large, true, 75, true, {}, false, nullptr},
        {large, true, 76, false, {}, false, nullptr},
        {large, true, 76, true, {}, true, nullptr},
        {{40, 40}, true, 5, false, {}, false, "[Debug] ignoring tiny window: "},
        {{50, 40}, true, 5, false, {}, false, nullptr},
        {{40, 40}, false, 5, false, {}, false, "[Debug] ignoring tiny window: "},
        {large, false, 5, false, {}, false, nullptr},
        {large, true, 5, false, {{Full, {Editor}}}, false, "[Debug] ignoring fully blacklisted window: "},
        {large, true, 21, false, {{Content, {Editor}}}, false, nullptr},
        {large,
         true,
         22,
         false,
         {{Content, {Editor}}},
         false,
         "[Debug] ignoring content-blacklisted window: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.size.width << "x" << c.size.height << ", " << c.belowTopEdge
                                        << " below, skip " << c.skipLargeTopEdgeDistances);
        ignore(c.ignored);
        set(QStringLiteral("Pre-Checking May Not Skip Accessibility Requests"), c.preCheckingMayNotSkip);
        log->clear();
        auto& owner =
            desktop.addApplication(c.hasBundleIdentifier ? Editor : QString(), QStringLiteral("Editor"));
        const Rect bounds(Point(300, 200), c.size);
        SimWindow& window = desktop.addWindow(owner, bounds, QStringLiteral("Notes"));

        const Answer answer =
            ask(Point(bounds.midX(), bounds.minY() + c.belowTopEdge), c.skipLargeTopEdgeDistances);
        EXPECT_EQ(answer.process, !c.refusal);
        ASSERT_TRUE(answer.entry);
        EXPECT_EQ(answer.entry->number, window.number());
        EXPECT_FALSE(answer.exact);
        // An owner without a bundle identifier names none, unless its window is tiny and refused as such.
        const bool large = c.size.width >= 50 || c.size.height >= 50;
        EXPECT_EQ(answer.identifier, c.hasBundleIdentifier ? std::optional(Editor)
                                     : large               ? std::nullopt
                                                           : std::optional(QString()));
        if (c.refusal) {
            const QString owned =
                QStringLiteral(" owned by %1").arg(c.hasBundleIdentifier ? Editor : "(null)");
            ASSERT_EQ(log->lines().size(), 1);
            EXPECT_TRUE(log->lines().front().startsWith(c.refusal) && log->lines().front().endsWith(owned))
                << log->lines().front().toStdString();
        } else {
            EXPECT_TRUE(log->lines().isEmpty());
        }
        window.close();
    }
}

// Stacked windows: the frontmost relevant one decides, the irrelevant ones in front of it ask for an exact
// match. Nothing relevant under the pointer, or a modal window of ours: the out values are set all the same.
TEST_F(WindowFilterTest, StackedWindowsAndModalOnes) {
    ignore({{ZRIgnoreListCategory::IrrelevantAny, {QStringLiteral("com.example.shadow")}}});
    auto& editor = desktop.addApplication(Editor, QStringLiteral("Editor"));
    const SimWindow& behind = desktop.addWindow(editor, Rect(100, 100, 600, 400), QStringLiteral("Behind"));
    const SimWindow& relevant = desktop.addWindow(editor, Rect(200, 150, 400, 300), QStringLiteral("Notes"));
    desktop.addWindow(desktop.addApplication(QStringLiteral("com.example.Shadow"), {}),
                      Rect(150, 120, 500, 350));
    desktop.addWindow(editor, Rect(250, 130, 300, 300)).setAlpha(0);
    desktop.addWindow(editor, Rect(250, 150, 100, 100)).setLayer(100);

    Answer answer = ask(Point(300, 200));
    EXPECT_TRUE(answer.process && answer.exact);
    EXPECT_EQ(answer.identifier, Editor);
    EXPECT_EQ(answer.entry->number, relevant.number());
    answer = ask(Point(120, 480));
    EXPECT_EQ(answer.entry->number, behind.number());
    EXPECT_FALSE(answer.exact);
    answer = ask(Point(1000, 700));
    EXPECT_TRUE(answer.process);
    EXPECT_FALSE(answer.identifier || answer.entry || answer.exact);
    EXPECT_TRUE(shouldProcessTappedMouseEventAtLocation(Point(300, 200), true, nullptr, nullptr, nullptr,
                                                        settings()));
    desktop.addWindow(editor, Rect(290, 190, 20, 20));
    EXPECT_FALSE(ask(Point(300, 200)).process) << "a tiny window in front of a large one";

    QWidget settings;
    settings.show();
    for (const Qt::WindowModality modality : {Qt::ApplicationModal, Qt::WindowModal}) {
        log->clear();
        QDialog dialog(&settings);
        dialog.setWindowModality(modality);
        dialog.show();
        answer = ask(Point(300, 200));
        EXPECT_FALSE(answer.process || answer.identifier || answer.entry || answer.exact);
        EXPECT_EQ(log->lines(),
                  QStringList{modality == Qt::ApplicationModal
                                  ? "[Debug] cannot process tapped event while operating modal window"
                                  : "[Debug] cannot process tapped event while operating sheet"});
    }
}

} // namespace
