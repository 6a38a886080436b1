#pragma once

#include <QAbstractButton>

// A radio button of the position picker with a third state: off, mixed (drawn with a bar) and on. Unlike
// QRadioButton it never turns its siblings off by itself, and a click does not change its state: the
// picker sets the state of every radio.
class ZRPositionRadioButton : public QAbstractButton {
    Q_OBJECT
public:
    enum class State { Off, Mixed, On };
    // Of the circle; the button is larger by the focus ring around it.
    static constexpr int Diameter = 14;

    explicit ZRPositionRadioButton(QWidget* parent = nullptr);

    State state() const { return m_state; }
    void setState(State state);
    // Whether the radio may show the mixed state at all.
    bool allowsMixedState() const { return m_allowsMixedState; }
    void setAllowsMixedState(bool allows) { m_allowsMixedState = allows; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& point) const override;

private:
    State m_state = State::Off;
    bool m_allowsMixedState = false;
};
