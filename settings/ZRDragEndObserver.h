#pragma once

#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QObject>
#include <QTimer>

// Tells how a drag ended: released with the left button, or cancelled. It listens ahead of the drag's own
// filter, which takes those events for itself; start() installs it once the drag's loop runs.
class ZRDragEndObserver : public QObject {
public:
    ~ZRDragEndObserver() override { qApp->removeEventFilter(this); }

    void start() {
        QTimer::singleShot(0, this, [this] { qApp->installEventFilter(this); });
    }

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonRelease) {
            m_ended = true;
            m_leftMouseUp = static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
        } else if (event->type() == QEvent::KeyPress &&
                   static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            m_ended = true;
            m_leftMouseUp = false;
        }
        return false;
    }
    bool leftMouseUp() const {
        return m_ended ? m_leftMouseUp : !(QGuiApplication::mouseButtons() & Qt::LeftButton);
    }

private:
    bool m_ended = false;
    bool m_leftMouseUp = false;
};
