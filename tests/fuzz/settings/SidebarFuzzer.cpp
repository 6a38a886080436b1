#include "tests/support/TestProgram.h"

#include "actions/ZRActionManager.h"
#include "hotkeys/ZRHotKeyHandlerApplication.h"
#include "platform/Platform.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/sim/SimDesktop.h"
#include "settings/ZRActionCollectionFile.h"
#include "settings/ZRSettingsController.h"
#include "settings/ZRSidebarController.h"
#include "settings/ZRSourceListPasteboard.h"
#include "shell/ZRMainController.h"
#include "toolkit/ZRLog.h"

#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

// Bytes as an exported file, and as both of the sidebar's pasteboard types, into the live sidebar: read,
// imported, dropped, reloaded and cleared again, never a crash.
namespace {

class DiscardingLog : public ZRLogReader {
public:
    void logMessage(const QString&) override {}
    void displayLog(QObject*) override {}
};

QTemporaryDir* folder = nullptr;
ZRSettingsController* settings = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new ZRHotKeyHandlerApplication(*argc, *argv);
    folder = new QTemporaryDir;
    static SimDesktop desktop;
    desktop.addScreen(Rect(0, 0, 1440, 900), Rect(0, 0, 1440, 875));
    Platform::setCurrent(&desktop);
    // The settings live as long as the fuzzing does.
    static UserDefaults defaults(folder->filePath(QStringLiteral("Settings.plist")),
                                 &desktop.systemPreferences());
    RunLoop::main().useManualClock(0);
    ZRSetLogReaderFactory([](const ZRLogReaderSettings&) { return std::make_shared<DiscardingLog>(); });
    // The program's parts live as long as the fuzzing does.
    static TestProgram program(defaults, desktop);
    auto area = std::make_unique<ZRSettingsController>(program.settingsContext());
    settings = area.get();
    ZRMainController& controller = program.controller();
    controller.addArea(std::move(area));
    controller.applicationWillFinishLaunching();
    controller.applicationDidFinishLaunching();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    ZRSidebarController& sidebar = settings->sidebar();

    const QString path = folder->filePath(QStringLiteral("input.skaf"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        std::abort();
    file.close();
    if (const auto dictionary = ZRActionCollectionFile::readWrapperDictionary(path))
        sidebar.importFromWrapperDictionaries({*dictionary});

    QMimeData pasteboard;
    pasteboard.setData(ZRSourceListDictionaryPasteboardType, bytes);
    pasteboard.setData(ZRSourceListIdentifierPasteboardType, bytes);
    if (const auto records = ZRSourceListPasteboard::readRecords(pasteboard);
        records && !records->isEmpty()) {
        const auto count = static_cast<int>(sidebar.sourceListItems().size());
        sidebar.validateDrop(pasteboard, nullptr, count, true);
        sidebar.acceptDrop(pasteboard, nullptr, count, true);
    }
    sidebar.selectAll(nullptr);
    sidebar.reloadSourceListWithSelectedItems(std::nullopt);

    // Back to an empty tree for the next input.
    ZRActionManager::actionManager().populateWithSourceListItems({});
    sidebar.reloadSourceListWithSelectedItems(std::nullopt);
    RunLoop::main().runPending();
    return 0;
}
