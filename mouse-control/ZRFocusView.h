#pragma once

#include <QWidget>

class ZRFocusWindow;

// The focus window's content: it hands every repaint back to its window, which draws.
class ZRFocusView : public QWidget {
    Q_OBJECT
public:
    explicit ZRFocusView(ZRFocusWindow* focusWindow);

    ZRFocusWindow* focusWindow() const { return m_focusWindow; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ZRFocusWindow* m_focusWindow;
};
