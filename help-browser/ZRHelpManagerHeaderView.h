#pragma once

#include <QWidget>

// The strip above a help page that holds its quick-access menus: the text background with a faint line
// along its bottom.
class ZRHelpManagerHeaderView : public QWidget {
    Q_OBJECT
public:
    // The strip's height, its bottom line included.
    static constexpr int Height = 35;

    // A strip of the frame's size, stretching with its parent's width. There is no blur on this desktop.
    static ZRHelpManagerHeaderView* headerViewWithFrame(const QRect& frame, bool blur);

    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent* event) override;
};
