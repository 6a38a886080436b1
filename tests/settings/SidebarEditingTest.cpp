#include "SettingsTestSupport.h"

#include "settings/ZRActionCollectionFile.h"
#include "settings/ZRSourceListPasteboard.h"
#include "settings/ZRSourceListSelectionModel.h"

#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProcess>
#include <functional>
#include <sys/stat.h>

namespace {

const QString Fixtures = QStringLiteral(SKAF_SETTINGS_FIXTURES);

class SidebarEditingTest : public SettingsTest {
protected:
    // How many different identifiers the actions have.
    qsizetype distinctIdentifiers() const {
        const QStringList all = identifiers();
        return QSet<QString>(all.begin(), all.end()).size();
    }
    QStringList identifiers() const {
        QStringList found;
        for (const auto& action : store().allActions())
            found.append(action->uniqueIdentifier());
        return found;
    }
    QStringList deletedTitles() const {
        QStringList titles;
        for (const QVariant& record : sidebar().deletedDictionaryRepresentations())
            titles.append(record.toMap().value(ZRActionKey::Title).toString());
        return titles;
    }
    QString copyFixture(const QString& fixture, const QString& name) const {
        const QString path = folder.filePath(name);
        QFile::remove(path);
        EXPECT_TRUE(QFile::copy(Fixtures + u'/' + fixture, path));
        return path;
    }
};

TEST_F(SidebarEditingTest, DeletingSelectsTheRowAboveOnlyWhenItIsAnAction) {
    struct Case {
        QStringList selected;
        QStringList remaining;
        QStringList selectedAfter;
    };
    const Case cases[] = {
        {{QStringLiteral("B")},
         {QStringLiteral("A"), QStringLiteral("C"), QStringLiteral("F"), QStringLiteral("  M")},
         {QStringLiteral("A")}},
        {{QStringLiteral("A")},
         {QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("F"), QStringLiteral("  M")},
         {QStringLiteral("Palette")}},
        {{QStringLiteral("M")},
         {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("F")},
         {QStringLiteral("F")}},
        {{QStringLiteral("B"), QStringLiteral("C")},
         {QStringLiteral("A"), QStringLiteral("F"), QStringLiteral("  M")},
         {QStringLiteral("A")}},
    };
    for (const Case& c : cases) {
        store().populateWithSourceListItems({});
        sidebar().reloadSourceListWithSelectedItems(std::nullopt);
        addActions({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
        addFolder(QStringLiteral("F"), {QStringLiteral("M")});
        select(c.selected);
        EXPECT_TRUE(sidebar().deleteSelectedSourceListItems());
        EXPECT_EQ(storeTitles(), c.remaining);
        EXPECT_EQ(selectedTitles(), c.selectedAfter) << c.selected.join(u',').toStdString();
    }
    // Rows without actions, and rows no longer in the tree, delete nothing.
    const ZRSourceListItemRef gone = row(QStringLiteral("A"));
    EXPECT_TRUE(sidebar().deleteItems({gone}));
    EXPECT_FALSE(sidebar().deleteItems({gone, row(QStringLiteral("Hover"))}));
}

TEST_F(SidebarEditingTest, RecentlyDeletedKeepsTheNewestUpToItsCountAndGivesThemBack) {
    struct Case {
        qint64 count;
        QStringList kept;
    };
    const Case cases[] = {
        {10, {QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("A")}},
        {2, {QStringLiteral("B"), QStringLiteral("C")}},
        {0, {}},
        {-1, {}},
    };
    for (const Case& c : cases) {
        set(QStringLiteral("Recently Deleted"), c.count);
        store().populateWithSourceListItems({});
        sidebar().reloadSourceListWithSelectedItems(std::nullopt);
        addActions({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
        select({QStringLiteral("A")});
        sidebar().delete_();
        select({QStringLiteral("B"), QStringLiteral("C")});
        sidebar().delete_();
        EXPECT_EQ(deletedTitles().mid(0, c.kept.size()), c.kept) << c.count;
        EXPECT_LE(deletedTitles().size(), std::max<qint64>(0, c.count));
    }
    // The add menu offers a deleted action again; taken, it leaves the list.
    set(QStringLiteral("Recently Deleted"), 10);
    addActions({QStringLiteral("D")});
    select({QStringLiteral("D")});
    sidebar().delete_();
    QAction item;
    item.setData(sidebar().deletedDictionaryRepresentations().front());
    item.setProperty(ZRAddMenuActionTypeProperty, QVariant::fromValue<qint64>(ZRActionTypeMoveAndResize));
    sidebar().addActionViaMenuItem(&item);
    EXPECT_TRUE(storeTitles().contains(QStringLiteral("D")));
    EXPECT_FALSE(deletedTitles().contains(QStringLiteral("D")));
}

// A deletion the add menu cannot give back is asked about first; one it keeps to add again is not. The
// Edit menu offers undo and redo only when the selected action has changes to step through.
TEST_F(SidebarEditingTest, ADeletionForGoodIsAskedAboutAndUndoIsOfferedOnlyWithChanges) {
    struct Case {
        qint64 kept;
        QStringList selected;
        bool confirms;
        QStringList questions;
        QStringList left;
    };
    const QStringList all = {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")};
    const Case cases[] = {
        {10, {"A", "B"}, false, {}, {"C"}},   {0, {"A"}, false, {"A"}, all},
        {0, {"A"}, true, {"A"}, {"B", "C"}},  {2, {"A", "B", "C"}, true, {"3 actions"}, {}},
        {-1, {"B"}, true, {"B"}, {"A", "C"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kept);
        set(QStringLiteral("Recently Deleted"), c.kept);
        store().populateWithSourceListItems({});
        sidebar().reloadSourceListWithSelectedItems(std::nullopt);
        addActions(all);
        panels->deletionQuestions.clear();
        panels->confirmsDeletion = c.confirms;
        select(c.selected);
        sidebar().delete_();
        EXPECT_EQ(panels->deletionQuestions, c.questions);
        EXPECT_EQ(storeTitles(), c.left);
    }

    QMenu* edit = nullptr;
    for (QAction* item : settings().preferencesWindow()->menuBar()->actions())
        if (item->menu() && item->text().contains(QStringLiteral("Edit")))
            edit = item->menu();
    ASSERT_NE(edit, nullptr);
    const auto item = [edit](const QString& title) {
        for (QAction* action : edit->actions())
            if (action->text() == title)
                return action;
        return static_cast<QAction*>(nullptr);
    };
    const auto offered = [&] {
        Q_EMIT edit->aboutToShow();
        const QString state = QStringLiteral("%1 %2")
                                  .arg(item(QStringLiteral("Undo"))->isEnabled())
                                  .arg(item(QStringLiteral("Redo"))->isEnabled());
        Q_EMIT edit->aboutToHide();
        return state;
    };
    addActions({QStringLiteral("D")});
    select({QStringLiteral("D")});
    const auto action = store().focusAction();
    ASSERT_TRUE(action);
    EXPECT_EQ(offered(), QStringLiteral("0 0")) << "nothing to undo or redo";
    action->applyStateChange([&] { action->setMoveDelta(action->moveDelta() + 5); }, true);
    EXPECT_EQ(offered(), QStringLiteral("1 0"));
    item(QStringLiteral("Undo"))->trigger();
    EXPECT_EQ(offered(), QStringLiteral("0 1"));
    EXPECT_TRUE(item(QStringLiteral("Undo"))->isEnabled()) << "its key works between showings";
    select({});
    EXPECT_EQ(offered(), QStringLiteral("0 0")) << "no action selected";
}

TEST_F(SidebarEditingTest, WrappingStopsAtARowNoLongerInTheTree) {
    addActions({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
    select({QStringLiteral("A"), QStringLiteral("B")});
    sidebar().wrapInFolder();
    ASSERT_EQ(storeTitles().size(), 4);
    EXPECT_EQ(storeTitles().mid(1),
              QStringList({QStringLiteral("  A"), QStringLiteral("  B"), QStringLiteral("C")}));
    EXPECT_EQ(selectedTitles().size(), 1);

    const auto detached = ZRSourceListItem::sourceListItemWithAction(
        namedAction(QStringLiteral("X")), std::nullopt, QStringLiteral("Custom"), nullptr);
    sidebar().wrapItemsInFolder({row(QStringLiteral("C")), detached});
    EXPECT_EQ(beeps, 1);
    EXPECT_TRUE(logged(QStringLiteral("cannot wrap")));
    EXPECT_EQ(storeTitles().mid(4), QStringList{QStringLiteral("  C")}) << "what came before the missing row";
}

TEST_F(SidebarEditingTest, RevealingAnActionOpensTheFoldersOnItsWay) {
    auto inner = namedAction(QStringLiteral("Inner"), ZRActionTypeFolder);
    const auto deep = namedAction(QStringLiteral("Deep"));
    inner->setChildren({deep});
    auto outer = namedAction(QStringLiteral("Outer"), ZRActionTypeFolder);
    outer->setChildren({inner});
    sidebar().addActions({outer}, nullptr, std::nullopt, false);
    EXPECT_FALSE(rows().contains(QStringLiteral("    Deep")));
    sidebar().revealAction(deep);
    EXPECT_TRUE(rows().contains(QStringLiteral("    Deep")));
    EXPECT_EQ(selectedTitles(), QStringList{QStringLiteral("Deep")});
    EXPECT_TRUE(outer->expanded() && inner->expanded());
    sidebar().revealAction(namedAction(QStringLiteral("Elsewhere")));
    EXPECT_EQ(selectedTitles(), QStringList{QStringLiteral("Deep")});
}

TEST_F(SidebarEditingTest, CopiesPastedOrDuplicatedGetIdentifiersOfTheirOwn) {
    addActions({QStringLiteral("A"), QStringLiteral("B")});
    select({QStringLiteral("A")});
    sidebar().copy();
    const QMimeData* clipboard = QGuiApplication::clipboard()->mimeData();
    ASSERT_TRUE(clipboard && clipboard->hasFormat(ZRSourceListDictionaryPasteboardType));
    sidebar().paste();
    sidebar().duplicate();
    EXPECT_EQ(storeTitles(), QStringList({QStringLiteral("A"), QStringLiteral("A"), QStringLiteral("A"),
                                          QStringLiteral("B")}));
    EXPECT_EQ(distinctIdentifiers(), 4);

    auto* junk = new QMimeData;
    junk->setData(ZRSourceListDictionaryPasteboardType, "<plist><string>no array</string></plist>");
    QGuiApplication::clipboard()->setMimeData(junk);
    sidebar().paste();
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(storeTitles().size(), 4);
}

TEST_F(SidebarEditingTest, ImportsXmlAndBinaryFilesAsNewSetsAndSkipsWhatIsNoActionFile) {
    const QString xml = copyFixture(QStringLiteral("actions.skaf"), QStringLiteral("mine.skaf"));
    const QString binary =
        copyFixture(QStringLiteral("actions-binary.plist"), QStringLiteral("THEIRS.PLIST"));
    const QString text = copyFixture(QStringLiteral("actions.skaf"), QStringLiteral("notes.txt"));
    const QString fifo = folder.filePath(QStringLiteral("pipe.plist"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString directory = folder.filePath(QStringLiteral("folder.skaf"));
    ASSERT_TRUE(QDir().mkpath(directory));

    settings().openFiles({xml, binary, text, fifo, directory});
    EXPECT_EQ(storeTitles(),
              QStringList({QStringLiteral("Imported Left"), QStringLiteral("Imported Left"),
                           QStringLiteral("Imported Folder"), QStringLiteral("  Imported Center")}));
    EXPECT_FALSE(identifiers().contains(QStringLiteral("IMPORTED-LEFT")));
    // One line for the request, however many of its files could not be read.
    EXPECT_TRUE(logged(QStringLiteral("cannot import 3 of 5 files: ") + text +
                       QStringLiteral(": only files ending in .skaf or .plist hold actions")));
    EXPECT_TRUE(logged(fifo + QStringLiteral(" is not a regular file")));
    EXPECT_EQ(log->lines().filter(QStringLiteral("cannot ")).size(), 1);

    // The same file again: a second, independent set; through the import panel this time.
    panels->importPaths = {xml};
    sidebar().import_();
    // The new set goes where the selection says: into the open folder imported before.
    EXPECT_EQ(storeTitles().filter(QStringLiteral("Imported Left")).size(), 3);
    EXPECT_EQ(distinctIdentifiers(), identifiers().size());

    panels->importPaths = {fifo, directory};
    sidebar().import_();
    EXPECT_EQ(beeps, 1);
    EXPECT_TRUE(logged(QStringLiteral("cannot import from URLs: ")));

    // A later start may hand over thousands of files: still one line, of a bounded length.
    QStringList many;
    for (int i = 0; i < 5000; ++i)
        many.append(folder.filePath(QStringLiteral("missing %1.skaf").arg(i)));
    log->clear();
    settings().openFiles(many);
    const QStringList lines = log->lines().filter(QStringLiteral("cannot "));
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines.front().contains(QStringLiteral(" and 4997 more")));
    EXPECT_LT(lines.front().size(), 2000);
}

// An exported file cut short on its way: whichever way it comes in, the user hears the beep, the log says
// which file, and the actions stay as they were.
TEST_F(SidebarEditingTest, ATruncatedExportedFileIsRefusedWithTheBeepAndALogLine) {
    addActions({QStringLiteral("Kept")});
    select({QStringLiteral("Kept")});
    const QString whole = folder.filePath(QStringLiteral("whole.skaf"));
    panels->exportPath = whole;
    sidebar().export_();
    QFile file(whole);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    file.close();
    const QString cut = folder.filePath(QStringLiteral("cut.skaf"));
    QFile truncated(cut);
    ASSERT_TRUE(truncated.open(QIODevice::WriteOnly));
    truncated.write(bytes.left(bytes.size() / 2));
    truncated.close();

    const struct {
        const char* way;
        std::function<void()> import;
    } ways[] = {
        {"skaf FILE", [&] { settings().controller().openFiles({cut}); }},
        {"File > Import",
         [&] {
             panels->importPaths = {cut};
             sidebar().import_();
         }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.way);
        beeps = 0;
        log->clear();
        way.import();
        RunLoop::main().runPending();
        EXPECT_EQ(beeps, 1);
        EXPECT_TRUE(logged(QStringLiteral("cannot import from URLs: ") + cut));
        EXPECT_EQ(storeTitles(), QStringList{QStringLiteral("Kept")});
    }
}

// Qt's selection grows with the square of its ranges: a large import, one range per row, froze the window.
TEST_F(SidebarEditingTest, ALargeImportIsSelectedAsOneRange) {
    constexpr int Count = 5000;
    QVariantList records;
    for (int i = 0; i < Count; ++i)
        records.append(namedAction(QStringLiteral("Imported %1").arg(i))->dictionaryRepresentation());
    const QString path = folder.filePath(QStringLiteral("many.skaf"));
    ASSERT_TRUE(ZRActionCollectionFile::write(path, records));

    settings().openFiles({path});
    EXPECT_EQ(selectedTitles().size(), Count);
    EXPECT_EQ(selectedTitles().front(), QStringLiteral("Imported 0"));
    EXPECT_EQ(sourceList().selectionModel()->selection().size(), 1);
}

// The settings file is read up to a size, so actions that would make it larger are refused before they are
// added, with a line in the log, and the file keeps every action the next start reads.
TEST_F(SidebarEditingTest, ActionsThatWouldMakeTheSettingsFileTooLargeAreRefused) {
    addActions({QStringLiteral("A"), QStringLiteral("B")});
    RunLoop::main().runPending();
    UserDefaults& defaults = this->defaults();
    ASSERT_FALSE(defaults.hasUnsavedChanges());
    const qint64 limit = defaults.storedFileBytes() + 1000;
    defaults.setMaximumFileBytes(limit);
    const auto write = [&](const QString& name, int count) {
        QVariantList records;
        for (int i = 0; i < count; ++i)
            records.append(namedAction(QStringLiteral("%1 %2").arg(name).arg(i))->dictionaryRepresentation());
        const QString path = folder.filePath(name + QStringLiteral(".skaf"));
        EXPECT_TRUE(ZRActionCollectionFile::write(path, records));
        return path;
    };

    settings().openFiles({write(QStringLiteral("Many"), 20)});
    panels->importPaths = {write(QStringLiteral("More"), 20)};
    sidebar().import_();
    EXPECT_EQ(beeps, 2);
    EXPECT_TRUE(logged(
        QStringLiteral("cannot add 20 actions: the settings file would be larger than %1 bytes").arg(limit)));
    settings().openFiles({write(QStringLiteral("One"), 1)});
    RunLoop::main().runPending();
    EXPECT_EQ(storeTitles(),
              QStringList({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("One 0")}));

    UserDefaults reread(defaults.filePath());
    reread.setMaximumFileBytes(limit);
    ASSERT_EQ(reread.load(), UserDefaults::LoadResult::Loaded);
    EXPECT_EQ(reread.arrayForKey(QStringLiteral("Custom Controls (4001)")).size(), 3);
}

TEST_F(SidebarEditingTest, RowsAreSelectedAsTheFewestRanges) {
    addActions({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D")});
    addFolder(QStringLiteral("F"), {QStringLiteral("F1"), QStringLiteral("F2"), QStringLiteral("F3")});
    const struct {
        QStringList rows;
        QList<QStringList> ranges;
    } cases[] = {
        {{QStringLiteral("A")}, {{QStringLiteral("A"), QStringLiteral("A")}}},
        {{QStringLiteral("D"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("C")},
         {{QStringLiteral("B"), QStringLiteral("D")}}},
        {{QStringLiteral("A"), QStringLiteral("C"), QStringLiteral("D")},
         {{QStringLiteral("A"), QStringLiteral("A")}, {QStringLiteral("C"), QStringLiteral("D")}}},
        // Rows of a folder are a range of their own, even where they follow the folder's row.
        {{QStringLiteral("F"), QStringLiteral("F1"), QStringLiteral("F2"), QStringLiteral("F3")},
         {{QStringLiteral("F"), QStringLiteral("F")}, {QStringLiteral("F1"), QStringLiteral("F3")}}},
        {{}, {}},
    };
    for (const auto& test : cases) {
        QModelIndexList rows{QModelIndex()};
        for (const QString& title : test.rows)
            rows.append(indexOf(title));
        QList<QStringList> ranges;
        for (const QItemSelectionRange& range : ZRSourceListSelectionModel::rowRanges(rows))
            ranges.append({range.topLeft().data().toString(), range.bottomRight().data().toString()});
        std::sort(ranges.begin(), ranges.end());
        EXPECT_EQ(ranges, test.ranges) << test.rows.join(u' ').toStdString();
    }
}

TEST_F(SidebarEditingTest, ExportedFilesReadBackWithPythonAndUnwritableRecordsMakeNoFile) {
    addActions({QStringLiteral("Left"), QStringLiteral("Right")});
    select({QStringLiteral("Left"), QStringLiteral("Right")});
    panels->exportPath = folder.filePath(QStringLiteral("out.skaf"));
    sidebar().export_();
    EXPECT_EQ(panels->suggestedNames, QStringList{QStringLiteral("Actions")});

    QProcess python;
    python.start(QStringLiteral("python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import json, plistlib, sys\n"
                                 "d = plistlib.load(open(sys.argv[1], 'rb'))\n"
                                 "print(json.dumps([r['Title'] for r in d['Custom Controls (4001)']]))"),
                  panels->exportPath});
    ASSERT_TRUE(python.waitForFinished(10000));
    EXPECT_EQ(QJsonDocument::fromJson(python.readAllStandardOutput()).array(),
              QJsonArray({QStringLiteral("Left"), QStringLiteral("Right")}));

    // One action suggests its own name; a record that cannot be written leaves no file behind.
    select({QStringLiteral("Left")});
    row(QStringLiteral("Left"))->action()->setName(QStringLiteral("Left") + QChar(1));
    panels->exportPath = folder.filePath(QStringLiteral("broken.skaf"));
    sidebar().export_();
    EXPECT_EQ(panels->suggestedNames.back(), QStringLiteral("Left") + QChar(1));
    EXPECT_FALSE(QFile::exists(panels->exportPath));
    EXPECT_EQ(beeps, 1);
    EXPECT_TRUE(logged(QStringLiteral("cannot export to URL: ") + panels->exportPath));
    select({QStringLiteral("Hover")});
    sidebar().export_();
    EXPECT_EQ(beeps, 2) << "nothing to export";
}

TEST_F(SidebarEditingTest, ExportedIconsAreNumberedAndTakeTheirHeightWithinBounds) {
    addActions({QStringLiteral("Left")});
    struct Case {
        qint64 setting;
        int height;
    };
    const Case cases[] = {{5, 13}, {100, 100}, {5000, 2000}};
    for (const Case& c : cases) {
        set(QStringLiteral("Exported Icon Height"), c.setting);
        QTemporaryDir out;
        ASSERT_EQ(sidebar().exportIcons(
                      {row(QStringLiteral("Left")), row(QString()), row(QStringLiteral("Snap"))}, out.path()),
                  3);
        const QImage icon(out.filePath(QStringLiteral("1 - Left.png")));
        EXPECT_EQ(icon.height(), c.height) << c.setting;
        EXPECT_EQ(icon.width(), qRound(c.height * 23.0 / 16));
        EXPECT_TRUE(QFile::exists(out.filePath(QStringLiteral("2 - Snap.png"))));
        EXPECT_TRUE(QFile::exists(out.filePath(QStringLiteral("3 - Snap (Foreground).png"))));
    }
    set(QStringLiteral("Exported Icon Height"), 20);
    QTemporaryDir generic;
    panels->folder = generic.path();
    sidebar().exportIconsViaMenuItem({});
    const QStringList files = QDir(generic.path()).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(files.size(), 16);
    QStringList numbers;
    for (const QString& file : files)
        numbers.append(file.section(QStringLiteral(" - "), 0, 0));
    numbers.sort(Qt::CaseInsensitive);
    std::sort(numbers.begin(), numbers.end(),
              [](const QString& a, const QString& b) { return a.toInt() < b.toInt(); });
    EXPECT_EQ(numbers.front(), QStringLiteral("1"));
    EXPECT_EQ(numbers.back(), QStringLiteral("16"));
    EXPECT_TRUE(files.contains(QStringLiteral("1 - Layout.png"))) << files.join(u',').toStdString();
}

} // namespace
