#pragma once

#include <QColor>
#include <QScrollArea>
#include <optional>

// The scroll view of the action editor panes.
class ZRActionScrollView : public QScrollArea {
    Q_OBJECT
public:
    explicit ZRActionScrollView(QWidget* parent = nullptr);

    // The background the action panes, the settings window and the palette wells draw on instead of the
    // window's own; none: they draw on the window's colour, and this view draws its background.
    static std::optional<QColor> windowBackgroundColor();
};
