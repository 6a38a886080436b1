#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QLockFile;
class ZRLaterStartListener;

// One running program per settings file: two programs that each kept the file's actions in memory would
// each save over what the other wrote. The first start holds a lock and listens on a local socket in the
// user's runtime directory, and notes where it runs; a later start, on any display, hands it the files it
// was given (none: the user just started the program again) and quits.
class ZRSingleInstance : public QObject {
    Q_OBJECT

public:
    // name tells programs apart: one per settings file. place says where this one runs (a display name),
    // for a later start to tell the user.
    explicit ZRSingleInstance(const QString& name, const QString& place = QString(),
                              QObject* parent = nullptr);
    ~ZRSingleInstance() override;

    // The name for the programs that keep their settings in the file: one whichever path leads to it.
    static QString nameForSettingsFile(const QString& path);

    enum class Role {
        // This process runs the program: it listens for later starts.
        First,
        // Another process runs the program and took the files.
        HandedOver,
        // Another process holds the lock but could not be reached.
        Unreachable,
        // Another process runs the program, and the files are more than it takes at once.
        TooManyFiles,
    };
    // Files are made absolute before they are handed over.
    Role claim(const QStringList& files);
    // The lock, socket and place files of the running program (after claim answered First).
    QStringList filePaths() const;
    // Where the running program said it runs (after claim answered HandedOver or Unreachable); empty when
    // it did not say.
    std::optional<QString> runningPlace() const;

Q_SIGNALS:
    // A later start handed these files over; empty: it was started again without files.
    void filesReceived(const QStringList& files);

private:
    bool listen();
    Role handOver(const QStringList& files);

    QString path(const char* suffix) const;

    QString m_name;
    QString m_place;
    std::optional<QString> m_runningPlace;
    bool m_wrotePlace = false;
    QString m_directory;
    std::unique_ptr<QLockFile> m_lock;
    std::unique_ptr<ZRLaterStartListener> m_listener;
};
