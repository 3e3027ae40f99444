#pragma once

// Runs the real zev-cli, as a script at the store would.

#include "tests/support/TestSupport.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStringList>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace zev::test {

struct Result
{
    int status = -1;
    std::string out;
    std::string err;
};

// `outputFile`: the standard output's file; `variables`: NAME=value more.
inline Result RunCli(const QStringList& arguments, const QString& outputFile = {},
                     const QStringList& variables = {})
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LC_ALL", "C"); // a machine without regional settings
    for (const QString& variable : variables)
        environment.insert(variable.section('=', 0, 0), variable.section('=', 1));
    process.setProcessEnvironment(environment);
    if (!outputFile.isEmpty())
        process.setStandardOutputFile(outputFile);
    if (qEnvironmentVariableIsEmpty("ZEV_CLI"))
        throw std::runtime_error("ZEV_CLI names no zev-cli: run the tests through ctest");
    process.start(qEnvironmentVariable("ZEV_CLI"), arguments);
    if (!process.waitForFinished(60000)) {
        process.kill();
        throw std::runtime_error("zev-cli did not finish");
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
}

// One command line and what it must give: a part of each stream, where ""
// means the stream stays empty, so every message is checked for its stream.
struct TCliCase
{
    std::string line; // the arguments, split at spaces; "~/" is the home folder
    int status;
    std::string out;
    std::string err;
};

// The cases in order, each after --home `home` (none when it is empty).
inline void RunCases(const QString& home, const std::vector<TCliCase>& cases)
{
    const auto holds = [](const std::string& stream, const std::string& part) {
        return part.empty() ? stream.empty() : Contains(stream, part);
    };
    for (const TCliCase& c : cases) {
        SCOPED_TRACE(c.line);
        QStringList arguments = QString::fromStdString(c.line).split(' ', Qt::SkipEmptyParts);
        arguments.replaceInStrings(QRegularExpression("^~/"), home + "/");
        const Result result =
            RunCli((home.isEmpty() ? QStringList() : QStringList{"--home", home}) + arguments);
        EXPECT_EQ(result.status, c.status) << result.err;
        EXPECT_TRUE(holds(result.out, c.out)) << result.out;
        EXPECT_TRUE(holds(result.err, c.err)) << result.err;
        // The program's own words only, never the toolkit's warnings.
        for (const char* warning : {"QBuffer", "QImage", "QFile", "Broken filename"})
            EXPECT_FALSE(Contains(result.err, warning)) << result.err;
    }
}

} // namespace zev::test
