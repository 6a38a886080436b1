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
        writeIgnoreLists({});
        MouseControlTest::TearDown();
    }

    static void writeIgnoreLists(const std::map<ZRIgnoreListCategory, QStringList>& lists) {
        QVariantMap file;
        for (const auto& [category, identifiers] : lists)
            file.insert(ZRIgnoreList::nameOfCategory(category), QVariant(identifiers));
        QDir().mkpath(ZRIgnoreList::folderPath());
        ASSERT_TRUE(PropertyList::writeFile(ZRIgnoreList::filePath(), file));
        ZRIgnoreList::sharedList().reload();
    }

    // The filter's answer with every out value asked for, each set beforehand to something it must replace.
    struct Answer {
        bool process = false;
        std::optional<QString> identifier = QStringLiteral("stale");
        std::optional<WindowListEntry> entry = WindowListEntry{};
        bool exact = true;
    };
    static Answer ask(Point location, bool skipLargeTopEdgeDistances = false) {
        Answer answer;
        answer.process = shouldProcessTappedMouseEventAtLocation(
            location, skipLargeTopEdgeDistances, &answer.identifier, &answer.entry, &answer.exact);
        return answer;
    }
};

// One window under the pointer, of an application with or without a bundle identifier, on or off the
// ignore lists, the pointer a distance below its top edge.
TEST_F(WindowFilterTest, OneWindowUnderThePointer) {
    const struct Case {
        const char* name;
        Size size;
        bool hasBundleIdentifier;
        double belowTopEdge;
        bool skipLargeTopEdgeDistances;
        std::map<ZRIgnoreListCategory, QStringList> ignoreLists;
        bool preCheckingMayNotSkip;
        bool process;
        const char* debugLine;
    } cases[] = {
        {"76 below the top edge, for the palette",
         {400, 300},
         true,
         76,
         true,
         {},
         false,
         false,
         "[Debug] ignoring offset window: "},
        {"75 below the top edge, for the palette", {400, 300}, true, 75, true, {}, false, true, nullptr},
        {"76 below the top edge, for hover", {400, 300}, true, 76, false, {}, false, true, nullptr},
        {"76 below, but pre-checking may not skip", {400, 300}, true, 76, true, {}, true, true, nullptr},
        {"40 x 40 is tiny", {40, 40}, true, 5, false, {}, false, false, "[Debug] ignoring tiny window: "},
        {"50 x 40 is large", {50, 40}, true, 5, false, {}, false, true, nullptr},
        {"tiny without bundle identifier",
         {40, 40},
         false,
         5,
         false,
         {},
         false,
         false,
         "[Debug] ignoring tiny window: "},
        {"large without bundle identifier", {400, 300}, false, 5, false, {}, false, true, nullptr},
        {"fully ignored",
         {400, 300},
         true,
         5,
         false,
         {{ZRIgnoreListCategory::Full, {Editor}}},
         false,
         false,
         "[Debug] ignoring fully blacklisted window: "},
        {"content-ignored, 21 below the top edge",
         {400, 300},
         true,
         21,
         false,
         {{ZRIgnoreListCategory::Content, {Editor}}},
         false,
         true,
         nullptr},
        {"content-ignored, 22 below the top edge",
         {400, 300},
         true,
         22,
         false,
         {{ZRIgnoreListCategory::Content, {Editor}}},
         false,
         false,
         "[Debug] ignoring content-blacklisted window: "},
        {"content-ignored, 76 below, for the palette",
         {400, 300},
         true,
         76,
         true,
         {{ZRIgnoreListCategory::Content, {Editor}}},
         false,
         false,
         "[Debug] ignoring offset window: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeIgnoreLists(c.ignoreLists);
        set(QStringLiteral("Pre-Checking May Not Skip Accessibility Requests"), c.preCheckingMayNotSkip);
        log->clear();
        auto& application =
            desktop.addApplication(c.hasBundleIdentifier ? QStringLiteral("com.example.Editor") : QString(),
                                   QStringLiteral("Editor"));
        const Rect bounds(Point(300, 200), c.size);
        SimWindow& window = desktop.addWindow(application, bounds, QStringLiteral("Notes"));

        const Answer answer =
            ask(Point(bounds.midX(), bounds.minY() + c.belowTopEdge), c.skipLargeTopEdgeDistances);
        EXPECT_EQ(answer.process, c.process);
        ASSERT_TRUE(answer.entry);
        EXPECT_EQ(answer.entry->number, window.number());
        EXPECT_FALSE(answer.exact);
        // An owner without a bundle identifier has none to tell, unless its window is tiny: that one is
        // refused for its size, and named as the empty identifier.
        const bool large = c.size.width >= 50 || c.size.height >= 50;
        const std::optional<QString> identifier = c.hasBundleIdentifier ? std::optional(Editor)
                                                  : large               ? std::nullopt
                                                                        : std::optional(QString());
        EXPECT_EQ(answer.identifier, identifier);
        if (c.debugLine) {
            ASSERT_EQ(log->lines().size(), 1);
            EXPECT_TRUE(log->lines().front().startsWith(QLatin1String(c.debugLine)))
                << log->lines().front().toStdString();
            EXPECT_TRUE(log->lines().front().endsWith(
                QStringLiteral(" owned by %1")
                    .arg(c.hasBundleIdentifier ? Editor : QStringLiteral("(null)"))));
        } else {
            EXPECT_TRUE(log->lines().isEmpty()) << log->lines().join('\n').toStdString();
        }
        window.close();
    }
}

// Windows stacked under the pointer: the frontmost relevant one decides, and the irrelevant ones in front
// of it only ask for an exact match.
TEST_F(WindowFilterTest, TheFrontmostRelevantWindowDecides) {
    writeIgnoreLists({{ZRIgnoreListCategory::IrrelevantAny, {QStringLiteral("com.example.shadow")}}});
    auto& editor = desktop.addApplication(QStringLiteral("com.example.Editor"), QStringLiteral("Editor"));
    auto& shadow = desktop.addApplication(QStringLiteral("com.example.Shadow"), QStringLiteral("Shadow"));
    const SimWindow& behind = desktop.addWindow(editor, Rect(100, 100, 600, 400), QStringLiteral("Behind"));
    const SimWindow& relevant = desktop.addWindow(editor, Rect(200, 150, 400, 300), QStringLiteral("Notes"));
    desktop.addWindow(shadow, Rect(150, 120, 500, 350));
    desktop.addWindow(editor, Rect(250, 130, 300, 300)).setAlpha(0);
    desktop.addWindow(editor, Rect(250, 150, 100, 100)).setLayer(100);

    Answer answer = ask(Point(300, 200));
    EXPECT_TRUE(answer.process);
    ASSERT_TRUE(answer.entry);
    EXPECT_EQ(answer.entry->number, relevant.number());
    EXPECT_EQ(answer.identifier, Editor);
    EXPECT_TRUE(answer.exact);

    // Nothing irrelevant in front of the window behind, where only it lies.
    answer = ask(Point(120, 480));
    ASSERT_TRUE(answer.entry);
    EXPECT_EQ(answer.entry->number, behind.number());
    EXPECT_FALSE(answer.exact);

    // A tiny window in front refuses, though a large one lies behind it.
    desktop.addWindow(editor, Rect(290, 190, 20, 20));
    EXPECT_FALSE(ask(Point(300, 200)).process);
}

// No relevant window under the pointer, and our own modal windows: the out values are set all the same.
TEST_F(WindowFilterTest, AnswersWithoutAWindowSetEveryOutValue) {
    auto& editor = desktop.addApplication(QStringLiteral("com.example.Editor"), QStringLiteral("Editor"));
    desktop.addWindow(editor, Rect(0, 0, 1440, 900)).setLayer(100);
    desktop.addWindow(editor, Rect(200, 150, 400, 300), QStringLiteral("Notes"));

    Answer answer = ask(Point(1000, 700));
    EXPECT_TRUE(answer.process);
    EXPECT_FALSE(answer.identifier);
    EXPECT_FALSE(answer.entry);
    EXPECT_TRUE(answer.exact);
    EXPECT_TRUE(shouldProcessTappedMouseEventAtLocation(Point(300, 200), true, nullptr, nullptr, nullptr));

    QWidget settings;
    settings.show();
    for (const Qt::WindowModality modality : {Qt::ApplicationModal, Qt::WindowModal}) {
        SCOPED_TRACE(modality);
        log->clear();
        QDialog dialog(&settings);
        dialog.setWindowModality(modality);
        dialog.show();
        answer = ask(Point(300, 200));
        EXPECT_FALSE(answer.process);
        EXPECT_FALSE(answer.identifier);
        EXPECT_FALSE(answer.entry);
        EXPECT_FALSE(answer.exact);
        EXPECT_EQ(log->lines(),
                  QStringList{modality == Qt::ApplicationModal
                                  ? "[Debug] cannot process tapped event while operating modal window"
                                  : "[Debug] cannot process tapped event while operating sheet"});
    }
    EXPECT_TRUE(ask(Point(300, 200)).process);
}

} // namespace
