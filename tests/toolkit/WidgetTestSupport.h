#pragma once

#include "TestApplication.h"

#include <QApplication>
#include <QImage>
#include <QWidget>
#include <gtest/gtest.h>

// Widget tests: the application exists before the fixture's own widgets are made.
class WidgetTest : public ::testing::Test {
protected:
    WidgetTest() { testApplication<QApplication>(); }
};

// The widget as drawn, on a clear background, one pixel per point.
inline QImage renderedImage(QWidget& widget) {
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

inline int alphaAt(const QImage& image, int x, int y) {
    return qAlpha(image.pixel(x, y));
}
