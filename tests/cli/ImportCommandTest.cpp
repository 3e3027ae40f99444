#include "app/Settings.h"
#include "catalogue/Database.h"
#include "platform/Profile.h"
#include "tests/cli/RunCli.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <gtest/gtest.h>

#include <signal.h>
#include <string>

using namespace zev;
using zev::test::Contains;
using zev::test::ReadFileBytes;
using zev::test::Result;
using zev::test::RunCli;
using zev::test::TProgramDirFixture;
using zev::test::WriteFileBytes;

namespace {

class ImportCommandTest : public testing::Test
{
protected:
    QStringList WithHome(const QStringList& arguments) const
    {
        return QStringList{"--home", home.Path()} + arguments;
    }

    int Count(const char* table)
    {
        const auto connection = OpenDatabase();
        TQuery& query = connection->Query(std::string("select count(*) from ") + table);
        query.Exec();
        query.Next();
        return query.Int(0);
    }

    TProgramDirFixture home;
};

TEST_F(ImportCommandTest, TheExamplePackageFillsTheCatalogue)
{
    const QString example = QStringLiteral(ZEV_SOURCE_DIR "/examples/ZEV.TXT");
    const Result result = RunCli(WithHome({"import", example}));
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "Arquivo importado com sucesso\n");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(Count("depto"), 8);
    EXPECT_EQ(Count("produto"), 115);
    EXPECT_EQ(Count("item"), 152);
    EXPECT_EQ(TIniFile(SettingsPath()).ReadString(settings::Geral, settings::PathCadastro.key),
              QStringLiteral(ZEV_SOURCE_DIR "/examples/").toStdString());

    // A box found by its GTIN written with a leading one, its unit with it.
    const Result box = RunCli(WithHome({"produto", "1091"}));
    EXPECT_TRUE(Contains(box.out, "Descrição: CX 20 ÓLEO DE SOJA SOYA 900ML\n")) << box.out;
    EXPECT_TRUE(Contains(box.out, "Pai: 1090 ÓLEO DE SOJA SOYA 900ML\n")) << box.out;
    // Exported as a 14-digit GTIN, found by the 13 digits a scanner reads.
    const Result gtin = RunCli(WithHome({"produto", "--barra", "7890010001356"}));
    EXPECT_TRUE(Contains(gtin.out, "Produto: 1060\n")) << gtin.out << gtin.err;
}

TEST_F(ImportCommandTest, ARefusedPackageIsReportedOnStandardErrorAndChangesNothing)
{
    CreateDatabase();
    const std::string database = ReadFileBytes(home.File("zev.mdb"));
    const struct
    {
        std::string package;
        const char* message;
    } cases[] = {
        {"0;4\r\n", "Versão do arquivo de importação inválida: 4 <> 5 Atualize a versão do ZEV\n"},
        {"0;5\r\n1;1;A\r\n9;1\r\n", "Linha 3 do arquivo de importação: tipo de registro inválido"},
    };
    for (const auto& c : cases) {
        WriteFileBytes(home.File("ZEV.TXT"), c.package);
        const Result result = RunCli(WithHome({"import", home.File("ZEV.TXT")}));
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.out, "");
        EXPECT_TRUE(Contains(result.err, c.message)) << result.err;
        EXPECT_TRUE(ReadFileBytes(home.File("zev.mdb")) == database);
    }
    EXPECT_FALSE(QFile::exists(SettingsPath()));
    EXPECT_EQ(RunCli(WithHome({"import"})).status, 2);
}

TEST_F(ImportCommandTest, CtrlCStopsTheImportAndNothingChanges)
{
    const QString package = home.File("ZEV.TXT");
    QProcess generator;
    generator.start(qEnvironmentVariable("ZEV_GENCAT"),
                    {"--package", package, "--produtos", "40000"});
    ASSERT_TRUE(generator.waitForFinished(60000));
    ASSERT_EQ(generator.exitCode(), 0);
    CreateDatabase();
    const std::string database = ReadFileBytes(home.File("zev.mdb"));

    QProcess cli;
    cli.start(qEnvironmentVariable("ZEV_CLI"), WithHome({"import", package}));
    ASSERT_TRUE(cli.waitForStarted());
    // The staged files appear once the import listens for Ctrl+C.
    QElapsedTimer waited;
    waited.start();
    while (!QFile::exists(home.File("tmp/depto.csv")) && waited.elapsed() < 30000 &&
           cli.state() == QProcess::Running)
        QThread::msleep(5);
    ::kill(static_cast<pid_t>(cli.processId()), SIGINT);
    ASSERT_TRUE(cli.waitForFinished(60000));

    EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(cli.exitCode(), 1);
    EXPECT_EQ(cli.readAllStandardError().toStdString(),
              "Importação cancelada: o cadastro não foi alterado\n");
    EXPECT_TRUE(ReadFileBytes(home.File("zev.mdb")) == database);
    EXPECT_FALSE(QDir(home.File("tmp")).exists());
}

} // namespace
