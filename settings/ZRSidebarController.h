#pragma once

#include "platform/foundation/RunLoop.h"
#include "settings/ZRSourceListItem.h"
#include "shell/ZRSidebarMenuTarget.h"

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QMimeData;
class QModelIndex;
class ZRAction;
class ZRSettingsController;
class ZRSourceList;
class ZRSourceListCell;
class ZRSourceListModel;
struct ZRSourceListRowState;

// The sidebar of the settings window: the fixed sections followed by the tree of custom actions, and
// everything that changes that tree from the window (adding, deleting, copying and pasting, duplicating,
// wrapping in folders, renaming, dragging, importing and exporting). Every structural change takes one
// path: the rows change first, then the action store is rebuilt from the top-level rows, then the sidebar
// reloads with the rows to select, then what depends on the actions is brought up to date. Rows keep their
// identity across reloads. Main thread only.
class ZRSidebarController : public QObject, public ZRSidebarMenuTarget {
    Q_OBJECT
public:
    explicit ZRSidebarController(ZRSettingsController& settings);
    ~ZRSidebarController() override;
    ZRSidebarController(const ZRSidebarController&) = delete;
    ZRSidebarController& operator=(const ZRSidebarController&) = delete;

    ZRSourceList* sourceList() const;
    ZRSourceListModel& model() const { return *m_model; }
    // The program's beep, for what the sidebar refuses.
    void beep() const;

    // --- Rows

    // The top-level rows, built on first use: the optional header, the four sections and, when the store
    // has actions, a gap, the "Custom" header and the actions.
    const ZRSourceListItems& sourceListItems();
    // Rebuilds the tree from the store, reusing rows, reloads the outline, opens the folders of the rows to
    // select and selects them. None: the current selection.
    void reloadSourceListWithSelectedItems(const std::optional<ZRSourceListItems>& items);
    // The selected rows in row order; the first selected row (-1 for none) when asked.
    ZRSourceListItems selectedSourceListItemsWithFirstSelectedRow(int* row) const;
    // The selected rows when each has an action, else none; kept until the selection or the tree changes,
    // or the run loop turns.
    const ZRSourceListItems& selectedActionSourceListItems();
    void invalidateCachedSelectedActionSourceListItems();
    // The one selected action row; null unless exactly one.
    ZRSourceListItemRef selectedActionSourceListItem();
    std::vector<std::shared_ptr<ZRAction>> selectedActions();
    // Selects the rows that the outline shows; by the selection rule when it shows none of them.
    void selectSourceListItems(const ZRSourceListItems& items);
    // With a sender (the menu, the keyboard): the first selected action's siblings, or every row.
    void selectAll(QObject* sender);
    std::shared_ptr<ZRAction> mergedLayoutActionFromSourceListItems(const ZRSourceListItems& items) const;
    // Empty as soon as one row holds no layout.
    std::vector<std::shared_ptr<ZRAction>>
    extractedMoveAndResizeActionsFromSourceListItems(const ZRSourceListItems& items) const;

    // Adds the actions in new rows among the folder row's members (the top-level rows when null), from the
    // index on (appended without one or beyond the end), rebuilds the store, selects the new rows and, when
    // asked and one action came, starts renaming it.
    void addActions(const std::vector<std::shared_ptr<ZRAction>>& actions, const ZRSourceListItemRef& parent,
                    std::optional<std::size_t> index, bool rename);
    // The same where the selection says: into an open folder, after the last selected row, or at the end.
    void addActions(const std::vector<std::shared_ptr<ZRAction>>& actions, bool rename);

    // --- ZRSidebarMenuTarget (the add menu and the context menu)

    QVariantList deletedDictionaryRepresentations() const override {
        return m_deletedDictionaryRepresentations;
    }
    std::shared_ptr<ZRAction> mergedLayoutActionFromSelection() const override;
    std::vector<std::shared_ptr<ZRAction>> extractedMoveAndResizeActionsFromSelection() const override;
    void addActionViaMenuItem(QAction* item) override;
    void addMergedLayoutActionViaMenuItem(QAction* item) override;
    void addExtractedMoveAndResizeActionsViaMenuItem(QAction* item) override;
    void performSidebarCommand(ZRSidebarCommand command, const ZRActionSourceListRow* row) override;

    // --- Outline data source and delegate

    bool isItemExpandable(const ZRSourceListItem& item) const { return item.hasChildren(); }
    bool shouldEditItem(const ZRSourceListItem& item) const;
    // The action's display name; else the spacer's title or the tab's name.
    QString objectValueForItem(const ZRSourceListItem& item) const;
    // Renames in place: empty text (after trimming) or the default name clears the user's name.
    void setObjectValue(const QString& value, ZRSourceListItem& item);
    // Without the spacing between rows.
    double heightOfRowByItem(const ZRSourceListItem& item);
    int verticalIntercellSpacing() const;
    void itemDidExpand(const QModelIndex& index);
    void itemDidCollapse(const QModelIndex& index);
    // The selection rule: action rows that share the first one's parent, else one section, else the first
    // row that is no spacer.
    ZRSourceListItems selectionForProposedSelection(const ZRSourceListItems& proposedInRowOrder);
    void selectionDidChange();
    // The action row a right click at the point works on (selected alone unless it was selected); null for
    // any other row.
    ZRSourceListItemRef rowForContextMenuAt(QPoint viewportPoint);
    // Ends the renaming of the action's row, keeping what was typed.
    void stopRenamingAction(const ZRAction& action);

    // How a row is drawn: its icon, hot key, font and colours (the cell is set up for each row), by the
    // size mode ("NSTableViewDefaultSizeMode") the window applied last.
    void willDisplayCell(ZRSourceListCell& cell, const ZRSourceListItem& item,
                         const ZRSourceListRowState& state);
    void setSizeMode(qint64 sizeMode);
    static double fontSizeForSizeMode(qint64 sizeMode);
    static double iconHeightForFontSize(double fontSize);

    // --- Editing

    // Removes the action rows and keeps their records among the recently deleted; false when none was.
    bool deleteItems(const ZRSourceListItems& items);
    bool deleteSelectedSourceListItems();
    void delete_();
    void copy();
    void paste();
    void duplicate();
    void wrapInFolder();
    // Moves the rows into a new folder where the first of them stood; a row no longer in the tree stops the
    // collecting, with a beep.
    void wrapItemsInFolder(const ZRSourceListItems& items);
    void rename();
    void undoActionStateChange();
    void redoActionStateChange();
    void revealAction(const std::shared_ptr<ZRAction>& action);

    // --- Import and export

    // Adds the actions of each file's dictionary, with new identifiers; false when none came.
    bool importFromWrapperDictionaries(const QList<QVariantMap>& dictionaries);
    void import_();
    void export_();
    // Files handed to the program: imported once the launch is over, and the window shows them.
    void openFiles(const QStringList& paths);
    // Writes the icons of the rows (or, without rows, the generic icons of the built-in types) as PNG files
    // into a folder the user chooses.
    void exportIconsViaMenuItem(const ZRSourceListItems& rows);
    // The same into the folder; the number of files written.
    int exportIcons(const ZRSourceListItems& rows, const QString& folder);

    // --- Drag and drop

    // Puts the rows on the pasteboard; false for a row without an action, or a record that cannot be
    // written. The rows are held until the drag ends.
    bool writeItems(const ZRSourceListItems& items, QMimeData& pasteboard);
    // The operation a drop would do on or into the row (the top level when null) at the child index (-1:
    // onto the row itself); no operation when refused.
    Qt::DropAction validateDrop(const QMimeData& pasteboard, const ZRSourceListItemRef& item, int childIndex,
                                bool copy);
    bool acceptDrop(const QMimeData& pasteboard, const ZRSourceListItemRef& item, int childIndex, bool copy);
    // A drag of sidebar rows ended: released with the left button outside the window and not copied, the
    // rows are deleted. The held rows are let go.
    void draggingSessionEnded(QPoint screenPoint, Qt::DropAction operation, bool leftMouseUp);
    const ZRSourceListItems& draggedSourceListItems() const { return m_draggedSourceListItems; }

private:
    // The list that holds the row (its parent's members, or the top-level rows), and where.
    ZRSourceListItems* containerOf(const ZRSourceListItem& item);
    std::optional<std::size_t> indexIn(const ZRSourceListItems& list, const ZRSourceListItem& item) const;
    std::vector<const ZRActionSourceListRow*> topLevelRows() const;
    // The store follows the rows, the outline reloads, and what depends on the actions follows.
    void commitStructuralChange(const std::optional<ZRSourceListItems>& select);
    ZRSourceListItemRef itemFromRow(const ZRActionSourceListRow* row) const;
    ZRSourceListItems rowsInOrder(ZRSourceListItems rows) const;
    bool isInOutline(const ZRSourceListItem& item) const;
    void startRenaming(const ZRSourceListItem& item);
    bool settingsWindowIsVisible() const;

    ZRSettingsController& m_settings;
    ZRSourceListModel* m_model;
    QPointer<ZRSourceList> m_sourceList;
    std::optional<ZRSourceListItems> m_sourceListItems;
    // Only while a reload rebuilds the tree.
    ZRSourceListItem::Pool* m_previousSourceListItemsByIdentifier = nullptr;
    std::optional<ZRSourceListItems> m_cachedSelectedActionSourceListItems;
    QVariantList m_deletedDictionaryRepresentations;
    ZRSourceListItems m_draggedSourceListItems;
    qint64 m_sizeMode = 0;
    bool m_reloading = false;
    PendingPerform m_updateConfigurationView;
    PendingPerform m_invalidateSelectionCache;
    // Files handed over before the program finished starting wait for it, each batch on its own.
    PendingPerforms m_openFilesRetries;
};
