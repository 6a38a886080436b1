#include "hotkeys/ZRHotKeyTextViewAlerts.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>

namespace {

class MessageBoxAlerts : public ZRHotKeyTextViewAlerts {
public:
    void beep() override {
        if (qobject_cast<QApplication*>(QCoreApplication::instance()))
            QApplication::beep();
    }

    bool confirmHotKey(QWidget* window, const QString& visualRepresentation) override {
        if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
            return false;
        if (window) {
            window->raise();
            window->activateWindow();
        }
        QMessageBox box(window);
        box.setIcon(QMessageBox::Warning);
        box.setText(QObject::tr("Use \"%1\"?").arg(visualRepresentation));
        box.setInformativeText(QObject::tr("Some applications might not respond properly to your input with "
                                           "the key combination \"%1\" being reserved as a hot key.")
                                   .arg(visualRepresentation));
        QPushButton* use =
            box.addButton(QObject::tr("Use \"%1\"").arg(visualRepresentation), QMessageBox::AcceptRole);
        box.addButton(QObject::tr("Cancel"), QMessageBox::RejectRole);
        box.setDefaultButton(use);
        box.exec();
        return box.clickedButton() == use;
    }
};

} // namespace

std::unique_ptr<ZRHotKeyTextViewAlerts> ZRHotKeyTextViewAlerts::standardAlerts() {
    return std::make_unique<MessageBoxAlerts>();
}
