#include "help-browser/ZRHelpAlerts.h"

#include <QMessageBox>
#include <QPushButton>

namespace {

class MessageBoxAlerts : public ZRHelpAlerts {
public:
    int runModal(QWidget* window, const QString& message, const QString& informativeText,
                 const QStringList& buttons) override {
        QMessageBox box(window);
        box.setIcon(QMessageBox::Information);
        box.setText(message);
        box.setInformativeText(informativeText);
        QList<QPushButton*> added;
        for (qsizetype i = 0; i < buttons.size(); ++i) {
            const bool last = i == buttons.size() - 1 && buttons.size() > 1;
            added.append(
                box.addButton(buttons.at(i), last ? QMessageBox::RejectRole : QMessageBox::AcceptRole));
        }
        if (!added.isEmpty()) {
            box.setDefaultButton(added.first());
            box.setEscapeButton(added.last());
        }
        box.exec();
        return int(std::max<qsizetype>(0, added.indexOf(qobject_cast<QPushButton*>(box.clickedButton()))));
    }
};

} // namespace

std::unique_ptr<ZRHelpAlerts> ZRHelpAlerts::standardAlerts() {
    return std::make_unique<MessageBoxAlerts>();
}
