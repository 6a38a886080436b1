#include "platform/foundation/UserDefaults.h"
#include "TestApplication.h"

#include "platform/PlatformLog.h"
#include "platform/SystemPreferences.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/PreferencesFileStore.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RunLoop.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPoint>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <latch>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The desktop's preferences as the real backends keep them: files in a folder.
class FilePreferences : public SystemPreferences {
public:
    explicit FilePreferences(const QString& folder) : store(folder) {}
    QVariant value(const QString& domain, const QString& key) const override {
        return store.value(domain, key);
    }
    bool setValue(const QString& domain, const QString& key, const QVariant& value) override {
        return store.setValue(domain, key, value);
    }
    bool removeValue(const QString& domain, const QString& key) override {
        return store.removeValue(domain, key);
    }
    bool offersEdgeTiling() const override { return false; }
    bool offersZoomButtonMenuOption() const override { return false; }
    bool offersStageManager() const override { return false; }
    bool offersWindowDrawers() const override { return false; }
    QString preferencesToolPath() const override { return {}; }

    PreferencesFileStore store;
};

class UserDefaultsTest : public ::testing::Test {
protected:
    // Preferences files are looked at anew once per turn of the event loop.
    static void nextTurn() { QCoreApplication::processEvents(); }

    void SetUp() override {
        RunLoop::main().useManualClock();
        setPlatformLogSink([this](const QString& line) { logged.append(line); });
    }
    void TearDown() override {
        setPlatformLogSink({});
        AtomicFileTesting::failNextWriteAt(AtomicFileTesting::FailAt::Nothing);
    }

    QString settingsPath() const { return folder.filePath(QStringLiteral("Skaf/Settings.plist")); }
    QStringList filesInSettingsFolder() const {
        return QDir(folder.filePath(QStringLiteral("Skaf"))).entryList(QDir::Files | QDir::Hidden);
    }
    static QByteArray contents(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void writeRaw(const QByteArray& bytes) const {
        QDir().mkpath(folder.filePath(QStringLiteral("Skaf")));
        QFile file(settingsPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    bool loggedLineContaining(const QString& text) const {
        return std::any_of(logged.begin(), logged.end(),
                           [&](const QString& line) { return line.contains(text); });
    }

    QTemporaryDir folder;
    QStringList logged;
};

TEST_F(UserDefaultsTest, NoValueIsToldApartFromNoAndZero) {
    UserDefaults defaults(settingsPath());
    EXPECT_EQ(defaults.load(), UserDefaults::LoadResult::NoFile);
    defaults.registerDefaults(
        {{QStringLiteral("Registered NO"), false}, {QStringLiteral("Registered 0"), 0}});
    defaults.setBool(false, QStringLiteral("Stored NO"));
    defaults.setInteger(0, QStringLiteral("Stored 0"));

    for (const char* key : {"Registered NO", "Registered 0", "Stored NO", "Stored 0"}) {
        SCOPED_TRACE(key);
        EXPECT_TRUE(defaults.hasValue(QString::fromLatin1(key)));
        EXPECT_EQ(defaults.optionalBool(QString::fromLatin1(key)), std::optional<bool>(false));
        EXPECT_EQ(defaults.optionalInteger(QString::fromLatin1(key)), std::optional<qint64>(0));
    }
    EXPECT_FALSE(defaults.hasValue(QStringLiteral("Absent")));
    EXPECT_EQ(defaults.optionalBool(QStringLiteral("Absent")), std::nullopt);
    EXPECT_EQ(defaults.optionalDouble(QStringLiteral("Absent")), std::nullopt);
    EXPECT_FALSE(defaults.boolForKey(QStringLiteral("Absent")));
}

// The coercions themselves are the property-list readers' and tested there; here, that the typed reads
// use them, and that a value of the wrong kind reads as none.
TEST_F(UserDefaultsTest, TypedReadsCoerceLikeTheSettingsStore) {
    UserDefaults defaults(settingsPath());
    defaults.registerDefaults({{QStringLiteral("text YES"), QStringLiteral("YES")},
                               {QStringLiteral("text 2.5"), QStringLiteral("2.5")},
                               {QStringLiteral("number 3"), 3},
                               {QStringLiteral("words"), QStringLiteral("hello")},
                               {QStringLiteral("list"), QVariantList{1, 2}}});
    EXPECT_TRUE(defaults.boolForKey(QStringLiteral("text YES")));
    EXPECT_EQ(defaults.integerForKey(QStringLiteral("text 2.5")), 2);
    EXPECT_DOUBLE_EQ(defaults.doubleForKey(QStringLiteral("text 2.5")), 2.5);
    EXPECT_EQ(defaults.stringForKey(QStringLiteral("number 3")), QStringLiteral("3"));
    EXPECT_EQ(defaults.optionalInteger(QStringLiteral("words")), std::nullopt);
    EXPECT_EQ(defaults.integerForKey(QStringLiteral("words")), 0);
    EXPECT_EQ(defaults.arrayForKey(QStringLiteral("list")).size(), 2);
    EXPECT_TRUE(defaults.dictionaryForKey(QStringLiteral("list")).isEmpty());
    EXPECT_TRUE(defaults.stringForKey(QStringLiteral("list")).isEmpty());
}

TEST_F(UserDefaultsTest, DomainsAreReadPersistentThenGlobalThenRegistered) {
    FilePreferences preferences(folder.filePath(QStringLiteral("Preferences")));
    const QString key = QStringLiteral("AppleActionOnDoubleClick");
    UserDefaults defaults(settingsPath(), &preferences);
    defaults.registerDefaults({{key, QStringLiteral("registered")}});
    EXPECT_EQ(defaults.stringForKey(key), QStringLiteral("registered"));

    ASSERT_TRUE(preferences.setValue(SystemPreferences::GlobalDomain, key, QStringLiteral("global")));
    EXPECT_EQ(defaults.stringForKey(key), QStringLiteral("global"));

    defaults.setString(QStringLiteral("persistent"), key);
    EXPECT_EQ(defaults.stringForKey(key), QStringLiteral("persistent"));

    defaults.removeObject(key);
    EXPECT_EQ(defaults.stringForKey(key), QStringLiteral("global"));
    EXPECT_FALSE(defaults.persistentObject(key).isValid());
    // The global domain is the desktop's: the store never writes there.
    EXPECT_EQ(defaults.persistentDomain(), QVariantMap());
}

TEST_F(UserDefaultsTest, ChangesAreAnnouncedAndSavedOnceShortlyAfter) {
    UserDefaults defaults(settingsPath());
    QStringList changed;
    const auto connection = defaults.changed.connect([&](const QString& key) { changed.append(key); });

    defaults.setInteger(1, QStringLiteral("a"));
    defaults.setInteger(2, QStringLiteral("b"));
    defaults.setInteger(2, QStringLiteral("b")); // no change, no announcement
    defaults.setObject(QPoint(1, 1), QStringLiteral("c"));
    defaults.registerDefaults({{QStringLiteral("d"), true}});
    EXPECT_EQ(changed, (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("d")}));
    EXPECT_TRUE(loggedLineContaining(QStringLiteral("\"c\"")));
    EXPECT_FALSE(defaults.hasValue(QStringLiteral("c")));

    EXPECT_TRUE(defaults.hasUnsavedChanges());
    EXPECT_FALSE(QFile::exists(settingsPath()));
    RunLoop::main().advance(1);
    EXPECT_FALSE(defaults.hasUnsavedChanges());

    UserDefaults reread(settingsPath());
    EXPECT_EQ(reread.load(), UserDefaults::LoadResult::Loaded);
    const QVariantMap expected{{QStringLiteral("a"), 1}, {QStringLiteral("b"), 2}};
    EXPECT_EQ(reread.persistentDomain(), expected);
    EXPECT_TRUE(reread.registeredDomain().isEmpty());
}

TEST_F(UserDefaultsTest, AFailedSaveKeepsTheOldFileAndTheValuesAndTriesAgain) {
    UserDefaults defaults(settingsPath());
    defaults.setString(QStringLiteral("old"), QStringLiteral("k"));
    ASSERT_TRUE(defaults.save());
    const QByteArray oldFile = contents(settingsPath());

    AtomicFileTesting::failNextWriteAt(AtomicFileTesting::FailAt::Syncing);
    defaults.setString(QStringLiteral("new"), QStringLiteral("k"));
    RunLoop::main().advance(1);
    EXPECT_TRUE(loggedLineContaining(QStringLiteral("cannot save settings")));
    EXPECT_EQ(contents(settingsPath()), oldFile);
    EXPECT_EQ(filesInSettingsFolder(), QStringList{QStringLiteral("Settings.plist")});
    EXPECT_TRUE(defaults.hasUnsavedChanges());
    EXPECT_EQ(defaults.stringForKey(QStringLiteral("k")), QStringLiteral("new"));

    EXPECT_TRUE(defaults.save());
    UserDefaults reread(settingsPath());
    reread.load();
    EXPECT_EQ(reread.stringForKey(QStringLiteral("k")), QStringLiteral("new"));
}

// The file is read up to a size: a save that would pass it fails, says so, and leaves the file as the next
// start reads it.
TEST_F(UserDefaultsTest, NoSaveWritesAFileLargerThanIsRead) {
    UserDefaults defaults(settingsPath());
    defaults.setString(QStringLiteral("small"), QStringLiteral("k"));
    ASSERT_TRUE(defaults.save());
    const QByteArray oldFile = contents(settingsPath());
    EXPECT_EQ(defaults.storedFileBytes(), oldFile.size());
    EXPECT_FALSE(defaults.lastSaveWasTooLarge());

    defaults.setMaximumFileBytes(oldFile.size() + 100);
    defaults.setString(QString(200, u'x'), QStringLiteral("k"));
    EXPECT_FALSE(defaults.save());
    EXPECT_TRUE(defaults.lastSaveWasTooLarge());
    EXPECT_TRUE(loggedLineContaining(QStringLiteral("larger than %1 bytes").arg(oldFile.size() + 100)));
    EXPECT_EQ(contents(settingsPath()), oldFile);
    EXPECT_EQ(filesInSettingsFolder(), QStringList{QStringLiteral("Settings.plist")});

    UserDefaults reread(settingsPath());
    reread.setMaximumFileBytes(oldFile.size() + 100);
    EXPECT_EQ(reread.load(), UserDefaults::LoadResult::Loaded);
    EXPECT_EQ(reread.stringForKey(QStringLiteral("k")), QStringLiteral("small"));
}

// A file near the limit that another program wrote without indentation is saved again within the limit.
TEST_F(UserDefaultsTest, AFileNearTheLimitIsSavedWithinIt) {
    QVariantList records;
    for (int i = 0; i < 100; ++i)
        records.append(
            QVariantMap{{QStringLiteral("Action"), qint64(i)}, {QStringLiteral("Title"), QString(20, u'x')}});
    QByteArray compact;
    for (const QByteArray& line :
         PropertyList::toData(QVariantMap{{QStringLiteral("records"), records}}).split('\n'))
        compact += line.trimmed();
    writeRaw(compact);
    const qint64 limit = compact.size() + 100;

    UserDefaults defaults(settingsPath());
    defaults.setMaximumFileBytes(limit);
    ASSERT_EQ(defaults.load(), UserDefaults::LoadResult::Loaded);
    defaults.setString(QStringLiteral("changed"), QStringLiteral("k"));
    EXPECT_TRUE(defaults.save());
    EXPECT_LE(contents(settingsPath()).size(), limit);

    UserDefaults reread(settingsPath());
    reread.setMaximumFileBytes(limit);
    ASSERT_EQ(reread.load(), UserDefaults::LoadResult::Loaded);
    EXPECT_EQ(reread.arrayForKey(QStringLiteral("records")), records);
    EXPECT_EQ(reread.stringForKey(QStringLiteral("k")), QStringLiteral("changed"));
}

TEST_F(UserDefaultsTest, ABrokenFileIsSetAsideAndNeverOverwritten) {
    const std::vector<std::pair<const char*, QByteArray>> cases = {
        {"not a property list", "<plist><dict><key>cut off"},
        {"no dictionary", PropertyList::toData(QVariantList{1, 2})},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        for (const QString& file : filesInSettingsFolder())
            QFile::remove(folder.filePath(QStringLiteral("Skaf/") + file));
        writeRaw(bytes);

        UserDefaults defaults(settingsPath());
        defaults.registerDefaults({{QStringLiteral("k"), QStringLiteral("registered")}});
        EXPECT_EQ(defaults.load(), UserDefaults::LoadResult::SetAside);
        EXPECT_TRUE(defaults.persistentDomain().isEmpty());
        EXPECT_EQ(defaults.stringForKey(QStringLiteral("k")), QStringLiteral("registered"));
        EXPECT_TRUE(defaults.setAsidePath().contains(QStringLiteral("Settings.plist.broken-")));
        EXPECT_TRUE(loggedLineContaining(defaults.setAsidePath()));

        defaults.setString(QStringLiteral("new"), QStringLiteral("k"));
        ASSERT_TRUE(defaults.save());
        EXPECT_EQ(contents(defaults.setAsidePath()), bytes);
        EXPECT_EQ(filesInSettingsFolder().size(), 2);
    }
}

TEST_F(UserDefaultsTest, AnUnreadableFileIsNeverSavedOver) {
    // Something that cannot be opened as a file, even by root; and a FIFO, whose plain open would wait
    // for a writer for good.
    const std::vector<std::pair<const char*, std::function<bool()>>> cases = {
        {"folder", [&] { return QDir().mkpath(settingsPath()); }},
        {"fifo", [&] { return ::mkfifo(QFile::encodeName(settingsPath()).constData(), 0600) == 0; }},
    };
    for (const auto& [name, make] : cases) {
        SCOPED_TRACE(name);
        QDir(folder.filePath(QStringLiteral("Skaf"))).removeRecursively();
        QDir().mkpath(folder.filePath(QStringLiteral("Skaf")));
        ASSERT_TRUE(make());
        const QFileInfo before(settingsPath());
        UserDefaults defaults(settingsPath());
        EXPECT_EQ(defaults.load(), UserDefaults::LoadResult::Broken);
        EXPECT_TRUE(loggedLineContaining(QStringLiteral("not a regular file")));
        EXPECT_TRUE(defaults.setAsidePath().isEmpty());
        defaults.setBool(true, QStringLiteral("k"));
        EXPECT_FALSE(defaults.save());
        EXPECT_TRUE(loggedLineContaining(QStringLiteral("not saving settings")));
        EXPECT_TRUE(defaults.boolForKey(QStringLiteral("k")));
        EXPECT_EQ(QFileInfo(settingsPath()).isDir(), before.isDir());
        EXPECT_EQ(QFileInfo(settingsPath()).isFile(), false);
    }
}

TEST_F(UserDefaultsTest, LoadingRemovesTheTemporaryFileOfASaveThatWasCutShort) {
    writeRaw(PropertyList::toData(QVariantMap{{QStringLiteral("k"), 1}}));
    const auto make = [&](const QString& name) {
        QFile file(folder.filePath(QStringLiteral("Skaf/") + name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("half a settings file");
        return file.fileName();
    };
    const QString stale = make(QStringLiteral(".Settings.plist.tmp-Ab12Cd"));
    // Another process is writing this one right now; the last is no temporary file of ours.
    const QString busy = make(QStringLiteral(".Settings.plist.tmp-Ef34Gh"));
    make(QStringLiteral("Settings.plist.tmp-notours"));
    const int writing = ::open(QFile::encodeName(busy).constData(), O_RDONLY);
    ASSERT_EQ(::flock(writing, LOCK_EX), 0);

    UserDefaults defaults(settingsPath());
    EXPECT_EQ(defaults.load(), UserDefaults::LoadResult::Loaded);
    ::close(writing);
    EXPECT_EQ(filesInSettingsFolder(),
              (QStringList{QStringLiteral(".Settings.plist.tmp-Ef34Gh"), QStringLiteral("Settings.plist"),
                           QStringLiteral("Settings.plist.tmp-notours")}));
    EXPECT_TRUE(loggedLineContaining(stale));
}

TEST_F(UserDefaultsTest, TheDefaultPathFollowsXdg) {
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", "/somewhere/config");
    EXPECT_EQ(UserDefaults::defaultFilePath(), QStringLiteral("/somewhere/config/Skaf/Settings.plist"));
    EXPECT_EQ(PreferencesFileStore::defaultFolder(), QStringLiteral("/somewhere/config/Skaf/Preferences"));
    qputenv("XDG_CONFIG_HOME", "relative/ignored");
    EXPECT_EQ(UserDefaults::defaultFilePath(),
              QDir::homePath() + QStringLiteral("/.config/Skaf/Settings.plist"));
    qputenv("XDG_CONFIG_HOME", saved);
}

TEST_F(UserDefaultsTest, PreferencesFilesKeepOtherKeysAndRefuseBadDomains) {
    PreferencesFileStore store(folder.filePath(QStringLiteral("Preferences")));
    const QString domain = QStringLiteral("com.apple.WindowManager");
    ASSERT_TRUE(store.setValue(domain, QStringLiteral("EnableTilingByEdgeDrag"), false));
    ASSERT_TRUE(store.setValue(domain, QStringLiteral("EnableTilingOptionAccelerator"), true));
    ASSERT_TRUE(store.removeValue(domain, QStringLiteral("EnableTilingOptionAccelerator")));
    EXPECT_EQ(store.value(domain, QStringLiteral("EnableTilingByEdgeDrag")), QVariant(false));
    EXPECT_FALSE(store.value(domain, QStringLiteral("EnableTilingOptionAccelerator")).isValid());
    EXPECT_NE(store.pathForDomain(SystemPreferences::GlobalDomain), store.pathForDomain(domain));

    // Reads are kept between writes, yet another writer's change (the preferences tool is another
    // process) is seen from the next turn of the event loop on.
    PreferencesFileStore otherWriter(folder.filePath(QStringLiteral("Preferences")));
    ASSERT_TRUE(otherWriter.setValue(domain, QStringLiteral("EnableTilingByEdgeDrag"), true));
    nextTurn();
    EXPECT_EQ(store.value(domain, QStringLiteral("EnableTilingByEdgeDrag")), QVariant(true));
    ASSERT_TRUE(otherWriter.removeValue(domain, QStringLiteral("EnableTilingByEdgeDrag")));
    nextTurn();
    EXPECT_FALSE(store.value(domain, QStringLiteral("EnableTilingByEdgeDrag")).isValid());
    ASSERT_TRUE(otherWriter.setValue(domain, QStringLiteral("EnableTilingByEdgeDrag"), false));

    QString error;
    EXPECT_FALSE(store.setValue(QStringLiteral("../escape"), QStringLiteral("k"), 1, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(store.setValue(domain, QStringLiteral("k"), QPoint(), &error));

    // A domain file that cannot be read is not replaced by one that holds a single key.
    QFile broken(store.pathForDomain(QStringLiteral("broken")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("garbage");
    broken.close();
    EXPECT_FALSE(store.setValue(QStringLiteral("broken"), QStringLiteral("k"), 1, &error));
    EXPECT_EQ(contents(store.pathForDomain(QStringLiteral("broken"))), "garbage");

    // Settings fall through to these files on every read: a broken one is read and logged once, not
    // on every read, and the next version of it is read again.
    logged.clear();
    for (int read = 0; read < 3; ++read) {
        EXPECT_FALSE(store.value(QStringLiteral("broken"), QStringLiteral("k")).isValid());
    }
    EXPECT_EQ(logged.size(), 1) << logged.join(QLatin1Char('\n')).toStdString();
    ASSERT_TRUE(PropertyList::writeFile(store.pathForDomain(QStringLiteral("broken")),
                                        QVariantMap{{QStringLiteral("k"), 1}}));
    nextTurn();
    EXPECT_EQ(store.value(QStringLiteral("broken"), QStringLiteral("k")), QVariant(1));
}

// Every hot key's match reads settings that fall through to the global preferences: within one turn
// of the event loop the files are looked at once, whatever the number of reads, and from the next
// turn on a file that another program wrote is read afresh, whether it wrote in place or renamed a
// new file over the old one, and a file that was missing is found once it appears.
TEST_F(UserDefaultsTest, PreferencesFilesAreLookedAtOncePerTurnAndReadAfreshWhenChanged) {
    testApplication<QCoreApplication>();
    FilePreferences preferences(folder.filePath(QStringLiteral("Preferences")));
    const PreferencesFileStore& store = preferences.store;
    const QString global = store.pathForDomain(SystemPreferences::GlobalDomain);
    UserDefaults defaults(settingsPath(), &preferences);
    const QString key = QStringLiteral("Hot Keys Account For Caps Lock Status");

    nextTurn();
    const auto checksBefore = store.fileChecks();
    for (int read = 0; read < 1000; ++read) {
        EXPECT_FALSE(defaults.object(key).isValid());
    }
    EXPECT_EQ(store.fileChecks() - checksBefore, 1u) << "a missing file is remembered within a turn";

    struct Write {
        const char* how;
        std::function<void(const QByteArray&)> write;
    };
    const std::vector<Write> writes = {
        {"created", [&](const QByteArray& data) { ASSERT_TRUE(writeFileAtomically(global, data)); }},
        {"renamed over the old file",
         [&](const QByteArray& data) {
             const QString next = global + QStringLiteral(".new");
             QFile file(next);
             ASSERT_TRUE(file.open(QIODevice::WriteOnly));
             file.write(data);
             file.close();
             ASSERT_TRUE(
                 ::rename(QFile::encodeName(next).constData(), QFile::encodeName(global).constData()) == 0);
         }},
        {"written in place",
         [&](const QByteArray& data) {
             QFile file(global);
             ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
             file.write(data);
         }},
    };
    qint64 value = 0;
    for (const Write& write : writes) {
        SCOPED_TRACE(write.how);
        ++value;
        write.write(PropertyList::toData(
            QVariantMap{{key, value}, {QStringLiteral("padding"), QString(int(value), QLatin1Char('x'))}}));
        nextTurn();
        EXPECT_EQ(defaults.object(key), QVariant(value));
    }
}

} // namespace
