#pragma once

#include "mouse-control/ZRMouseControlSettingsControls.h"

#include <QCheckBox>

// A switch of the settings: a check box that tells mouse control its state when it is the sender of a
// change.
class ZRSettingsSwitch : public QCheckBox, public ZRSettingsControlSender {
public:
    explicit ZRSettingsSwitch(const QString& title, QWidget* parent = nullptr) : QCheckBox(title, parent) {}

    std::optional<int> state() const override { return isChecked() ? 1 : 0; }
};
