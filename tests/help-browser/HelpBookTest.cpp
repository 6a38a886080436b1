#include "HelpTestSupport.h"

#include "help-browser/HelpStrings.h"
#include "help-browser/ZRHelpAnchor.h"
#include "help-browser/ZRHelpLink.h"
#include "help-browser/ZRHelpPageParser.h"

#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

namespace {

TEST(HelpStrings, LanguageFoldersAndTheFolderFound) {
    EXPECT_EQ(helpLanguageFolders({"de", "fr"}),
              QStringList(
                  {"de.lproj", "German.lproj", "fr.lproj", "French.lproj", "en.lproj", "English.lproj", ""}));
    EXPECT_EQ(helpLanguageFolders({"en"}), QStringList({"en.lproj", "English.lproj", ""}));

    HelpBookFixture fixture;
    const QStringList languages = helpLanguageFolders({"de", "fr"});
    fixture.write("r/Help/page.html", QByteArray("x"));
    EXPECT_EQ(localizedPathToDirectory("Help", fixture.path("r"), languages), fixture.path("r/Help"));
    fixture.write("r/English.lproj/Help/page.html", QByteArray("x"));
    fixture.write("r/French.lproj/Help/page.html", QByteArray("x"));
    EXPECT_EQ(localizedPathToDirectory("Help", fixture.path("r"), languages),
              fixture.path("r/French.lproj/Help"));
    fixture.write("r/de.lproj/Help/page.html", QByteArray("x"));
    EXPECT_EQ(localizedPathToDirectory("Help", fixture.path("r"), languages),
              fixture.path("r/de.lproj/Help"));
    EXPECT_FALSE(localizedPathToDirectory("Help", fixture.path("missing"), languages));
    EXPECT_FALSE(localizedPathToDirectory("", fixture.path("r"), languages));
}

TEST(HelpStrings, ContentBetweenSortStringsAndDisplayValues) {
    EXPECT_EQ(helpManagerContentBetweenPrefix(u"a<TITLE>T</title>b", u"<title>", u"</title>"), "T");
    EXPECT_EQ(helpManagerContentBetweenPrefix(u"abc", u"", u"c"), "ab");
    EXPECT_EQ(helpManagerContentBetweenPrefix(u"abc", u"a", u""), "bc");
    EXPECT_FALSE(helpManagerContentBetweenPrefix(u"abc", u"x", u""));
    EXPECT_FALSE(helpManagerContentBetweenPrefix(u"abc", u"a", u"x"));

    auto punctuation = [](QChar c) { return c.isPunct(); };
    EXPECT_EQ(helpManagerAnchorSortStringByIgnoringCharactersFromSet("Plain Name", punctuation),
              "Plain Name");
    EXPECT_EQ(helpManagerAnchorSortStringByIgnoringCharactersFromSet("Alt / Super, (keys)", punctuation),
              "Alt Super keys");

    EXPECT_EQ(helpManagerDescriptionOrValue(QVariant()), "(No Value)");
    EXPECT_EQ(helpManagerDescriptionOrValue(true), "Yes");
    EXPECT_EQ(helpManagerDescriptionOrValue(false), "No");
    EXPECT_EQ(helpManagerDescriptionOrValue(qint64(12)), "12");

    EXPECT_EQ(wordsFromString(u"A drag-and-drop, x 7 Move3d move MOVE éTé"),
              QStringList({"drag-and-drop", "move", "été"}));
    EXPECT_EQ(helpFoldedString(u"ÉTÉ Ｒｅｓｉｚｅ"), helpFoldedString(u"ete resize"));
}

// Menus list anchors by sort string (digits as numbers, case counted), then the shorter name, then by name.
TEST(HelpAnchor, Order) {
    const auto anchor = [](const QString& name, const QString& sortString) {
        return ZRHelpAnchor{QStringLiteral("page.html"), name, name, sortString, QStringLiteral("keys")};
    };
    const struct {
        const char* rule;
        ZRHelpAnchor first, second;
    } pairs[] = {
        {"sort string", anchor("Zoom", "Grid"), anchor("Grid", "Zoom")},
        {"digits as numbers", anchor("Grid 9", "Grid 9"), anchor("Grid 10", "Grid 10")},
        {"digits as numbers, past 64 bits", anchor("Step 99999999999999999999", "Step 99999999999999999999"),
         anchor("Step 100000000000000000000", "Step 100000000000000000000")},
        {"a sort string before its longer ones", anchor("Keys", "Keys"), anchor("Keys Alt", "Keys Alt")},
        {"upper case first", anchor("Tips And tricks", "Tips And tricks"),
         anchor("Tips and Tricks", "Tips and Tricks")},
        {"equal sort strings: the shorter name", anchor("Hot Keys", "Hot Keys"),
         anchor("Hot, Keys", "Hot Keys")},
        {"equal sort strings and lengths: by name", anchor("Alt.Keys", "Alt Keys"),
         anchor("Alt/Keys", "Alt Keys")},
        {"equal sort strings and lengths: digits in the name as numbers", anchor("A-2 B", "A B"),
         anchor("A-10B", "A B")},
    };
    for (const auto& pair : pairs) {
        SCOPED_TRACE(pair.rule);
        EXPECT_LT(ZRHelpAnchorCompare(pair.first, pair.second), 0);
        EXPECT_GT(ZRHelpAnchorCompare(pair.second, pair.first), 0);
        EXPECT_EQ(ZRHelpAnchorCompare(pair.first, pair.first), 0);
    }
}

TEST(HelpPageParser, MarkersTextWordsAndAnchors) {
    const QString html =
        QStringLiteral("<html><head><TITLE>Setup</TITLE><!--com.tallowin.help.index[0042]-->"
                       "<!--com.tallowin.help.quickaccess[setup|keys]--></head><body>before body"
                       "<DIV ID=\"main\" class=\"x\"><p>Hover <b>moves</b> windows</p><!-- hidden comment -->"
                       "<a name=\"[setup]first_steps\"></a><a NAME=\"[keys]tips_and_=L=tricks\"></a>"
                       "<a name=\"mac=U=book\"></a><a name=\"intro_noindex\"></a><a name=\"\"></a>"
                       "<!-- <a name=\"[setup]commented\"></a> --></div></body></html>");
    const ZRHelpParsedPage page = ZRParseHelpPage(html, "setup.html");
    EXPECT_EQ(page.words, QStringList({"hover", "moves", "windows"}));
    EXPECT_FALSE(page.text.contains("before"));
    EXPECT_FALSE(page.text.contains("hidden"));
    EXPECT_EQ(page.title, "Setup");
    EXPECT_EQ(page.index, "0042");
    EXPECT_EQ(page.quickAccessCategories, QStringList({"setup", "keys"}));
    ASSERT_TRUE(page.anchors);
    ASSERT_EQ(page.anchors->size(), 3);
    const ZRHelpAnchor& first = page.anchors->at(0);
    EXPECT_EQ(first.fragment, "[setup]first_steps");
    EXPECT_EQ(first.name, "First Steps");
    EXPECT_EQ(first.category, "setup");
    EXPECT_EQ(first.path, "setup.html");
    EXPECT_EQ(page.anchors->at(1).name, "Tips And tricks");
    EXPECT_EQ(page.anchors->at(1).category, "keys");
    EXPECT_EQ(page.anchors->at(2).name, "MacBook");
    EXPECT_FALSE(page.anchors->at(2).category);

    // The older order marker.
    EXPECT_EQ(ZRParseHelpPage(u"<!-- RGindex: 7 --><div id=\"main\">some words", "p").index, "7");

    struct Case {
        const char* name;
        QString html;
        QStringList words;
        bool hasTitle;
    };
    const Case cases[] = {
        {"no body start: no words, nothing else", "<title>T</title><p>words here</p>", {}, false},
        {"an unterminated comment ends the text",
         "<title>T</title><div id=\"main\">kept <!-- lost",
         {"kept"},
         true},
        {"an unterminated tag ends the text",
         "<title>T</title><div id=\"main\">kept <b lost",
         {"kept"},
         true},
        {"only comments: no words", "<title>T</title><div id=\"main\"><!-- all of it -->", {}, false},
    };
    for (const Case& c : cases) {
        const ZRHelpParsedPage parsed = ZRParseHelpPage(c.html, "p.html");
        EXPECT_EQ(parsed.words, c.words) << c.name;
        EXPECT_EQ(parsed.title.has_value(), c.hasTitle) << c.name;
    }
    // An anchor name without its closing quote ends the anchors, not the program.
    const ZRHelpParsedPage open =
        ZRParseHelpPage(u"<div id=\"main\">text <a name=\"[a]one\"></a><a name=\"[a]two", "p");
    ASSERT_TRUE(open.anchors);
    EXPECT_EQ(open.anchors->size(), 1);
}

TEST(HelpBook, PagesInBookOrderWhateverTheirMarkersOrPaths) {
    HelpBookFixture fixture;
    const QString folder = "resources/en.lproj/Help/";
    fixture.write(folder + "b.html", helpPage("Twelve", "12", "twelve words"));
    fixture.write(folder + "a.html", helpPage("Three", "3", "three words"));
    fixture.write(folder + "huge.html", helpPage("Huge", "123456789012345678901234567890", "huge marker"));
    fixture.write(folder + "sub/z.html", helpPage("Unmarked Z", "", "unmarked words"));
    fixture.write(folder + "sub/y.html", helpPage("Unmarked Y", "", "unmarked words"));
    fixture.write(folder + "tie2.html", helpPage("Tie Two", "5", "tie words"));
    fixture.write(folder + "tie1.html", helpPage("Tie One", "5", "tie words"));
    fixture.write(folder + "a space.html", helpPage("", "4", "spaced words"));
    fixture.write(folder + "notes.txt", QByteArray("not a page"));

    const auto pages = fixture.book()->pageRepresentations();
    QStringList paths;
    for (const auto& page : *pages)
        paths << page.path;
    EXPECT_EQ(paths, QStringList({"a.html", "a%20space.html", "tie1.html", "tie2.html", "b.html",
                                  "sub/y.html", "sub/z.html", "huge.html"}));
    EXPECT_EQ(pages->at(1).title, "a%20space.html") << "an empty title falls back to the path";
    EXPECT_TRUE(pages->at(5).index.startsWith("9223372036854775807."));
}

TEST(HelpBook, TheUsersCopyOverridesAndLargePagesStayUnread) {
    HelpBookFixture fixture;
    LogRecording log;
    fixture.write("resources/en.lproj/Help/shipped.html", helpPage("Shipped", "1", "shipped words"));
    EXPECT_EQ(fixture.book()->pageURLsByRelativePath().keys(), QStringList({"shipped.html"}));

    fixture.write("data/Help/en.lproj/Help/own.html", helpPage("Own", "1", "own words"));
    fixture.write("data/Help/en.lproj/Help/big.html",
                  helpPage("Big", "2", QString(int(ZRHelpBook::MaximumPageBytes), u'w')));
    const auto book = fixture.book();
    EXPECT_EQ(book->pageURLsByRelativePath().keys(), QStringList({"big.html", "own.html"}));
    const auto pages = book->pageRepresentations();
    ASSERT_EQ(pages->size(), 2u);
    EXPECT_EQ(pages->at(1).path, "big.html");
    EXPECT_TRUE(pages->at(1).words.isEmpty());
    EXPECT_TRUE(log.reader->contains("help page over 4 MiB left unread"));

    QString text;
    std::optional<QString> title;
    EXPECT_EQ(book->wordsFromRelativePath("own.html", &text, &title, nullptr, nullptr, nullptr),
              QStringList({"own", "words"}));
    EXPECT_EQ(title, "Own");
    EXPECT_TRUE(
        book->wordsFromRelativePath("missing.html", &text, &title, nullptr, nullptr, nullptr).isEmpty());
    EXPECT_FALSE(title);
}

TEST(HelpBook, SearchFindsPagesHoldingEveryWordInBookOrder) {
    HelpBookFixture fixture;
    const QString folder = "resources/en.lproj/Help/";
    fixture.write(folder + "one.html", helpPage("One", "1", "Resizing a window by its edges"));
    fixture.write(folder + "two.html", helpPage("Two", "2", "Windows move; nothing else"));
    fixture.write(folder + "three.html", helpPage("Three", "3", "Ｗｉｎｄｏｗ résizé"));
    const auto book = fixture.book();
    auto titles = [&](const QString& query, int limit, std::optional<QString> abort) {
        QStringList result;
        for (const auto& item : book->itemsWithSearchString(query, limit, abort))
            result << item.title;
        return result;
    };
    EXPECT_EQ(titles("window resiz", 0, {}), QStringList({"One", "Three"}));
    EXPECT_EQ(titles("window resize", 0, {}), QStringList({"Three"})) << "resize is not inside resizing";
    EXPECT_EQ(titles("resiz", 0, {}), QStringList({"One", "Three"}));
    EXPECT_EQ(titles("WINDOW", 1, {}), QStringList({"One"}));
    EXPECT_EQ(titles("a 7", 0, {}), QStringList()) << "no words in the query";
    EXPECT_EQ(titles("window", 0, QString("two.html")), QStringList()) << "the shown page says it already";
    EXPECT_EQ(titles("resiz window", 0, QString("one.html")), QStringList({"One", "Three"}))
        << "the shown page lacks the whole query";
    const auto items = book->itemsWithSearchString("edges", 0, {});
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].path, "one.html");
    EXPECT_EQ(items[0].words, QStringList({"edges"}));
}

TEST(HelpLink, OnlyAllowedSettingsWithValuesOfTheirType) {
    struct Case {
        const char* link;
        bool accepted;
        QVariant value;
    };
    const Case cases[] = {
        {"x-tallowin-help://default/ZRDebugLog#yes", true, true},
        {"x-tallowin-help://default/ZRDebugLog#FALSE", true, false},
        {"x-tallowin-help://default/ZRDebugLog", true, QVariant()},
        {"x-tallowin-help://default/ZRDebugLog#", true, QVariant()},
        {"x-tallowin-help://default/ZRVisibleFrameExtraDockSpacing#integer:12", true, qint64(12)},
        {"x-tallowin-help://default/Mouse%20Controls%20Delay#double:0.5", true, 0.5},
        {"x-tallowin-help://default/Custom%20Controls%20(4001)#", false, {}},
        {"x-tallowin-help://default/Some%20Key#yes", false, {}},
        {"x-tallowin-help://default/#yes", false, {}},
        {"x-tallowin-help://default/ZRVisibleFrameExtraDockSpacing#integer:12abc", false, {}},
        {"x-tallowin-help://default/ZRVisibleFrameExtraDockSpacing#integer:99999999999999999999", false, {}},
        {"x-tallowin-help://default/ZRVisibleFrameExtraDockSpacing#integer:-1", false, {}},
        {"x-tallowin-help://default/ZRVisibleFrameExtraDockSpacing#yes", false, {}},
        {"x-tallowin-help://default/Mouse%20Controls%20Delay#double:nan", false, {}},
        {"x-tallowin-help://default/Mouse%20Controls%20Delay#double:inf", false, {}},
        {"x-tallowin-help://default/Mouse%20Controls%20Delay#integer:1", false, {}},
        {"x-tallowin-help://default/ZRDebugLog#some%20text", false, {}},
        {"x-tallowin-help://default/ZRDebug%4Log#yes", false, {}},
        {"x-tallowin-help://default/ZRDebugLog%00#yes", false, {}},
        {"x-tallowin-help://default/ZRDebugLog#%FFyes", false, {}},
        {"x-tallowin-help://default/ZRDebugLog#ye%", false, {}},
        {"https://default/ZRDebugLog#yes", false, {}},
    };
    for (const Case& c : cases) {
        const auto link = ZRHelpLink::parse(c.link);
        ASSERT_EQ(link.has_value(), c.accepted) << c.link;
        if (!link)
            continue;
        EXPECT_EQ(link->kind, ZRHelpLink::Kind::Default);
        EXPECT_EQ(link->value, c.value) << c.link;
        EXPECT_EQ(link->value.typeId(), c.value.typeId()) << c.link;
    }
    const auto message = ZRHelpLink::parse("x-tallowin-help://message/open%20settings");
    ASSERT_TRUE(message);
    EXPECT_EQ(message->kind, ZRHelpLink::Kind::Message);
    EXPECT_EQ(message->message, "open%20settings");
}

} // namespace

namespace {

// The book the program ships, without any copy of the user's.
std::shared_ptr<ZRHelpBook> shippedBook() {
    ZRHelpBook::Location location = ZRHelpBook::standardLocation();
    location.userFolder.clear();
    return std::make_shared<ZRHelpBook>(location);
}

TEST(ShippedHelpBook, PagesAreOrderedAndEveryLinkAndAnchorResolves) {
    const auto book = shippedBook();
    const auto pages = book->pageRepresentations();
    ASSERT_GE(pages->size(), 16u);
    EXPECT_EQ(pages->front().path, "welcome.html");
    QSet<QString> indexes;
    QMap<QString, QSet<QString>> anchorsByPage;
    for (const auto& page : *pages) {
        EXPECT_FALSE(page.index.startsWith("9223372036854775807"))
            << page.path.toStdString() << " has no marker";
        EXPECT_FALSE(indexes.contains(page.index)) << page.path.toStdString() << " repeats a marker";
        indexes.insert(page.index);
        EXPECT_NE(page.title, page.path) << page.path.toStdString() << " has no title";
        EXPECT_GT(page.words.size(), 40) << page.path.toStdString();
        for (const auto& anchor : page.anchors) {
            EXPECT_TRUE(anchor.category) << anchor.fragment.toStdString() << " names no category";
            anchorsByPage[page.path].insert(anchor.fragment);
        }
    }

    const QRegularExpression href(QStringLiteral("href=\"([^\"]*)\""));
    const QMap<QString, QUrl> table = book->pageURLsByRelativePath();
    int settingsLinks = 0;
    for (auto it = table.begin(); it != table.end(); ++it) {
        QFile file(QStringLiteral(":") + it.value().path());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << it.key().toStdString();
        const QString html = QString::fromUtf8(file.readAll());
        for (const auto& match : href.globalMatch(html)) {
            const QString link = match.captured(1);
            const std::string where = it.key().toStdString() + ": " + link.toStdString();
            const QUrl url = it.value().resolved(QUrl(link));
            if (url.scheme() == QStringView(ZRHelpLink::Scheme)) {
                const auto parsed = ZRHelpLink::parse(url.toString(QUrl::FullyEncoded));
                ASSERT_TRUE(parsed) << where;
                EXPECT_EQ(parsed->kind, ZRHelpLink::Kind::Default) << where;
                ++settingsLinks;
                continue;
            }
            const auto target = book->relativePathForURL(url);
            ASSERT_TRUE(target) << where;
            EXPECT_TRUE(book->containsFileURL(url)) << where;
            if (url.hasFragment()) {
                EXPECT_TRUE(anchorsByPage[*target].contains(url.fragment(QUrl::FullyDecoded))) << where;
            }
        }
    }
    EXPECT_GT(settingsLinks, 5);
}

} // namespace
