#include "catalogue/Database.h"

#include "platform/AnsiText.h"
#include "tests/support/Catalogue.h"
#include "tests/support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <sys/stat.h>

#include <functional>
#include <string>
#include <vector>

using namespace zev;
using namespace zev::test;

namespace {

long long Count(std::string_view table)
{
    return ScalarInt("select count(*) from " + std::string(table));
}

std::string ErrorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const EDatabaseError& error) {
        return error.what();
    }
    return "(no error)";
}

// CreateDatabase and OpenDatabase both refuse the file, in words that
// contain every part, and leave its bytes as they were.
void ExpectRefusedUntouched(const QString& path, const std::vector<std::string>& parts)
{
    const std::string bytes = ReadFileBytes(path);
    for (const auto& attempt : {+[] { CreateDatabase(); }, +[] { (void)OpenDatabase(); }}) {
        const std::string message = ErrorOf(attempt);
        for (const std::string& part : parts)
            EXPECT_TRUE(Contains(message, part)) << message;
        EXPECT_EQ(ReadFileBytes(path), bytes);
    }
}

class DatabaseTest : public testing::Test
{
protected:
    TProgramDirFixture home;
};

TEST_F(DatabaseTest, FirstStartCreatesTheWholeEmptySchemaAndLaterStartsKeepIt)
{
    // Opening is no creation: a missing catalogue fails and stays missing.
    const QString path = home.File("zev.mdb");
    const std::string quoted = "\"" + path.toStdString() + "\"";
    EXPECT_TRUE(Contains(ErrorOf([] { (void)OpenDatabase(); }), quoted + " não existe."));
    EXPECT_TRUE(Contains(ErrorOf([&] { TConnection(path, TConnection::OpenMode::ExistingFile); }),
                         "Não foi possível abrir o banco de dados " + quoted));
    EXPECT_FALSE(QFile::exists(path));
    // A failed creation (its build file blocked) leaves no catalogue a later start would accept.
    const QString buildPath =
        home.File(QStringLiteral("zev.mdb.%1.new").arg(QCoreApplication::applicationPid()));
    ASSERT_TRUE(QDir().mkpath(buildPath));
    EXPECT_THROW(CreateDatabase(), EDatabaseError);
    EXPECT_FALSE(QFile::exists(path));
    QDir(buildPath).removeRecursively();

    CreateDatabase();

    EXPECT_EQ(QDir(home.Path()).entryList(QDir::Files), QStringList{"zev.mdb"});
    EXPECT_EQ(ScalarText("select group_concat(name, ' ') from (select name from sqlite_master "
                         "where type = 'index' and name not like 'sqlite_%' order by name)"),
              "hi_inicio it_pro pr_alt pr_fin pr_ini pr_pai");
    for (const std::string_view table : CatalogueTables())
        EXPECT_EQ(Count(table), 0) << table;

    // The next start opens the catalogue as it stands.
    Sql("insert into depto values (10, 'MERCEARIA')");
    const std::string before = ReadFileBytes(path);
    CreateDatabase();
    EXPECT_EQ(ReadFileBytes(path), before);
}

// The engine makes its files 0644 whatever the umask: in a folder its group
// shares, the catalogue and its log are the group's to write too.
TEST_F(DatabaseTest, ACatalogueInASharedFolderIsWritableByTheGroup)
{
    for (const bool shared : {false, true}) {
        const TProgramDirFixture folder;
        ASSERT_EQ(chmod(QFile::encodeName(folder.Path()).constData(), shared ? 02775 : 0755), 0);
        CreateDatabase();
        auto connection = OpenDatabase();
        connection->Execute("insert into depto values (10, 'MERCEARIA')");
        for (const char* name : {"zev.mdb", "zev.mdb-wal"}) {
            struct stat status
            {};
            ASSERT_EQ(stat(QFile::encodeName(folder.File(name)).constData(), &status), 0) << name;
            EXPECT_EQ((status.st_mode & S_IWGRP) != 0, shared) << name << ", shared " << shared;
        }
    }
}

TEST_F(DatabaseTest, AFileThatIsNoCatalogueIsReportedByNameAndNeverTouched)
{
    // An SQLite file with a table of its own, but none of ours.
    const QString foreignPath = home.File("foreign.db");
    TConnection(foreignPath, TConnection::OpenMode::CreateFile)
        .Execute("create table clientes (id integer)");
    const std::pair<std::string, const char*> cases[] = {
        {std::string(4096, 'x'), "não é um banco de dados válido"},
        {ReadFileBytes(foreignPath), "faltam as tabelas depto"}};
    const QString path = home.File("zev.mdb");
    for (const auto& [bytes, said] : cases) {
        SCOPED_TRACE(said);
        WriteFileBytes(path, bytes);
        ExpectRefusedUntouched(path, {path.toStdString(), said});
        QFile::remove(path);
    }
}

TEST_F(DatabaseTest, EngineFailuresNameTheFileAndSayWhatHappenedInPortuguese)
{
    CreateDatabase();
    const QString path = home.File("zev.mdb");
    TConnection holder(path, TConnection::OpenMode::ExistingFile);
    using Setup = std::function<void(TConnection&)>; // on the writer's connection
    const struct { const char* name; Setup on; int code; std::vector<std::string> in; } cases[] = {
        {"another program writes", [&](TConnection&) { holder.Execute("begin immediate"); },
         SQLITE_BUSY, {"está em uso por outro programa", "Tente de novo quando ele terminar"}},
        {"read only", [](TConnection& c) { c.Execute("pragma query_only = 1"); }, SQLITE_READONLY,
         {"Não foi possível gravar no banco de dados", "somente para leitura"}},
        {"disk full",
         [](TConnection& c) {
             c.Execute("pragma max_page_count = " + std::to_string(ScalarInt("pragma page_count")));
         },
         SQLITE_FULL,
         {"O disco da pasta \"" + home.Path().toStdString() + "\" está cheio",
          "Libere espaço no disco"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto writer = OpenDatabase();
        c.on(*writer);
        try {
            TTransaction transaction(*writer);
            // Some pages more than the file has.
            writer->Execute("insert into depto with recursive n(k) as (select 1 union all "
                            "select k + 1 from n where k < 256) select k, '" +
                            std::string(30, 'D') + "' from n");
            transaction.Commit();
            ADD_FAILURE() << "the write went through";
        } catch (const EDatabaseError& error) {
            EXPECT_EQ(error.Code(), c.code) << error.what();
            for (const std::string& part : c.in)
                EXPECT_TRUE(Contains(error.what(), part)) << error.what();
            EXPECT_TRUE(Contains(error.what(), "\"" + path.toStdString() + "\"")) << error.what();
        }
        // Readers never wait for a writer.
        EXPECT_EQ(Count("depto"), 0);
        if (sqlite3_get_autocommit(holder.Handle()) == 0)
            holder.Execute("rollback");
    }
}

TEST_F(DatabaseTest, AnOlderCatalogueIsBroughtUpToDateAndANewerOneIsRefusedUntouched)
{
    const QString path = home.File("zev.mdb");
    // A catalogue as each earlier release left it, a row in every table;
    // undo drops what the later versions added.
    for (const auto& [version, undo] :
         {std::pair{0, "drop table selecao_data; "}, std::pair{1, ""}}) {
        SCOPED_TRACE(version);
        QFile::remove(path);
        CreateDatabase();
        AddBranch({10, 101, 1011, 10111});
        Sql("insert into produto (produto_key, sub_grupo_key) values (1, 10111);"
            "insert into item values ('789', 1); insert into selecao values (1);"
            "insert into selecao_barra values ('789');"
            "insert into produto_antigo values (1, 2.5, 0);"
            "insert into selecao_data values (1, '2026-12-07', null)");
        TConnection(path, TConnection::OpenMode::ExistingFile)
            .Execute(std::string("pragma journal_mode = delete; ") + undo +
                     "drop table historico_falta; drop table historico_item; "
                     "drop table historico; pragma user_version = " +
                     std::to_string(version));

        EXPECT_EQ(SchemaVersionOf(*OpenDatabase()), SchemaVersion);
        for (const std::string_view table : CatalogueTables())
            EXPECT_EQ(Count(table), 1) << table;
        EXPECT_EQ(Count("selecao_data"), version);
        EXPECT_EQ(Count("historico"), 0);
        EXPECT_EQ(ScalarText("pragma journal_mode"), "wal");
    }
    Sql("pragma user_version = " + std::to_string(SchemaVersion + 1));
    ExpectRefusedUntouched(path, {"versão mais nova do ZEV", path.toStdString()});
}

TEST_F(DatabaseTest, TheSchemaRefusesWhatTheCatalogueCannotHold)
{
    CreateDatabase();
    AddBranch({10, 101, 1011, 10111});
    Sql("insert into produto (produto_key, sub_grupo_key) values (1, 10111);"
        "insert into item values ('789100', 1)");
    const std::string eighty(80, 'A');
    const std::string eightyAccented = QString(80, QChar(0xC3)).toStdString();
    const std::string product = "insert into produto (produto_key";
    // An orphan, a barcode on two products, texts beyond their width, NULL
    // keys and names, a yes/no other than 0 and 1, a date that is not ISO
    // text, text in a key column, 32-bit columns just beyond their range.
    const std::vector<std::string> refused = {
        "insert into secao values (102, 99, 'X')", "insert into item values ('123', 99)",
        product + ") values (3); insert into item values ('789100', 3)",
        product + ", descricao) values (4, '" + eighty + "B')",
        "insert into selecao_barra values ('123456789012345')",
        "insert into depto values (11, '" + std::string(41, 'N') + "')",
        product + ") values (null)", "insert into depto values (12, null)",
        product + ", caixa) values (6, 2)", product + ", data_inicial) values (7, '01/12/2026')",
        product + ") values ('abc')", product + ", pai) values (8, 2147483648)",
        product + ", divisor_preco) values (8, -2147483649)",
        "insert into depto values (2147483648, 'X')",
    };
    // A product without subgroup, a second barcode, a product selected twice,
    // 80 characters even when accented (more than 80 bytes), a 14-digit
    // scratch barcode, an ISO date, an old price list's product (no foreign key).
    const std::vector<std::string> accepted = {
        product + ") values (2)", "insert into item values ('7891000100110', 1)",
        "insert into selecao values (1); insert into selecao values (1)",
        product + ", descricao) values (4, '" + eightyAccented + "')",
        "insert into selecao_barra values ('12345678901234')",
        product + ", data_inicial) values (7, '2026-12-01')",
        "insert into produto_antigo values (424242, 1.5, 1.25)",
        product + ", pai, divisor_preco) values (2147483647, -2147483648, 2147483647)",
        "insert into depto values (-2147483648, 'X')",
    };
    const auto accepts = [](const std::string& statements) {
        auto connection = OpenDatabase();
        // Never committed: every case starts from the same rows.
        TTransaction transaction(*connection);
        try {
            connection->Execute(statements);
        } catch (const EDatabaseError&) {
            return false;
        }
        return true;
    };
    for (const std::string& statement : refused)
        EXPECT_FALSE(accepts(statement)) << statement;
    for (const std::string& statement : accepted)
        EXPECT_TRUE(accepts(statement)) << statement;
    EXPECT_EQ(Count("produto"), 1);
}

TEST_F(DatabaseTest, ATransactionKeepsItsChangesOnlyWhenCommitted)
{
    CreateDatabase();
    {
        auto connection = OpenDatabase();
        try {
            TTransaction transaction(*connection);
            connection->Execute("insert into depto values (1, 'A')");
            connection->Execute("insert into depto values (1, 'duplicate key')");
            transaction.Commit();
        } catch (const EDatabaseError&) {
        }
        // A failed statement undoes only itself in the engine; the
        // transaction must undo the first insert too.
        EXPECT_EQ(Count("depto"), 0);

        TTransaction transaction(*connection);
        connection->Execute("insert into depto values (2, 'B')");
        transaction.Commit();
    }
    EXPECT_EQ(Count("depto"), 1);
    // A read transaction keeps what was written under it.
    {
        auto connection = OpenDatabase();
        const TReadTransaction snapshot(*connection);
        connection->Execute("insert into depto values (3, 'C')");
    }
    EXPECT_EQ(Count("depto"), 2);

    // A query is one statement.
    auto connection = OpenDatabase();
    EXPECT_THROW(connection->Query("delete from selecao; delete from item"), EDatabaseError);
    EXPECT_NO_THROW(connection->Query("delete from selecao;  "));
}

TEST_F(DatabaseTest, ValuesTravelAsTheProgramKeepsThemAndNamesSortAsTheOperatorReadsThem)
{
    CreateDatabase();
    auto connection = OpenDatabase();
    // Texts arrive as Windows-1252 and are stored as UTF-8; the Portuguese
    // collation orders them (its rules: AnsiTextCompare).
    const std::string acucar = "A\xC7\xDA"
                               "CAR \x80 1KG"; // AÇÚCAR € 1KG
    int key = 0;
    for (const std::string& name : {acucar, std::string("Zebra"), std::string("\xC1gua"),
                                    std::string("abacaxi"), std::string("Abacaxi")})
        connection->Query("insert into depto values (?, ?)").Bind(0, ++key).BindText(1, name)
            .Exec();
    EXPECT_EQ(ScalarText("select hex(nome) || ' ' || length(nome) from depto where depto_key = 1"),
              QString::fromLatin1(QByteArray("AÇÚCAR € 1KG").toHex().toUpper()) + " 12");
    EXPECT_EQ(ScalarText("select group_concat(nome, '|') from (select nome from depto order by "
                         "nome)"),
              "abacaxi|Abacaxi|AÇÚCAR € 1KG|Água|Zebra");

    // Dates travel as day numbers, without the time of day; yes/no columns
    // default to no.
    connection
        ->Query("insert into produto (produto_key, data_inicial, data_final) values (1, ?, ?)")
        .BindDate(0, 45351.75) // 29/02/2024
        .BindDate(1, 2)
        .Exec();
    TQuery& query = connection->Query(
        "select data_inicial, data_final, data_alteracao, compra, caixa from produto");
    query.Exec();
    ASSERT_TRUE(query.Next());
    EXPECT_EQ(query.Date(0), 45351);
    EXPECT_EQ(query.Date(1), 2);
    EXPECT_EQ(query.Date(2), 0); // NULL
    EXPECT_FALSE(query.IsNull(3) || query.Bool(3) || query.Bool(4));

    // The search's fold is the program's own.
    const std::string text = "Água Maçã ÇÃO";
    TQuery& fold = connection->Query("select ptbr_fold(?), ptbr_fold(null)");
    fold.BindText(0, Utf8ToAnsi(text)).Exec();
    ASSERT_TRUE(fold.Next());
    EXPECT_EQ(AnsiToUtf8(fold.Text(0)), FoldUtf8(text));
    EXPECT_TRUE(fold.IsNull(1));
}

} // namespace
