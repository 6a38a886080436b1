#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

class QLocalServer;
class QLockFile;

// One running program per display. The first start holds a lock and listens on a local socket in the
// user's runtime directory; a later start hands it the files it was given (none: the user just started
// the program again) and quits.
class ZRSingleInstance : public QObject {
    Q_OBJECT

public:
    // Requests larger than this are refused: they are file lists, not files.
    static constexpr qint64 MaximumRequestBytes = 1024 * 1024;

    // name tells programs apart: one per display (and desktop backend) of the user.
    explicit ZRSingleInstance(const QString& name, QObject* parent = nullptr);
    ~ZRSingleInstance() override;

    // The name for a backend on a display ("x11" and ":0").
    static QString nameForDisplay(const QString& platformName, const QString& display);

    enum class Role {
        // This process runs the program: it listens for later starts.
        First,
        // Another process runs the program and took the files.
        HandedOver,
        // Another process holds the lock but could not be reached.
        Unreachable,
    };
    // Files are made absolute before they are handed over.
    Role claim(const QStringList& files);
    // The lock and socket files of the running program (after claim answered First).
    QStringList filePaths() const;

Q_SIGNALS:
    // A later start handed these files over; empty: it was started again without files.
    void filesReceived(const QStringList& files);

private:
    bool listen();
    bool handOver(const QStringList& files);

    QString m_name;
    QString m_directory;
    std::unique_ptr<QLockFile> m_lock;
    std::unique_ptr<QLocalServer> m_server;
};
