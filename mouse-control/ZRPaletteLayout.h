#pragma once

#include "mouse-control/ZRMouseControlPaletteLayout.h"
#include "platform/Signal.h"

#include <QString>
#include <array>
#include <cstdint>
#include <limits>
#include <vector>

class UserDefaults;

// The palette layout as stored: "Palette", a dictionary from the coordinates of a well ("%lu-%lu" of column
// and row) to a custom action's identifier or a standard item's number, and "Palette: Hidden Items", the
// standard items the user hid. The palette editor of the settings window edits it; until the settings
// window gives its wells, the palette reads the layout through this reader, which never writes it.
//
// The reader shows the standard items only: custom items need the editor's buttons. It repairs what the
// editor would repair, in memory: a standard item that stands twice keeps its first well, and a layout
// without exactly the five standard items gets them in their default wells. Main thread.
class ZRPaletteLayout : public ZRMouseControlPaletteLayout {
public:
    static inline const QString PaletteUserDefaultName = QStringLiteral("Palette");
    static inline const QString HiddenItemsUserDefaultName = QStringLiteral("Palette: Hidden Items");
    static constexpr std::int64_t Columns = 11;
    static constexpr std::int64_t Rows = 6;
    // The standard items (ZRStandardPaletteItem), in the order of their default wells: row 3, columns 3
    // to 7.
    static constexpr std::array<std::int64_t, 5> StandardPaletteItems = {2, 9, 5, 3, 7};
    static constexpr std::int64_t DefaultRow = 3;
    static constexpr std::int64_t DefaultFirstColumn = 3;
    // A well without a standard item.
    static constexpr std::int64_t NoStandardPaletteItem = -1;
    // The bounding box of no visible item.
    static constexpr std::int64_t NoMinimum = std::numeric_limits<std::int64_t>::max();
    static constexpr std::int64_t NoMaximum = -1;

    static bool isStandardPaletteItem(std::int64_t number);
    // "3-2" for column 3 of row 2.
    static QString coordinatesIdentifier(std::int64_t column, std::int64_t row);

    // Reads the layout from the settings, again whenever one of its settings changes. The settings outlive
    // the layout.
    explicit ZRPaletteLayout(UserDefaults& defaults);
    ZRPaletteLayout(const ZRPaletteLayout&) = delete;
    ZRPaletteLayout& operator=(const ZRPaletteLayout&) = delete;

    std::vector<ZRPaletteItemWellInterface*> paletteItemWells() override;
    std::int64_t minimumPaletteItemColumn() const override;
    std::int64_t maximumPaletteItemColumn() const override;
    std::int64_t minimumPaletteItemRow() const override;
    std::int64_t maximumPaletteItemRow() const override;
    bool isChangingPaletteIconSize() const override { return false; }
    bool paletteItemButtonShowsMenu() const override { return false; }

private:
    class Well : public ZRPaletteItemWellInterface {
    public:
        std::int64_t column() const override { return m_column; }
        std::int64_t row() const override { return m_row; }
        std::shared_ptr<ZRAction> paletteAction() const override { return nullptr; }
        std::int64_t dummyPosition() const override { return m_dummyPosition; }
        bool hiddenByUser() const override { return m_hidden; }
        QWidget* paletteItemButton() override { return nullptr; }
        void destroyPaletteItemButton() override {}

    private:
        friend class ZRPaletteLayout;
        std::int64_t m_column = 0;
        std::int64_t m_row = 0;
        std::int64_t m_dummyPosition = NoStandardPaletteItem;
        bool m_hidden = false;
    };

    void readIfNeeded() const;
    void read() const;

    mutable std::array<Well, Columns * Rows> m_wells;
    mutable bool m_stale = true;
    mutable std::int64_t m_minimumColumn = NoMinimum;
    mutable std::int64_t m_maximumColumn = NoMaximum;
    mutable std::int64_t m_minimumRow = NoMinimum;
    mutable std::int64_t m_maximumRow = NoMaximum;
    UserDefaults& m_defaults;
    Connection m_settingsChanged;
};
