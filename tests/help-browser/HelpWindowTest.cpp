#include "HelpTestSupport.h"
#include "WidgetTestSupport.h"

#include "help-browser/BrowserView.h"
#include "help-browser/ZRBrowserWindow.h"
#include "help-browser/ZRBrowserWindowSearchFieldEditor.h"
#include "help-browser/ZRHelpAlerts.h"
#include "help-browser/ZRHelpManager.h"
#include "help-browser/ZRHelpManagerHeaderView.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "toolkit/ZRFindBar.h"
#include "toolkit/ZRFindPasteboard.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>

namespace {

// Answers the alerts in order and keeps what they said.
class ScriptedAlerts : public ZRHelpAlerts {
public:
    explicit ScriptedAlerts(QStringList& said, std::vector<int>& answers)
        : m_said(said), m_answers(answers) {}
    int runModal(QWidget*, const QString& message, const QString& informativeText,
                 const QStringList&) override {
        m_said << message + " / " + informativeText;
        if (m_answers.empty())
            return 0;
        const int answer = m_answers.front();
        m_answers.erase(m_answers.begin());
        return answer;
    }

private:
    QStringList& m_said;
    std::vector<int>& m_answers;
};

class HelpWindowTest : public WidgetTest {
protected:
    HelpWindowTest() {
        fixture.writeStandardBook();
        DispatchQueue::setManualForTesting(true);
        manager = std::make_unique<ZRHelpManager>(fixture.book(), fixture.context());
        manager->setBeepHandler([this] { ++beeps; });
        manager->setURLOpener([this](const QUrl& url) {
            opened << url.toString();
            return true;
        });
        manager->setAlerts(std::make_unique<ScriptedAlerts>(alertsSaid, alertAnswers));
    }
    ~HelpWindowTest() override {
        manager.reset();
        settle();
        DispatchQueue::setManualForTesting(false);
    }

    // Runs the workers' tasks and what they hand back to the main thread.
    void settle() {
        for (int turn = 0; turn < 3; ++turn) {
            DispatchQueue::drainForTesting();
            RunLoop::main().runPending();
        }
    }
    bool open(const QString& pathWithFragment) {
        const bool opened = manager->openPageAtRelativePathWithFragment(pathWithFragment);
        settle();
        return opened;
    }
    void follow(const QString& href) {
        const QUrl page = manager->webView()->url();
        manager->webView()->linkActivated(page.resolved(QUrl(href)));
        settle();
    }
    QString current() const { return manager->currentRelativePath().value_or("(none)"); }
    QTextBrowser* browser() const { return qobject_cast<QTextBrowser*>(manager->webView()->widget()); }
    QStringList stripButtons() const {
        QStringList titles;
        if (manager->quickAccessView())
            for (auto* button : manager->quickAccessView()->findChildren<QToolButton*>())
                titles << button->text();
        return titles;
    }

    HelpBookFixture fixture;
    std::unique_ptr<ZRHelpManager> manager;
    int beeps = 0;
    QStringList opened;
    QStringList alertsSaid;
    std::vector<int> alertAnswers;
};

TEST_F(HelpWindowTest, HelpOpensTheFirstPageAndOnlyRaisesAShownWindow) {
    manager->help();
    settle();
    ASSERT_TRUE(manager->window());
    EXPECT_TRUE(manager->window()->isVisible());
    EXPECT_EQ(manager->window()->windowTitle(), "Skaf Help");
    EXPECT_EQ(current(), "welcome.html");

    ASSERT_TRUE(open("keys.html"));
    manager->help();
    EXPECT_EQ(current(), "keys.html") << "a shown window only comes forward";

    manager->window()->close();
    EXPECT_FALSE(manager->window()->isVisible());
    manager->help();
    settle();
    EXPECT_EQ(current(), "welcome.html");
    EXPECT_TRUE(manager->window()->isVisible());

    EXPECT_FALSE(manager->openPage(QString("missing"), std::nullopt, true));
    EXPECT_EQ(beeps, 1);
}

TEST_F(HelpWindowTest, FragmentsScrollDecodedAndNeverLeadToAnotherFile) {
    for (const QString fragment : {"#%5Bsetup%5Dpermissions", "#[setup]permissions"}) {
        ASSERT_TRUE(open("welcome.html"));
        ASSERT_TRUE(open("setup.html" + fragment)) << fragment.toStdString();
        EXPECT_GT(browser()->verticalScrollBar()->value(), 0) << fragment.toStdString();
    }
    EXPECT_FALSE(manager->openPageAtRelativePath("setup.html", QString("../welcome.html"), {}));
    EXPECT_FALSE(manager->openPageAtRelativePath("../setup.html", std::nullopt, {}));
}

TEST_F(HelpWindowTest, LinksLoadBookPagesInPlaceAndHandTheRestOut) {
    // A file outside the book, and a link to it inside the book.
    fixture.write("outside/secret.html", helpPage("Secret", "1", "secret words"));
    QFile::link(fixture.path("outside/secret.html"), fixture.path("resources/en.lproj/Help/linked.html"));
    ASSERT_TRUE(open("welcome.html"));

    follow("../../../../etc/passwd.html");
    EXPECT_EQ(current(), "welcome.html");
    follow("linked.html");
    EXPECT_EQ(current(), "welcome.html");
    EXPECT_FALSE(browser()->toPlainText().contains("secret"));
    follow("other.pdf");
    EXPECT_EQ(current(), "welcome.html");
    EXPECT_TRUE(opened.isEmpty());

    follow("mailto:help@example.org");
    EXPECT_EQ(opened, QStringList({"mailto:help@example.org"}));
    EXPECT_EQ(current(), "welcome.html") << "the page stays";

    follow("setup.html#%5Bsetup%5Dpermissions");
    EXPECT_EQ(current(), "setup.html");
    EXPECT_TRUE(manager->webView()->canGoBack());

    // Shown as HTML, the page is none of the book's, whatever the browser keeps as its source.
    manager->populateWithHTMLContent(QString("<p>plain</p>"), QUrl(), manager->windowTitle());
    EXPECT_FALSE(manager->currentRelativePath());
}

TEST_F(HelpWindowTest, QuickAccessStripFollowsThePageAndGivesItsHeightBack) {
    ASSERT_TRUE(open("keys.html"));
    manager->window()->resize(640, 480);
    QTest::qWait(0);
    const int fullHeight = manager->webView()->widget()->height();
    EXPECT_FALSE(manager->quickAccessView());

    ASSERT_TRUE(open("welcome.html"));
    QTest::qWait(0);
    EXPECT_EQ(stripButtons(), QStringList({"Setup", "Keys"}));
    EXPECT_EQ(manager->webView()->widget()->height(), fullHeight - ZRHelpManagerHeaderView::Height);
    const auto labels = manager->quickAccessView()->findChildren<QLabel*>();
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels[0]->text(), "Quick Access");

    // Every page's anchors of the category, in order, each name once.
    QStringList keys;
    for (QAction* item : manager->quickAccessView()->findChildren<QToolButton*>()[1]->menu()->actions())
        keys << item->text();
    EXPECT_EQ(keys, QStringList({"Alt Key", "Super Key"}));

    manager->showSearchField(true);
    QTest::qWait(0);
    EXPECT_EQ(manager->webView()->widget()->height(),
              fullHeight - ZRHelpManagerHeaderView::Height - ZRFindBar::Height);
    EXPECT_LT(manager->quickAccessView()->y(), manager->searchContainer()->y()) << "the strip stays on top";

    ASSERT_TRUE(open("setup.html"));
    EXPECT_EQ(stripButtons(), QStringList({"Setup"}));
    manager->quickAccessView()->findChildren<QToolButton*>()[0]->menu()->actions()[0]->trigger();
    settle();
    EXPECT_EQ(current(), "welcome.html");

    ASSERT_TRUE(open("keys.html"));
    manager->showSearchField(false);
    QTest::qWait(0);
    EXPECT_FALSE(manager->quickAccessView());
    EXPECT_EQ(manager->webView()->widget()->height(), fullHeight);
}

TEST_F(HelpWindowTest, FindSuggestsPagesWrapsAndBeepsOnlyWhenTheTextIsAbsent) {
    ASSERT_TRUE(open("keys.html"));
    ASSERT_TRUE(manager->showSearchField(true));
    QLineEdit* field = manager->searchContainer()->searchField();
    field->clear();
    QTest::keyClicks(field, "resiz");
    EXPECT_TRUE(manager->searchFieldEditor()->completions().isEmpty())
        << "the shown page holds the whole query: no suggestions";
    QTest::keyClicks(field, " window");
    EXPECT_EQ(manager->searchFieldEditor()->completions(), QStringList({"Welcome", "Setup", "Hot Keys"}));
    EXPECT_EQ(fixture.findPasteboard.string(), "resiz window");

    manager->selectSearchSuggestion("Setup");
    settle();
    EXPECT_EQ(current(), "setup.html");
    EXPECT_EQ(browser()->textCursor().selectedText().toLower(), "resiz")
        << "the first word is found on the page";

    fixture.findPasteboard.setString("setup page");
    for (int i = 0; i < 70; ++i)
        manager->performTextFinderActionWithTag(ZRBrowserWindowController::NextMatch);
    EXPECT_EQ(beeps, 0) << "past the last match the search wraps";
    manager->performTextFinderActionWithTag(ZRBrowserWindowController::PreviousMatch);
    fixture.findPasteboard.setString("absent text");
    manager->performTextFinderActionWithTag(ZRBrowserWindowController::NextMatch);
    manager->performTextFinderActionWithTag(99);
    EXPECT_EQ(beeps, 2);

    for (int i = 0; i < 20; ++i)
        manager->zoomIn();
    EXPECT_FALSE(manager->webView()->canZoomIn());
    EXPECT_FALSE(manager->validateMenuItem(manager->windowActions()[3]));
    EXPECT_TRUE(manager->validateMenuItem(manager->windowActions()[4]));
}

TEST_F(HelpWindowTest, SettingsLinksAskFirstAndActOnlyFromBookPages) {
    UserDefaults& defaults = fixture.settings;
    const QString link = "x-tallowin-help://default/ZRDebugLog#yes";
    ASSERT_TRUE(open("welcome.html"));

    alertAnswers = {1};
    follow(link);
    ASSERT_EQ(alertsSaid.size(), 1);
    EXPECT_EQ(alertsSaid[0], "Change a Setting? / \"ZRDebugLog\" is set to (No Value). Set it to Yes?");
    EXPECT_FALSE(defaults.hasValue("ZRDebugLog")) << "cancelled: nothing written";

    alertAnswers = {0};
    follow(link);
    EXPECT_EQ(defaults.persistentObject("ZRDebugLog"), QVariant(true));
    follow(link);
    EXPECT_EQ(alertsSaid.last(), "That didn't do anything / \"ZRDebugLog\" was already set to Yes.");

    alertAnswers = {0};
    follow("x-tallowin-help://default/ZRDebugLog#");
    EXPECT_FALSE(defaults.hasValue("ZRDebugLog"));

    const qsizetype asked = alertsSaid.size();
    for (const char* refused : {"x-tallowin-help://default/Custom%20Controls%20(4001)#",
                                "x-tallowin-help://default/ZRVisibleFrameExtraDockSpacing#integer:12abc",
                                "x-tallowin-help://default/ZRDebugLog#%FF"})
        follow(refused);
    EXPECT_EQ(alertsSaid.size(), asked) << "refused links ask nothing";

    manager->populateWithHTMLContent(QString("<a href=\"%1\">x</a>").arg(link), QUrl(),
                                     manager->windowTitle());
    follow(link);
    EXPECT_EQ(alertsSaid.size(), asked) << "links act only from the book's pages";
    EXPECT_FALSE(defaults.hasValue("ZRDebugLog"));
}

TEST_F(HelpWindowTest, ScreenshotsOfTheStripWithTheFindBarOpen) {
    const QString folder = QStringLiteral(SKAF_SCREENSHOT_DIR);
    QDir().mkpath(folder);
    const QPalette light = QApplication::palette();
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(50, 50, 50));
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    dark.setColor(QPalette::Text, Qt::white);
    dark.setColor(QPalette::WindowText, Qt::white);
    dark.setColor(QPalette::ButtonText, Qt::white);
    dark.setColor(QPalette::Button, QColor(60, 60, 60));
    dark.setColor(QPalette::PlaceholderText, QColor(150, 150, 150));
    dark.setColor(QPalette::Link, QColor(110, 170, 255));
    for (const bool isDark : {false, true}) {
        // A window made under the desktop's style, as the program makes it.
        QApplication::setPalette(isDark ? dark : light);
        manager = std::make_unique<ZRHelpManager>(fixture.book(), fixture.context());
        fixture.findPasteboard.setString("resiz");
        ASSERT_TRUE(open("welcome.html"));
        manager->showSearchField(true);
        manager->window()->resize(640, 420);
        QTest::qWait(20);
        const QImage image = manager->window()->grab().toImage();
        EXPECT_TRUE(image.save(folder + (isDark ? "/help-window-dark.png" : "/help-window-light.png")));
        // The find bar's bottom line is drawn in its own colour, light or dark.
        const ZRFindBar* bar = manager->searchContainer();
        const QPoint line = bar->mapTo(manager->window(), QPoint(bar->width() / 2, bar->height() - 1));
        EXPECT_EQ(qGray(image.pixel(line)) < 128, isDark);
    }
    QApplication::setPalette(light);
}

} // namespace
