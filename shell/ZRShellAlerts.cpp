#include "shell/ZRShellAlerts.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {

class MessageBoxAlerts : public ZRShellAlerts {
public:
    bool confirmQuit() override {
        if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
            return true;
        QMessageBox box;
        box.setIcon(QMessageBox::Question);
        box.setText(QObject::tr("Do you want to quit Skaf?"));
        box.setInformativeText(QObject::tr("Your windows can no longer be moved and resized with Skaf once "
                                           "it has quit."));
        QPushButton* quit = box.addButton(QObject::tr("Quit"), QMessageBox::AcceptRole);
        box.addButton(QMessageBox::Cancel);
        box.setDefaultButton(quit);
        box.exec();
        return box.clickedButton() == quit;
    }

    SaveFailureAnswer actionsCouldNotBeSaved(const QString& reason) override {
        if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
            return SaveFailureAnswer::QuitAnyway;
        QMessageBox box;
        box.setIcon(QMessageBox::Warning);
        box.setText(QObject::tr("Your custom actions could not be saved."));
        box.setInformativeText(QObject::tr("%1\n\nThe actions saved before are kept. If you quit now, the "
                                           "changes made since then are lost.")
                                   .arg(reason));
        QPushButton* stay = box.addButton(QObject::tr("Don't Quit"), QMessageBox::RejectRole);
        QPushButton* quit = box.addButton(QObject::tr("Quit Anyway"), QMessageBox::DestructiveRole);
        box.setDefaultButton(stay);
        box.exec();
        return box.clickedButton() == quit ? SaveFailureAnswer::QuitAnyway : SaveFailureAnswer::DoNotQuit;
    }
};

} // namespace

std::unique_ptr<ZRShellAlerts> ZRShellAlerts::standardAlerts() {
    return std::make_unique<MessageBoxAlerts>();
}
