#pragma once

#include <QMainWindow>
#include <QRect>
#include <QTimer>
#include <functional>

// The browser's window. Its toolbar cannot be hidden (no toolbar menu), it asks its controller before
// it closes, and once the window manager has framed it, it keeps its frame inside the usable area.
class ZRBrowserWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit ZRBrowserWindow(QWidget* parent = nullptr);

    // Asked when the user closes the window; false keeps it open.
    std::function<bool()> shouldClose;

    // The area the frame must fit, in global coordinates; the frame is fitted when the window manager's
    // frame is first known, and at once when the window is shown already.
    void setUsableArea(const QRect& area);

    QMenu* createPopupMenu() override { return nullptr; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void fitIntoUsableArea();

    QTimer* m_fitTimer;
    int m_fitTries = 0;
    QRect m_usableArea;
    bool m_fitted = false;
};
