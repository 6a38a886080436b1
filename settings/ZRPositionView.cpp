#include "settings/ZRPositionView.h"

#include "platform/foundation/UserDefaults.h"
#include "settings/ZRPositionViewDelegate.h"
#include "window-access/Position.h"

#include <algorithm>
#include <cmath>

namespace {

const QString DisableMixedStateUserDefaultName = QStringLiteral("ZRPositionView: Disable Mixed State");

using State = ZRPositionRadioButton::State;

// The radios row by row from the top left, with the position each gives: corners one, edges the plain
// and the centred edge, the centre its own rule.
struct Place {
    std::int64_t plain;
    std::int64_t centred; // ZRPositionNone where there is none
};
constexpr std::array<Place, 9> Places = {{
    {ZRPositionTopLeft, ZRPositionNone},
    {ZRPositionTop, ZRPositionTopCentered},
    {ZRPositionTopRight, ZRPositionNone},
    {ZRPositionLeft, ZRPositionLeftCentered},
    {ZRPositionCenter, ZRPositionNone},
    {ZRPositionRight, ZRPositionRightCentered},
    {ZRPositionBottomLeft, ZRPositionNone},
    {ZRPositionBottom, ZRPositionBottomCentered},
    {ZRPositionBottomRight, ZRPositionNone},
}};
constexpr std::size_t CenterIndex = 4;

// A picker reads as a screen only when it is this much wider than high.
constexpr double ScreenAspectRatio = 1.5;
constexpr double MinimumScreenHeight = 1;
// Space between the radios and the edges, or the strips when there are any.
constexpr int RadioInset = 4;
constexpr int StripGap = 2;

bool isEdge(const Place& place) {
    return place.centred != ZRPositionNone;
}

} // namespace

ZRPositionView::ZRPositionView(const UserDefaults& defaults, QWidget* parent)
    : ZRScreenBackgroundView(defaults, parent) {
    for (std::size_t i = 0; i < m_radios.size(); ++i) {
        auto* radio = new ZRPositionRadioButton(this);
        radio->setAllowsMixedState(isEdge(Places[i]) || i == CenterIndex);
        connect(radio, &QAbstractButton::clicked, this, [this, radio] { changePosition(radio); });
        m_radios[i] = radio;
    }
    layOutRadios();
}

bool ZRPositionView::allowsMixedState(const ZRPositionRadioButton* radio) const {
    return radio->allowsMixedState() && !defaults().boolForKey(DisableMixedStateUserDefaultName);
}

void ZRPositionView::setPosition(std::int64_t position) {
    setPositionForRadioButton(position, nullptr);
}

void ZRPositionView::changePosition(ZRPositionRadioButton* sender) {
    setPositionForRadioButton(m_position, sender);
    if (const auto delegate = m_delegate.lock())
        delegate->positionViewDidChangePosition(this);
}

void ZRPositionView::setPositionForRadioButton(std::int64_t position, ZRPositionRadioButton* radio) {
    std::size_t index = m_radios.size();
    if (radio) {
        index = std::size_t(std::find(m_radios.begin(), m_radios.end(), radio) - m_radios.begin());
        if (index == m_radios.size())
            return;
    } else {
        for (std::size_t i = 0; i < Places.size(); ++i) {
            if (Places[i].plain == position || (isEdge(Places[i]) && Places[i].centred == position) ||
                (i == CenterIndex && position == ZRPositionNone))
                index = i;
        }
    }
    State state = State::Off;
    std::int64_t stored = position;
    if (index < m_radios.size()) {
        const Place& place = Places[index];
        const bool mixed = allowsMixedState(m_radios[index]);
        if (index == CenterIndex) {
            // A click on the centre when it is already chosen clears the position; in code, none is
            // shown as the centre's mixed state.
            const bool none = radio ? m_position == ZRPositionCenter : position == ZRPositionNone;
            stored = none && mixed ? ZRPositionNone : ZRPositionCenter;
            state = none && mixed ? State::Mixed : State::On;
        } else if (!isEdge(place)) {
            stored = place.plain;
            state = State::On;
        } else {
            // A click on the plain edge centres it; any other click gives the plain edge.
            const bool centred = radio ? m_position == place.plain : position == place.centred;
            stored = centred && mixed ? place.centred : place.plain;
            state = centred || !mixed ? State::On : State::Mixed;
        }
    }
    for (std::size_t i = 0; i < m_radios.size(); ++i)
        m_radios[i]->setState(i == index ? state : State::Off);
    m_position = stored;
}

void ZRPositionView::setEnabled(bool enabled) {
    for (ZRPositionRadioButton* radio : m_radios)
        radio->setEnabled(enabled);
}

bool ZRPositionView::representsScreen() const {
    return width() > height() * ScreenAspectRatio && height() > MinimumScreenHeight;
}

bool ZRPositionView::drawsScreenBackground() const {
    return ZRScreenBackgroundView::drawsScreenBackground() && representsScreen();
}

void ZRPositionView::resizeEvent(QResizeEvent* event) {
    ZRScreenBackgroundView::resizeEvent(event);
    layOutRadios();
}

void ZRPositionView::layOutRadios() {
    const QSize size = m_radios[0]->size();
    // The focus ring lies around the circle; the circles keep the insets.
    const int ring = (size.height() - ZRPositionRadioButton::Diameter) / 2;
    const int circles = 3 * ZRPositionRadioButton::Diameter;
    // Below the menu bar and above the Dock when they are drawn and leave room for three rows.
    int top = RadioInset;
    int bottom = RadioInset;
    const QRectF menuBar = menuBarLayer();
    const QRectF dock = dockLayer();
    if (!menuBar.isEmpty() && !dock.isEmpty()) {
        const int belowMenuBar = int(std::ceil(menuBar.bottom())) + StripGap;
        const int aboveDock = height() - int(dock.top()) + StripGap;
        if (height() - belowMenuBar - aboveDock >= circles) {
            top = belowMenuBar;
            bottom = aboveDock;
        }
    }
    const int left = RadioInset - ring;
    const int right = width() - RadioInset + ring - size.width();
    const int firstY = top - ring;
    const int lastY = height() - bottom + ring - size.height();
    const int xs[] = {left, (width() - size.width()) / 2, right};
    const int ys[] = {firstY, (firstY + lastY) / 2, lastY};
    for (std::size_t i = 0; i < m_radios.size(); ++i)
        m_radios[i]->move(xs[i % 3], ys[i / 3]);
}
