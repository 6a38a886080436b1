#include "actions/ZRActionHost.h"

#include "hotkeys/ZRHotKey.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {

class MessageBoxAlert : public ZRKeyboardControlHotKeyMissingAlert {
public:
    Answer run(const ZRHotKey& hotKey) override {
        if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
            return Answer::Cancel;
        QMessageBox box;
        box.setIcon(QMessageBox::Warning);
        box.setText(QApplication::translate("ZRAction", "Keyboard control hot key missing"));
        box.setInformativeText(
            QApplication::translate(
                "ZRAction", "The hot key \"%1\" works only while the keyboard controls are active, and no "
                            "hot key is assigned to open them.")
                .arg(hotKey.displayString()));
        QPushButton* assign =
            box.addButton(QApplication::translate("ZRAction", "Assign Hot Key..."), QMessageBox::AcceptRole);
        box.addButton(QApplication::translate("ZRAction", "Cancel"), QMessageBox::RejectRole);
        box.exec();
        return box.clickedButton() == assign ? Answer::Assign : Answer::Cancel;
    }
};

} // namespace

std::unique_ptr<ZRKeyboardControlHotKeyMissingAlert> ZRKeyboardControlHotKeyMissingAlert::standardAlert() {
    return std::make_unique<MessageBoxAlert>();
}
