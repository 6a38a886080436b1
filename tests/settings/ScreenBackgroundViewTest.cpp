#include "SettingsViewTestSupport.h"

#include "settings/ZRScreenBackgroundPicture.h"
#include "settings/ZRScreenBackgroundView.h"

#include <QElapsedTimer>
#include <QFile>
#include <sys/stat.h>

namespace {

const QString ImageEnabledKey = QStringLiteral("ZRScreenBackgroundViewImageEnabled");
const QSize ViewSize(160, 100);

class ScreenBackgroundViewTest : public SettingsViewTest {
protected:
    // Shown in an active window, as in the settings window the user works in.
    std::unique_ptr<ZRScreenBackgroundView> shownView() {
        auto view = std::make_unique<ZRScreenBackgroundView>(settings());
        view->resize(ViewSize);
        view->show();
        QApplication::setActiveWindow(view.get());
        QApplication::processEvents();
        // The view may have been drawn before its window became active.
        view->desktopImageFade().setCurrentTime(view->desktopImageFade().duration());
        return view;
    }
};

// Grey levels of a pixel with alpha taken into account, 0 to 255.
int greyAt(const QImage& image, int x, int y) {
    return qGray(image.pixel(x, y));
}

// The mean saturation of the picture between the strips.
double meanSaturation(const QImage& image) {
    double sum = 0;
    int count = 0;
    for (int y = 15; y < image.height() - 15; ++y) {
        for (int x = 5; x < image.width() - 5; ++x) {
            sum += QColor(image.pixel(x, y)).hsvSaturationF();
            ++count;
        }
    }
    return sum / count;
}

TEST_F(ScreenBackgroundViewTest, PlainGreyWithStripsWhenThePictureIsOff) {
    struct Case {
        const char* name;
        bool dark;
        int grey;    // the plain background
        int menuBar; // white 0.4 over it, or black 0.2
        int border;  // black (white) 0.1 over it
    };
    const Case cases[] = {
        {"light", false, 153, 194, 138},
        {"dark", true, 77, 61, 94},
    };
    set(ImageEnabledKey, false);
    for (const Case& c : cases) {
        ZRScreenBackgroundView view(settings());
        view.resize(ViewSize);
        setDark(view, c.dark);
        const QImage image = rendered(view);
        saveScreenshot(view,
                       QStringLiteral("screen-background-without-picture-%1").arg(c.dark ? "dark" : "light"));
        const int w = image.width();
        const int h = image.height();
        EXPECT_FALSE(view.desktopImageLayer()) << c.name;
        EXPECT_NEAR(greyAt(image, w / 2, h / 2), c.grey, 2) << c.name;
        EXPECT_EQ(qAlpha(image.pixel(w / 2, h / 2)), 255) << c.name << ": opaque";
        // The menu bar's 11 rows along the whole top, the Dock's 11 visible rows across the middle half.
        EXPECT_NEAR(greyAt(image, w / 2, 10), c.menuBar, 2) << c.name;
        EXPECT_NEAR(greyAt(image, w / 2, 11), c.grey, 2) << c.name;
        EXPECT_NEAR(greyAt(image, 10, 5), c.menuBar, 2) << c.name;
        EXPECT_NEAR(greyAt(image, w / 2, h - 11), c.menuBar, 2) << c.name;
        EXPECT_NEAR(greyAt(image, w / 2, h - 12), c.grey, 2) << c.name;
        EXPECT_NEAR(greyAt(image, w / 4 - 2, h - 5), c.grey, 2) << c.name << ": left of the Dock";
        EXPECT_NEAR(greyAt(image, 0, h / 2), c.border, 2) << c.name;
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << c.name << ": rounded corner";
    }
}

TEST_F(ScreenBackgroundViewTest, StripsOnlyWhenTheProgramLetsViewsDrawThem) {
    ZRSharedProcessFlags().screenBackgroundViewsDrawMenuBarAndDock = false;
    ZRScreenBackgroundView view(settings());
    view.resize(ViewSize);
    EXPECT_FALSE(view.drawsDecorations());
    EXPECT_TRUE(view.menuBarLayer().isEmpty());
    EXPECT_TRUE(view.dockLayer().isEmpty());
}

class RetinaView : public ZRScreenBackgroundView {
public:
    using ZRScreenBackgroundView::ZRScreenBackgroundView;
    bool retina = true;

protected:
    bool isOnRetinaDisplay() const override { return retina; }
};

TEST_F(ScreenBackgroundViewTest, AutomaticBorderIsHalfAPointOnHighDensityScreens) {
    struct Case {
        const char* name;
        double borderWidth;
        bool retina;
        bool increaseContrast;
        int borderPixels; // device pixels at a ratio of 2
    };
    const Case cases[] = {
        {"automatic, high density", -1, true, false, 1},
        {"automatic, normal density", -1, false, false, 2},
        {"automatic, increased contrast", -1, true, true, 2},
        {"its own width", 1.5, true, false, 3},
    };
    set(ImageEnabledKey, false);
    for (const Case& c : cases) {
        desktop.workspace().setIncreaseContrastEnabled(c.increaseContrast);
        RetinaView view(settings());
        view.retina = c.retina;
        view.setBorderWidth(c.borderWidth);
        view.resize(ViewSize);
        const QImage image = rendered(view, 2);
        const int y = image.height() / 2;
        const int inside = greyAt(image, 10, y);
        int drawn = 0;
        while (drawn < 10 && greyAt(image, drawn, y) < inside - 1)
            ++drawn;
        EXPECT_EQ(drawn, c.borderPixels) << c.name;
    }
}

TEST_F(ScreenBackgroundViewTest, ColourOnlyWhileTheWindowIsActiveAndTheViewEnabled) {
    auto view = shownView();
    ASSERT_FALSE(ZRScreenBackgroundPicture::shared(settings()).image().isNull())
        << "the program's own picture";
    ASSERT_TRUE(view->desktopImageLayer());
    EXPECT_DOUBLE_EQ(view->desktopImageLayer()->opacity, 0.2);
    const QImage colour = rendered(*view);
    saveScreenshot(*view, QStringLiteral("screen-background-active-light"));
    const double full = meanSaturation(colour);
    EXPECT_GT(full, 0.05);

    QVariantAnimation& fade = view->desktopImageFade();
    view->setEnabled(false);
    ASSERT_EQ(fade.state(), QAbstractAnimation::Running);
    fade.setCurrentTime(500);
    const double halfWay = meanSaturation(rendered(*view));
    EXPECT_NEAR(halfWay, full / 2, full * 0.15) << "colour and grey cross-fade";
    fade.setCurrentTime(fade.duration());
    const QImage grey = rendered(*view);
    EXPECT_LT(meanSaturation(grey), 0.01);

    view->setEnabled(true);
    fade.setCurrentTime(fade.duration());
    EXPECT_NEAR(meanSaturation(rendered(*view)), full, 0.01);

    QApplication::setActiveWindow(nullptr);
    QApplication::processEvents();
    EXPECT_FALSE(view->isActiveWindow());
    fade.setCurrentTime(fade.duration());
    const QImage inactive = rendered(*view);
    saveScreenshot(*view, QStringLiteral("screen-background-inactive-light"));
    EXPECT_LT(meanSaturation(inactive), 0.01);

    setDark(*view, true);
    saveScreenshot(*view, QStringLiteral("screen-background-inactive-dark"));
    QApplication::setActiveWindow(view.get());
    QApplication::processEvents();
    fade.setCurrentTime(fade.duration());
    saveScreenshot(*view, QStringLiteral("screen-background-active-dark"));
}

class PictureTest : public SettingsViewTest {
protected:
    QString path(const QString& name) const { return folder.filePath(name); }
    QString savedImage(const QString& name, QSize size) const {
        QImage image(size, QImage::Format_RGB32);
        image.fill(QColor(20, 120, 220));
        EXPECT_TRUE(image.save(path(name)));
        return path(name);
    }
};

TEST_F(PictureTest, OnlyRegularFilesOfPicturesWithinBoundsAreRead) {
    const QString fifo = path(QStringLiteral("fifo.png"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QFile notAPicture(path(QStringLiteral("text.png")));
    ASSERT_TRUE(notAPicture.open(QIODevice::WriteOnly));
    notAPicture.write("not a picture");
    notAPicture.close();
    // A header that claims 20000 × 20000 pixels, with no data behind it.
    QFile huge(path(QStringLiteral("huge.png")));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    huge.write(QByteArray::fromHex("89504e470d0a1a0a0000000d4948445200004e2000004e2008020000006c12d16e"));
    huge.close();

    struct Case {
        const char* name;
        QString path;
        QSize size; // empty: not read
    };
    const Case cases[] = {
        {"a picture", savedImage(QStringLiteral("small.png"), QSize(300, 200)), QSize(300, 200)},
        {"a large picture, scaled down", savedImage(QStringLiteral("wide.png"), QSize(3000, 1500)),
         QSize(1024, 512)},
        {"a FIFO, which would block", fifo, QSize()},
        {"a folder", folder.path(), QSize()},
        {"no picture", notAPicture.fileName(), QSize()},
        {"too many pixels", huge.fileName(), QSize()},
        {"nothing there", path(QStringLiteral("missing.png")), QSize()},
    };
    for (const Case& c : cases) {
        QElapsedTimer timer;
        timer.start();
        const QImage image = ZRScreenBackgroundPicture::userPicture(c.path);
        EXPECT_EQ(image.isNull() ? QSize() : image.size(), c.size) << c.name;
        EXPECT_LT(timer.elapsed(), 5000) << c.name;
    }
}

TEST_F(PictureTest, TheUsersPictureFirstThenTheProgramsOwn) {
    set(QStringLiteral("ZRScreenBackgroundViewImagePath"),
        savedImage(QStringLiteral("own.png"), QSize(64, 40)));
    const ZRScreenBackgroundPicture own = ZRScreenBackgroundPicture::load(settings());
    EXPECT_TRUE(own.isUsersOwn());
    EXPECT_EQ(own.image().size(), QSize(64, 40));
    EXPECT_EQ(own.grayScaleImage().pixel(0, 0),
              qRgb(qGray(20, 120, 220), qGray(20, 120, 220), qGray(20, 120, 220)));
    EXPECT_EQ(&own.grayScaleImage(), &own.grayScaleImage()) << "made once";

    set(QStringLiteral("ZRScreenBackgroundViewImagePath"), path(QStringLiteral("missing.png")));
    const ZRScreenBackgroundPicture fallback = ZRScreenBackgroundPicture::load(settings());
    EXPECT_FALSE(fallback.isUsersOwn());
    EXPECT_FALSE(fallback.image().isNull());
    EXPECT_TRUE(logged(QStringLiteral("screen background picture not read from")));
}

TEST_F(ScreenBackgroundViewTest, PictureSettingIsOnUnlessABooleanTurnsItOff) {
    const struct {
        QVariant value;
        bool drawn;
    } cases[] = {{QVariant(), true}, {false, false}, {0, false}, {true, true}, {QStringLiteral("NO"), true}};
    ZRScreenBackgroundView view(settings());
    for (const auto& c : cases) {
        set(ImageEnabledKey, c.value);
        EXPECT_EQ(view.drawsScreenBackgroundImage(), c.drawn) << c.value.toString().toStdString();
    }
}

} // namespace
