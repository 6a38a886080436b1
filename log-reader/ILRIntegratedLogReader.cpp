#include "log-reader/ILRIntegratedLogReader.h"

#include "log-reader/ILRIntegratedLogReaderDelegate.h"
#include "log-reader/ILRJSONLogStream.h"
#include "log-reader/ILRLogCommandLines.h"
#include "log-reader/ILRLogDateFormatter.h"
#include "log-reader/ILRLogReaderAlerts.h"
#include "log-reader/ILRLogReaderDefaults.h"
#include "log-reader/ILRLogReaderFlags.h"
#include "log-reader/ILRLogWindow.h"
#include "log-reader/ILRSavedLog.h"
#include "platform/Processes.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/LogTimestamp.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "toolkit/InterfaceLoader.h"
#include "toolkit/WindowFrameAutosave.h"
#include "toolkit/ZRSystemLog.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QMenu>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTextDocument>
#include <QTextEdit>
#include <QThread>
#include <QToolButton>
#include <algorithm>
#include <iterator>

namespace {

constexpr auto BundleIdentifier = "com.tallowin.Skaf";
constexpr auto AutosaveSuffix = ".ILRLogWindow";
constexpr auto FindingOlderMessages = " — Finding Older Messages…";
constexpr double SecondsPerMinute = 60;
// Whole minutes the gap fill reads beyond the time since the request.
constexpr double GapFillExtraMinutes = 2;
constexpr int FindActionTag = 1;
constexpr int StepOfDaysBeyondAWeek = 7;

QString fromUtf16(const char16_t* text) {
    return QString::fromUtf16(text);
}

// The number of days a find-earlier step reads after the current one.
int increasedNumberOfDays(int days) {
    if (days < 0)
        return 0;
    if (days == 0)
        return 1;
    if (days < StepOfDaysBeyondAWeek)
        return StepOfDaysBeyondAWeek;
    return days + StepOfDaysBeyondAWeek;
}

QIcon themeIcon(const char* name, QStyle::StandardPixmap fallback) {
    return QIcon::fromTheme(QLatin1String(name), QApplication::style()->standardIcon(fallback));
}

} // namespace

ILRIntegratedLogReader::ILRIntegratedLogReader(const ILRLogReaderContext& context,
                                               const ZRLogReaderSettings& settings)
    : m_context(context), m_menuItemActionImageSetter(settings.menuItemActionImageSetter),
      m_debugLoggingUserDefaultName(settings.debugLoggingUserDefaultName),
      m_alerts(ILRLogReaderAlerts::standardAlerts()), m_now([] { return LogTimestamp::now(); }) {
    static const bool registered = (registerInterfaceBuilder(fromUtf16(ILRLogWindow::InterfaceName),
                                                             &ILRIntegratedLogReader::buildLogWindow),
                                    true);
    Q_UNUSED(registered);
    refreshDisplaySettings();
}

ILRIntegratedLogReader::~ILRIntegratedLogReader() {
    terminateLiveStream();
    if (m_window) {
        if (m_window->logView())
            m_window->logView()->setDocument(nullptr);
        delete m_window;
    }
}

ZRLogReaderFactory ILRIntegratedLogReader::logReaderFactory(const ILRLogReaderContext& context) {
    return [context](const ZRLogReaderSettings& settings) -> std::shared_ptr<ZRLogReader> {
        if (!canDisplayLog(context.processes))
            return nullptr;
        return make(context, settings);
    };
}

std::shared_ptr<ILRIntegratedLogReader> ILRIntegratedLogReader::make(const ILRLogReaderContext& context,
                                                                     const ZRLogReaderSettings& settings) {
    RunLoop* mainRunLoop = &context.mainRunLoop;
    return std::shared_ptr<ILRIntegratedLogReader>(
        new ILRIntegratedLogReader(context, settings), [mainRunLoop](ILRIntegratedLogReader* reader) {
            if (QThread::currentThread() == qApp->thread())
                delete reader;
            else
                mainRunLoop->performOnMainThread([reader] { delete reader; });
        });
}

bool ILRIntegratedLogReader::canDisplayLog(const Processes& processes) {
    return !processes.logToolPath().isEmpty();
}

bool ILRIntegratedLogReader::canDisplayLog() const {
    return canDisplayLog(m_context.processes);
}

void ILRIntegratedLogReader::setAlerts(std::unique_ptr<ILRLogReaderAlerts> alerts) {
    m_alerts = std::move(alerts);
}

void ILRIntegratedLogReader::setMenuItemActionImageSetter(
    std::function<void(QAction*, const QString&)> setter) {
    m_menuItemActionImageSetter = std::move(setter);
}

bool ILRIntegratedLogReader::readBool(const QString& key) const {
    // The settings answer workers as they would the main thread.
    return m_context.defaults.boolForKey(key);
}

// ---- Sources, entries and the message cache

void ILRIntegratedLogReader::setHiddenPrefixes(const QStringList& prefixes) {
    {
        Lock lock(m_lock);
        m_hiddenPrefixes = prefixes;
        m_displaySettings.hiddenPrefixes = prefixes;
        ++m_revision;
    }
    postOnMainQueue(fromUtf16(ILRIntegratedLogReaderUpdateDisplayNotification));
}

bool ILRIntegratedLogReader::isDebugLoggingEnabledAndSettable(bool* settable) {
    if (m_delegate) {
        if (const auto enabled = m_delegate->isDebugLoggingEnabledForLogReader(*this)) {
            if (settable)
                *settable = m_delegate->setsDebugLogging();
            return *enabled;
        }
    }
    if (m_debugLoggingUserDefaultName.isEmpty()) {
        if (settable)
            *settable = false;
        return false;
    }
    if (settable)
        *settable = true;
    return readBool(m_debugLoggingUserDefaultName);
}

bool ILRIntegratedLogReader::cacheLogMessages() {
    const ILRLogReaderFlags& flags = m_context.flags;
    return flags.sandboxed || (flags.macOS26OrLater && isDebugLoggingEnabledAndSettable(nullptr));
}

void ILRIntegratedLogReader::startNewRead() {
    m_logEntries.clear();
    ++m_readGeneration;
    ++m_revision;
}

bool ILRIntegratedLogReader::trimToMaximum(Entries& entries) {
    if (entries.size() <= MaximumEntries)
        return false;
    const auto dropped = entries.size() - EntriesKeptWhenFull;
    entries.erase(entries.begin(), entries.begin() + std::ptrdiff_t(dropped));
    if (&entries == &m_logEntries && m_archiveInsertionIndex != NotFound)
        m_archiveInsertionIndex = std::max<qsizetype>(0, m_archiveInsertionIndex - qsizetype(dropped));
    ++m_revision;
    return true;
}

void ILRIntegratedLogReader::terminateLiveStream() {
    std::shared_ptr<ILRJSONLogStream> stream;
    {
        Lock lock(m_lock);
        stream = std::move(m_liveStream);
    }
    // A batch of this stream that is being handled holds it until the batch ends.
    if (stream)
        stream->terminate();
}

void ILRIntegratedLogReader::updateLogAfterIncreasingNumberOfDays(bool increase) {
    const bool macOS15 = m_context.flags.macOS15OrLater;
    QString predicate;
    unsigned level = 0;
    int days = 0;
    const ILRDate requestDate = now();
    std::optional<ILRDate> boundary;
    unsigned long long generation = 0;
    {
        Lock lock(m_lock);
        predicate = m_filteringPredicate;
        level = m_filteringLevel;
        if (increase)
            m_numberOfDays = increasedNumberOfDays(m_numberOfDays);
        days = m_numberOfDays;
        m_updateDate = requestDate;
        ++m_revision;
        if (increase && !m_logEntries.empty()) {
            boundary = ILRLogEntryDate(m_logEntries.front());
        } else {
            startNewRead();
            terminateLiveStream();
            m_firstLiveStreamTimestamp.reset();
        }
        generation = m_readGeneration;
        m_archiveInsertionIndex = days < 0 ? NotFound : 0;
        updateDisplayByDispatchingToMainQueue(false);
        if (!m_liveStream) {
            std::weak_ptr<ILRIntegratedLogReader> weak = weak_from_this();
            m_liveStream = ILRJSONLogStream::initWithArguments(
                m_context.processes, ILRLogCommandLines::live(predicate, level, macOS15),
                [weak, generation](std::vector<ILRLogEntry>& batch) {
                    if (const auto reader = weak.lock())
                        reader->liveHandler(batch, generation);
                    return true;
                },
                false);
        }
    }
    if (days < 0) {
        if (m_isSpinning)
            spin(false);
        return;
    }
    spin(true);
    std::weak_ptr<ILRIntegratedLogReader> weak = weak_from_this();
    m_context.workers.async([weak, arguments = ILRLogCommandLines::history(predicate, level, days, macOS15),
                             generation, boundary, increase, requestDate] {
        if (const auto reader = weak.lock())
            reader->historyRead(arguments, generation, boundary, increase, requestDate);
    });
}

bool ILRIntegratedLogReader::liveHandler(std::vector<ILRLogEntry>& batch, unsigned long long generation) {
    Lock lock(m_lock);
    if (generation != m_readGeneration || batch.empty())
        return true;
    if (!m_firstLiveStreamTimestamp)
        m_firstLiveStreamTimestamp = ILRLogEntryDate(batch.front());
    if (m_context.flags.macOS15OrLater) {
        std::erase_if(batch, [](const ILRLogEntry& entry) {
            return entry.subsystem.startsWith(QLatin1String("com.apple"));
        });
        if (batch.empty())
            return true;
    }
    const std::size_t shownBefore = m_logEntries.size();
    bool atEnd = true;
    for (ILRLogEntry& entry : batch) {
        if (m_logEntries.empty() || !(entry.date < m_logEntries.back().date)) {
            m_logEntries.push_back(std::move(entry));
            continue;
        }
        // Older than the newest: into its place, yet never before where a history read inserts.
        auto position =
            std::upper_bound(m_logEntries.begin(), m_logEntries.end(), entry, ILRLogEntryIsEarlier);
        if (m_archiveInsertionIndex != NotFound)
            position = std::max(position, m_logEntries.begin() + m_archiveInsertionIndex);
        m_logEntries.insert(position, std::move(entry));
        atEnd = false;
    }
    const bool trimmed = trimToMaximum(m_logEntries);
    const bool appendable = atEnd && !trimmed && !m_cachedLogMessages && m_display &&
                            m_displayRevision == m_revision && m_display->canAppend() &&
                            std::size_t(m_display->shownCount()) == shownBefore && !m_rebuildInFlight &&
                            QThread::currentThread() == qApp->thread();
    if (!appendable) {
        if (!atEnd)
            ++m_revision;
        updateDisplayByDispatchingToMainQueue(true);
        return true;
    }
    // The window keeps to the end of the text when it stood there.
    m_display->append(m_logEntries);
    updateDisplayWithLogString(nullptr, true);
    return true;
}

void ILRIntegratedLogReader::historyRead(QStringList arguments, unsigned long long generation,
                                         std::optional<ILRDate> boundary, bool increase,
                                         ILRDate requestDate) {
    // Shared with the handler: once false, every later batch is refused and the tool ends.
    bool goOn = true;
    ILRJSONLogStream::waitForStreamWithArguments(
        m_context.processes, arguments, [&](std::vector<ILRLogEntry>& batch) {
            Lock lock(m_lock);
            if (!goOn)
                return false;
            if (generation != m_readGeneration)
                return goOn = false;
            m_archiveInsertionIndex =
                std::clamp<qsizetype>(m_archiveInsertionIndex, 0, qsizetype(m_logEntries.size()));
            std::size_t taken = batch.size();
            if (boundary) {
                const auto older = std::find_if(batch.begin(), batch.end(), [&](const ILRLogEntry& entry) {
                    return entry.date >= *boundary;
                });
                taken = std::size_t(older - batch.begin());
                goOn = older == batch.end();
            } else {
                m_lastArchiveStreamTimestamp = ILRLogEntryDate(batch.back());
            }
            m_logEntries.insert(m_logEntries.begin() + m_archiveInsertionIndex,
                                std::make_move_iterator(batch.begin()),
                                std::make_move_iterator(batch.begin() + std::ptrdiff_t(taken)));
            m_archiveInsertionIndex += qsizetype(taken);
            trimToMaximum(m_logEntries);
            ++m_revision;
            updateDisplayByDispatchingToMainQueue(true);
            return goOn;
        });
    {
        Lock lock(m_lock);
        if (generation != m_readGeneration)
            return;
        ILRSortLogEntries(m_logEntries);
        m_archiveInsertionIndex = NotFound;
        ++m_revision;
        updateDisplayByDispatchingToMainQueue(true);
    }
    std::weak_ptr<ILRIntegratedLogReader> weak = weak_from_this();
    m_context.mainRunLoop.performOnMainThread([weak, arguments, generation, increase, requestDate] {
        const auto reader = weak.lock();
        if (!reader)
            return;
        Lock lock(reader->m_lock);
        if (generation != reader->m_readGeneration)
            return;
        reader->spin(false);
        if (increase)
            return;
        DispatchQueue* workers = &reader->m_context.workers;
        reader->m_context.mainRunLoop.schedule(
            GapFillDelaySeconds, [workers, weak, arguments, generation, requestDate] {
                workers->async([weak, arguments, generation, requestDate] {
                    if (const auto reader = weak.lock())
                        reader->gapFill(arguments, generation, requestDate);
                });
            });
    });
}

void ILRIntegratedLogReader::gapFill(QStringList arguments, unsigned long long generation,
                                     ILRDate requestDate) {
    long minutes = 0;
    {
        Lock lock(m_lock);
        if (generation != m_readGeneration)
            return;
        const double elapsed = double(now() - requestDate) / double(LogTimestamp::MicrosecondsPerSecond);
        minutes = long(elapsed / SecondsPerMinute + GapFillExtraMinutes);
        if (minutes < 1)
            return;
    }
    std::vector<ILRLogEntry> collected;
    ILRJSONLogStream::waitForStreamWithArguments(
        m_context.processes, ILRLogCommandLines::lastMinutes(arguments, minutes),
        [&](std::vector<ILRLogEntry>& batch) {
            std::move(batch.begin(), batch.end(), std::back_inserter(collected));
            return true;
        });
    if (collected.empty())
        return;
    Lock lock(m_lock);
    if (generation != m_readGeneration)
        return;
    // Between the newest entry of the history and the first of the live stream; without a live entry,
    // before the request, since what came later the live stream has.
    const ILRDate before = m_firstLiveStreamTimestamp.value_or(requestDate);
    bool added = false;
    for (ILRLogEntry& entry : collected) {
        if (entry.date < before &&
            (!m_lastArchiveStreamTimestamp || entry.date > *m_lastArchiveStreamTimestamp)) {
            m_logEntries.push_back(std::move(entry));
            added = true;
        }
    }
    if (!added)
        return;
    ILRSortLogEntries(m_logEntries);
    trimToMaximum(m_logEntries);
    ++m_revision;
    updateDisplayByDispatchingToMainQueue(true);
}

void ILRIntegratedLogReader::findEarlierResults() {
    updateLogAfterIncreasingNumberOfDays(true);
}

void ILRIntegratedLogReader::clear() {
    {
        Lock lock(m_lock);
        m_numberOfDays = -1;
        if (m_cachedLogMessages)
            m_cachedLogMessages->clear();
        ++m_revision;
    }
    if (!cacheLogMessages())
        updateLogAfterIncreasingNumberOfDays(false);
    Lock lock(m_lock);
    updateDisplayByDispatchingToMainQueue(true);
}

void ILRIntegratedLogReader::reset() {
    Lock lock(m_lock);
    startNewRead();
    terminateLiveStream();
    m_firstLiveStreamTimestamp.reset();
    m_archiveInsertionIndex = NotFound;
}

void ILRIntegratedLogReader::setUpCachedLogMessages() {
    Lock lock(m_lock);
    m_cachedLogMessages.emplace();
    m_numberOfDays = -1;
    m_updateDate = now();
    m_archiveInsertionIndex = NotFound;
    ++m_revision;
}

void ILRIntegratedLogReader::logMessage(const QString& message) {
    m_context.systemLog.write(message);
    if (!cacheLogMessages())
        return;
    const ILRDate date = now();
    std::weak_ptr<ILRIntegratedLogReader> weak = weak_from_this();
    m_context.workers.async([weak, message, date] {
        if (const auto reader = weak.lock())
            reader->appendCachedMessage(message, date);
    });
}

void ILRIntegratedLogReader::appendCachedMessage(const QString& message, ILRDate date) {
    {
        Lock lock(m_lock);
        if (!m_cachedLogMessages) {
            if (!readBool(fromUtf16(ILRLogReaderDefaults::CacheDebugLogSilently)))
                return;
            setUpCachedLogMessages();
        }
        m_cachedLogMessages->push_back(ILRLogEntry::cachedMessage(message, date));
        trimToMaximum(*m_cachedLogMessages);
    }
    postOnMainQueue(fromUtf16(ILRIntegratedLogReaderUpdateDisplayNotification));
}

void ILRIntegratedLogReader::toggleDebugLogging(bool wanted) {
    bool state = false;
    if (m_delegate && m_delegate->isDebugLoggingEnabledForLogReader(*this)) {
        if (m_delegate->setsDebugLogging()) {
            m_delegate->setDebugLoggingEnabled(wanted, *this);
            state = wanted;
        }
    } else if (!m_debugLoggingUserDefaultName.isEmpty()) {
        m_context.defaults.setBool(wanted, m_debugLoggingUserDefaultName);
        state = wanted;
    }
    const ILRLogReaderFlags& flags = m_context.flags;
    if (flags.macOS26OrLater && !flags.sandboxed) {
        reset();
        if (state) {
            Lock lock(m_lock);
            setUpCachedLogMessages();
            spin(false);
            updateDisplayByDispatchingToMainQueue(false);
        } else {
            {
                Lock lock(m_lock);
                m_cachedLogMessages.reset();
                m_numberOfDays = -1;
                ++m_revision;
            }
            displayLogAndForceUpdate(true);
            updateFindEarlierResultsButton();
        }
    }
    m_context.notifications.post(fromUtf16(ILRIntegratedLogReaderUpdateDebugLoggingSwitchNotification), this);
}

// ---- The display

void ILRIntegratedLogReader::refreshDisplaySettings() {
    Lock lock(m_lock);
    m_displaySettings.showSenders = !readBool(fromUtf16(ILRLogReaderDefaults::HideSender));
    m_displaySettings.coalesce = !readBool(fromUtf16(ILRLogReaderDefaults::DisableCoalescing));
    m_displaySettings.hiddenPrefixes = m_hiddenPrefixes;
    m_displaySettings.font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    const QPalette palette = m_window ? m_window->logView()->palette() : QApplication::palette();
    m_displaySettings.normalColor = palette.color(QPalette::Active, QPalette::Text);
    m_displaySettings.dimColor = palette.color(QPalette::Disabled, QPalette::Text);
    ++m_revision;
}

ILRLogDisplay::Options ILRIntegratedLogReader::displayOptions() const {
    ILRLogDisplay::Options options = m_displaySettings;
    const ILRLogDateFormatter& formatter = ILRLogDateFormatter::shared();
    options.todayPrefix = formatter.dayPrefix(now());
    if (m_updateDate) {
        QString time = formatter.displayTime(*m_updateDate);
        if (time.startsWith(options.todayPrefix))
            time.remove(0, options.todayPrefix.size());
        options.header = ILRLogDisplay::headerText(m_numberOfDays, time);
    }
    options.archiveInsertionIndex = m_cachedLogMessages ? NotFound : m_archiveInsertionIndex;
    return options;
}

void ILRIntegratedLogReader::updateDisplayByDispatchingToMainQueue(bool dispatch) {
    Lock lock(m_lock);
    if (dispatch) {
        requestRebuild();
        return;
    }
    const Entries& list = *displayedList();
    auto display = std::make_unique<ILRLogDisplay>(list, displayOptions());
    m_displayRevision = m_revision;
    updateDisplayWithLogString(std::move(display), !list.empty());
}

// One rebuild at a time off the main thread: requests meanwhile make one more once it is applied.
void ILRIntegratedLogReader::requestRebuild() {
    Lock lock(m_lock);
    if (m_rebuildInFlight) {
        m_rebuildAgain = true;
        return;
    }
    m_rebuildInFlight = true;
    const unsigned long long revision = m_revision;
    std::weak_ptr<ILRIntegratedLogReader> weak = weak_from_this();
    m_context.workers.async([mainRunLoop = &m_context.mainRunLoop, weak, revision, list = *displayedList(),
                             options = displayOptions()] {
        // Shared only to travel to the main thread, where the reader takes it whole.
        auto built =
            std::make_shared<std::unique_ptr<ILRLogDisplay>>(std::make_unique<ILRLogDisplay>(list, options));
        (*built)->document()->moveToThread(qApp->thread());
        const bool hasEntries = !list.empty();
        mainRunLoop->performOnMainThread([weak, revision, hasEntries, built] {
            if (const auto reader = weak.lock())
                reader->applyBuiltDisplay(std::move(*built), revision, hasEntries);
        });
    });
}

void ILRIntegratedLogReader::applyBuiltDisplay(std::unique_ptr<ILRLogDisplay> display,
                                               unsigned long long revision, bool hasEntries) {
    Lock lock(m_lock);
    m_rebuildInFlight = false;
    // A display made meanwhile on the main thread is newer.
    if (revision >= m_displayRevision) {
        m_displayRevision = revision;
        updateDisplayWithLogString(std::move(display), hasEntries);
    }
    if (std::exchange(m_rebuildAgain, false) || m_displayRevision != m_revision)
        requestRebuild();
}

QString ILRIntegratedLogReader::displayedText() const {
    Lock lock(m_lock);
    return m_display ? m_display->document()->toPlainText() : QString();
}

void ILRIntegratedLogReader::updateDisplayWithLogString(std::unique_ptr<ILRLogDisplay> display,
                                                        bool hasLogEntries) {
    if (display) {
        std::unique_ptr<ILRLogDisplay> previous = std::move(m_display);
        m_display = std::move(display);
        if (m_window) {
            // A new text opens at its start: a view that stood at the end goes back there.
            const bool follows = m_window->followsEnd();
            m_window->logView()->setDocument(m_display->document());
            if (hasLogEntries && follows)
                m_window->scrollToEnd();
        }
    }
    if (!m_window)
        return;
    QPushButton* clearButton = m_window->clearButton();
    if (hasLogEntries) {
        clearButton->setToolTip(QStringLiteral("Clear"));
        clearButton->setText(QString());
        clearButton->setIcon(themeIcon("user-trash", QStyle::SP_TrashIcon));
        clearButton->setVisible(true);
    } else {
        clearButton->setToolTip(QStringLiteral("Stop"));
        clearButton->setText(QString());
        clearButton->setIcon(themeIcon("process-stop", QStyle::SP_BrowserStop));
        clearButton->setVisible(m_archiveInsertionIndex != NotFound);
    }
    m_window->saveButton()->setVisible(hasLogEntries);
}

void ILRIntegratedLogReader::updateDisplay() {
    if (!m_window || !m_window->isVisible())
        return;
    refreshDisplaySettings();
    Lock lock(m_lock);
    updateDisplayByDispatchingToMainQueue(false);
}

void ILRIntegratedLogReader::postOnMainQueue(const QString& name) {
    std::weak_ptr<ILRIntegratedLogReader> weak = weak_from_this();
    m_context.mainRunLoop.performOnMainThread([weak, name] {
        if (const auto reader = weak.lock())
            reader->m_context.notifications.post(name, reader.get());
    });
}

// ---- The window

void ILRIntegratedLogReader::displayLog(QObject*) {
    // Showing the window raises and activates it: on this desktop that brings the program forward.
    displayLog();
}

bool ILRIntegratedLogReader::buildLogWindow(QObject* owner) {
    auto* reader = qobject_cast<ILRIntegratedLogReader*>(owner);
    if (!reader)
        return false;
    reader->m_window = new ILRLogWindow(reader->m_context.findPasteboard);
    return true;
}

bool ILRIntegratedLogReader::displayLog() {
    return displayLogAndForceUpdate(false);
}

bool ILRIntegratedLogReader::displayLogAndForceUpdate(bool force) {
    if (QThread::currentThread() != qApp->thread()) {
        bool shown = false;
        QMetaObject::invokeMethod(
            this, [this, &shown] { shown = displayLog(); }, Qt::BlockingQueuedConnection);
        return shown;
    }
    if (!canDisplayLog()) {
        m_alerts->logNotSupported();
        return false;
    }
    if (!m_window) {
        std::optional<QString> nib = m_delegate ? m_delegate->nibForLogReader(*this) : std::nullopt;
        const QString name = nib.value_or(fromUtf16(ILRLogWindow::InterfaceName));
        if (!vintageStyleLoadNibNamed(name, this)) {
            ZRLog("[ILR] cannot load ILRLogWindow.nib");
            m_alerts->beep();
            return false;
        }
        if (!m_window) {
            ZRLog("[ILR] cannot instantiate ILRLogWindow.nib");
            m_alerts->beep();
            return false;
        }
        buildWindowParts();
    }
    const bool windowWasVisible = m_window->isVisible();
    if (cacheLogMessages()) {
        Lock lock(m_lock);
        if (!m_cachedLogMessages)
            setUpCachedLogMessages();
        spin(false);
        refreshDisplaySettings();
        updateDisplayByDispatchingToMainQueue(false);
    } else {
        const unsigned level = m_delegate ? m_delegate->filteringLevelForLogReader(*this).value_or(0) : 0;
        QString predicate;
        {
            Lock lock(m_lock);
            if (level != m_filteringLevel) {
                m_filteringLevel = level;
                force = true;
            }
        }
        if (auto answer = m_delegate ? m_delegate->filteringPredicateForLogReader(*this) : std::nullopt)
            predicate = *answer;
        else
            predicate = ILRLogCommandLines::defaultPredicate(
                QFileInfo(QCoreApplication::applicationDirPath()).fileName(), level,
                m_context.flags.macOS15OrLater);
        bool unchanged = false;
        {
            Lock lock(m_lock);
            unchanged = predicate == m_filteringPredicate;
            m_filteringPredicate = predicate;
        }
        if (unchanged && !force && windowWasVisible) {
            m_window->raise();
            m_window->activateWindow();
            return true;
        }
        refreshDisplaySettings();
        updateLogAfterIncreasingNumberOfDays(false);
    }
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    return true;
}

void ILRIntegratedLogReader::buildWindowParts() {
    ILRLogWindow* window = m_window;
    m_windowTitle = QStringLiteral("%1 Log").arg(QCoreApplication::applicationName());
    window->setWindowTitle(m_windowTitle);
    std::optional<QString> autosave =
        m_delegate ? m_delegate->windowFrameAutosaveNameForLogReader(*this) : std::nullopt;
    const QString autosaveName =
        autosave.value_or(QLatin1String(BundleIdentifier) + QLatin1String(AutosaveSuffix));
    if (autosaveName.isEmpty())
        centerWindow(window);
    else
        restoreFrameAndAutosave(window, autosaveName, m_context.defaults);

    connect(window->findEarlierResultsButton(), &QPushButton::clicked, this,
            [this] { findEarlierResults(); });
    connect(window->clearButton(), &QPushButton::clicked, this, [this] { clear(); });
    connect(window->saveButton(), &QPushButton::clicked, this, [this] { save(); });
    connect(window->debugLoggingSwitch(), &QCheckBox::clicked, this,
            [this](bool on) { toggleDebugLogging(on); });
    window->windowWillClose = [this] { windowWillClose(); };
    window->activeChanged = [this](bool active) { active ? windowDidBecomeKey() : windowDidResignKey(); };
    window->insertNewline = [this] { return insertNewline(); };
    updateDebugLoggingSwitch(false);
    updateFindEarlierResultsButton();

    // Options.
    QToolButton* options = window->actionButton();
    options->setToolTip(QStringLiteral("Options"));
    options->setIcon(themeIcon("emblem-system", QStyle::SP_FileDialogDetailedView));
    m_optionsMenu = new QMenu(options);
    const bool sandboxed = m_context.flags.sandboxed;
    auto symbol = [this](QAction* item, const char* name) {
        if (m_menuItemActionImageSetter)
            m_menuItemActionImageSetter(item, QLatin1String(name));
    };
    if (!sandboxed) {
        m_showSenderItem = m_optionsMenu->addAction(QStringLiteral("Show Message Sender"), this,
                                                    [this] { toggleMessageSender(); });
        m_showSenderItem->setCheckable(true);
        symbol(m_showSenderItem, "antenna.radiowaves.left.and.right");
    }
    m_coalesceItem = m_optionsMenu->addAction(QStringLiteral("Coalesce Repeat Messages"), this,
                                              [this] { toggleMessageCoalescing(); });
    m_coalesceItem->setCheckable(true);
    symbol(m_coalesceItem, "rectangle.stack");
    m_optionsMenu->addSeparator();
    QAction* find = m_optionsMenu->addAction(QStringLiteral("Find…"), window, &ILRLogWindow::showFindBar);
    find->setData(FindActionTag);
    find->setShortcut(QKeySequence::Find);
    window->addAction(find);
    symbol(find, "text.page.badge.magnifyingglass");
    connect(m_optionsMenu, &QMenu::aboutToShow, this, [this] {
        for (QAction* item : m_optionsMenu->actions())
            validateMenuItem(item);
    });
    options->setMenu(m_optionsMenu);

    if (sandboxed)
        window->findEarlierResultsButton()->hide();

    m_updateSwitchObserver = m_context.notifications.addObserver(
        fromUtf16(ILRIntegratedLogReaderUpdateDebugLoggingSwitchNotification), nullptr,
        [this](const Notification& notification) { updateDebugLoggingSwitch(notification.sender == this); });
    m_updateDisplayObserver =
        m_context.notifications.addObserver(fromUtf16(ILRIntegratedLogReaderUpdateDisplayNotification),
                                            nullptr, [this](const Notification&) { updateDisplay(); });
    if (m_display)
        window->logView()->setDocument(m_display->document());
}

void ILRIntegratedLogReader::updateDebugLoggingSwitch(bool fromReader) {
    if (!m_window)
        return;
    QCheckBox* debugSwitch = m_window->debugLoggingSwitch();
    bool settable = false;
    const bool enabled = isDebugLoggingEnabledAndSettable(&settable);
    if (debugSwitch->isChecked() != enabled) {
        if (fromReader)
            ZRLog("[ILR] unexpected debug logging state change");
        debugSwitch->setChecked(enabled);
    }
    debugSwitch->setEnabled(settable);
    debugSwitch->setVisible(enabled || settable);
}

void ILRIntegratedLogReader::updateFindEarlierResultsButton() {
    if (!m_window)
        return;
    QPushButton* button = m_window->findEarlierResultsButton();
    button->setEnabled(!m_isSpinning && !cacheLogMessages());
    button->setToolTip(QStringLiteral("Find Earlier Messages"));
    button->setIcon(m_isSpinning ? QIcon() : themeIcon("document-open-recent", QStyle::SP_ArrowUp));
}

void ILRIntegratedLogReader::spin(bool on) {
    m_isSpinning = on;
    if (m_window) {
        m_window->setWindowTitle(on ? m_windowTitle + QString::fromUtf8(FindingOlderMessages)
                                    : m_windowTitle);
        m_window->spinner()->setVisible(on);
    }
    updateFindEarlierResultsButton();
}

void ILRIntegratedLogReader::save() {
    Entries entries;
    {
        Lock lock(m_lock);
        entries = *displayedList();
    }
    if (entries.empty()) {
        ZRLog("[ILR] cannot save log: no entries");
        m_alerts->beep();
        return;
    }
    const std::optional<QString> path = m_alerts->savePanel(m_window);
    if (!path)
        return;
    QString error;
    if (!ILRSavedLog::write(entries, *path, &error)) {
        ZRLog("[ILR] cannot save log: %@", *path);
        m_alerts->beep();
    }
}

void ILRIntegratedLogReader::toggleMessageSender() {
    toggleDisplayRelatedUserDefault(fromUtf16(ILRLogReaderDefaults::HideSender));
}

void ILRIntegratedLogReader::toggleMessageCoalescing() {
    toggleDisplayRelatedUserDefault(fromUtf16(ILRLogReaderDefaults::DisableCoalescing));
}

void ILRIntegratedLogReader::toggleDisplayRelatedUserDefault(const QString& key) {
    {
        Lock lock(m_lock);
        UserDefaults& defaults = m_context.defaults;
        if (defaults.boolForKey(key))
            defaults.removeObject(key);
        else
            defaults.setBool(true, key);
        refreshDisplaySettings();
    }
    m_context.notifications.post(fromUtf16(ILRIntegratedLogReaderUpdateDisplayNotification), this);
}

void ILRIntegratedLogReader::validateMenuItem(QAction* item) {
    const bool hasCache = cachedLogMessages().has_value();
    if (item == m_showSenderItem) {
        item->setChecked(!readBool(fromUtf16(ILRLogReaderDefaults::HideSender)) && !hasCache);
        item->setEnabled(!hasCache);
    } else if (item == m_coalesceItem) {
        item->setChecked(!readBool(fromUtf16(ILRLogReaderDefaults::DisableCoalescing)));
        item->setEnabled(true);
    } else {
        item->setEnabled(true);
    }
}

bool ILRIntegratedLogReader::insertNewline() {
    if (m_window && m_window->saveButton()->isVisible() && m_window->saveButton()->isEnabled())
        save();
    return true;
}

void ILRIntegratedLogReader::windowDidBecomeKey() {
    if (m_window)
        m_window->actionButton()->update();
}

void ILRIntegratedLogReader::windowDidResignKey() {
    windowDidBecomeKey();
}

void ILRIntegratedLogReader::windowWillClose() {
    reset();
    Lock lock(m_lock);
    if (m_cachedLogMessages) {
        if (!readBool(fromUtf16(ILRLogReaderDefaults::CacheDebugLogSilently)))
            m_cachedLogMessages.reset();
    } else {
        m_numberOfDays = 0;
        m_updateDate.reset();
    }
    ++m_revision;
    updateDisplayByDispatchingToMainQueue(false);
}

// ---- State

std::deque<ILRLogEntry> ILRIntegratedLogReader::logEntries() const {
    Lock lock(m_lock);
    return m_logEntries;
}

std::optional<std::deque<ILRLogEntry>> ILRIntegratedLogReader::cachedLogMessages() const {
    Lock lock(m_lock);
    return m_cachedLogMessages;
}

int ILRIntegratedLogReader::numberOfDays() const {
    Lock lock(m_lock);
    return m_numberOfDays;
}

std::optional<ILRDate> ILRIntegratedLogReader::updateDate() const {
    Lock lock(m_lock);
    return m_updateDate;
}

qsizetype ILRIntegratedLogReader::archiveInsertionIndex() const {
    Lock lock(m_lock);
    return m_archiveInsertionIndex;
}

bool ILRIntegratedLogReader::hasLiveStream() const {
    Lock lock(m_lock);
    return m_liveStream != nullptr;
}

QString ILRIntegratedLogReader::filteringPredicate() const {
    Lock lock(m_lock);
    return m_filteringPredicate;
}

ILRLogWindow* ILRIntegratedLogReader::window() const {
    return m_window;
}
