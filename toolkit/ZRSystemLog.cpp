#include "toolkit/ZRSystemLog.h"

#include "platform/foundation/SystemLogFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <unistd.h>

namespace {

constexpr auto SubsystemName = "com.tallowin.Skaf";
constexpr auto MessageType = "Default";
// What the log tool's predicates ask for ("eventType == \"logEvent\"").
constexpr auto EventType = "logEvent";

QString executablePath() {
    std::error_code error;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? QString() : QString::fromStdString(path.string());
}

struct Timestamps {
    QString record;   // "2024-05-01 12:34:56.123456+0200", as the reader parses it
    QString terminal; // "2024-05-01 12:34:56.123"
};

Timestamps timestampsNow() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    const auto micros = duration_cast<microseconds>(now.time_since_epoch()).count() % 1000000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char date[32];
    char zone[8];
    std::strftime(date, sizeof date, "%Y-%m-%d %H:%M:%S", &local);
    std::strftime(zone, sizeof zone, "%z", &local);
    char record[64];
    char terminal[48];
    std::snprintf(record, sizeof record, "%s.%06lld%s", date, static_cast<long long>(micros), zone);
    std::snprintf(terminal, sizeof terminal, "%s.%03lld", date, static_cast<long long>(micros / 1000));
    return {QString::fromLatin1(record), QString::fromLatin1(terminal)};
}

QString shortened(const QString& message) {
    if (message.size() <= ZRSystemLog::MaximumMessageLength)
        return message;
    // The cuts never split a character that takes two code units.
    qsizetype head = ZRSystemLog::MaximumMessageLength / 2;
    if (message.at(head - 1).isHighSurrogate())
        --head;
    qsizetype tail = message.size() - ZRSystemLog::MaximumMessageLength / 2;
    if (message.at(tail).isLowSurrogate())
        ++tail;
    return message.left(head) + QStringLiteral(" [%1 characters left out] ").arg(tail - head) +
           message.mid(tail);
}

} // namespace

struct ZRSystemLog::Private {
    std::mutex mutex;
    QString filePath;
    QFile file;
    qint64 fileSize = 0;
    bool openFailed = false;
    bool echo = isatty(STDERR_FILENO) != 0;
    QString processPath = executablePath();
    QString processName = QFileInfo(processPath).fileName();

    // Under the mutex.
    bool ensureOpen() {
        if (file.isOpen())
            return true;
        if (openFailed)
            return false;
        QDir().mkpath(QFileInfo(filePath).absolutePath());
        if (QFileInfo(filePath).size() > MaximumFileSize) {
            const QString previous = SystemLogFiles::previousFilePath(filePath);
            QFile::remove(previous);
            QFile::rename(filePath, previous);
        }
        file.setFileName(filePath);
        openFailed = !file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text);
        fileSize = openFailed ? 0 : file.size();
        return !openFailed;
    }

    // Under the mutex. A full log is closed, so the next line moves it aside and starts a new one.
    void append(const QByteArray& line) {
        if (!ensureOpen())
            return;
        file.write(line);
        file.flush();
        fileSize += line.size();
        if (fileSize > MaximumFileSize)
            file.close();
    }
};

ZRSystemLog::ZRSystemLog() : d(std::make_unique<Private>()) {
    d->filePath = defaultFilePath();
}

ZRSystemLog::~ZRSystemLog() = default;

ZRSystemLog& ZRSystemLog::shared() {
    // Never destroyed: threads may still log while the program exits.
    static auto* instance = new ZRSystemLog;
    return *instance;
}

QString ZRSystemLog::defaultFilePath() {
    return SystemLogFiles::defaultFilePath();
}

void ZRSystemLog::setFilePath(const QString& path) {
    std::lock_guard lock(d->mutex);
    d->file.close();
    d->openFailed = false;
    d->filePath = path;
}

QString ZRSystemLog::filePath() const {
    std::lock_guard lock(d->mutex);
    return d->filePath;
}

void ZRSystemLog::setEchoesToStandardError(bool echo) {
    std::lock_guard lock(d->mutex);
    d->echo = echo;
}

void ZRSystemLog::write(const QString& whole) {
    const QString message = shortened(whole);
    const Timestamps time = timestampsNow();
    QJsonObject record;
    record.insert(QStringLiteral("timestamp"), time.record);
    record.insert(QStringLiteral("processImagePath"), d->processPath);
    record.insert(QStringLiteral("senderImagePath"), d->processPath);
    record.insert(QStringLiteral("subsystem"), QLatin1String(SubsystemName));
    record.insert(QStringLiteral("messageType"), QLatin1String(MessageType));
    record.insert(QStringLiteral("eventType"), QLatin1String(EventType));
    record.insert(QStringLiteral("eventMessage"), message);
    const QByteArray line = QJsonDocument(record).toJson(QJsonDocument::Compact) + '\n';

    std::lock_guard lock(d->mutex);
    d->append(line);
    if (d->echo) {
        const QByteArray text = QStringLiteral("%1 %2[%3] %4\n")
                                    .arg(time.terminal, d->processName, QString::number(getpid()), message)
                                    .toUtf8();
        std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stderr);
    }
}
