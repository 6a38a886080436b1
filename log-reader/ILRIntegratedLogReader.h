#pragma once

#include "log-reader/ILRLogDisplay.h"
#include "log-reader/ILRLogEntry.h"
#include "log-reader/ILRLogReaderContext.h"
#include "platform/Signal.h"
#include "toolkit/ZRLog.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class ILRIntegratedLogReaderDelegate;
class ILRJSONLogStream;
class ILRLogReaderAlerts;
class ILRLogWindow;
class Processes;
class QAction;
class QMenu;
struct Notification;

// The program's log reader and its window. It shows the program's own messages: read with the log tool,
// the history of the last hour (or days, step by step further back) followed by a live stream; or, in
// cache mode, the messages that passed through it since its window opened. Every line of the program
// comes through logMessage.
//
// Threads: the window, the live stream and the controls belong to the main thread; history reads, the
// gap fill, keeping cached messages and building the display text run on workers. Everything they share
// is guarded by the reader's own lock. Make it with std::make_shared: workers hold it weakly.
class ILRIntegratedLogReader : public QObject,
                               public ZRLogReader,
                               public std::enable_shared_from_this<ILRIntegratedLogReader> {
    Q_OBJECT
public:
    static constexpr qsizetype NotFound = ILRLogDisplay::NotFound;
    // The entries kept at most; beyond, the oldest go, down to EntriesKeptWhenFull at a time so that the
    // display is not rebuilt for every new line.
    static constexpr std::size_t MaximumEntries = 100000;
    static constexpr std::size_t EntriesKeptWhenFull = 90000;
    static constexpr double GapFillDelaySeconds = 3;
    // Levels of the log tool.
    static constexpr unsigned DebugLevel = 2;

    explicit ILRIntegratedLogReader(const ILRLogReaderContext& context,
                                    const ZRLogReaderSettings& settings = {});
    ~ILRIntegratedLogReader() override;

    // The factory the program installs with ZRSetLogReaderFactory: a reader on the context when the log can
    // be shown.
    static ZRLogReaderFactory logReaderFactory(const ILRLogReaderContext& context);
    // The way to make a reader: it owns a window, so whoever lets go of it last, a worker included, it is
    // destroyed on the main thread.
    static std::shared_ptr<ILRIntegratedLogReader> make(const ILRLogReaderContext& context,
                                                        const ZRLogReaderSettings& settings = {});
    // Whether the desktop has the log tool.
    static bool canDisplayLog(const Processes& processes);
    bool canDisplayLog() const;

    // The program's log sink, from any thread; never blocks on the reader.
    void logMessage(const QString& message) override;
    void displayLog(QObject* sender) override;

    // Sources, entries and the message cache.
    void setDebugLoggingUserDefaultName(const QString& name) { m_debugLoggingUserDefaultName = name; }
    QString debugLoggingUserDefaultName() const { return m_debugLoggingUserDefaultName; }
    void setMenuItemActionImageSetter(std::function<void(QAction*, const QString&)> setter);
    void setDelegate(ILRIntegratedLogReaderDelegate* delegate) { m_delegate = delegate; }
    void setHiddenPrefixes(const QStringList& prefixes);
    bool isDebugLoggingEnabledAndSettable(bool* settable);
    bool cacheLogMessages();
    void updateLogAfterIncreasingNumberOfDays(bool increase);
    void findEarlierResults();
    void clear();
    void reset();
    void setUpCachedLogMessages();
    void toggleDebugLogging(bool wanted);
    // The caller holds the lock.
    void updateDisplayByDispatchingToMainQueue(bool dispatch);

    // The window.
    bool displayLog();
    bool displayLogAndForceUpdate(bool force);
    void updateDisplayWithLogString(std::unique_ptr<ILRLogDisplay> display, bool hasLogEntries);
    void updateDisplay();
    // From the reader's own notification when fromReader.
    void updateDebugLoggingSwitch(bool fromReader);
    void updateFindEarlierResultsButton();
    void spin(bool on);
    void save();
    void toggleMessageSender();
    void toggleMessageCoalescing();
    void toggleDisplayRelatedUserDefault(const QString& key);
    void validateMenuItem(QAction* item);
    bool insertNewline();
    void windowDidBecomeKey();
    void windowDidResignKey();
    void windowWillClose();

    // What tests and the window read.
    ILRLogWindow* window() const;
    QString windowTitle() const { return m_windowTitle; }
    QString displayedText() const;
    std::deque<ILRLogEntry> logEntries() const;
    std::optional<std::deque<ILRLogEntry>> cachedLogMessages() const;
    int numberOfDays() const;
    std::optional<ILRDate> updateDate() const;
    qsizetype archiveInsertionIndex() const;
    bool isSpinning() const { return m_isSpinning; }
    bool hasLiveStream() const;
    QString filteringPredicate() const;
    QMenu* optionsMenu() const { return m_optionsMenu; }

    // Tests: the clock of request dates and cached messages, and the user's dialogs.
    void setClock(std::function<ILRDate()> now) { m_now = std::move(now); }
    void setAlerts(std::unique_ptr<ILRLogReaderAlerts> alerts);

private:
    using Entries = std::deque<ILRLogEntry>;
    using Lock = std::lock_guard<std::recursive_mutex>;

    ILRDate now() const { return m_now(); }
    bool readBool(const QString& key) const;
    Entries* displayedList() { return m_cachedLogMessages ? &*m_cachedLogMessages : &m_logEntries; }
    // Starts a fresh list: every handler of an older read stops at its next batch.
    void startNewRead();
    // Drops the oldest entries beyond the maximum; true when any went.
    bool trimToMaximum(Entries& entries);
    void terminateLiveStream();
    // The display's settings as the main thread last read them.
    void refreshDisplaySettings();
    ILRLogDisplay::Options displayOptions() const;
    void requestRebuild();
    void applyBuiltDisplay(std::unique_ptr<ILRLogDisplay> display, unsigned long long revision,
                           bool hasEntries);
    void postOnMainQueue(const QString& name);
    // The interface "ILRLogWindow": makes the window of the reader that owns it.
    static bool buildLogWindow(QObject* owner);
    void buildWindowParts();

    // The handlers of a read; each knows the read it belongs to by its generation.
    bool liveHandler(std::vector<ILRLogEntry>& batch, unsigned long long generation);
    void historyRead(QStringList arguments, unsigned long long generation, std::optional<ILRDate> boundary,
                     bool increase, ILRDate requestDate);
    void gapFill(QStringList arguments, unsigned long long generation, ILRDate requestDate);
    void appendCachedMessage(const QString& message, ILRDate date);

    const ILRLogReaderContext m_context;
    mutable std::recursive_mutex m_lock;

    QString m_filteringPredicate;
    unsigned m_filteringLevel = 0;
    std::shared_ptr<ILRJSONLogStream> m_liveStream;
    std::optional<ILRDate> m_firstLiveStreamTimestamp;
    std::optional<ILRDate> m_lastArchiveStreamTimestamp;
    qsizetype m_archiveInsertionIndex = NotFound;
    bool m_isSpinning = false;
    ILRIntegratedLogReaderDelegate* m_delegate = nullptr;
    std::function<void(QAction*, const QString&)> m_menuItemActionImageSetter;
    QString m_debugLoggingUserDefaultName;
    QStringList m_hiddenPrefixes;
    int m_numberOfDays = 0;
    std::optional<ILRDate> m_updateDate;
    Entries m_logEntries;
    // Which read logEntries belongs to; a fresh read or a reset makes a new one.
    unsigned long long m_readGeneration = 0;
    std::optional<Entries> m_cachedLogMessages;
    QString m_windowTitle;

    // The display: what is shown, the revision of the list it shows (every change but an append at the
    // end makes a new one), and the one rebuild under way off the main thread.
    std::unique_ptr<ILRLogDisplay> m_display;
    unsigned long long m_revision = 0;
    unsigned long long m_displayRevision = 0;
    bool m_rebuildInFlight = false;
    bool m_rebuildAgain = false;
    ILRLogDisplay::Options m_displaySettings;

    QPointer<ILRLogWindow> m_window;
    QMenu* m_optionsMenu = nullptr;
    QAction* m_showSenderItem = nullptr;
    QAction* m_coalesceItem = nullptr;
    std::unique_ptr<ILRLogReaderAlerts> m_alerts;
    std::function<ILRDate()> m_now;
    Connection m_updateDisplayObserver;
    Connection m_updateSwitchObserver;
};
