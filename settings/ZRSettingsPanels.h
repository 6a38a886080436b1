#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QWidget;

// The open and save panels of the settings window, shown as sheets on it (window-modal file dialogs). Each
// answers once, later, with the chosen paths (empty when cancelled). Tests replace them.
class ZRSettingsPanels {
public:
    using PathsHandler = std::function<void(const QStringList& paths)>;
    using PathHandler = std::function<void(const QString& path)>;

    virtual ~ZRSettingsPanels() = default;

    // Files of exported actions (".skaf", ".plist"), several at once: prompt "Import".
    virtual void chooseFilesToImport(QWidget* window, PathsHandler handler) = 0;
    // Where to export, the name preset: prompt "Export", new folders allowed, ".skaf".
    virtual void chooseExportFile(QWidget* window, const QString& suggestedName, PathHandler handler) = 0;
    // A folder for exported icons: title "Choose Folder", prompt "Export"; modal.
    virtual void chooseFolder(QWidget* window, PathHandler handler) = 0;

    static std::unique_ptr<ZRSettingsPanels> standardPanels();
};
