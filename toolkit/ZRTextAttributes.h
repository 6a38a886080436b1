#pragma once

#include <QColor>
#include <QFont>

// How a text is drawn: its font, colour and alignment inside the rectangle it is given.
struct ZRTextAttributes {
    QFont font;
    QColor color = Qt::black;
    Qt::Alignment alignment = Qt::AlignCenter;
};
