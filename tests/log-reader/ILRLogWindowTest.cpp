#include "LogReaderTestSupport.h"
#include "TestApplication.h"

#include "log-reader/ILRLogDisplay.h"
#include "log-reader/ILRLogWindow.h"
#include "platform/foundation/PropertyList.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QToolButton>

namespace {

using namespace LogReaderTest;

class ILRLogWindowTest : public Fixture {
protected:
    void SetUp() override {
        Fixture::SetUp();
        QCoreApplication::setApplicationName("Skaf");
    }
    // The tool's history: what the test puts here; the live stream stays silent.
    void scriptHistory(QList<QJsonObject> objects, bool ends = true) {
        desktop.processes().scriptChild(SimProcesses::LogToolPath,
                                        [objects, ends](const std::shared_ptr<SimChildProcess>& child) {
                                            if (child->arguments().front() != "show")
                                                return;
                                            child->write(toolAnswer(objects));
                                            if (ends)
                                                child->exit(0);
                                        });
    }
    ILRLogWindow& window() { return *reader->window(); }
    QPushButton& clearButton() { return *window().clearButton(); }
    QPushButton& saveButton() { return *window().saveButton(); }
    static void saveScreenshot(QWidget& widget, const QString& name) {
        QDir().mkpath(SKAF_SCREENSHOT_DIR);
        widget.grab().save(QStringLiteral(SKAF_SCREENSHOT_DIR "/%1.png").arg(name));
    }
};

TEST_F(ILRLogWindowTest, ButtonsFollowTheReadAndTheEntries) {
    scriptHistory({}, false);
    desktop.processes().scriptChild(
        SimProcesses::LogToolPath, [](const std::shared_ptr<SimChildProcess>& child) {
            // A history read that has not answered yet.
            if (child->arguments().front() == "show")
                child->setWhenDrained([](SimChildProcess& child) { child.exit(0); });
        });
    ASSERT_TRUE(reader->displayLog());
    EXPECT_EQ(window().windowTitle(), "Skaf Log — Finding Older Messages…");
    EXPECT_TRUE(window().spinner()->isVisibleTo(&window()));
    EXPECT_FALSE(window().findEarlierResultsButton()->isEnabled());
    // Reading, nothing yet: a Stop button, no Save.
    EXPECT_TRUE(clearButton().isVisibleTo(&window()));
    EXPECT_EQ(clearButton().toolTip(), "Stop");
    EXPECT_FALSE(saveButton().isVisibleTo(&window()));
    settle();
    EXPECT_EQ(window().windowTitle(), "Skaf Log");
    EXPECT_TRUE(window().findEarlierResultsButton()->isEnabled());
    EXPECT_FALSE(clearButton().isVisibleTo(&window()));

    scriptHistory({toolObject("hello", now() - Second)});
    reader->displayLogAndForceUpdate(true);
    settle();
    EXPECT_EQ(clearButton().toolTip(), "Clear");
    EXPECT_TRUE(clearButton().isVisibleTo(&window()));
    EXPECT_TRUE(saveButton().isVisibleTo(&window()));

    // After a clear: the clear time in the header, and no Stop button until a read starts.
    QTest::mouseClick(&clearButton(), Qt::LeftButton);
    settle();
    EXPECT_TRUE(reader->displayedText().startsWith("⇤ ")) << reader->displayedText().toStdString();
    EXPECT_TRUE(reader->displayedText().endsWith("…"));
    EXPECT_FALSE(clearButton().isVisibleTo(&window()));
    EXPECT_FALSE(saveButton().isVisibleTo(&window()));

    // Closing stops the live stream and sets the next show back to the last hour.
    window().close();
    EXPECT_FALSE(reader->hasLiveStream());
    EXPECT_EQ(reader->numberOfDays(), 0);
}

TEST_F(ILRLogWindowTest, ReturnSavesTheEntriesAsAPropertyList) {
    scriptHistory(
        {toolObject("first", now() - 2 * Second), toolObject("control \x01 character", now() - Second)});
    ASSERT_TRUE(reader->displayLog());
    settle();
    const QString path = folder.filePath("Saved.plist");
    alerts->savePath = path;
    QTest::keyClick(window().logView(), Qt::Key_Return);
    EXPECT_EQ(alerts->savePanels, 1);
    const auto read = PropertyList::readFile(path);
    ASSERT_TRUE(read.ok()) << read.error.toStdString();
    const QVariantList saved = read.value.toList();
    ASSERT_EQ(saved.size(), 2);
    const QVariantMap first = saved.front().toMap();
    EXPECT_EQ(first.value("eventMessage").toString(), "first");
    EXPECT_EQ(first.value("processImagePath").toString(), "/opt/Skaf/bin/skaf");
    EXPECT_EQ(LogTimestamp::parse(first.value("timestamp").toString()), now() - 2 * Second);
    EXPECT_EQ(saved.back().toMap().value("eventMessage").toString(), "control \uFFFD character");

    // A file that cannot be written is logged, with a beep.
    alerts->savePath = path + "/inside.plist"; // a file where its folder should be
    QTest::mouseClick(&saveButton(), Qt::LeftButton);
    EXPECT_EQ(alerts->beeps, 1);
    EXPECT_TRUE(logged("[ILR] cannot save log: "));

    // Nothing to save: logged, a beep, no panel.
    reader->clear();
    settle();
    reader->save();
    EXPECT_EQ(alerts->savePanels, 2);
    EXPECT_EQ(alerts->beeps, 2);
    EXPECT_TRUE(logged("[ILR] cannot save log: no entries"));
}

TEST_F(ILRLogWindowTest, OptionsToggleSendersAndCoalescing) {
    const qint64 t = now() - Second;
    scriptHistory({toolObject("same", t), toolObject("same", t), toolObject("same", t)});
    ASSERT_TRUE(reader->displayLog());
    settle();
    EXPECT_TRUE(reader->displayedText().endsWith("skaf: same (×3)")) << reader->displayedText().toStdString();
    QMenu* menu = reader->optionsMenu();
    ASSERT_NE(menu, nullptr);
    QStringList titles;
    for (QAction* item : menu->actions()) {
        reader->validateMenuItem(item);
        titles << item->text();
    }
    EXPECT_EQ(titles, (QStringList{"Show Message Sender", "Coalesce Repeat Messages", "", "Find…"}));
    EXPECT_TRUE(menu->actions()[0]->isChecked());
    menu->actions()[0]->trigger();
    menu->actions()[1]->trigger();
    RunLoop::main().runPending();
    const QString text = reader->displayedText();
    EXPECT_EQ(text.count(": same"), 3) << text.toStdString();
    EXPECT_FALSE(text.contains("skaf"));
}

TEST_F(ILRLogWindowTest, ScreenshotsLightAndDark) {
    const qint64 t = now();
    scriptHistory(
        {toolObject("start", t - 50 * Second),
         toolObject("cannot export to URL: file:///tmp/x.skaf", t - 40 * Second),
         toolObject("grab", t - 30 * Second, "/opt/Skaf/bin/skaf", "/opt/Skaf/lib/libskaf_toolkit.so"),
         toolObject("grab", t - 30 * Second, "/opt/Skaf/bin/skaf", "/opt/Skaf/lib/libskaf_toolkit.so"),
         toolObject("grab", t - 30 * Second, "/opt/Skaf/bin/skaf", "/opt/Skaf/lib/libskaf_toolkit.so"),
         toolObject("a message\nof two lines", t - 20 * Second)});
    const QPalette light = QApplication::palette();
    for (const bool dark : {false, true}) {
        if (dark) {
            QPalette palette;
            palette.setColor(QPalette::Window, QColor(0x2b, 0x2b, 0x2b));
            palette.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
            palette.setColor(QPalette::Text, QColor(0xe8, 0xe8, 0xe8));
            palette.setColor(QPalette::Disabled, QPalette::Text, QColor(0x8a, 0x8a, 0x8a));
            palette.setColor(QPalette::WindowText, QColor(0xe8, 0xe8, 0xe8));
            palette.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x3a));
            palette.setColor(QPalette::ButtonText, QColor(0xe8, 0xe8, 0xe8));
            QApplication::setPalette(palette);
            QApplication::processEvents();
        }
        ASSERT_TRUE(reader->displayLogAndForceUpdate(true));
        settle();
        window().resize(640, 300);
        saveScreenshot(window(), dark ? "log-window-dark" : "log-window-light");
        EXPECT_TRUE(reader->displayedText().contains("(×3)"));
    }
    QApplication::setPalette(light);
}

// The log view keeps to its end as the text grows or wraps anew, until the user scrolls away.
TEST(ILRLogWindow, TheLogViewKeepsToItsEndUntilScrolledAway) {
    testApplication<QApplication>();
    ILRLogDisplay::Entries entries;
    const auto add = [&entries](int count) {
        for (int i = 0; i < count; ++i) {
            ILRLogEntry entry;
            entry.eventMessage =
                QString("line %1 of a log that wraps when its window is narrow").arg(entries.size());
            entry.displayTime = "12:00:00.000";
            entries.push_back(entry);
        }
    };
    add(300);
    ILRLogDisplay display(entries, {});
    ZRFindPasteboard findPasteboard;
    ILRLogWindow window(findPasteboard);
    window.resize(500, 200);
    window.show();
    QTextEdit& view = *window.logView();
    view.setDocument(display.document());
    window.scrollToEnd();
    QScrollBar& bar = *view.verticalScrollBar();
    const auto settle = [] {
        for (int i = 0; i < 3; ++i)
            QApplication::processEvents();
    };
    settle();
    EXPECT_EQ(bar.value(), bar.maximum());
    add(3);
    display.append(entries);
    settle();
    EXPECT_EQ(bar.value(), bar.maximum());
    window.resize(300, 200);
    settle();
    EXPECT_EQ(bar.value(), bar.maximum());
    EXPECT_TRUE(view.cursorForPosition(QPoint(10, view.viewport()->height() - 6))
                    .block()
                    .text()
                    .contains("line 302"));

    bar.setValue(bar.maximum() / 2);
    const int kept = bar.value();
    add(3);
    display.append(entries);
    settle();
    EXPECT_EQ(bar.value(), kept);
    EXPECT_FALSE(window.followsEnd());
}

} // namespace
