// The help window as a user meets it: on the private 640x480 test display with openbox, driven by
// XTest through xdotool, checked with xwininfo and the window's pixels.
#include "HelpTestSupport.h"
#include "TestDisplay.h"

#include "help-browser/BrowserView.h"
#include "help-browser/ZRBrowserWindow.h"
#include "help-browser/ZRBrowserWindowSearchFieldEditor.h"
#include "help-browser/ZRHelpManager.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "toolkit/ZRFindPasteboard.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QWindow>
#include <gtest/gtest.h>

namespace {

constexpr int ScreenWidth = 640;
constexpr int ScreenHeight = 480;

class Environment : public ::testing::Environment {
public:
    void SetUp() override {
        TestDisplay::use(QStringLiteral(SKAF_HELP_DISPLAY_STATE));
        static int argc = 1;
        static char name[] = "skaf_help_x11_tests";
        static char* argv[] = {name, nullptr};
        m_application = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { m_application.reset(); }

private:
    std::unique_ptr<QApplication> m_application;
};

[[maybe_unused]] const auto* const environment = ::testing::AddGlobalTestEnvironment(new Environment);

bool waitUntil(const std::function<bool()>& condition, int milliseconds = 5000) {
    QDeadlineTimer deadline(milliseconds);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        RunLoop::main().runPending();
    }
    return true;
}

QString xdotool(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    process.waitForFinished(10000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The window's frame as other clients see it: its place from xwininfo, grown by the frame extents openbox
// gives it (left, right, top, bottom, from xprop).
QRect xwininfoFrame(WId window) {
    auto output = [](const QString& program, const QStringList& arguments) {
        QProcess process;
        process.start(program, arguments);
        process.waitForFinished(10000);
        return QString::fromUtf8(process.readAllStandardOutput());
    };
    const QString info = output(QStringLiteral("xwininfo"), {"-id", QString::number(window)});
    auto value = [&](const char* label) {
        return QRegularExpression(QStringLiteral("%1:\\s*(-?\\d+)").arg(label))
            .match(info)
            .captured(1)
            .toInt();
    };
    const QRect inside(value("Absolute upper-left X"), value("Absolute upper-left Y"), value("Width"),
                       value("Height"));
    const QStringList extents =
        output(QStringLiteral("xprop"), {"-id", QString::number(window), "_NET_FRAME_EXTENTS"})
            .section(u'=', 1)
            .split(u',');
    if (extents.size() != 4)
        return inside;
    return inside.marginsAdded(
        QMargins(extents[0].toInt(), extents[2].toInt(), extents[1].toInt(), extents[3].toInt()));
}

class HelpWindowX11Test : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(qEnvironmentVariableIsEmpty("DISPLAY")) << "the test display did not start";
        fixture.writeStandardBook();
        fixture.write("resources/en.lproj/Help/about.html",
                      helpPage("About", "4", "<p>About this book and its pages.</p>"));
        manager = std::make_unique<ZRHelpManager>(fixture.book(), fixture.context());
        DispatchQueue::waitForIdle();
        manager->help();
        ASSERT_TRUE(waitUntil([&] { return manager->window() && manager->window()->isActiveWindow(); }));
        ASSERT_TRUE(waitUntil([&] { return !manager->window()->windowHandle()->frameMargins().isNull(); }));
        waitUntil([] { return false; }, 200);
    }
    void TearDown() override { manager.reset(); }

    QTextBrowser* browser() const { return qobject_cast<QTextBrowser*>(manager->webView()->widget()); }

    // Clicks the link with XTest, where the page shows it.
    void click(const QString& href) {
        QTextDocument* document = browser()->document();
        for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                if (it.fragment().charFormat().anchorHref() != href)
                    continue;
                QTextCursor cursor(document);
                cursor.setPosition(it.fragment().position() + 1);
                const QPoint point =
                    browser()->viewport()->mapToGlobal(browser()->cursorRect(cursor).center());
                xdotool({"mousemove", QString::number(point.x()), QString::number(point.y()), "click", "1"});
                return;
            }
        }
        ADD_FAILURE() << "no link to " << href.toStdString();
    }

    HelpBookFixture fixture;
    std::unique_ptr<ZRHelpManager> manager;
};

TEST_F(HelpWindowX11Test, TheWindowFitsTheScreenAndFindSuggestsPages) {
    // Once openbox has framed it, the whole window, title bar included, lies on the screen.
    QRect frame;
    const bool fits = waitUntil([&] {
        frame = xwininfoFrame(manager->window()->winId());
        return QRect(0, 0, ScreenWidth, ScreenHeight).contains(frame);
    });
    EXPECT_TRUE(fits) << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height();
    EXPECT_TRUE(QRect(0, 0, ScreenWidth, ScreenHeight).contains(frame))
        << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height();
    EXPECT_GT(frame.width(), ScreenWidth / 2);

    // On a page without the word, so the suggestions are not cut short.
    ASSERT_TRUE(manager->openPageAtRelativePathWithFragment("about.html"));
    xdotool({"key", "--clearmodifiers", "ctrl+f"});
    ASSERT_TRUE(waitUntil([&] { return manager->searchFieldEditor() != nullptr; }));
    xdotool({"type", "--delay", "30", "resiz"});
    ASSERT_TRUE(waitUntil([&] { return manager->searchFieldEditor()->isShowingCompletions(); }));
    EXPECT_EQ(manager->searchFieldEditor()->completions(), QStringList({"Welcome", "Setup", "Hot Keys"}));

    QDir().mkpath(QStringLiteral(SKAF_SCREENSHOT_DIR));
    const QPixmap shot = manager->window()->screen()->grabWindow(0, 0, 0, ScreenWidth, ScreenHeight);
    EXPECT_TRUE(shot.save(QStringLiteral(SKAF_SCREENSHOT_DIR "/help-window-x11.png")));
}

TEST_F(HelpWindowX11Test, ASettingsLinkAsksFirstAndAMailLinkGoesToTheDesktop) {
    const QString link = QStringLiteral("x-tallowin-help://default/ZRDebugLog#yes");
    // Escape answers Cancel: nothing is written.
    QProcess::startDetached(QStringLiteral("xdotool"), {"sleep", "1", "key", "Escape"});
    click(link);
    waitUntil([] { return false; }, 1500);
    EXPECT_FALSE(fixture.settings.persistentObject("ZRDebugLog").isValid());
    EXPECT_FALSE(fixture.settings.hasUnsavedChanges());

    QProcess::startDetached(QStringLiteral("xdotool"), {"sleep", "1", "key", "Return"});
    click(link);
    ASSERT_TRUE(waitUntil([&] { return fixture.settings.persistentObject("ZRDebugLog").isValid(); }));
    ASSERT_TRUE(fixture.settings.save());
    QFile settings(fixture.path("Settings.plist"));
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
    EXPECT_TRUE(settings.readAll().contains("ZRDebugLog"));

    // A stand-in for the desktop's opener, first on the path.
    const QString opened = fixture.path("opened.txt");
    fixture.write("bin/xdg-open", QStringLiteral("#!/bin/sh\necho \"$@\" > '%1'\n").arg(opened));
    QFile::setPermissions(fixture.path("bin/xdg-open"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", fixture.path("bin").toUtf8() + ':' + path);
    click(QStringLiteral("mailto:help@example.org"));
    // The stand-in creates its file before it writes the address into it.
    QByteArray written;
    waitUntil([&] {
        QFile file(opened);
        written = file.open(QIODevice::ReadOnly) ? file.readAll().trimmed() : QByteArray();
        return !written.isEmpty();
    });
    qputenv("PATH", path);
    EXPECT_EQ(written, "mailto:help@example.org");
    EXPECT_EQ(manager->currentRelativePath(), "welcome.html") << "the page stays";
}

} // namespace
