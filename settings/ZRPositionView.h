#pragma once

#include "settings/ZRPositionRadioButton.h"
#include "settings/ZRScreenBackgroundView.h"

#include <array>
#include <cstdint>
#include <memory>

class ZRPositionViewDelegate;

// Chooses a position (window-access/Position.h) with nine radios at the corners, edges and centre of a
// miniature screen. A second click on an edge radio switches between the plain edge (shown mixed) and the
// centred edge (shown on); a second click on the centre switches to no position (mixed). Without the mixed
// state the centred edges read as the plain ones and no position as the centre.
class ZRPositionView : public ZRScreenBackgroundView {
    Q_OBJECT
public:
    explicit ZRPositionView(const UserDefaults& defaults, QWidget* parent = nullptr);

    ZRPositionRadioButton* topLeftRadio() const { return m_radios[0]; }
    ZRPositionRadioButton* topRadio() const { return m_radios[1]; }
    ZRPositionRadioButton* topRightRadio() const { return m_radios[2]; }
    ZRPositionRadioButton* leftRadio() const { return m_radios[3]; }
    ZRPositionRadioButton* centerRadio() const { return m_radios[4]; }
    ZRPositionRadioButton* rightRadio() const { return m_radios[5]; }
    ZRPositionRadioButton* bottomLeftRadio() const { return m_radios[6]; }
    ZRPositionRadioButton* bottomRadio() const { return m_radios[7]; }
    ZRPositionRadioButton* bottomRightRadio() const { return m_radios[8]; }

    // Not owned: a picker that outlives its delegate tells no one.
    std::weak_ptr<ZRPositionViewDelegate> delegate() const { return m_delegate; }
    void setDelegate(std::weak_ptr<ZRPositionViewDelegate> delegate) { m_delegate = std::move(delegate); }

    // Codes outside the picker's nine places are kept as they are, with every radio off.
    std::int64_t position() const { return m_position; }
    // Shows the position without telling the delegate.
    void setPosition(std::int64_t position);
    // What a click on the radio does: the next position, then the delegate is told.
    void changePosition(ZRPositionRadioButton* sender);
    // The common core: with a radio, the position its click gives; without, the one given.
    void setPositionForRadioButton(std::int64_t position, ZRPositionRadioButton* radio);

    // Enables or disables the radios; the miniature screen keeps its look.
    void setEnabled(bool enabled) override;
    // More than 1.5 times as wide as high, and more than a point high.
    bool representsScreen() const;
    bool drawsScreenBackground() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    bool allowsMixedState(const ZRPositionRadioButton* radio) const;
    void layOutRadios();

    std::array<ZRPositionRadioButton*, 9> m_radios{};
    std::weak_ptr<ZRPositionViewDelegate> m_delegate;
    std::int64_t m_position = 0;
};
