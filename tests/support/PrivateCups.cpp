#include "tests/support/PrivateCups.h"

#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cups/cups.h>

#include <sys/prctl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <span>
#include <stdexcept>
#include <thread>
#include <utility>

namespace zev::test {

namespace {

using namespace std::chrono_literals;

// Generous: a loaded build machine may be slow, but never this slow.
constexpr auto StartBound = 30s;
constexpr auto JobBound = 60s;
constexpr auto PollInterval = 10ms;
constexpr int ToolTimeoutMs = 30000;

// A Unix socket path holds at most 107 bytes.
constexpr qsizetype SocketPathLimit = 100;
const QString SocketName = "/cups.sock";

// The helpers cupsd runs jobs through (cups-exec) live here on Debian.
const QString SystemDaemonHelpers = "/usr/lib/cups/daemon";
const QStringList SystemToolDirs = {"/usr/sbin", "/sbin", "/usr/bin"};

// Appends the job's bytes to the file named by the device URI
// ("zevfile:/path"). Without arguments CUPS is asking for devices to list.
const char* const BackendScript = R"(#!/bin/sh
[ $# -eq 0 ] && exit 0
out="${DEVICE_URI#*:}"
if [ $# -ge 6 ]; then cat -- "$6"; else cat; fi >> "$out"
)";

QString FindTool(const QString& name)
{
    const QString path = QStandardPaths::findExecutable(name, SystemToolDirs);
    return path.isEmpty() ? QStandardPaths::findExecutable(name) : path;
}

QString DirectoryTemplate()
{
    const QString pattern = "/zev-cups-XXXXXX";
    const QString preferred = QDir::tempPath() + pattern;
    if (preferred.size() + SocketName.size() <= SocketPathLimit)
        return preferred;
    return "/tmp" + pattern;
}

void WriteText(const QString& path, const std::string& text, QFile::Permissions permissions)
{
    WriteFileBytes(path, text);
    if (!QFile::setPermissions(path, permissions))
        throw std::runtime_error("cannot set the permissions of " + path.toStdString());
}

struct TJobsReleaser
{
    int count = 0;
    cups_job_t* jobs = nullptr;
    ~TJobsReleaser() { cupsFreeJobs(count, jobs); }
};

// The queue's jobs (CUPS_WHICHJOBS_...), oldest first.
std::vector<TSpooledJob> ListJobs(const std::string& queue, int which)
{
    TJobsReleaser list;
    list.count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &list.jobs, queue.c_str(), 0, which);
    if (list.count < 0)
        throw std::runtime_error("cannot list the jobs of " + queue + ": " + cupsLastErrorString());
    std::sort(list.jobs, list.jobs + list.count,
              [](const cups_job_t& a, const cups_job_t& b) { return a.id < b.id; });
    std::vector<TSpooledJob> jobs;
    for (const cups_job_t& job : std::span(list.jobs, static_cast<std::size_t>(list.count)))
        jobs.push_back({job.title != nullptr ? job.title : "", job.state == IPP_JSTATE_COMPLETED});
    return jobs;
}

} // namespace

bool TPrivateCups::IsInstalled()
{
    return !FindTool("cupsd").isEmpty() && !FindTool("lpadmin").isEmpty() &&
           QFile::exists(SystemDaemonHelpers + "/cups-exec");
}

TPrivateCups::TPrivateCups()
    : m_dir(DirectoryTemplate()), m_hadServer(qEnvironmentVariableIsSet("CUPS_SERVER")),
      m_previousServer(qgetenv("CUPS_SERVER"))
{
    if (!m_dir.isValid())
        throw std::runtime_error("cannot create a directory for the private CUPS daemon");
    m_socketPath = m_dir.path() + SocketName;
    WriteConfiguration();
    // libcups keeps the server it has read: make it read CUPS_SERVER again.
    qputenv("CUPS_SERVER", m_socketPath.toLocal8Bit());
    cupsSetServer(nullptr);
    StartDaemon();
}

TPrivateCups::~TPrivateCups()
{
    Stop();
    if (m_hadServer)
        qputenv("CUPS_SERVER", m_previousServer);
    else
        qunsetenv("CUPS_SERVER");
    cupsSetServer(nullptr);
}

QString TPrivateCups::PathOf(const QString& relative) const
{
    return m_dir.filePath(relative);
}

// Every path the daemon writes to is ours; only its read-only data (MIME
// types, templates) comes from the system.
void TPrivateCups::WriteConfiguration() const
{
    const QFile::Permissions shared = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                      QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                      QFile::ExeOther;
    for (const char* folder :
         {"conf", "cache", "state", "spool", "spool/tmp", "log", "out", "bin", "bin/backend"}) {
        const QString path = PathOf(folder);
        if (!QDir().mkpath(path) || !QFile::setPermissions(path, shared))
            throw std::runtime_error("cannot create " + path.toStdString());
    }
    if (!QFile::link(SystemDaemonHelpers, PathOf("bin/daemon")))
        throw std::runtime_error("cannot link the CUPS daemon helpers");
    // Only an executable that others cannot read runs as root, which lets
    // it write into our temporary directory.
    WriteText(PathOf("bin/backend/zevfile"), BackendScript,
              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    const std::pair<const char*, const char*> paths[] = {
        {"ServerRoot", "conf"},         {"ServerBin", "bin"},
        {"ServerKeychain", "conf/ssl"}, {"CacheDir", "cache"},
        {"StateDir", "state"},          {"RequestRoot", "spool"},
        {"TempDir", "spool/tmp"},       {"AccessLog", "log/access_log"},
        {"ErrorLog", "log/error_log"},  {"PageLog", "log/page_log"},
        {"Printcap", "state/printcap"},
    };
    std::string files = "FileDevice Yes\nSystemGroup root\n";
    for (const auto& [directive, relative] : paths)
        files += std::string(directive) + " " + PathOf(relative).toStdString() + "\n";
    WriteText(PathOf("conf/cups-files.conf"), files, shared);

    // Nobody else can reach the socket (our directory is private), so no
    // operation asks for authentication. A failing job is aborted instead of
    // stopping the queue for the tests after it.
    const std::string daemon = "Listen " + m_socketPath.toStdString() + "\n" +
                               "LogLevel warn\n"
                               "Browsing No\n"
                               "WebInterface No\n"
                               "ErrorPolicy abort-job\n"
                               "DefaultPolicy open\n"
                               "<Policy open>\n"
                               "  JobPrivateValues none\n"
                               "  SubscriptionPrivateValues none\n"
                               "  <Limit All>\n"
                               "    Order deny,allow\n"
                               "  </Limit>\n"
                               "</Policy>\n";
    WriteText(PathOf("conf/cupsd.conf"), daemon, shared);
}

void TPrivateCups::StartDaemon()
{
    m_daemon = std::make_unique<QProcess>();
    m_daemon->setProgram(FindTool("cupsd"));
    m_daemon->setArguments(
        {"-f", "-c", PathOf("conf/cupsd.conf"), "-s", PathOf("conf/cups-files.conf")});
    // Its own session, and no stream shared with ctest, which would wait for
    // it otherwise; it goes when the test process goes, whatever the reason.
    m_daemon->setStandardInputFile(QProcess::nullDevice());
    m_daemon->setProcessChannelMode(QProcess::MergedChannels);
    m_daemon->setStandardOutputFile(PathOf("log/daemon.out"));
    m_daemon->setChildProcessModifier([] {
        ::setsid();
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    });
    m_daemon->start();
    if (!m_daemon->waitForStarted())
        throw std::runtime_error("cannot start cupsd: " + m_daemon->errorString().toStdString());
    WaitUntilListening();
}

void TPrivateCups::WaitUntilListening() const
{
    const auto deadline = std::chrono::steady_clock::now() + StartBound;
    while (std::chrono::steady_clock::now() < deadline) {
        if (m_daemon->state() == QProcess::NotRunning)
            throw std::runtime_error("cupsd ended at start-up:\n" + DaemonLog().toStdString());
        if (http_t* const http = httpConnect2(m_socketPath.toLocal8Bit().constData(), 0, nullptr,
                                              AF_LOCAL, HTTP_ENCRYPTION_NEVER, 1, 1000, nullptr)) {
            httpClose(http);
            return;
        }
        std::this_thread::sleep_for(PollInterval);
    }
    throw std::runtime_error("cupsd does not listen on " + m_socketPath.toStdString() + ":\n" +
                             DaemonLog().toStdString());
}

QString TPrivateCups::DaemonLog() const
{
    QString log;
    for (const char* name : {"log/daemon.out", "log/error_log"}) {
        QFile file(PathOf(name));
        if (file.open(QIODevice::ReadOnly))
            log += QString::fromUtf8(file.readAll());
    }
    return log;
}

void TPrivateCups::Stop()
{
    if (!m_daemon || m_daemon->state() == QProcess::NotRunning)
        return;
    m_daemon->terminate();
    if (!m_daemon->waitForFinished(ToolTimeoutMs)) {
        m_daemon->kill();
        m_daemon->waitForFinished();
    }
}

void TPrivateCups::RunTool(const QString& tool, const QStringList& arguments) const
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(FindTool(tool), QStringList{"-h", m_socketPath} + arguments);
    const bool finished = process.waitForFinished(ToolTimeoutMs);
    if (!finished || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        throw std::runtime_error(tool.toStdString() + " " + arguments.join(' ').toStdString() +
                                 " failed: " + process.readAll().toStdString() +
                                 process.errorString().toStdString());
}

void TPrivateCups::AddQueue(const std::string& name)
{
    const QString device = "zevfile:" + PathOf("out/" + QString::fromStdString(name));
    RunTool("lpadmin", {"-p", QString::fromStdString(name), "-E", "-v", device});
}

void TPrivateCups::RemoveQueue(const std::string& name)
{
    RunTool("lpadmin", {"-x", QString::fromStdString(name)});
}

void TPrivateCups::SetAcceptingJobs(const std::string& name, bool accepting)
{
    RunTool(accepting ? "cupsaccept" : "cupsreject", {QString::fromStdString(name)});
}

std::string TPrivateCups::OutputOf(const std::string& queue) const
{
    const QString path = PathOf("out/" + QString::fromStdString(queue));
    return QFile::exists(path) ? ReadFileBytes(path) : std::string();
}

std::vector<TSpooledJob> TPrivateCups::WaitForJobs(const std::string& queue) const
{
    const auto deadline = std::chrono::steady_clock::now() + JobBound;
    while (!ListJobs(queue, CUPS_WHICHJOBS_ACTIVE).empty()) {
        if (std::chrono::steady_clock::now() >= deadline)
            throw std::runtime_error("jobs of " + queue + " still waiting:\n" +
                                     DaemonLog().toStdString());
        std::this_thread::sleep_for(PollInterval);
    }
    return ListJobs(queue, CUPS_WHICHJOBS_ALL);
}

} // namespace zev::test
