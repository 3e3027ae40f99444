#pragma once

// Runs the real zev-cli, as a script at the store would.

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <stdexcept>
#include <string>

namespace zev::test {

struct Result
{
    int status = -1;
    std::string out;
    std::string err;
};

// `extra`: "NAME=value" entries added to the program's environment.
inline Result RunCli(const QStringList& arguments, const QString& outputFile = {},
                     const QStringList& extra = {})
{
    const QString program = qEnvironmentVariable("ZEV_CLI");
    if (program.isEmpty())
        throw std::runtime_error("ZEV_CLI is not set: run the tests through ctest");
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LC_ALL", "C"); // a machine without regional settings
    for (const QString& entry : extra)
        environment.insert(entry.section('=', 0, 0), entry.section('=', 1));
    process.setProcessEnvironment(environment);
    if (!outputFile.isEmpty())
        process.setStandardOutputFile(outputFile);
    process.start(program, arguments);
    if (!process.waitForFinished(60000)) {
        process.kill();
        throw std::runtime_error("zev-cli did not finish");
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
}

} // namespace zev::test
