#include "actions/ZRAction.h"
#include "actions/ZRActionManager.h"
#include "platform/Platform.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/sim/SimDesktop.h"
#include "toolkit/ZRLog.h"

#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

namespace {

// The run's settings, made once at start.
UserDefaults* runSettings = nullptr;

class DiscardingLog : public ZRLogReader {
public:
    void logMessage(const QString&) override {}
    void displayLog(QObject*) override {}
};

// Action records as the settings file, an exported file or the pasteboard may hold them: an array of
// records, a file's dictionary around one, or a single record.
QVariantList recordsOf(const QVariant& value) {
    if (value.typeId() == QMetaType::QVariantList)
        return value.toList();
    if (value.typeId() != QMetaType::QVariantMap)
        return {};
    const QVariantMap map = value.toMap();
    const QVariant collection = map.value(QString::fromUtf16(ZRCustomControlsUserDefaultName));
    if (collection.typeId() == QMetaType::QVariantList)
        return collection.toList();
    return {map};
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QGuiApplication(*argc, *argv);
    static QTemporaryDir folder;
    static UserDefaults settings(folder.filePath(QStringLiteral("Settings.plist")));
    runSettings = &settings;
    RunLoop::main().useManualClock(0);
    static SimDesktop desktop;
    Platform::setCurrent(&desktop);
    // The hot keys of the records are read and registered as the program's store has them.
    static ZRActionManager store(settings, desktop.globalHotKeys(), RunLoop::main(),
                                 NotificationCenter::defaultCenter());
    static const ZRActionManager::Installation installed(store);
    ZRSetLogReaderFactory([](const ZRLogReaderSettings&) { return std::make_shared<DiscardingLog>(); });
    return 0;
}

// Any bytes give actions or none, never a crash; every action writes a record that can be saved and
// that reads back as the same action.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto read =
        PropertyList::fromData(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!read.ok())
        return 0;
    for (const auto& action : ZRAction::actionsFromCollection(recordsOf(read.value), true)) {
        const QVariantMap record = action->dictionaryRepresentation();
        if (!PropertyList::isValid(record))
            std::abort();
        const auto copy = ZRAction::actionWithDictionaryRepresentation(record, true);
        if (!copy || copy->dictionaryRepresentation() != record)
            std::abort();
        action->displayNameWithSuffixes();
        action->filename();
        action->snapChildren();
        action->extractedMoveAndResizeActions(*runSettings);
        action->strongReferenceTemplateIconWithSize({23, 16});
    }
    RunLoop::main().runPending();
    return 0;
}
