#include "log-reader/ILRLogReaderAlerts.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace {

constexpr auto SaveTitle = "Save Log";
constexpr auto DefaultName = "Log";
constexpr auto FileFilter = "Property Lists (*.plist)";
constexpr auto FileSuffix = "plist";

class StandardAlerts : public ILRLogReaderAlerts {
public:
    void logNotSupported() override {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Log Not Supported"),
                        QStringLiteral("Log Not Supported"), QMessageBox::Ok);
        box.setInformativeText(
            QStringLiteral("Displaying this program's log requires its log tool, which is missing from the "
                           "program's folder. Install the program again."));
        box.exec();
    }

    void beep() override { QApplication::beep(); }

    std::optional<QString> savePanel(QWidget* window) override {
        QFileDialog dialog(window, QLatin1String(SaveTitle));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setWindowModality(Qt::WindowModal);
        dialog.setNameFilter(QLatin1String(FileFilter));
        dialog.setDefaultSuffix(QLatin1String(FileSuffix));
        dialog.selectFile(QLatin1String(DefaultName));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return dialog.selectedFiles().front();
    }
};

} // namespace

std::unique_ptr<ILRLogReaderAlerts> ILRLogReaderAlerts::standardAlerts() {
    return std::make_unique<StandardAlerts>();
}
