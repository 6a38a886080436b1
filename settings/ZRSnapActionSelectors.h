#pragma once

#include "platform/Keys.h"

#include <QColor>
#include <QHash>
#include <QIcon>
#include <QPointer>
#include <QString>
#include <array>
#include <cstdint>

class QComboBox;
class QImage;
class QWidget;
class UserDefaults;
class ZRActionManager;

// The pop-ups of the snap pane that offer actions of the tree: one per snap position (what a window dragged
// to that edge or corner snaps to) and one per drop-snap modifier key (the layout whose zones that key
// shows). Their menus are rebuilt from the action tree whenever it changes; a setting that names an action
// that left the tree is reset then. Main thread only.
class ZRSnapActionSelectors {
public:
    // The snap positions from the top edge clockwise to the top-left corner.
    static constexpr std::array<std::int64_t, 8> Positions = {3, 4, 5, 6, 7, 8, 9, 10};
    // The drop-snap modifier keys in the order of their pop-ups.
    static constexpr std::array<ModifierFlags, 5> DropSnapModifiers = {
        ModifierFlag::Shift, ModifierFlag::Function, ModifierFlag::Control, ModifierFlag::Option,
        ModifierFlag::Command};
    // What a snap position's setting holds before the identifier of a custom action.
    static constexpr char16_t ActionPrefix = u'=';
    // The fixed items above the actions, and the one below them.
    static constexpr int FixedTopItemCount = 6;
    static constexpr int FixedItemCount = FixedTopItemCount + 1;
    // The fixed items below the layouts of a drop-snap pop-up: a separator and "None".
    static constexpr int DropSnapFixedItemCount = 2;

    // The choices are kept in the settings given.
    explicit ZRSnapActionSelectors(UserDefaults& defaults) : m_defaults(defaults) {}
    // Pop-ups that were never placed go with it.
    ~ZRSnapActionSelectors();
    ZRSnapActionSelectors(const ZRSnapActionSelectors&) = delete;
    ZRSnapActionSelectors& operator=(const ZRSnapActionSelectors&) = delete;

    // Makes the pop-ups with their fixed items, without parents until placed; once. Until then the pop-ups
    // below are null.
    void makeSelectors();
    const std::array<QComboBox*, 8>& snapSelectors() const { return m_snapSelectors; }
    const std::array<QComboBox*, 5>& dropSnapSelectors() const { return m_dropSnapSelectors; }
    QComboBox* snapSelector(std::int64_t position) const;
    QComboBox* dropSnapSelector(ModifierFlags modifier) const;

    // The position of a snap pop-up (3 to 10); -1 for any other control.
    std::int64_t positionForSnapActionSelector(const QObject* control) const;
    // The modifier flag of a drop-snap pop-up; 0 for any other control.
    ModifierFlags modifierFlagForDropZoneActionSelector(const QObject* control) const;
    static QString userDefaultNameForSnapPosition(std::int64_t position);

    // Rebuilds every menu from the store's actions and selects what the settings name. A setting naming an
    // action that is gone is reset (a snap position to 0, a drop-snap key removed), but only from a store
    // that loaded: with none (null) or one whose stored value was unreadable, the settings stay as they are.
    // Icons are drawn in the colour. Before the pop-ups are placed only the settings are looked after.
    void updateSnapActionSelectors(const ZRActionManager* store, const QColor& iconColor);

    // The user chose an item: the setting takes it. False (the previous choice comes back) for an item
    // that is no choice, such as a header reached by the keys.
    bool changeSnapAction(QComboBox* sender);
    bool changeDropSnapAction(QComboBox* sender);

private:
    void addFixedItems(QComboBox* selector, std::int64_t position, const QColor& iconColor);
    QIcon iconFor(const QImage& image, const QColor& color);
    void selectStoredSnapChoice(QComboBox* selector, std::int64_t position);
    void selectStoredDropSnapChoice(QComboBox* selector, ModifierFlags modifier);

    UserDefaults& m_defaults;
    std::array<QComboBox*, 8> m_snapSelectors{};
    std::array<QComboBox*, 5> m_dropSnapSelectors{};
    std::array<QPointer<QComboBox>, 13> m_owned;
    bool m_builtOnce = false;
    QColor m_fixedIconColor;
    // Tinted icons by the image's cache key and the colour: the actions keep their images until they change.
    QHash<QPair<qint64, QRgb>, QIcon> m_icons;
};
