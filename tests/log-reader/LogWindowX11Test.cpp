#include "TestDisplay.h"

#include "log-reader/ILRIntegratedLogReader.h"
#include "log-reader/ILRLogReaderFlags.h"
#include "log-reader/ILRLogWindow.h"
#include "platform/Platform.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/LogTimestamp.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/SystemLogFiles.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/sim/SimDesktop.h"
#include "platform/x11/X11Platform.h"
#include "toolkit/ZRFindPasteboard.h"
#include "toolkit/ZRSystemLog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QThread>

// The log window on the X11 tests' display, as a user meets it: a real window of the window manager,
// lines of the program reaching it through the real log tool.
namespace {

bool waitUntil(const std::function<bool()>& condition, int milliseconds = 5000) {
    QDeadlineTimer deadline(milliseconds);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
    return true;
}

QString run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(10000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Whether the window of that title is mapped and viewable, as xwininfo sees it.
bool isViewable(const QString& title) {
    return run("xwininfo", {"-name", title}).contains("Map State: IsViewable");
}

class LogWindowX11Test : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        qputenv("XDG_STATE_HOME", folder.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", folder.path().toUtf8());
        ZRSystemLog::shared().setFilePath(SystemLogFiles::defaultFilePath());
        ZRSystemLog::shared().setEchoesToStandardError(false);
        QCoreApplication::setApplicationName("Skaf");
    }
    void TearDown() override {
        reader.reset();
        DispatchQueue::waitForIdle();
        // A worker that held the reader last hands it to the main thread to go.
        QCoreApplication::processEvents();
        ZRSystemLog::shared().setFilePath(ZRSystemLog::defaultFilePath());
    }
    QString text() const { return reader->displayedText(); }
    ILRLogReaderContext context(Platform& platform) {
        return {platform.processes(),
                settings,
                RunLoop::main(),
                DispatchQueue::global(QueuePriority::Default),
                NotificationCenter::defaultCenter(),
                ZRSystemLog::shared(),
                findPasteboard,
                ILRLogReaderFlags::shared()};
    }

    QTemporaryDir folder;
    // The reader's own settings and find string: the window keeps its frame and options there.
    UserDefaults settings{folder.filePath("Settings.plist")};
    ZRFindPasteboard findPasteboard;
    std::shared_ptr<ILRIntegratedLogReader> reader;
};

TEST_F(LogWindowX11Test, TheWindowMapsAndShowsALineLoggedAfterwardsWithinASecond) {
    QString error;
    const auto platform = createX11Platform(&error);
    ASSERT_NE(platform, nullptr) << error.toStdString();
    ASSERT_TRUE(ILRIntegratedLogReader::canDisplayLog(platform->processes()));
    reader = ILRIntegratedLogReader::make(context(*platform), ZRLogReaderSettings{"ZRDebugLog", {}});
    reader->logMessage("logged before the window opened");
    ASSERT_TRUE(reader->displayLog());
    ASSERT_TRUE(waitUntil([] { return isViewable("Skaf Log"); }));
    ASSERT_TRUE(waitUntil([&] { return text().contains("logged before the window opened"); }));
    ASSERT_TRUE(waitUntil([&] { return !reader->isSpinning(); }));

    QElapsedTimer clock;
    clock.start();
    reader->logMessage("logged while it is open");
    ASSERT_TRUE(waitUntil([&] { return text().contains("logged while it is open"); }, 5000));
    EXPECT_LT(clock.elapsed(), 1000);
    reader->window()->close();
    EXPECT_TRUE(waitUntil([] { return !isViewable("Skaf Log"); }));
}

// Older messages being found, and repeats: the marker and the count as the display draws them.
TEST_F(LogWindowX11Test, AGrabShowsRepeatsAndTheMarker) {
    SimDesktop sim;
    const qint64 now = LogTimestamp::now();
    // The history read of the last day takes its time: the marker stands where older messages go.
    sim.processes().scriptChild(
        SimProcesses::LogToolPath, [now](const std::shared_ptr<SimChildProcess>& child) {
            if (child->arguments().front() != "show")
                return;
            QByteArray answer = "Filtering the log data\n";
            if (child->arguments().last() == "1h") {
                for (int i = 0; i < 3; ++i) {
                    const QJsonObject object{{"timestamp", LogTimestamp::format(now - 1000000, 0)},
                                             {"eventMessage", "grab of the keyboard refused"},
                                             {"processImagePath", "/opt/Skaf/bin/skaf"},
                                             {"senderImagePath", "/opt/Skaf/bin/skaf"}};
                    answer += (i == 0 ? "[" : ",") +
                              QJsonDocument(object).toJson(QJsonDocument::Indented).chopped(1);
                }
                child->write(answer + "\n]\n");
                child->exit(0);
            }
        });
    reader = ILRIntegratedLogReader::make(context(sim), ZRLogReaderSettings{"ZRDebugLog", {}});
    ASSERT_TRUE(reader->displayLog());
    ASSERT_TRUE(waitUntil([] { return isViewable("Skaf Log"); }));
    ASSERT_TRUE(waitUntil([&] { return text().contains("(×3)") && !reader->isSpinning(); }));
    reader->findEarlierResults();
    ASSERT_TRUE(waitUntil([&] { return text().contains("👀"); }));
    QApplication::processEvents();
    QThread::msleep(100);
    QApplication::processEvents();

    const QImage grab = QApplication::primaryScreen()->grabWindow(reader->window()->winId()).toImage();
    QDir().mkpath(SKAF_SCREENSHOT_DIR);
    grab.save(SKAF_SCREENSHOT_DIR "/log-window-x11.png");
    // The marker comes from the colour font: the only blue-grey of the text (the outline of its eyes), where
    // a font without it would draw a grey box.
    const QImage text = grab.copy(reader->window()->logView()->geometry());
    int coloured = 0;
    for (int y = 0; y < text.height(); ++y) {
        for (int x = 0; x < text.width(); ++x) {
            const QColor c = text.pixelColor(x, y);
            const int blue = c.blue() - c.red();
            coloured += c.red() > 180 && blue >= 6 && blue <= 24 && c.green() > c.red() ? 1 : 0;
        }
    }
    EXPECT_GT(coloured, 10);
    for (const auto& child : sim.processes().children(SimProcesses::LogToolPath))
        child->exit(0);
}

} // namespace

int main(int argc, char** argv) {
    TestDisplay::use(QStringLiteral(SKAF_X11_DISPLAY_STATE));
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
