#include "settings/ZRSettingsSlider.h"

#include <QSignalBlocker>
#include <algorithm>
#include <cmath>

ZRSettingsSlider::ZRSettingsSlider(double minimum, double maximum, double step, QWidget* parent)
    : QSlider(Qt::Horizontal, parent), m_minimum(minimum), m_maximum(std::max(minimum, maximum)),
      m_step(step > 0 ? step : 1) {
    setRange(0, static_cast<int>(std::lround((m_maximum - m_minimum) / m_step)));
    setSingleStep(1);
    setPageStep(std::max(1, QSlider::maximum() / 10));
    connect(this, &QSlider::valueChanged, this, [this] { Q_EMIT doubleValueChanged(doubleValue()); });
}

double ZRSettingsSlider::doubleValue() const {
    return std::min(m_maximum, m_minimum + value() * m_step);
}

void ZRSettingsSlider::setDoubleValue(double value) {
    const QSignalBlocker blocker(this);
    if (!std::isfinite(value))
        value = m_minimum;
    const double clamped = std::clamp(value, m_minimum, m_maximum);
    setValue(static_cast<int>(std::lround((clamped - m_minimum) / m_step)));
}
