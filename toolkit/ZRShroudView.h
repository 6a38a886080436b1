#pragma once

#include <QWidget>

// A group of controls that can be shrouded: dimmed, with every control inside disabled, while the setting it
// depends on is off. A control made shroud-aware keeps its own enabled state apart from the shroud and is
// enabled only when both allow it. Shroud views may nest; a shroud covers the ones inside it.
class ZRShroudView : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

    bool isShrouded() const { return m_shrouded; }
    void setShrouded(bool shrouded);
    // Shrouded itself or by an enclosing shroud view.
    bool isEffectivelyShrouded() const;

    // Applies the shroud to the controls inside again, after controls were added.
    void updateControls();

protected:
    void childEvent(QChildEvent* event) override;

private:
    bool m_shrouded = false;
};

// The nearest shroud view that encloses the widget (not the widget itself); null when none does.
ZRShroudView* enclosingShroudView(const QWidget* widget);

// Sets the control's own enabled state and makes it shroud-aware: it is enabled when this state and its
// shroud allow it.
void setShroudAwareEnabled(QWidget* control, bool enabled);
// The control's own enabled state when it is shroud-aware, else whether it is enabled.
bool isShroudAwareEnabled(const QWidget* control);
