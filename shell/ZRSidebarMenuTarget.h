#pragma once

#include <QVariantList>
#include <memory>
#include <vector>

class QAction;
class ZRAction;
class ZRActionSourceListRow;

// The property of an add-menu item that holds its action type.
inline constexpr char ZRAddMenuActionTypeProperty[] = "ZRActionType";

// The commands of the sidebar's context menu for an action row.
enum class ZRSidebarCommand {
    Rename,
    Duplicate,
    Copy,
    WrapInFolder,
    ExtractMoveAndResizeActions,
    Export,
    ExportIcon,
    Delete,
};

// What the sidebar's menus work on: the settings window, which lies above the shell, implements it and
// hands it to the main controller. The shell builds the menus; the target carries out what is chosen.
class ZRSidebarMenuTarget {
public:
    virtual ~ZRSidebarMenuTarget() = default;

    // The records of recently deleted actions, newest first.
    virtual QVariantList deletedDictionaryRepresentations() const = 0;
    // The layout merged from the selected rows' actions, or null.
    virtual std::shared_ptr<ZRAction> mergedLayoutActionFromSelection() const = 0;
    // The move-and-resize actions extracted from the selected layouts; empty when there are none.
    virtual std::vector<std::shared_ptr<ZRAction>> extractedMoveAndResizeActionsFromSelection() const = 0;

    // The item carries the action type under ZRAddMenuActionTypeProperty, and a record (a QVariantMap)
    // or nothing as its data.
    virtual void addActionViaMenuItem(QAction* item) = 0;
    virtual void addMergedLayoutActionViaMenuItem(QAction* item) = 0;
    virtual void addExtractedMoveAndResizeActionsViaMenuItem(QAction* item) = 0;

    // A command of the context menu, for the row it was opened on (and the rows selected with it).
    virtual void performSidebarCommand(ZRSidebarCommand command, const ZRActionSourceListRow* row) = 0;
};
