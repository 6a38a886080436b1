#pragma once

// Qt headers the toolkit's sources share; precompiled once for the whole target.
#include <QColor>
#include <QList>
#include <QPainter>
#include <QPainterPath>
#include <QString>
#include <QVariant>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <vector>
