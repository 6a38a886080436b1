#include "SettingsTestSupport.h"

#include <QAbstractItemModel>

namespace {

// The program's own application object comes first, whichever test of this program runs first: the
// views' tests take any application, the settings window needs this one.
class ApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override { testApplication<ZRHotKeyHandlerApplication>(); }
};

const auto* const applicationEnvironment = ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

} // namespace

void SettingsTest::SetUp() {
    testApplication<ZRHotKeyHandlerApplication>();
    DesktopTest::SetUp();
    desktop.addScreen(Rect(0, 0, 1440, 900), Rect(0, 0, 1440, 875));
    if (launchesOnSetUp)
        launch();
}

void SettingsTest::launch() {
    if (!seedsPalette && !defaults().hasValue(QStringLiteral("Palette")))
        set(QStringLiteral("Palette"), QVariantMap());
    ZRMainController& controller = this->controller();
    controller.actions().setBeepHandler([this] { ++beeps; });
    auto area = std::make_unique<ZRSettingsController>(program->settingsContext());
    m_settings = area.get();
    auto scripted = std::make_unique<ScriptedPanels>();
    panels = scripted.get();
    m_settings->setPanels(std::move(scripted));
    controller.addArea(std::move(area));
    controller.applicationWillFinishLaunching();
    controller.applicationDidFinishLaunching();
    RunLoop::main().runPending();
}

void SettingsTest::TearDown() {
    program.reset();
    DesktopTest::TearDown();
}

std::shared_ptr<ZRAction> SettingsTest::namedAction(const QString& name, ZRActionType type) {
    auto action = ZRAction::actionWithType(type);
    action->setName(name);
    return action;
}

std::vector<std::shared_ptr<ZRAction>> SettingsTest::addActions(const QStringList& names) {
    std::vector<std::shared_ptr<ZRAction>> actions;
    for (const QString& name : names)
        actions.push_back(namedAction(name));
    sidebar().addActions(actions, nullptr, std::nullopt, false);
    return actions;
}

std::shared_ptr<ZRAction> SettingsTest::addFolder(const QString& name, const QStringList& members,
                                                  bool expanded) {
    auto folder = namedAction(name, ZRActionTypeFolder);
    std::vector<std::shared_ptr<ZRAction>> children;
    for (const QString& member : members)
        children.push_back(namedAction(member));
    folder->setChildren(children);
    folder->setExpanded(expanded);
    sidebar().addActions({folder}, nullptr, std::nullopt, false);
    return folder;
}

QStringList SettingsTest::rows() const {
    QStringList titles;
    const QAbstractItemModel* model = sourceList().model();
    for (QModelIndex index = model->index(0, 0); index.isValid(); index = sourceList().indexBelow(index)) {
        int depth = 0;
        for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent())
            ++depth;
        titles.append(QString(depth * 2, u' ') + index.data().toString());
    }
    return titles;
}

QStringList SettingsTest::selectedTitles() const {
    QStringList titles;
    for (const auto& item : sidebar().selectedSourceListItemsWithFirstSelectedRow(nullptr))
        titles.append(sidebar().objectValueForItem(*item));
    return titles;
}

QModelIndex SettingsTest::indexOf(const QString& title) const {
    const QAbstractItemModel* model = sourceList().model();
    const QModelIndexList found =
        model->match(model->index(0, 0), Qt::DisplayRole, title, 1, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? QModelIndex() : found.front();
}

ZRSourceListItemRef SettingsTest::row(const QString& title) const {
    return sidebar().model().itemRefForIndex(indexOf(title));
}

QStringList SettingsTest::storeTitles() const {
    QStringList titles;
    const auto add = [&titles](const auto& self, const std::vector<std::shared_ptr<ZRAction>>& actions,
                               int depth) -> void {
        for (const auto& action : actions) {
            titles.append(QString(depth * 2, u' ') + action->displayNameWithSuffixes());
            self(self, action->children(), depth + 1);
        }
    };
    add(add, settings().store().topLevelActions(), 0);
    return titles;
}

void SettingsTest::select(const QStringList& titles) {
    ZRSourceListItems items;
    for (const QString& title : titles)
        items.push_back(row(title));
    sidebar().selectSourceListItems(items);
}

void SettingsTest::saveScreenshot(const QImage& image, const QString& name) {
    const QDir folder(QStringLiteral(SKAF_SCREENSHOT_DIR));
    QDir().mkpath(folder.path());
    EXPECT_TRUE(image.save(folder.filePath(name + QStringLiteral(".png")))) << name.toStdString();
}
