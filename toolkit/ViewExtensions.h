#pragma once

#include <QObject>
#include <QRect>

class QWidget;

// The first direct child of the object that is a T, told by its C++ type: helper objects without a meta
// object of their own would all pass for a plain QObject with findChild. Null when there is none.
template <class T> T* directChildOfType(const QObject* parent) {
    for (QObject* child : parent->children()) {
        if (auto* found = dynamic_cast<T*>(child))
            return found;
    }
    return nullptr;
}

// Extensions of views placed by hand, without layouts. Coordinates are the parent's (y down).

// Whether the view draws in a dark style: its window colour is dark.
bool isInFullyInvertedDarkMode(const QWidget* view);

// Views with hover areas of their own implement this; they rebuild those areas when asked.
class ZRTrackingAreaOwner {
public:
    virtual ~ZRTrackingAreaOwner() = default;
    virtual void updateTrackingAreas() = 0;
};
// Asks the view and every view inside it that owns hover areas to rebuild them.
void updateTrackingAreasRecursively(QWidget* view);

// The view's frame with its height changed so that the shown subviews of the other view fit above the
// bottom margin; the top edge stays.
QRect frameByAdjustingHeightToFitSubviewsOfView(const QWidget* view, const QWidget* container,
                                                int bottomMargin);

// Moves every other subview of the view's parent that lies below the view up by the delta (a negative delta
// moves down). Below means: the sibling's bottom edge is under the view's bottom edge, or, while the view is
// hidden, its top edge is at or under it. Nothing when the parent has fewer than two subviews.
void moveSiblingsBelowUpByDelta(QWidget* view, int delta);

// Hides or shows the view; the siblings below it move up by the delta as it hides, and the same siblings
// move down again as it shows. True when the visibility changed.
bool setVisible(QWidget* view, bool visible, int moveSiblingBelowUpByDelta);
