#pragma once

#include <QMainWindow>

// The settings window: its delegate decides whether it closes (closing only hides it) and hears when it
// takes and gives up the keyboard. It offers no menu of its toolbars.
class ZRSettingsWindow : public QMainWindow {
    Q_OBJECT
public:
    class Delegate {
    public:
        virtual ~Delegate() = default;
        virtual bool windowShouldClose() = 0;
        virtual void windowDidBecomeKey() = 0;
        virtual void windowDidResignKey() = 0;
    };

    explicit ZRSettingsWindow(Delegate& delegate);
    QMenu* createPopupMenu() override { return nullptr; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    Delegate& m_delegate;
};
