#pragma once

#include <QImage>
#include <QString>
#include <cstdint>
#include <vector>

struct ScreenInfo;

// The keyboard menu as mouse control uses it: drop zones take its place, and the snap chooser shows the
// members of a folder or layout in it while a window is dragged along a screen edge.
class ZRMouseControlKeyboardMenu {
public:
    // A menu to pop up: a title over entries that do nothing when chosen, each with its icon.
    struct EntryItem {
        struct Child {
            QString title;
            QImage image;
        };
        QString title;
        std::vector<Child> children;
    };

    virtual ~ZRMouseControlKeyboardMenu() = default;
    virtual bool isVisible() const = 0;
    // Closes at once.
    virtual void close() = 0;
    // Closes with a short fade.
    virtual void vanishAndClose() = 0;
    // The height of one line of the menu on that screen (points).
    virtual double lineHeightForScreen(const ScreenInfo& screen) const = 0;
    // Shows the entry's children on the screen; a second pop-up with the same non-null reference while the
    // menu is shown only moves the selection. False when it was not shown.
    virtual bool popUpWithEntryItem(const EntryItem& entry, const ScreenInfo& onScreen, bool animate,
                                    const void* cycleReference) = 0;
    // Selects a child of the shown level; false for an index outside it.
    virtual bool selectItemAtIndex(std::int64_t index) = 0;
};
