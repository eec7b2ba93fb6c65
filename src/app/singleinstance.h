#pragma once
// One running copy per user and key (the program's books and desktop). The
// first copy holds a lock file and listens on a local socket, both named after
// the program, the user and the key; a second start with the same key finds the
// lock taken, asks the first copy to bring its window forward, and ends.
#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <functional>
#include <memory>

class SingleInstance : public QObject
{
    Q_OBJECT

public:
    SingleInstance(const QString &programName, const QString &key, QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when this is the first copy (or when the lock cannot be had at all,
    // in which case the program runs as a first copy).
    bool isFirst() const { return m_first; }
    // For a later copy: asks the running copy to come forward. False when the
    // running copy cannot be reached; the caller then runs as a normal copy.
    bool handOver();
    // For the first copy: what to do when a later copy asks.
    void onHandOver(std::function<void()> raise);
    // For the first copy on its way out: later starts no longer hand over.
    void stopListening();

    static QString nameFor(const QString &programName, const QString &key);

private:
    void serve(class QLocalSocket *socket);

    QString m_name;
    std::unique_ptr<QLockFile> m_lock;
    std::unique_ptr<QLocalServer> m_server;
    std::function<void()> m_raise;
    bool m_first = true;
};
