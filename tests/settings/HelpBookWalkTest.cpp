// The help book against the program: every menu item, pane, control, settings key and log line that a page
// names must be found in the real menus, the real settings window and log window, or the program's sources.
#include "LogReaderTestSupport.h"
#include "SettingsTestSupport.h"

#include "log-reader/ILRLogWindow.h"
#include "mouse-control/ZRSystemWindowSettings.h"
#include "platform/SystemPreferences.h"
#include "settings/ZRSourceListAddButton.h"
#include "window-access/WindowDescription.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QTextDocumentFragment>
#include <QToolButton>
#include <set>

namespace {

const QString BookFolder = QStringLiteral(":/help/en.lproj/Help");
// The program's own code: the folders that build it, not its tests.
const QStringList ProgramFolders = {"actions",    "app",           "help-browser", "keyboard-control",
                                    "log-reader", "mouse-control", "platform",     "settings",
                                    "shell",      "toolkit",       "window-access"};
const QString MenuPathSeparator = QStringLiteral(" \u25B8 ");
// Stands for a marked name while the quotes of a page are checked: a character of no text.
constexpr QChar MarkPlaceholder = u'\uE000';

// What a page names, by the kind its markup gives it.
struct Named {
    QString kind;
    QString text;
};

struct PageReading {
    std::vector<Named> named;
    // Texts in double quotes that carry no mark: a name the walk could not check.
    QStringList unmarkedQuotes;
};

QString plain(const QString& html) {
    return QTextDocumentFragment::fromHtml(html).toPlainText().simplified();
}

// The text of markup without its tags, its entities read.
QString withoutTags(QString html) {
    html.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
    const std::pair<const char*, const char*> entities[] = {{"&lt;", "<"},  {"&gt;", ">"},   {"&quot;", "\""},
                                                            {"&#39;", "'"}, {"&nbsp;", " "}, {"&amp;", "&"}};
    for (const auto& [entity, character] : entities)
        html.replace(QLatin1String(entity), QLatin1String(character));
    return html;
}

PageReading readPage(const QString& html) {
    PageReading reading;
    QString body = html.mid(std::max<qsizetype>(0, html.indexOf(QStringLiteral("<body"))));
    body.remove(
        QRegularExpression(QStringLiteral("<!--.*?-->"), QRegularExpression::DotMatchesEverythingOption));
    static const QRegularExpression mark(QStringLiteral("<span class=\"(\\w+)\">(.*?)</span>"),
                                         QRegularExpression::DotMatchesEverythingOption);
    for (const auto& match : mark.globalMatch(body))
        reading.named.push_back({match.captured(1), plain(match.captured(2))});
    body.replace(mark, QString(MarkPlaceholder));
    // Tags go first, so that the quotes of their attributes do not count.
    const QString text = withoutTags(body);
    static const QRegularExpression quoted(QStringLiteral("\"([^\"]*)\""));
    for (const auto& match : quoted.globalMatch(text))
        if (match.captured(1) != QString(MarkPlaceholder))
            reading.unmarkedQuotes.append(match.captured(1).simplified());
    return reading;
}

QString itemTitle(const QAction* item) {
    QString title = item->text();
    title.remove(u'&');
    // Cheat-sheet rows carry their keys after a tab.
    return title.section(u'\t', 0, 0).trimmed();
}

// Whether the items hold the path, its first title among them.
bool holdsPath(const QList<QAction*>& items, const QStringList& path) {
    for (const QAction* item : items) {
        if (itemTitle(item) != path.front())
            continue;
        if (path.size() == 1)
            return true;
        if (item->menu() && holdsPath(item->menu()->actions(), path.mid(1)))
            return true;
    }
    return false;
}

// Whether the path starts anywhere in the menu tree.
bool holdsPathAnywhere(const QList<QAction*>& items, const QStringList& path) {
    if (holdsPath(items, path))
        return true;
    for (const QAction* item : items)
        if (item->menu() && holdsPathAnywhere(item->menu()->actions(), path))
            return true;
    return false;
}

// What the program offers to be named: filled from its real windows and menus by the test.
struct Program {
    std::set<QString> panes;
    std::set<QString> controls;
    std::vector<QList<QAction*>> menus;
    QStringList literals;

    void addControls(const QWidget* root) {
        QList<const QWidget*> widgets{root};
        for (const QWidget* child : root->findChildren<QWidget*>())
            widgets.append(child);
        for (const QWidget* widget : widgets) {
            if (!widget->toolTip().isEmpty())
                controls.insert(widget->toolTip());
            if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
                controls.insert(QString(button->text()).remove(u'&'));
            else if (const auto* label = qobject_cast<const QLabel*>(widget))
                controls.insert(label->text());
            else if (const auto* popUp = qobject_cast<const QComboBox*>(widget))
                for (int i = 0; i < popUp->count(); ++i)
                    controls.insert(popUp->itemText(i));
        }
    }

    // Every string literal of the program's sources: settings keys are written once, next to their code.
    void readSources(const QString& root) {
        static const QRegularExpression literal(QStringLiteral("\"((?:[^\"\\\\\\n]|\\\\.)*)\""));
        for (const QString& folder : ProgramFolders) {
            QDirIterator files(root + u'/' + folder, {QStringLiteral("*.cpp"), QStringLiteral("*.h")},
                               QDir::Files, QDirIterator::Subdirectories);
            while (files.hasNext()) {
                QFile file(files.next());
                if (!file.open(QIODevice::ReadOnly))
                    continue;
                const QString code = QString::fromUtf8(file.readAll());
                for (const auto& match : literal.globalMatch(code))
                    literals.append(match.captured(1));
            }
        }
    }

    bool hasLiteralHolding(const QString& text, bool whole) const {
        return std::any_of(literals.begin(), literals.end(), [&](const QString& literal) {
            return whole ? literal == text : literal.contains(text);
        });
    }

    // Why the program lacks what is named; empty when it has it.
    QString lack(const Named& named) const {
        if (named.kind == QLatin1String("menu")) {
            const QStringList path = named.text.split(MenuPathSeparator);
            for (const auto& items : menus)
                if (holdsPathAnywhere(items, path))
                    return {};
            return QStringLiteral("no menu item");
        }
        if (named.kind == QLatin1String("pane"))
            return panes.count(named.text) ? QString() : QStringLiteral("no pane");
        if (named.kind == QLatin1String("control"))
            return controls.count(named.text) ? QString() : QStringLiteral("no control");
        if (named.kind == QLatin1String("setting"))
            return hasLiteralHolding(named.text, true) ? QString() : QStringLiteral("no settings key");
        if (named.kind == QLatin1String("log"))
            return hasLiteralHolding(named.text, false) ? QString() : QStringLiteral("no log line");
        if (named.kind == QLatin1String("outside"))
            return {};
        return QStringLiteral("an unknown kind of mark \"%1\"").arg(named.kind);
    }

    // Every fault of a page: names the program lacks, and quoted names the walk cannot check.
    QStringList faults(const QString& html) const {
        const PageReading reading = readPage(html);
        QStringList found;
        for (const Named& named : reading.named)
            if (const QString why = lack(named); !why.isEmpty())
                found.append(QStringLiteral("%1: %2 \"%3\"").arg(why, named.kind, named.text));
        for (const QString& quote : reading.unmarkedQuotes)
            found.append(QStringLiteral("unmarked quote \"%1\"").arg(quote));
        return found;
    }
};

class HelpBookWalkTest : public SettingsTest {
protected:
    void SetUp() override {
        SettingsTest::SetUp();
        program.readSources(QStringLiteral(SKAF_SOURCE_DIR));
    }
    void TearDown() override {
        logReader.reset();
        DispatchQueue::drainForTesting();
        DispatchQueue::setManualForTesting(false);
        SettingsTest::TearDown();
    }

    // The actions whose panes hold every section of controls, a layout with windows among them.
    void addActionsOfEveryKind() {
        std::vector<std::shared_ptr<ZRAction>> actions;
        for (const ZRActionType type :
             {ZRActionTypeMoveAndResize, ZRActionTypeCenter, ZRActionTypeMove, ZRActionTypeMoveToEdgeOrCorner,
              ZRActionTypeMoveToOtherDisplay, ZRActionTypeResize, ZRActionTypeGrow, ZRActionTypeShrink,
              ZRActionTypeUseGrid, ZRActionTypeFolder, ZRActionTypeLayout, ZRActionTypeLayout}) {
            auto action = ZRAction::actionWithType(type);
            action->setName(QStringLiteral("Walk %1").arg(actions.size()));
            actions.push_back(action);
        }
        ZRSnapshot snapshot;
        for (const QString& title : {QStringLiteral("One"), QStringLiteral("Two")})
            snapshot.windowDescriptions.push_back(ZRMakeWindowDescription(
                {QStringLiteral("org.example.editor"), QStringLiteral("Editor"), title, Rect(0, 0, 700, 800),
                 Rect(0, 0, 1440, 900), Rect(0, 0, 1440, 875)}));
        actions.back()->setSnapshot(snapshot);
        sidebar().addActions(actions, nullptr, std::nullopt, false);
        RunLoop::main().runPending();
        walkActions = actions;
    }

    // Selects each action in turn, for the controls of its pane.
    void collectActionPanes() {
        for (const auto& action : walkActions) {
            select({action->displayNameWithSuffixes()});
            RunLoop::main().runPending();
            program.addControls(settings().preferencesWindow());
        }
    }

    void collectMenus() {
        program.menus.push_back(settings().preferencesWindow()->menuBar()->actions());
        statusMenu = std::make_unique<QMenu>();
        settings().controller().menuNeedsUpdate(statusMenu.get());
        program.menus.push_back(statusMenu->actions());
        settings().addButton()->populateAddMenu();
        program.menus.push_back(settings().addButton()->addMenu()->actions());
        contextMenu.reset(settings().controller().sourceListContextMenuForItem(
            row(walkActions.back()->displayNameWithSuffixes()).get()));
        ASSERT_NE(contextMenu, nullptr);
        program.menus.push_back(contextMenu->actions());
    }

    // The log window as the log shows one message.
    void collectLogWindow() {
        DispatchQueue::setManualForTesting(true);
        logReader = ILRIntegratedLogReader::make(
            LogReaderTest::readerContext(desktop, DesktopTest::settings(), findPasteboard),
            ZRLogReaderSettings{QStringLiteral("ZRDebugLog"), {}});
        logReader->setClock([] { return LogReaderTest::ClockBase; });
        desktop.processes().scriptChild(
            SimProcesses::LogToolPath, [](const std::shared_ptr<SimChildProcess>& child) {
                if (child->arguments().front() != "show")
                    return;
                child->write(LogReaderTest::toolAnswer(
                    {LogReaderTest::toolObject(QStringLiteral("a message"), LogReaderTest::ClockBase - 1)}));
                child->exit(0);
            });
        ASSERT_TRUE(logReader->displayLog());
        for (int i = 0; i < 20; ++i) {
            const int ran = DispatchQueue::drainForTesting();
            RunLoop::main().runPending();
            if (ran == 0 && DispatchQueue::drainForTesting() == 0)
                break;
        }
        ILRLogWindow* window = logReader->window();
        ASSERT_NE(window, nullptr);
        program.addControls(window);
        if (QMenu* options = window->actionButton()->menu())
            program.menus.push_back(options->actions());
    }

    void collectWindows() {
        addActionsOfEveryKind();
        collectActionPanes();
        program.addControls(settings().preferencesWindow());
        program.addControls(settings().generalSettingsView());
        // The sidebar's rows above the actions.
        for (const QString& title : rows())
            if (!title.isEmpty() && !title.startsWith(u' ') && row(title) && !row(title)->action())
                program.panes.insert(title);
        // The popover that the gear opens counts as a pane.
        program.panes.insert(settings().generalSettingsButton()->toolTip());
        collectMenus();
        collectLogWindow();
    }

    Program program;
    std::vector<std::shared_ptr<ZRAction>> walkActions;
    std::unique_ptr<QMenu> statusMenu;
    std::unique_ptr<QMenu> contextMenu;
    ZRFindPasteboard findPasteboard;
    std::shared_ptr<ILRIntegratedLogReader> logReader;
};

TEST_F(HelpBookWalkTest, EveryPageNamesOnlyWhatTheProgramHas) {
    collectWindows();
    int pages = 0;
    int names = 0;
    QDirIterator files(BookFolder, {QStringLiteral("*.html")}, QDir::Files);
    while (files.hasNext()) {
        QFile file(files.next());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
        const QString html = QString::fromUtf8(file.readAll());
        ++pages;
        names += int(readPage(html).named.size());
        for (const QString& fault : program.faults(html))
            ADD_FAILURE() << QFileInfo(file.fileName()).fileName().toStdString() << ": "
                          << fault.toStdString();
    }
    EXPECT_GE(pages, 16);

    // Pictures of pages as the help window's text view shows them, marked names in bold.
    for (const QString& name :
         {QStringLiteral("setup"), QStringLiteral("palette"), QStringLiteral("drop-zones")}) {
        QTextBrowser view;
        view.setSearchPaths({BookFolder});
        view.setSource(QUrl(QStringLiteral("qrc") + BookFolder + u'/' + name + QStringLiteral(".html")));
        view.resize(720, 900);
        saveScreenshot(view.grab().toImage(), QStringLiteral("help-page-") + name);
    }
    EXPECT_GT(names, 100) << "the pages mark what they name";
}

// The walk has teeth: what the program lacks, or a quote it cannot check, is found.
TEST_F(HelpBookWalkTest, WhatTheProgramLacksIsFound) {
    collectWindows();
    struct Case {
        const char* html;
        int faults;
    };
    const Case cases[] = {
        {R"(<body><p>Choose <span class="menu">File ▸ Import...</span> in the <span class="pane">Snap</span> pane.</p>)",
         0},
        {R"(<body><p>Choose <span class="menu">Show Log</span> from the status icon's menu.</p>)", 1},
        {R"(<body><p><span class="menu">Help ▸ Import...</span> is in another menu.</p>)", 1},
        {R"(<body><p>The <span class="pane">Layouts</span> pane.</p>)", 1},
        {R"(<body><p>Turn on <span class="control">Launch apps</span> or <span class="control">Show Log...</span>.</p>)",
         1},
        {R"(<body><p>"<span class="setting">Snap Delay</span>" and "<span class="setting">Snap Speed</span>".</p>)",
         1},
        {R"(<body><p>The log says "<span class="log">cannot import from URLs:</span>" or "<span class="log">cannot fly</span>".</p>)",
         1},
        {R"(<body><p>Choose "Hold Command" and <a href="x.html">"also quoted"</a>, but not <a href="y.html">this</a>.</p>)",
         2},
        {R"(<body><p>"<span class="outside">Switch desktop on edge</span>" is KDE's; <span class="odd">x</span>.</p>)",
         1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(program.faults(QString::fromUtf8(c.html)).size(), c.faults)
            << c.html << "\n"
            << program.faults(QString::fromUtf8(c.html)).join(u'\n').toStdString();
}

// What a user of an X11 desktop reads, from the settings window, its menus, the log window and the help book,
// names nothing of another platform: no zoom button, no Command or Option key, no points, no glyphs of keys.
class LinuxWordsTest : public HelpBookWalkTest {
protected:
    LinuxWordsTest() { launchesOnSetUp = false; }
    void SetUp() override {
        HelpBookWalkTest::SetUp();
        desktop.systemPreferences().setOffersStageManager(false);
        desktop.systemPreferences().setOffersWindowDrawers(false);
        desktop.systemPreferences().setOffersZoomButtonMenuOption(false);
        desktop.inputState().setReportsFunctionModifier(false);
        launch();
    }

    static void addTitles(const QList<QAction*>& items, QStringList& texts) {
        for (const QAction* item : items) {
            texts.append(item->text().remove(u'&'));
            if (item->menu())
                addTitles(item->menu()->actions(), texts);
        }
    }
};

TEST_F(LinuxWordsTest, NoTextNamesWhatAnotherPlatformCallsItsOwn) {
    collectWindows();
    QStringList texts(program.controls.begin(), program.controls.end());
    for (const auto& items : program.menus)
        addTitles(items, texts);
    ASSERT_GT(texts.size(), 200);
    QDirIterator files(BookFolder, {QStringLiteral("*.html")}, QDir::Files);
    while (files.hasNext()) {
        QFile file(files.next());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        // Stored names in code marks are kept as files hold them.
        texts.append(plain(QString::fromUtf8(file.readAll())
                               .remove(QRegularExpression(QStringLiteral("<code>.*?</code>")))));
    }

    static const QRegularExpression foreign(QStringLiteral(
        R"(Zoom|macOS|\bMac\b|Finder|\bDock\b|Stage Manager|[Dd]rawer|Mission Control|System Preferences|)"
        R"(\b(Command|Option|Fn|Cmd|pt|points|apps?)\b|[\x{2318}\x{2325}\x{2303}\x{21E7}])"));
    ASSERT_TRUE(foreign.isValid());
    for (const QString& text : texts) {
        if (const QRegularExpressionMatch match = foreign.match(text); match.hasMatch()) {
            ADD_FAILURE() << "\"" << match.captured(0).toStdString()
                          << "\" in: " << text.left(200).toStdString();
        }
    }
}

} // namespace
