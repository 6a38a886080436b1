#pragma once

#include "mouse-control/ZRMouseControlSettingsControls.h"

#include <QSlider>

// A horizontal slider over a range of real numbers in fixed steps: Qt's slider holds integers, while the
// settings' rules (a delay within 0.05 of the minimum, a focus below 0.05) are on the real values. Setting
// the value from code never counts as the user's change.
class ZRSettingsSlider : public QSlider, public ZRSettingsControlSender {
    Q_OBJECT
public:
    ZRSettingsSlider(double minimum, double maximum, double step, QWidget* parent = nullptr);

    double minValue() const { return m_minimum; }
    double step() const { return m_step; }
    // The value at the slider's position, in the range.
    double doubleValue() const;
    // Moves the slider to the step nearest the value, clamped to the range; no signal.
    void setDoubleValue(double value);

    // A slider has no on or off.
    std::optional<int> state() const override { return std::nullopt; }

Q_SIGNALS:
    // The user moved the slider (by mouse, wheel or keys).
    void doubleValueChanged(double value);

private:
    double m_minimum;
    double m_maximum;
    double m_step;
};
