#include "fuzz/FuzzTarget.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <exception>
#include <iostream>

using namespace zev;

namespace {

TEST(FuzzCorpus, EveryTargetTakesEveryFileOfItsCorpusQuietly)
{
    QStringList warnings;
    fuzz::PrepareProcess([&](const QString& warning) { warnings << warning; });

    ASSERT_EQ(fuzz::Targets().size(), 8u);
    for (const fuzz::TFuzzTarget& target : fuzz::Targets()) {
        const QDir corpus(QStringLiteral(ZEV_FUZZ_CORPUS "/") + target.name);
        const QStringList files = corpus.entryList(QDir::Files, QDir::Name);
        EXPECT_GE(files.size(), 3) << target.name << ": a corpus of a few seeds at least";
        for (const QString& name : files) {
            // Named before it runs: a crash shows which file it was.
            std::cout << target.name << '/' << name.toStdString() << std::endl;
            QFile file(corpus.filePath(name));
            ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
            const QByteArray bytes = file.readAll();
            try {
                target.run(
                    std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
            } catch (const std::exception& error) {
                ADD_FAILURE() << target.name << '/' << name.toStdString() << ": " << error.what();
            }
            EXPECT_TRUE(warnings.isEmpty()) << target.name << '/' << name.toStdString() << ": "
                                            << warnings.join('\n').toStdString();
            warnings.clear();
        }
    }
    qInstallMessageHandler(nullptr);
}

} // namespace
