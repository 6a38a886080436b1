#pragma once

#include "DesktopTest.h"

#include "shell/ZRProcessFlags.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPalette>
#include <QWidget>

// Views of the settings on the offscreen display, with the settings of a fresh simulated desktop and the
// strips the program lets the miniature screens draw.
class SettingsViewTest : public DesktopTest {
protected:
    void SetUp() override {
        DesktopTest::SetUp();
        ZRSharedProcessFlags().screenBackgroundViewsDrawMenuBarAndDock = true;
    }
    void TearDown() override {
        ZRSharedProcessFlags().screenBackgroundViewsDrawMenuBarAndDock = false;
        DesktopTest::TearDown();
    }

    // The view as drawn, on a clear background, at the pixel ratio.
    static QImage rendered(QWidget& view, double ratio = 1) {
        QImage image(view.size() * ratio, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::transparent);
        view.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        return image;
    }

    // The view as the user meets it, on its window's background.
    static void saveScreenshot(QWidget& view, const QString& name) {
        QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(view.palette().color(QPalette::Window));
        view.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        const QString folder = QStringLiteral(SKAF_SCREENSHOT_DIR);
        QDir().mkpath(folder);
        EXPECT_TRUE(image.save(folder + QLatin1Char('/') + name + QStringLiteral(".png")))
            << name.toStdString();
    }

    // The dark style as the desktop would give it to the view's window.
    static void setDark(QWidget& view, bool dark) {
        QPalette palette = QApplication::palette();
        if (dark) {
            palette.setColor(QPalette::Window, QColor(40, 40, 40));
            palette.setColor(QPalette::WindowText, Qt::white);
        }
        view.setPalette(palette);
    }
};
