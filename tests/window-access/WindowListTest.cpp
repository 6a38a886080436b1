#include "DesktopTest.h"

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/PropertyList.h"
#include "window-access/ExternalWindowMonitor.h"
#include "window-access/IgnoreList.h"
#include "window-access/RunningApplicationCache.h"
#include "window-access/WindowRelevance.h"

#include <QDir>
#include <QFile>
#include <atomic>
#include <chrono>
#include <optional>
#include <semaphore>
#include <thread>

namespace {

class WindowListTest : public DesktopTest {
protected:
    void writeIgnoreFile(const QString& name, const QByteArray& contents) {
        ASSERT_TRUE(QDir().mkpath(ZRIgnoreList::folderPath()));
        QFile file(QDir(ZRIgnoreList::folderPath()).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(contents);
        file.close();
        ZRIgnoreList::sharedList().reload();
    }
    void writeIgnoreList(const QString& name, const QVariantMap& lists) {
        QString error;
        const QByteArray data = PropertyList::toData(lists, &error);
        ASSERT_FALSE(data.isEmpty()) << error.toStdString();
        writeIgnoreFile(name, data);
    }

    static WindowListEntry entryOf(const SimWindow& window) {
        for (const WindowListEntry& entry : Platform::current().windowServer().windowList(false)) {
            if (entry.number == window.number())
                return entry;
        }
        ADD_FAILURE() << "window not listed";
        return {};
    }
    static std::optional<QString> relevance(const SimWindow& window) {
        const WindowListEntry entry = entryOf(window);
        return relevantLowercaseBundleIdentifierOrNullWithWindowFrame(entry, entry.bounds);
    }
};

TEST_F(WindowListTest, IgnoreListFileByCategory) {
    EXPECT_EQ(ZRIgnoreList::folderPath(), QDir(folder.path()).filePath(QStringLiteral("Skaf")));
    writeIgnoreList(QStringLiteral("Ignore.plist"),
                    {{QStringLiteral("Content"), QVariantList{QStringLiteral("com.example.Content")}},
                     {QStringLiteral("Full"), QVariantList{QStringLiteral("com.example.full"), 42}},
                     {QStringLiteral("Front"), QStringLiteral("com.example.front")},
                     {QStringLiteral("Position"), QVariantList{QStringLiteral(" com.example.position ")}}});
    const struct {
        const char* identifier;
        ZRIgnoreListCategory category;
        bool ignored;
    } cases[] = {
        {"com.example.content", ZRIgnoreListCategory::Content, true},
        {"com.example.content", ZRIgnoreListCategory::Full, false},
        {"com.example.full", ZRIgnoreListCategory::Full, true},
        // A list that is no array is skipped, and so are entries that are no text; the rest stays.
        {"com.example.front", ZRIgnoreListCategory::Front, false},
        {"com.example.position", ZRIgnoreListCategory::Position, true},
        {"com.example.other", ZRIgnoreListCategory::Content, false},
        {"", ZRIgnoreListCategory::Content, false},
        {"com.example.full", static_cast<ZRIgnoreListCategory>(42), false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ZRApplicationIsIgnored(QString::fromLatin1(c.identifier), c.category), c.ignored)
            << c.identifier << " " << static_cast<int>(c.category);
    }
}

TEST_F(WindowListTest, OlderFileNameAndBrokenFiles) {
    const QVariantMap older = {{QStringLiteral("Full"), QVariantList{QStringLiteral("com.example.old")}}};
    writeIgnoreList(QStringLiteral("Blacklist.plist"), older);
    EXPECT_TRUE(ZRApplicationIsIgnored(QStringLiteral("com.example.old"), ZRIgnoreListCategory::Full));

    // The current name wins over the older one.
    writeIgnoreList(QStringLiteral("Ignore.plist"),
                    {{QStringLiteral("Full"), QVariantList{QStringLiteral("com.example.new")}}});
    EXPECT_FALSE(ZRApplicationIsIgnored(QStringLiteral("com.example.old"), ZRIgnoreListCategory::Full));
    EXPECT_TRUE(ZRApplicationIsIgnored(QStringLiteral("com.example.new"), ZRIgnoreListCategory::Full));

    for (const QByteArray& broken : {QByteArray("not a property list"), QByteArray(),
                                     PropertyList::toData(QVariantList{QStringLiteral("com.example.new")})}) {
        writeIgnoreFile(QStringLiteral("Ignore.plist"), broken);
        EXPECT_FALSE(ZRApplicationIsIgnored(QStringLiteral("com.example.new"), ZRIgnoreListCategory::Full));
    }
}

TEST_F(WindowListTest, RelevanceByLayerAlphaAndIgnoreLists) {
    desktop.addScreen(Rect(0, 0, 1440, 900));
    writeIgnoreList(
        QStringLiteral("Ignore.plist"),
        {{QStringLiteral("Irrelevant: Any"), QVariantList{QStringLiteral("com.example.any")}},
         {QStringLiteral("Irrelevant: No Chrome"), QVariantList{QStringLiteral("com.example.nochrome")}},
         {QStringLiteral("Irrelevant: Full Screen"), QVariantList{QStringLiteral("com.example.cover")}},
         {QStringLiteral("Irrelevant: Dock Level"), QVariantList{QStringLiteral("com.example.dock")}}});
    auto& plain = desktop.addApplication(QStringLiteral("com.Example.Editor"), QStringLiteral("Editor"));
    auto& anonymous = desktop.addApplication(QString(), QStringLiteral("Tool"));
    auto& any = desktop.addApplication(QStringLiteral("com.example.any"), QStringLiteral("Any"));
    auto& noChrome =
        desktop.addApplication(QStringLiteral("com.example.nochrome"), QStringLiteral("NoChrome"));
    auto& cover = desktop.addApplication(QStringLiteral("com.example.cover"), QStringLiteral("Cover"));
    auto& dock = desktop.addApplication(QStringLiteral("com.example.dock"), QStringLiteral("Dock"));

    const Rect small(100, 100, 400, 300);
    auto& editor = desktop.addWindow(plain, small, QStringLiteral("Document"));
    auto& overlay = desktop.addWindow(plain, small, QStringLiteral("Overlay"));
    overlay.setLayer(100);
    auto& highPanel = desktop.addWindow(plain, small, QStringLiteral("Panel"));
    highPanel.setLayer(99);
    auto& shadow = desktop.addWindow(plain, small, QStringLiteral("Shadow"));
    shadow.setAlpha(0.0005);
    auto& untitledTool = desktop.addWindow(anonymous, small);
    auto& anyWindow = desktop.addWindow(any, small, QStringLiteral("Window"));
    auto& titled = desktop.addWindow(noChrome, small, QStringLiteral("Titled"));
    auto& untitled = desktop.addWindow(noChrome, small);
    auto& covering = desktop.addWindow(cover, Rect(0, 0, 1440, 900), QStringLiteral("Curtain"));
    auto& notCovering = desktop.addWindow(cover, small, QStringLiteral("Window"));
    auto& dockLevel = desktop.addWindow(dock, small, QStringLiteral("Strip"));
    dockLevel.setLayer(20);
    auto& dockNormal = desktop.addWindow(dock, small, QStringLiteral("Window"));

    const struct {
        const char* name;
        const SimWindow& window;
        std::optional<QString> expected;
    } cases[] = {
        {"normal window: lowercase identifier", editor, QStringLiteral("com.example.editor")},
        {"above layer 99", overlay, std::nullopt},
        {"layer 99", highPanel, QStringLiteral("com.example.editor")},
        {"nearly transparent", shadow, std::nullopt},
        {"owner without identifier", untitledTool, QString()},
        {"any window", anyWindow, std::nullopt},
        {"titled window, no-chrome list", titled, QStringLiteral("com.example.nochrome")},
        {"untitled window, no-chrome list", untitled, std::nullopt},
        {"covering the screen, full-screen list", covering, std::nullopt},
        {"smaller window, full-screen list", notCovering, QStringLiteral("com.example.cover")},
        {"above the normal layer, dock-level list", dockLevel, std::nullopt},
        {"normal layer, dock-level list", dockNormal, QStringLiteral("com.example.dock")},
    };
    for (const auto& c : cases) {
        const auto relevant = relevance(c.window);
        ASSERT_EQ(relevant.has_value(), c.expected.has_value()) << c.name;
        if (relevant) {
            EXPECT_EQ(*relevant, *c.expected) << c.name;
            EXPECT_EQ(relevant->isEmpty(), c.expected->isEmpty()) << c.name;
        }
    }
}

TEST_F(WindowListTest, BundleIdentifiersAreLookedUpPerRunOfAProcess) {
    // Every simulated desktop numbers its processes alike, so the second desktop's first application
    // has the process number of the first one's, at the same address: a reused process number.
    std::optional<SimDesktop> other;
    const auto identifierOfFirstWindow = [&](const QString& bundleIdentifier) -> std::optional<QString> {
        other.emplace();
        Platform::setCurrent(&*other);
        other->addScreen(Rect(0, 0, 1000, 800));
        auto& application = other->addApplication(bundleIdentifier, QStringLiteral("App"));
        auto& window = other->addWindow(application, Rect(10, 10, 300, 200), QStringLiteral("W"));
        const auto result = relevance(window);
        Platform::setCurrent(&desktop);
        other.reset();
        return result;
    };
    EXPECT_EQ(identifierOfFirstWindow(QStringLiteral("com.example.first")),
              QStringLiteral("com.example.first"));
    EXPECT_EQ(identifierOfFirstWindow(QStringLiteral("com.example.second")),
              QStringLiteral("com.example.second"));

    // An application that quits takes its entry with it.
    auto& application = desktop.addApplication(QStringLiteral("com.example.quits"), QStringLiteral("Quits"));
    auto& window = desktop.addWindow(application, Rect(10, 10, 300, 200), QStringLiteral("W"));
    const WindowListEntry entry = entryOf(window);
    EXPECT_EQ(relevantLowercaseBundleIdentifierOrNullWithWindowFrame(entry, entry.bounds),
              QStringLiteral("com.example.quits"));
    application.terminate();
    RunLoop::main().runPending();
    EXPECT_EQ(relevantLowercaseBundleIdentifierOrNullWithWindowFrame(entry, entry.bounds), QString());

    // A worker that meets another desktop leaves the subscription to the first one alone: it belongs to
    // the main thread, which may be delivering through it.
    const std::size_t subscribed = desktop.workspace().applicationTerminated.connectionCount();
    other.emplace();
    Platform::setCurrent(&*other);
    const pid_t elsewhere = other->addApplication(QStringLiteral("com.example.x"), QStringLiteral("X")).pid();
    std::thread([&] { RunningApplicationCache::shared().entry(elsewhere); }).join();
    EXPECT_EQ(desktop.workspace().applicationTerminated.connectionCount(), subscribed);
    Platform::setCurrent(&desktop);
    other.reset();
}

TEST_F(WindowListTest, MonitorDescribesRelevantWindowsOnTheWorkerFrontToBack) {
    desktop.addScreen(Rect(0, 0, 1440, 900), Rect(0, 0, 1440, 877));
    desktop.addScreen(Rect(1440, 0, 1920, 1080), Rect(1440, 40, 1920, 1040));
    auto& editor = desktop.addApplication(QStringLiteral("com.Example.Editor"), QStringLiteral("Editor"));
    auto& anonymous = desktop.addApplication(QString(), QStringLiteral("Tool"));
    desktop.addWindow(editor, Rect(100, 100, 400, 300), QStringLiteral("Back"));
    desktop.addWindow(anonymous, Rect(1500, 180, 600, 500), QStringLiteral("Tool Window"));
    desktop.addWindow(editor, Rect(200, 200, 400, 300), QStringLiteral("Overlay")).setLayer(500);
    desktop.addWindow(desktop.addOwnApplication(QStringLiteral("Skaf")), Rect(50, 50, 600, 400),
                      QStringLiteral("Settings"));

    DispatchQueue::setManualForTesting(true);
    std::optional<QVariantList> received;
    ZRExternalWindowMonitor monitor(RunLoop::main());
    Connection wanted = monitor.enumerateWindows(
        [&](const QVariantList& descriptions) { received = descriptions; }, settings());
    bool unwantedCalled = false;
    monitor.enumerateWindows([&](const QVariantList&) { unwantedCalled = true; }, settings()).disconnect();
    EXPECT_FALSE(received) << "nothing before the worker ran";
    EXPECT_EQ(DispatchQueue::drainForTesting(), 2);
    RunLoop::main().runPending();
    DispatchQueue::setManualForTesting(false);

    EXPECT_FALSE(unwantedCalled);
    ASSERT_TRUE(received);
    ASSERT_EQ(received->size(), 2);
    const QVariantMap front = received->at(0).toMap();
    EXPECT_FALSE(front.contains(ZRWindowDescriptionKey::BundleIdentifier));
    EXPECT_EQ(front.value(ZRWindowDescriptionKey::ApplicationName), QStringLiteral("Tool"));
    EXPECT_EQ(front.value(ZRWindowDescriptionKey::WindowTitle), QStringLiteral("Tool Window"));
    EXPECT_EQ(rectFromString(front.value(ZRWindowDescriptionKey::WindowFrame).toString()),
              Rect(1500, 220, 600, 500));
    EXPECT_EQ(rectFromString(front.value(ZRWindowDescriptionKey::ScreenFrame).toString()),
              Rect(1440, 0, 1920, 1080));
    EXPECT_EQ(rectFromString(front.value(ZRWindowDescriptionKey::AvailableScreenFrame).toString()),
              Rect(1440, 40, 1920, 1040));
    const QVariantMap back = received->at(1).toMap();
    EXPECT_EQ(back.value(ZRWindowDescriptionKey::BundleIdentifier), QStringLiteral("com.Example.Editor"));
    EXPECT_EQ(rectFromString(back.value(ZRWindowDescriptionKey::WindowFrame).toString()),
              Rect(100, 500, 400, 300));
    EXPECT_EQ(rectFromString(back.value(ZRWindowDescriptionKey::AvailableScreenFrame).toString()),
              Rect(0, 0, 1440, 877));
    EXPECT_TRUE(PropertyList::isValid(*received));
}

// The simulated desktop behind a window list that answers only when the test lets it, and that notices
// being destroyed while a worker reads it.
class SlowDesktop : public Platform, WindowServer {
public:
    struct Probe {
        std::binary_semaphore reading{0};
        std::binary_semaphore answer{0};
        std::atomic<bool> inside{false};
        std::atomic<bool> destroyed{false};
        std::atomic<bool> destroyedWhileRead{false};
    };

    SlowDesktop(SimDesktop& desktop, Probe& probe) : m_desktop(desktop), m_probe(probe) {}
    ~SlowDesktop() override {
        m_probe.destroyedWhileRead = m_probe.inside.load();
        m_probe.destroyed = true;
    }
    std::vector<WindowListEntry> windowList(bool onScreenOnly) const override {
        m_probe.inside = true;
        m_probe.reading.release();
        m_probe.answer.acquire();
        auto list = m_desktop.windowServer().windowList(onScreenOnly);
        m_probe.inside = false;
        return list;
    }
    bool endWindowManagerMove(WindowNumber window) override {
        return m_desktop.windowServer().endWindowManagerMove(window);
    }
    bool resumeWindowManagerMove(WindowNumber window, Point quartzPointer) override {
        return m_desktop.windowServer().resumeWindowManagerMove(window, quartzPointer);
    }
    QString name() const override { return QStringLiteral("slow"); }
    WindowServer& windowServer() override { return *this; }
    Accessibility& accessibility() override { return m_desktop.accessibility(); }
    Screens& screens() override { return m_desktop.screens(); }
    InputState& inputState() override { return m_desktop.inputState(); }
    Workspace& workspace() override { return m_desktop.workspace(); }
    EventStream& eventStream() override { return m_desktop.eventStream(); }
    GlobalHotKeys& globalHotKeys() override { return m_desktop.globalHotKeys(); }
    SystemPreferences& systemPreferences() override { return m_desktop.systemPreferences(); }
    Processes& processes() override { return m_desktop.processes(); }
    OverlayWindows& overlayWindows() override { return m_desktop.overlayWindows(); }

private:
    SimDesktop& m_desktop;
    Probe& m_probe;
};

TEST_F(WindowListTest, QuitWaitsForALayoutCaptureOnAWorkerBeforeTheDesktopGoes) {
    desktop.addScreen(Rect(0, 0, 1440, 900));
    desktop.addWindow(desktop.addApplication(QStringLiteral("com.example.editor"), QStringLiteral("Editor")),
                      Rect(100, 100, 400, 300), QStringLiteral("Document"));
    DispatchQueue::setManualForTesting(false);
    for (const bool finishesInTime : {true, false}) {
        SCOPED_TRACE(finishesInTime ? "finishes in time" : "still busy");
        SlowDesktop::Probe probe;
        auto platform = std::make_unique<SlowDesktop>(desktop, probe);
        Platform::setCurrent(platform.get());
        ZRExternalWindowMonitor monitor(RunLoop::main());
        Connection capture = monitor.enumerateWindows([](const QVariantList&) {}, settings());
        probe.reading.acquire();
        std::thread answer([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(finishesInTime ? 50 : 700));
            probe.answer.release();
        });
        EXPECT_EQ(Platform::shutDown(std::move(platform), finishesInTime ? 10 : 0.2), finishesInTime);
        EXPECT_EQ(probe.destroyed, finishesInTime);
        EXPECT_FALSE(probe.destroyedWhileRead);
        answer.join();
        DispatchQueue::waitForIdle();
        // Left installed for the worker: it goes now that the worker is done.
        if (!finishesInTime) {
            EXPECT_TRUE(Platform::hasCurrent());
            delete &Platform::current();
        }
        DispatchQueue::reopenForTesting();
        RunLoop::main().runPending();
    }
    Platform::setCurrent(&desktop);
}

} // namespace
