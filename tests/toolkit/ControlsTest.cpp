#include "toolkit/InterfaceLoader.h"
#include "toolkit/MenuExtensions.h"
#include "toolkit/MenuItemExtensions.h"
#include "toolkit/ViewExtensions.h"
#include "toolkit/ZRKeyWindowReflectingView.h"
#include "toolkit/ZRShroudView.h"
#include "toolkit/ZRSizeToFitControl.h"
#include "toolkit/ZRSuggestionsTextField.h"

#include "WidgetTestSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

class ControlsTest : public WidgetTest {};

TEST_F(ControlsTest, ShroudDisablesItsControlsWhileAShroudAwareControlKeepsItsOwnState) {
    ZRShroudView shroud;
    auto* group = new QWidget(&shroud);
    auto* button = new QPushButton(group);
    auto* field = new QLineEdit(&shroud);
    auto* aware = new QCheckBox(&shroud);
    auto* label = new QLabel(&shroud);
    setShroudAwareEnabled(aware, false);

    EXPECT_EQ(enclosingShroudView(button), &shroud);
    EXPECT_EQ(enclosingShroudView(&shroud), nullptr);

    shroud.setShrouded(true);
    EXPECT_FALSE(button->isEnabled());
    EXPECT_FALSE(field->isEnabled());
    EXPECT_FALSE(aware->isEnabled());
    EXPECT_TRUE(label->isEnabled()) << "only controls are disabled; the rest is dimmed";
    EXPECT_NE(shroud.graphicsEffect(), nullptr);

    // Its own state changes under the shroud, and shows once the shroud lifts.
    setShroudAwareEnabled(aware, true);
    EXPECT_FALSE(aware->isEnabled());
    EXPECT_TRUE(isShroudAwareEnabled(aware));
    shroud.setShrouded(false);
    EXPECT_TRUE(button->isEnabled());
    EXPECT_TRUE(field->isEnabled());
    EXPECT_TRUE(aware->isEnabled());
    EXPECT_EQ(shroud.graphicsEffect(), nullptr);

    // Off by its own state, it stays off through a shroud and back.
    setShroudAwareEnabled(aware, false);
    shroud.setShrouded(true);
    shroud.setShrouded(false);
    EXPECT_FALSE(aware->isEnabled());
    EXPECT_TRUE(button->isEnabled());
}

TEST_F(ControlsTest, NestedShroudsAndLateControls) {
    ZRShroudView outer;
    auto* inner = new ZRShroudView(&outer);
    auto* innerButton = new QPushButton(inner);
    auto* outerButton = new QPushButton(&outer);

    inner->setShrouded(true);
    outer.setShrouded(true);
    EXPECT_FALSE(innerButton->isEnabled());
    outer.setShrouded(false);
    EXPECT_TRUE(outerButton->isEnabled());
    EXPECT_FALSE(innerButton->isEnabled()) << "the inner shroud still holds";
    inner->setShrouded(false);
    outer.setShrouded(true);
    EXPECT_FALSE(innerButton->isEnabled()) << "the outer shroud covers the inner group";
    EXPECT_TRUE(inner->isEffectivelyShrouded());

    auto* late = new QPushButton(&outer);
    outer.show();
    EXPECT_FALSE(late->isEnabled()) << "a control added under the shroud is shrouded when shown";
}

TEST_F(ControlsTest, KeyWindowReflectingViewInsideAWindowHearsItsActivation) {
    struct View : ZRKeyWindowReflectingView {
        using ZRKeyWindowReflectingView::ZRKeyWindowReflectingView;
        std::vector<bool> reflections;
        void reflectKeyWindowStatusChange() override {
            ZRKeyWindowReflectingView::reflectKeyWindowStatusChange();
            reflections.push_back(isActiveWindow());
        }
    };
    QWidget window;
    auto* group = new QWidget(&window);
    auto* view = new View(group);
    window.show();
    QApplication::setActiveWindow(&window);
    QApplication::setActiveWindow(nullptr);
    EXPECT_EQ(view->reflections, (std::vector<bool>{true, false}));
}

TEST_F(ControlsTest, SizeToFitMovesTheChainedNeighbours) {
    QWidget row;
    auto* popUp = new ZRSizeToFitControl(&row);
    auto* neighbor = new QWidget(&row);
    auto* next = new QWidget(&row);
    popUp->addItem(QStringLiteral("A"));
    popUp->setGeometry(10, 0, popUp->sizeHint().width(), 20);
    neighbor->setGeometry(popUp->geometry().right() + 9, 0, 30, 20);
    next->setGeometry(neighbor->geometry().right() + 9, 0, 30, 20);
    popUp->setChainedNeighbors({neighbor, next});
    const int gap = neighbor->x() - (popUp->x() + popUp->width());
    const int nextX = next->x();

    popUp->addItem(QStringLiteral("A much longer title than before"));
    const int oldWidth = popUp->width();
    popUp->sizeToFit();
    const int delta = popUp->width() - oldWidth;
    EXPECT_GT(delta, 0);
    EXPECT_EQ(popUp->width(), popUp->sizeHint().width());
    EXPECT_EQ(neighbor->x() - (popUp->x() + popUp->width()), gap);
    EXPECT_EQ(next->x(), nextX + delta);
    EXPECT_EQ(popUp->chainedNeighbors(), (QList<QWidget*>{neighbor, next}));
}

class ListProvider : public ZRTextFieldSuggestionsProvider {
public:
    QVariantList rows;
    QVariantList suggestionsForTextField(ZRSuggestionsTextField*) override { return rows; }
};

TEST_F(ControlsTest, SuggestionsMenuFollowsTheProvidersRows) {
    ZRSuggestionsTextField field;
    EXPECT_EQ(field.newSuggestionsMenu(), nullptr);
    ListProvider provider;
    provider.rows = {
        QString::fromUtf16(ZRTextFieldSuggestionsSectionCurrentlyUsed),
        QStringLiteral("3"),
        QString(),
        QString::fromUtf16(ZRTextFieldSuggestionsSectionSuggested),
        QVariantMap{{QString::fromUtf16(ZRTextFieldSuggestionTitle), QStringLiteral("Half")},
                    {QString::fromUtf16(ZRTextFieldSuggestionRepresentedStringValue), QStringLiteral("50%")}},
    };
    field.setSuggestionsProvider(&provider);
    std::unique_ptr<QMenu> menu(field.newSuggestionsMenu());
    ASSERT_TRUE(menu);
    const auto actions = menu->actions();
    ASSERT_EQ(actions.size(), 5);
    EXPECT_EQ(actions[0]->text(), "Currently Used");
    EXPECT_FALSE(actions[0]->isEnabled());
    EXPECT_EQ(actions[1]->text(), "3");
    EXPECT_TRUE(actions[2]->isSeparator());
    EXPECT_EQ(actions[3]->text(), "Suggestions");
    EXPECT_EQ(actions[4]->text(), "Half");

    QSignalSpy edited(&field, &QLineEdit::textEdited);
    actions[4]->trigger();
    EXPECT_EQ(field.text(), "50%");
    ASSERT_EQ(edited.size(), 1);
    EXPECT_EQ(edited.first().first().toString(), "50%");
}

TEST_F(ControlsTest, HidingAViewMovesTheSiblingsBelowIt) {
    QWidget parent;
    auto* row = new QWidget(&parent);
    auto* beside = new QWidget(&parent);
    auto* below = new QWidget(&parent);
    row->setGeometry(0, 10, 100, 20);
    beside->setGeometry(110, 10, 50, 20);
    below->setGeometry(0, 30, 100, 20);

    EXPECT_TRUE(setVisible(row, false, 20));
    EXPECT_EQ(below->y(), 10);
    EXPECT_EQ(beside->y(), 10);
    EXPECT_FALSE(setVisible(row, false, 20)) << "already hidden";
    EXPECT_TRUE(setVisible(row, true, 20));
    EXPECT_EQ(below->y(), 30);
    EXPECT_EQ(beside->y(), 10);

    // A row hidden above a view that then grows stays above it: the view overlaps the room it gave up.
    QWidget pane;
    auto* hiddenRow = new QWidget(&pane);
    auto* grid = new QWidget(&pane);
    hiddenRow->setGeometry(0, 10, 100, 20);
    grid->setGeometry(0, 40, 100, 0);
    EXPECT_TRUE(setVisible(hiddenRow, false, 28));
    EXPECT_EQ(grid->y(), 12);
    moveSiblingsBelowUpByDelta(grid, -200);
    EXPECT_EQ(hiddenRow->y(), 10);

    auto* lonely = new QWidget(new QWidget(&parent));
    lonely->setGeometry(0, 0, 10, 10);
    moveSiblingsBelowUpByDelta(lonely, 5);
    EXPECT_EQ(lonely->y(), 0);

    const QRect fitted = frameByAdjustingHeightToFitSubviewsOfView(&parent, &parent, 7);
    EXPECT_EQ(fitted.height(), 50 + 7);
    below->hide();
    EXPECT_EQ(frameByAdjustingHeightToFitSubviewsOfView(&parent, &parent, 7).height(), 30 + 7);
}

TEST_F(ControlsTest, TrackingAreasAndDarkMode) {
    struct Tracking : QWidget, ZRTrackingAreaOwner {
        using QWidget::QWidget;
        int updates = 0;
        void updateTrackingAreas() override { ++updates; }
    };
    QWidget root;
    auto* direct = new Tracking(&root);
    auto* nested = new Tracking(new QWidget(&root));
    updateTrackingAreasRecursively(&root);
    EXPECT_EQ(direct->updates, 1);
    EXPECT_EQ(nested->updates, 1);

    QPalette dark = root.palette();
    dark.setColor(QPalette::Window, QColor(30, 30, 30));
    root.setPalette(dark);
    EXPECT_TRUE(isInFullyInvertedDarkMode(direct));
    dark.setColor(QPalette::Window, QColor(236, 236, 236));
    root.setPalette(dark);
    EXPECT_FALSE(isInFullyInvertedDarkMode(direct));
}

TEST_F(ControlsTest, InterfaceBuildersByName) {
    QObject owner;
    QObject* builtFor = nullptr;
    registerInterfaceBuilder(QStringLiteral("Palette"), [&](QObject* o) {
        builtFor = o;
        return true;
    });
    registerInterfaceBuilder(QStringLiteral("Broken"), [](QObject*) { return false; });
    EXPECT_TRUE(vintageStyleLoadNibNamed(QStringLiteral("Palette"), &owner));
    EXPECT_EQ(builtFor, &owner);
    EXPECT_FALSE(vintageStyleLoadNibNamed(QStringLiteral("Broken"), &owner));
    EXPECT_FALSE(vintageStyleLoadNibNamed(QStringLiteral("Missing"), &owner));
    registerInterfaceBuilder(QStringLiteral("Palette"), {});
    EXPECT_FALSE(vintageStyleLoadNibNamed(QStringLiteral("Palette"), &owner));
}

TEST_F(ControlsTest, MenuItems) {
    QMenu menu;
    int chosen = 0;
    const ZRTextAttributes small = smallMenuItemTitleAttributes();
    EXPECT_LT(small.font.pointSizeF(), QApplication::font("QMenu").pointSizeF());
    QAction* item = addItemWithTitle(&menu, QStringLiteral("Move"), small, [&] { ++chosen; });
    item->trigger();
    EXPECT_EQ(chosen, 1);
    EXPECT_EQ(item->font(), small.font);

    setTitleSuffix(item, QStringLiteral(" \u2014 \u2318M"));
    setTitleSuffix(item, QStringLiteral(" \u2014 \u2325M"));
    EXPECT_EQ(item->text(), "Move \u2014 \u2325M");
    EXPECT_EQ(titleWithoutSuffix(item), "Move");
    EXPECT_EQ(titleSuffix(item), " \u2014 \u2325M");
    setMacOS26ImageWithSystemSymbolName(item, QStringLiteral("rectangle.stack"));
    EXPECT_TRUE(item->icon().isNull());
}

} // namespace
