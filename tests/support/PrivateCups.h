#pragma once

// A CUPS daemon of the test's own: configuration, spool, logs and socket in
// a temporary directory, reached through CUPS_SERVER while it lives, so the
// system's spooler is never touched. Its raw queues hand each job to a small
// backend that appends the job's bytes, unchanged, to a file per queue.
//
// The daemon stops with the object, and with the test process if that dies
// first. It runs as whoever runs the tests, root included.

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace zev::test {

struct TSpooledJob
{
    std::string title;
    bool completed = false; // false: cancelled or aborted

    bool operator==(const TSpooledJob&) const = default;
};

inline void PrintTo(const TSpooledJob& job, std::ostream* out)
{
    *out << '"' << job.title << "\" " << (job.completed ? "completed" : "not completed");
}

class TPrivateCups
{
public:
    // Whether the daemon and its administration tools are installed.
    static bool IsInstalled();

    // Starts the daemon and points CUPS_SERVER at it; throws
    // std::runtime_error with the daemon's log when it does not come up.
    TPrivateCups();
    ~TPrivateCups();
    TPrivateCups(const TPrivateCups&) = delete;
    TPrivateCups& operator=(const TPrivateCups&) = delete;

    // A raw queue accepting jobs; every job's bytes go to OutputOf(name).
    void AddQueue(const std::string& name);
    void RemoveQueue(const std::string& name);
    void SetAcceptingJobs(const std::string& name, bool accepting);

    // Everything the queue's jobs have printed so far; empty if nothing.
    std::string OutputOf(const std::string& queue) const;
    // Waits until the queue holds no waiting or running job; then every job
    // it has had, oldest first.
    std::vector<TSpooledJob> WaitForJobs(const std::string& queue) const;

    // Stops the daemon; CUPS_SERVER keeps naming its (now dead) socket.
    void Stop();

private:
    QString PathOf(const QString& relative) const;
    void WriteConfiguration() const;
    void StartDaemon();
    void WaitUntilListening() const;
    QString DaemonLog() const;
    void RunTool(const QString& tool, const QStringList& arguments) const;

    QTemporaryDir m_dir;
    QString m_socketPath;
    std::unique_ptr<QProcess> m_daemon;
    bool m_hadServer = false;
    QByteArray m_previousServer;
};

} // namespace zev::test
