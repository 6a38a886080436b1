#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class QSocketNotifier;
class QTimer;

// The running program's ear for later starts: a local socket, readable by the user alone, whose requests
// are complete when the later start hangs up. Any process of the user may connect and hold on, or send
// much, so it holds a bounded number of connections at once (a new one takes the place of the oldest),
// each for a bounded time and size; and it keeps listening when the program runs out of descriptors or the
// socket fails. What it drops or refuses is logged once per burst, not once per connection.
class ZRLaterStartListener : public QObject {
    Q_OBJECT

public:
    static constexpr int MaximumConnections = 8;
    // Requests are file lists, not files.
    static constexpr qint64 MaximumRequestBytes = 1024 * 1024;
    // A later start sends its request at once; one that holds on longer is dropped.
    static constexpr int ConnectionMilliseconds = 5000;

    using Handler = std::function<void(const QByteArray& request)>;

    // Each complete request goes to handler, in the order they end.
    ZRLaterStartListener(QString path, Handler handler, QObject* parent = nullptr);
    ~ZRLaterStartListener() override;

    // Replaces whatever file is at the path (the caller holds the lock that makes it stale) and listens;
    // false with the reason when it cannot.
    bool listen(QString* error = nullptr);
    bool isListening() const;
    QString path() const { return m_path; }
    // Connections held now.
    int connectionCount() const;

private:
    struct Connection;

    void acceptPending();
    void read(Connection& connection);
    void drop(Connection& connection);
    void dropExpired();
    void reopen(const QString& reason);
    void closeListener();
    void noteForLog(int& counter);
    void flushLog();

    QString m_path;
    Handler m_handler;
    int m_listener = -1;
    // Kept open to be given up when descriptors run out: one is then free to take and close a connection.
    int m_spare = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::vector<std::unique_ptr<Connection>> m_connections;
    std::unique_ptr<QTimer> m_expiry;
    std::unique_ptr<QTimer> m_retry;
    std::unique_ptr<QTimer> m_resume;
    std::unique_ptr<QTimer> m_logFlush;
    int m_dropped = 0;
    int m_refused = 0;
    int m_closedForWantOfDescriptors = 0;
};
