// A miniature screen as a user meets it: in a window on the X11 test display with openbox, beside an xterm
// that takes and gives back the active state (xdotool), checked with the pixels the server holds.
#include "platform/foundation/UserDefaults.h"
#include "settings/ZRScreenBackgroundView.h"
#include "shell/ZRProcessFlags.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

// The test display and the application object come from the X11 tests' support.

// Runs the event loop, animations included, until the condition holds or the time is up.
bool waitUntil(const std::function<bool()>& condition, int milliseconds = 5000) {
    QDeadlineTimer deadline(milliseconds);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

void spin(int milliseconds) {
    waitUntil([] { return false; }, milliseconds);
}

QString xdotool(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    process.waitForFinished(10000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

double meanSaturation(const QImage& image) {
    double sum = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            sum += QColor(image.pixel(x, y)).hsvSaturationF();
    }
    return sum / (image.width() * image.height());
}

// The fade takes a second; a little more lets the last frame reach the server.
constexpr int AfterTheFade = 1200;

class ScreenBackgroundX11Test : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(qEnvironmentVariableIsEmpty("DISPLAY")) << "the test display did not start";
        ASSERT_TRUE(folder.isValid());
        settings = std::make_unique<UserDefaults>(folder.filePath(QStringLiteral("Settings.plist")));
        ZRSharedProcessFlags().screenBackgroundViewsDrawMenuBarAndDock = true;

        xterm.start(QStringLiteral("xterm"), {QStringLiteral("-name"), XtermName, QStringLiteral("-geometry"),
                                              QStringLiteral("40x10+600+100")});
        ASSERT_TRUE(xterm.waitForStarted());
        // A new window takes the active state, so the xterm comes first.
        ASSERT_TRUE(waitUntil([&] { return !xtermWindow().isEmpty(); }));

        window.setWindowTitle(QStringLiteral("Skaf screen background"));
        auto* layout = new QVBoxLayout(&window);
        view = new ZRScreenBackgroundView(*settings);
        view->setFixedSize(240, 150);
        layout->addWidget(view);
        window.move(100, 100);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(waitUntil([&] { return window.isActiveWindow(); }));
    }
    void TearDown() override {
        xterm.kill();
        xterm.waitForFinished();
        window.close();
        ZRSharedProcessFlags().screenBackgroundViewsDrawMenuBarAndDock = false;
    }

    QString xtermWindow() const {
        return xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                        QStringLiteral("--classname"), XtermName})
            .section(u'\n', 0, 0);
    }

    // The view's pixels as the server holds them, the strips and the border left out.
    QImage grab() const {
        const QPoint at = view->mapTo(&window, QPoint(0, 0));
        return QGuiApplication::primaryScreen()
            ->grabWindow(window.winId(), at.x(), at.y(), view->width(), view->height())
            .toImage()
            .copy(5, 15, view->width() - 10, view->height() - 30);
    }

    void save(const QImage& image, const QString& name) const {
        const QString screenshots = QStringLiteral(SKAF_SCREENSHOT_DIR);
        QDir().mkpath(screenshots);
        EXPECT_TRUE(image.save(screenshots + QLatin1Char('/') + name + QStringLiteral(".png")));
    }

    const QString XtermName = QStringLiteral("skafscreenbackground");
    QTemporaryDir folder;
    // The settings the view is handed; they outlive the window that holds it.
    std::unique_ptr<UserDefaults> settings;
    QWidget window;
    ZRScreenBackgroundView* view = nullptr;
    QProcess xterm;
};

TEST_F(ScreenBackgroundX11Test, ThePictureTurnsGreyWhileAnotherWindowIsActive) {
    spin(AfterTheFade);
    const QImage active = grab();
    EXPECT_GT(meanSaturation(active), 0.05) << "in colour while its window is active";

    xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), xtermWindow()});
    ASSERT_TRUE(waitUntil([&] { return !window.isActiveWindow(); }));
    spin(AfterTheFade);
    const QImage inactive = grab();
    save(QGuiApplication::primaryScreen()->grabWindow(window.winId()).toImage(),
         QStringLiteral("screen-background-x11-inactive"));
    EXPECT_LT(meanSaturation(inactive), 0.01) << "grey while the xterm is active";

    xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), QString::number(window.winId())});
    ASSERT_TRUE(waitUntil([&] { return window.isActiveWindow(); }));
    spin(AfterTheFade);
    save(QGuiApplication::primaryScreen()->grabWindow(window.winId()).toImage(),
         QStringLiteral("screen-background-x11-active"));
    EXPECT_NEAR(meanSaturation(grab()), meanSaturation(active), 0.01) << "the colour comes back";
}

} // namespace
