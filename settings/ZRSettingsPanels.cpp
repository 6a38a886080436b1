#include "settings/ZRSettingsPanels.h"

#include "settings/ZRActionCollectionFile.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QObject>
#include <QPushButton>

namespace {

// A dialog that lives until it is answered, as a sheet on the window.
QFileDialog* sheet(QWidget* window, const QString& prompt) {
    auto* dialog = new QFileDialog(window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(window ? Qt::WindowModal : Qt::ApplicationModal);
    dialog->setLabelText(QFileDialog::Accept, prompt);
    dialog->setOption(QFileDialog::DontResolveSymlinks, false);
    return dialog;
}

QString actionFilesFilter() {
    QStringList patterns;
    for (const QString& extension : ZRActionCollectionFile::ReadableExtensions)
        patterns << QStringLiteral("*.") + extension << QStringLiteral("*.") + extension.toUpper();
    return QObject::tr("Skaf Actions (%1)").arg(patterns.join(u' '));
}

class StandardPanels : public ZRSettingsPanels {
public:
    void chooseFilesToImport(QWidget* window, PathsHandler handler) override {
        QFileDialog* dialog = sheet(window, QObject::tr("Import"));
        dialog->setAcceptMode(QFileDialog::AcceptOpen);
        dialog->setFileMode(QFileDialog::ExistingFiles);
        dialog->setNameFilter(actionFilesFilter());
        QObject::connect(dialog, &QFileDialog::finished, dialog, [dialog, handler](int result) {
            handler(result == QDialog::Accepted ? dialog->selectedFiles() : QStringList());
        });
        dialog->open();
    }

    void chooseExportFile(QWidget* window, const QString& suggestedName, PathHandler handler) override {
        QFileDialog* dialog = sheet(window, QObject::tr("Export"));
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setFileMode(QFileDialog::AnyFile);
        dialog->setNameFilter(QObject::tr("Skaf Actions (*.%1)").arg(ZRActionCollectionFile::Extension));
        dialog->setDefaultSuffix(ZRActionCollectionFile::Extension);
        dialog->selectFile(suggestedName + u'.' + ZRActionCollectionFile::Extension);
        QObject::connect(dialog, &QFileDialog::finished, dialog, [dialog, handler](int result) {
            const QStringList files = dialog->selectedFiles();
            handler(result == QDialog::Accepted && !files.isEmpty() ? files.front() : QString());
        });
        dialog->open();
    }

    void chooseFolder(QWidget* window, PathHandler handler) override {
        QFileDialog* dialog = sheet(window, QObject::tr("Export"));
        dialog->setWindowModality(Qt::ApplicationModal);
        dialog->setWindowTitle(QObject::tr("Choose Folder"));
        dialog->setFileMode(QFileDialog::Directory);
        dialog->setOption(QFileDialog::ShowDirsOnly);
        QObject::connect(dialog, &QFileDialog::finished, dialog, [dialog, handler](int result) {
            const QStringList folders = dialog->selectedFiles();
            handler(result == QDialog::Accepted && !folders.isEmpty() ? folders.front() : QString());
        });
        dialog->open();
    }

    void confirmDeletion(QWidget* window, const QString& names, AnswerHandler handler) override {
        // Titled by the program, as its other questions.
        auto* box = new QMessageBox(QMessageBox::Warning, QString(), QObject::tr("Delete %1?").arg(names),
                                    QMessageBox::NoButton, window);
        box->setInformativeText(
            QObject::tr("Skaf keeps no copy to add again from the add menu: this cannot be "
                        "undone."));
        QPushButton* remove = box->addButton(QObject::tr("Delete"), QMessageBox::DestructiveRole);
        box->addButton(QMessageBox::Cancel);
        box->setDefaultButton(QMessageBox::Cancel);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(window ? Qt::WindowModal : Qt::ApplicationModal);
        QObject::connect(box, &QMessageBox::finished, box,
                         [box, remove, handler] { handler(box->clickedButton() == remove); });
        box->open();
    }
};

} // namespace

std::unique_ptr<ZRSettingsPanels> ZRSettingsPanels::standardPanels() {
    return std::make_unique<StandardPanels>();
}
