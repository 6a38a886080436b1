#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QWidget;

// The open and save panels of the settings window, and its questions, shown as sheets on it (window-modal
// dialogs). Each answers once, later, with the chosen paths (empty when cancelled) or the answer. Tests
// replace them.
class ZRSettingsPanels {
public:
    using PathsHandler = std::function<void(const QStringList& paths)>;
    using PathHandler = std::function<void(const QString& path)>;
    using AnswerHandler = std::function<void(bool confirmed)>;

    virtual ~ZRSettingsPanels() = default;

    // Files of exported actions (".skaf", ".plist"), several at once: prompt "Import".
    virtual void chooseFilesToImport(QWidget* window, PathsHandler handler) = 0;
    // Where to export, the name preset: prompt "Export", new folders allowed, ".skaf".
    virtual void chooseExportFile(QWidget* window, const QString& suggestedName, PathHandler handler) = 0;
    // A folder for exported icons: title "Choose Folder", prompt "Export"; modal.
    virtual void chooseFolder(QWidget* window, PathHandler handler) = 0;
    // Whether the actions named may be deleted for good, the add menu keeping no copy of them.
    virtual void confirmDeletion(QWidget* window, const QString& names, AnswerHandler handler) = 0;

    static std::unique_ptr<ZRSettingsPanels> standardPanels();
};
