#include "SettingsViewTestSupport.h"

#include "settings/ZRPositionView.h"
#include "settings/ZRPositionViewDelegate.h"
#include "window-access/Position.h"

#include <QTest>

namespace {

using State = ZRPositionRadioButton::State;
const QString DisableMixedKey = QStringLiteral("ZRPositionView: Disable Mixed State");

class CountingDelegate : public ZRPositionViewDelegate {
public:
    std::vector<std::int64_t> heard;
    void positionViewDidChangePosition(ZRPositionView* picker) override {
        heard.push_back(picker->position());
    }
};

class PositionViewTest : public SettingsViewTest {
protected:
    void SetUp() override {
        SettingsViewTest::SetUp();
        m_picker = std::make_unique<ZRPositionView>(settings());
        picker = m_picker.get();
        picker->resize(120, 75);
    }
    void TearDown() override {
        m_picker.reset();
        SettingsViewTest::TearDown();
    }

    // The radio that is not off, with its state; none when all are off.
    std::pair<ZRPositionRadioButton*, State> shown() const {
        std::pair<ZRPositionRadioButton*, State> result{nullptr, State::Off};
        for (ZRPositionRadioButton* radio : radios()) {
            if (radio->state() != State::Off) {
                EXPECT_EQ(result.first, nullptr) << "one radio at most";
                result = {radio, radio->state()};
            }
        }
        return result;
    }
    std::vector<ZRPositionRadioButton*> radios() const {
        return {picker->topLeftRadio(),    picker->topRadio(),    picker->topRightRadio(),
                picker->leftRadio(),       picker->centerRadio(), picker->rightRadio(),
                picker->bottomLeftRadio(), picker->bottomRadio(), picker->bottomRightRadio()};
    }
    void click(ZRPositionRadioButton* radio) {
        QTest::mouseClick(radio, Qt::LeftButton, {}, radio->rect().center());
    }

    ZRPositionView* picker = nullptr;

private:
    std::unique_ptr<ZRPositionView> m_picker;
};

TEST_F(PositionViewTest, EveryPositionCodeShownAndStored) {
    enum Mixed { Allowed, RadioRefuses, SettingRefuses };
    struct Expected {
        ZRPositionRadioButton* radio;
        State state;
        std::int64_t stored;
    };
    auto* const c = picker->centerRadio();
    auto* const t = picker->topRadio();
    auto* const r = picker->rightRadio();
    auto* const b = picker->bottomRadio();
    auto* const l = picker->leftRadio();
    // Per position from -1 to 15: with mixed allowed, and without (by the radio or by the setting).
    const std::vector<std::pair<Expected, Expected>> table = {
        {{nullptr, State::Off, -1}, {nullptr, State::Off, -1}},
        {{c, State::Mixed, 0}, {c, State::On, 1}},
        {{c, State::On, 1}, {c, State::On, 1}},
        {{nullptr, State::Off, 2}, {nullptr, State::Off, 2}},
        {{t, State::Mixed, 3}, {t, State::On, 3}},
        {{picker->topRightRadio(), State::On, 4}, {picker->topRightRadio(), State::On, 4}},
        {{r, State::Mixed, 5}, {r, State::On, 5}},
        {{picker->bottomRightRadio(), State::On, 6}, {picker->bottomRightRadio(), State::On, 6}},
        {{b, State::Mixed, 7}, {b, State::On, 7}},
        {{picker->bottomLeftRadio(), State::On, 8}, {picker->bottomLeftRadio(), State::On, 8}},
        {{l, State::Mixed, 9}, {l, State::On, 9}},
        {{picker->topLeftRadio(), State::On, 10}, {picker->topLeftRadio(), State::On, 10}},
        {{t, State::On, 11}, {t, State::On, 3}},
        {{r, State::On, 12}, {r, State::On, 5}},
        {{b, State::On, 13}, {b, State::On, 7}},
        {{l, State::On, 14}, {l, State::On, 9}},
        {{nullptr, State::Off, 15}, {nullptr, State::Off, 15}},
    };
    for (const Mixed mixed : {Allowed, RadioRefuses, SettingRefuses}) {
        for (ZRPositionRadioButton* radio : radios())
            radio->setAllowsMixedState(mixed != RadioRefuses);
        set(DisableMixedKey, mixed == SettingRefuses);
        for (std::int64_t position = -1; position <= 15; ++position) {
            const auto& [withMixed, without] = table[std::size_t(position + 1)];
            const Expected& expected = mixed == Allowed ? withMixed : without;
            picker->setPosition(position);
            const auto [radio, state] = shown();
            EXPECT_EQ(radio, expected.radio) << "position " << position << ", mixed case " << mixed;
            EXPECT_EQ(state, expected.state) << "position " << position << ", mixed case " << mixed;
            EXPECT_EQ(picker->position(), expected.stored)
                << "position " << position << ", mixed case " << mixed;
        }
    }
}

TEST_F(PositionViewTest, ClicksStepThroughEdgesAndTheCentreAndOnlyTheyAreHeard) {
    auto delegate = std::make_shared<CountingDelegate>();
    picker->setDelegate(delegate);
    picker->setPosition(ZRPositionTopLeft);
    EXPECT_TRUE(delegate->heard.empty()) << "positions set in code are not reported";

    const struct {
        ZRPositionRadioButton* radio;
        std::int64_t position;
        State state;
    } clicks[] = {
        {picker->topRadio(), 3, State::Mixed},      {picker->topRadio(), 11, State::On},
        {picker->topRadio(), 3, State::Mixed},      {picker->centerRadio(), 1, State::On},
        {picker->centerRadio(), 0, State::Mixed},   {picker->bottomRightRadio(), 6, State::On},
        {picker->bottomRightRadio(), 6, State::On}, {picker->leftRadio(), 9, State::Mixed},
    };
    std::vector<std::int64_t> expected;
    for (const auto& c : clicks) {
        click(c.radio);
        expected.push_back(c.position);
        EXPECT_EQ(picker->position(), c.position);
        EXPECT_EQ(shown(), std::make_pair(c.radio, c.state)) << "after position " << c.position;
    }
    EXPECT_EQ(delegate->heard, expected);

    set(DisableMixedKey, true);
    click(picker->leftRadio());
    click(picker->leftRadio());
    EXPECT_EQ(picker->position(), 9) << "without mixed, always the plain edge";
    click(picker->centerRadio());
    click(picker->centerRadio());
    EXPECT_EQ(shown(), std::make_pair(picker->centerRadio(), State::On));

    // A pane that closed took its delegate with it: the picker tells no one.
    std::weak_ptr<CountingDelegate> gone = delegate;
    delegate.reset();
    ASSERT_TRUE(gone.expired());
    click(picker->topRadio());
    EXPECT_EQ(picker->position(), 3);
}

TEST_F(PositionViewTest, DisablingReachesTheRadiosNotTheMiniature) {
    picker->setEnabled(false);
    for (ZRPositionRadioButton* radio : radios()) {
        EXPECT_FALSE(radio->isEnabled());
    }
    EXPECT_TRUE(picker->enabled());
    click(picker->topRadio());
    EXPECT_EQ(shown().first, nullptr) << "a disabled radio takes no click";
    picker->setEnabled(true);
    click(picker->topRadio());
    EXPECT_EQ(picker->position(), 3);
}

TEST_F(PositionViewTest, OnlyWidePickersReadAsAScreen) {
    const struct {
        QSize size;
        bool screen;
    } cases[] = {{{60, 50}, false}, {{90, 50}, true}, {{90, 1}, false}, {{75, 50}, false}};
    for (const auto& c : cases) {
        picker->resize(c.size);
        EXPECT_EQ(picker->representsScreen(), c.screen) << c.size.width() << " x " << c.size.height();
        EXPECT_EQ(picker->drawsScreenBackground(), c.screen);
        EXPECT_EQ(picker->drawsScreenBackgroundImage(), c.screen);
        EXPECT_EQ(picker->drawsDecorations(), c.screen);
    }
}

TEST_F(PositionViewTest, ScreenshotsOfEveryState) {
    const struct {
        const char* name;
        std::int64_t position;
        bool enabled;
        QSize size;
        bool dark;
    } cases[] = {
        {"top-mixed", ZRPositionTop, true, {120, 75}, false},
        {"top-centred-on", ZRPositionTopCentered, true, {120, 75}, false},
        {"corner-on", ZRPositionBottomRight, true, {120, 75}, false},
        {"none", ZRPositionNone, true, {120, 75}, false},
        {"disabled", ZRPositionLeft, false, {120, 75}, false},
        {"dark", ZRPositionRight, true, {120, 75}, true},
        {"narrow", ZRPositionTopLeft, true, {60, 50}, false},
    };
    for (const auto& c : cases) {
        ZRPositionView view(settings());
        view.resize(c.size);
        setDark(view, c.dark);
        view.setPosition(c.position);
        view.setEnabled(c.enabled);
        saveScreenshot(view, QStringLiteral("position-picker-%1").arg(QLatin1String(c.name)));
        // Every radio lies inside the picker.
        for (const QWidget* radio : view.findChildren<ZRPositionRadioButton*>()) {
            EXPECT_TRUE(view.rect().contains(radio->geometry())) << c.name;
        }
    }
}

} // namespace
