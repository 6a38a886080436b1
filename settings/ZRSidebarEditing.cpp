// The sidebar's commands that change the action tree: delete, copy and paste, duplicate, wrap in a folder,
// rename, undo and redo, reveal, import and export, and the export of icons.

#include "settings/ZRSidebarController.h"

#include "actions/ZRAction.h"
#include "actions/ZRActionManager.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "settings/ZRActionCollectionFile.h"
#include "settings/ZRIconSizes.h"
#include "settings/ZRSettingsController.h"
#include "settings/ZRSettingsPanels.h"
#include "settings/ZRSettingsTabIdentifier.h"
#include "settings/ZRSourceList.h"
#include "settings/ZRSourceListModel.h"
#include "settings/ZRSourceListPasteboard.h"
#include "shell/ZRMainController.h"
#include "toolkit/ZRLog.h"

#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QMimeData>
#include <QPointer>
#include <cmath>

namespace {

const QString RecentlyDeletedKey = QStringLiteral("Recently Deleted");
const QString ExportedIconHeightKey = QStringLiteral("Exported Icon Height");
constexpr qint64 MinimumExportedIconHeight = 13;
constexpr qint64 MaximumExportedIconHeight = 2000;
// Files handed over before the launch is over wait this long before they are tried again.
constexpr double OpenFilesRetryDelay = 0.1;
// The generic icons exported when no row gives one, in their order: a type, and whether it is a chain.
constexpr std::pair<ZRActionType, bool> GenericIconTypes[] = {
    {ZRActionTypeLayout, false},
    {ZRActionTypeMoveAndResize, false},
    {ZRActionTypeMove, false},
    {ZRActionTypeMoveToEdgeOrCorner, false},
    {ZRActionTypeMoveToOtherDisplay, false},
    {ZRActionTypeCenter, false},
    {ZRActionTypeResize, false},
    {ZRActionTypeGrow, false},
    {ZRActionTypeShrink, false},
    {ZRActionTypeZoomToFit, false},
    {ZRActionTypeUseGrid, false},
    {ZRActionTypeRevert, false},
    {ZRActionTypeFolder, false},
    {ZRActionTypeFolder, true},
    {ZRActionTypeMenuHeader, false},
    {ZRActionTypeSeparator, false},
};

QVariantList recordsOf(const std::vector<std::shared_ptr<ZRAction>>& actions) {
    QVariantList records;
    for (const auto& action : actions)
        records.append(action->dictionaryRepresentation());
    return records;
}

bool writePng(const QString& path, const QImage& image) {
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    return image.save(&buffer, "PNG") && writeFileAtomically(path, data);
}

} // namespace

// --- Deleting

bool ZRSidebarController::deleteItems(const ZRSourceListItems& items) {
    const ZRSourceListItems selected = selectedSourceListItemsWithFirstSelectedRow(nullptr);
    // The row just above the first selected one, as the outline shows it before anything goes.
    ZRSourceListItemRef above;
    if (!selected.empty() && m_sourceList)
        above =
            m_model->itemRefForIndex(m_sourceList->indexAbove(m_model->indexForItem(selected.front().get())));

    ZRSourceListItems removed;
    for (const auto& item : items) {
        if (!item || !item->action())
            continue;
        ZRSourceListItems* container = containerOf(*item);
        const auto place = container ? indexIn(*container, *item) : std::nullopt;
        if (!place)
            continue;
        container->erase(container->begin() + static_cast<std::ptrdiff_t>(*place));
        removed.push_back(item);
    }
    if (removed.empty())
        return false;

    ZRSourceListItems select = selected;
    const bool firstRemovedWasSelected =
        std::find(selected.begin(), selected.end(), removed.front()) != selected.end();
    if (firstRemovedWasSelected && above && above->action())
        select = {above};

    QVariantList records;
    for (const auto& item : removed)
        records.append(item->action()->dictionaryRepresentation());
    // Newest first, the removed ones in their own order; a negative count keeps none.
    const qint64 keep = std::max<qint64>(0, m_settings.defaults().integerForKey(RecentlyDeletedKey));
    m_deletedDictionaryRepresentations = records + m_deletedDictionaryRepresentations;
    if (m_deletedDictionaryRepresentations.size() > keep)
        m_deletedDictionaryRepresentations.resize(static_cast<qsizetype>(keep));

    commitStructuralChange(select);
    return true;
}

bool ZRSidebarController::deleteSelectedSourceListItems() {
    const ZRSourceListItems items = selectedActionSourceListItems();
    const qint64 kept = m_settings.defaults().integerForKey(RecentlyDeletedKey);
    if (items.empty() || qint64(items.size()) <= kept)
        return deleteItems(items);
    // Beyond what the add menu keeps to add again, a deletion is for good: the user says so first.
    const QString names = items.size() == 1 ? items.front()->action()->displayNameWithSuffixes()
                                            : tr("%n actions", nullptr, int(items.size()));
    m_settings.panels().confirmDeletion(
        m_settings.preferencesWindow(), names,
        [sidebar = QPointer<ZRSidebarController>(this), items](bool confirmed) {
            if (confirmed && sidebar)
                sidebar->deleteItems(items);
        });
    return true;
}

void ZRSidebarController::delete_() {
    deleteSelectedSourceListItems();
}

// --- Copy, paste, duplicate

void ZRSidebarController::copy() {
    auto data = std::make_unique<QMimeData>();
    if (!ZRSourceListPasteboard::write(*data, recordsOf(selectedActions()), std::nullopt)) {
        m_settings.beep();
        return;
    }
    QGuiApplication::clipboard()->setMimeData(data.release());
}

void ZRSidebarController::paste() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    const auto records = data ? ZRSourceListPasteboard::readRecords(*data) : std::nullopt;
    const auto actions =
        records ? ZRAction::actionsFromCollection(*records, false) : std::vector<std::shared_ptr<ZRAction>>();
    if (actions.empty() || !m_settings.store().hasRoomFor(actions)) {
        m_settings.beep();
        return;
    }
    addActions(actions, false);
}

void ZRSidebarController::duplicate() {
    std::vector<std::shared_ptr<ZRAction>> copies;
    for (const auto& action : selectedActions())
        if (auto copy =
                ZRAction::actionWithDictionaryRepresentation(action->dictionaryRepresentation(), false))
            copies.push_back(std::move(copy));
    if (!copies.empty())
        addActions(copies, false);
}

// --- Folders, names, history

void ZRSidebarController::wrapInFolder() {
    wrapItemsInFolder(selectedActionSourceListItems());
}

void ZRSidebarController::wrapItemsInFolder(const ZRSourceListItems& items) {
    std::vector<std::shared_ptr<ZRAction>> members;
    ZRSourceListItemRef folderParent;
    std::size_t folderIndex = 0;
    for (const auto& item : rowsInOrder(items)) {
        ZRSourceListItems* container = containerOf(*item);
        const auto place = container ? indexIn(*container, *item) : std::nullopt;
        if (!place) {
            ZRLog("cannot wrap");
            m_settings.beep();
            break;
        }
        if (members.empty()) {
            folderParent = item->parent();
            folderIndex = *place;
        }
        members.push_back(item->action());
        container->erase(container->begin() + static_cast<std::ptrdiff_t>(*place));
    }
    if (members.empty())
        return;
    const auto folder = ZRAction::actionWithType(ZRActionTypeFolder);
    folder->setChildren(members);
    folder->setExpanded(true);
    addActions({folder}, folderParent, folderIndex, true);
}

void ZRSidebarController::rename() {
    if (const auto item = selectedActionSourceListItem())
        startRenaming(*item);
}

void ZRSidebarController::undoActionStateChange() {
    if (const auto item = selectedActionSourceListItem()) {
        item->action()->undo();
        // The pane shows the state stepped to before the next edit reads it.
        m_settings.updateConfigurationView();
        m_settings.reflectVisualActionChange();
    }
}

void ZRSidebarController::redoActionStateChange() {
    if (const auto item = selectedActionSourceListItem()) {
        item->action()->redo();
        // The pane shows the state stepped to before the next edit reads it.
        m_settings.updateConfigurationView();
        m_settings.reflectVisualActionChange();
    }
}

void ZRSidebarController::revealAction(const std::shared_ptr<ZRAction>& action) {
    if (!action || !m_sourceList)
        return;
    ZRSourceListItems folders;
    const auto find = [&](const auto& self, const ZRSourceListItems& rows) -> ZRSourceListItemRef {
        for (const auto& row : rows) {
            if (row->action() == action)
                return row;
            if (!row->hasChildren() || !row->action() || row->action()->actionType() != ZRActionTypeFolder)
                continue;
            folders.push_back(row);
            if (auto found = self(self, row->children()))
                return found;
            folders.pop_back();
        }
        return nullptr;
    };
    const auto found = find(find, sourceListItems());
    if (!found)
        return;
    for (const auto& folder : folders)
        m_sourceList->expand(m_model->indexForItem(folder.get()));
    selectSourceListItems({found});
}

// --- Import and export

bool ZRSidebarController::importFromWrapperDictionaries(const QList<QVariantMap>& dictionaries) {
    std::vector<std::shared_ptr<ZRAction>> actions;
    for (const QVariantMap& dictionary : dictionaries)
        for (auto& action : ZRActionCollectionFile::actionsFromWrapperDictionary(dictionary))
            actions.push_back(std::move(action));
    if (actions.empty() || !m_settings.store().hasRoomFor(actions))
        return false;
    addActions(actions, false);
    return true;
}

namespace {

// Paths and problems named in a line of the log, of however many: a later start may hand over thousands.
constexpr qsizetype NamedInLog = 3;

QString listed(const QStringList& items, qsizetype total, const QString& separator) {
    QString text = items.mid(0, NamedInLog).join(separator);
    if (total > NamedInLog)
        text += QStringLiteral(" and %1 more").arg(total - NamedInLog);
    return text;
}

// What an import could not read, told in one line of the log.
struct ImportProblems {
    void add(const QString& reason) {
        if (reasons.size() < NamedInLog)
            reasons.append(reason);
        ++count;
    }
    void log(const QStringList& paths, bool nothingImported) const {
        const QString why = listed(reasons, count, QStringLiteral("; "));
        if (nothingImported)
            ZRLog("cannot import from URLs: %@%@", listed(paths, paths.size(), QStringLiteral(", ")),
                  why.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(why));
        else if (count > 0)
            ZRLog("cannot import %lld of %lld files: %@", qint64(count), qint64(paths.size()), why);
    }

    QStringList reasons;
    qsizetype count = 0;
};

QList<QVariantMap> readableDictionaries(const QStringList& paths, ImportProblems& problems) {
    QList<QVariantMap> dictionaries;
    for (const QString& path : paths) {
        QString error;
        if (auto dictionary = ZRActionCollectionFile::readWrapperDictionary(path, &error))
            dictionaries.append(std::move(*dictionary));
        else
            problems.add(error);
    }
    return dictionaries;
}

} // namespace

void ZRSidebarController::import_() {
    m_settings.showPreferences(nullptr);
    m_settings.panels().chooseFilesToImport(
        m_settings.preferencesWindow(),
        [self = QPointer<ZRSidebarController>(this)](const QStringList& paths) {
            if (!self || paths.isEmpty())
                return;
            ImportProblems problems;
            const bool imported = self->importFromWrapperDictionaries(readableDictionaries(paths, problems));
            problems.log(paths, !imported);
            if (!imported)
                self->m_settings.beep();
        });
}

void ZRSidebarController::export_() {
    const auto actions = selectedActions();
    if (actions.empty()) {
        m_settings.beep();
        return;
    }
    const QVariantList records = recordsOf(actions);
    const QString name = actions.size() == 1 ? actions.front()->displayNameWithSuffixes() : tr("Actions");
    m_settings.showPreferences(nullptr);
    m_settings.panels().chooseExportFile(
        m_settings.preferencesWindow(), name,
        [self = QPointer<ZRSidebarController>(this), records](const QString& path) {
            if (!self || path.isEmpty())
                return;
            if (!ZRActionCollectionFile::write(path, records)) {
                ZRLog("cannot export to URL: %@", path);
                self->m_settings.beep();
            }
        });
}

void ZRSidebarController::openFiles(const QStringList& paths) {
    if (!m_settings.controller().hasFinishedLaunching()) {
        m_openFilesRetries.add(
            m_settings.mainRunLoop().performLater(OpenFilesRetryDelay, [this, paths] { openFiles(paths); }));
        return;
    }
    ImportProblems problems;
    QStringList readable;
    for (const QString& path : paths) {
        if (ZRActionCollectionFile::hasReadableExtension(path))
            readable.append(path);
        else
            problems.add(QStringLiteral("%1: only files ending in .skaf or .plist hold actions").arg(path));
    }
    const bool imported = importFromWrapperDictionaries(readableDictionaries(readable, problems));
    if (!paths.isEmpty())
        problems.log(paths, !imported);
    if (imported) {
        m_settings.showPreferencesTab(ZRSettingsTab::Custom, true);
    } else if (!paths.isEmpty()) {
        // A file handed to the program that gives nothing is heard, not only logged.
        m_settings.beep();
    }
}

void ZRSidebarController::exportIconsViaMenuItem(const ZRSourceListItems& rows) {
    m_settings.panels().chooseFolder(
        m_settings.preferencesWindow(),
        [self = QPointer<ZRSidebarController>(this), rows](const QString& folder) {
            if (self && !folder.isEmpty())
                self->exportIcons(rows, folder);
        });
}

int ZRSidebarController::exportIcons(const ZRSourceListItems& rows, const QString& folder) {
    const qint64 height = std::clamp(m_settings.defaults().integerForKey(ExportedIconHeightKey),
                                     MinimumExportedIconHeight, MaximumExportedIconHeight);
    const Size size(std::round(double(height) * ZRClassicIconSize.width / ZRClassicIconSize.height),
                    double(height));
    const QColor black(Qt::black);
    const QDir directory(folder);
    int number = 1;
    const auto write = [&](const QImage& image, const QString& name) {
        if (image.isNull())
            return false;
        const QString file =
            QStringLiteral("%1 - %2.png").arg(number).arg(name.isEmpty() ? QStringLiteral("?") : name);
        // A file that cannot be written is passed over; its number goes to the next one.
        if (!writePng(directory.filePath(file), image))
            return false;
        ++number;
        return true;
    };
    for (const auto& row : rows) {
        if (row->isSpacer())
            continue;
        if (const auto action = row->action()) {
            write(action->strongReferenceTemplateIconWithSize(size, black), action->filename());
        } else if (!row->relevantTab().isEmpty()) {
            const QString tab = row->relevantTab();
            if (write(ZRActionDummy::sidebarIconWithName(tab, double(height), false, false, black), tab))
                write(ZRActionDummy::sidebarIconWithName(tab, double(height), true, false, QColor()),
                      tab + QStringLiteral(" (Foreground)"));
        }
    }
    if (number == 1) {
        for (const auto& [type, chain] : GenericIconTypes) {
            const auto dummy = ZRActionDummy::dummyWithType(type);
            dummy->setChain(chain);
            dummy->setHasGenericIcon(true);
            write(dummy->strongReferenceTemplateIconWithSize(size, black), dummy->filename());
        }
    }
    return number - 1;
}
