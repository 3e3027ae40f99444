#include "catalogue/Database.h"

#include "platform/AnsiText.h"
#include "tests/support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <sys/stat.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

using namespace zev;
using zev::test::Contains;
using zev::test::ReadFileBytes;
using zev::test::TProgramDirFixture;
using zev::test::WriteFileBytes;

namespace {

class DatabaseTest : public testing::Test
{
protected:
    TProgramDirFixture home;

    std::vector<std::string> Names(TConnection& connection, const char* type)
    {
        TQuery& query =
            connection.Query("select name from sqlite_master where type = ? and name not like "
                             "'sqlite_%' order by name");
        query.BindText(0, type);
        query.Exec();
        std::vector<std::string> names;
        while (query.Next())
            names.push_back(query.Text(0));
        return names;
    }

    int Count(TConnection& connection, const std::string& table)
    {
        TQuery& query = connection.Query("select count(*) from " + table);
        query.Exec();
        EXPECT_TRUE(query.Next());
        return query.Int(0);
    }
};

TEST_F(DatabaseTest, FirstStartCreatesTheWholeEmptySchemaAndLaterStartsKeepIt)
{
    // Opening is no creation: a missing catalogue fails and stays missing.
    EXPECT_THROW(OpenDatabase(), EDatabaseError);
    EXPECT_FALSE(QFile::exists(home.File("zev.mdb")));

    CreateDatabase();

    ASSERT_TRUE(QFile::exists(home.File("zev.mdb")));
    EXPECT_EQ(QDir(home.Path()).entryList(QDir::Files), QStringList{"zev.mdb"});

    auto connection = OpenDatabase();
    EXPECT_EQ(
        Names(*connection, "table"),
        (std::vector<std::string>{"depto", "grupo", "historico", "historico_falta",
                                  "historico_item", "item", "produto", "produto_antigo", "secao",
                                  "selecao", "selecao_barra", "selecao_data", "sub_grupo"}));
    EXPECT_EQ(
        Names(*connection, "index"),
        (std::vector<std::string>{"hi_inicio", "it_pro", "pr_alt", "pr_fin", "pr_ini", "pr_pai"}));
    for (const std::string_view table : CatalogueTables())
        EXPECT_EQ(Count(*connection, std::string(table)), 0) << table;

    // The next start opens the catalogue as it stands.
    connection->Execute("insert into depto values (10, 'MERCEARIA')");
    connection.reset();
    const std::string before = ReadFileBytes(home.File("zev.mdb"));
    CreateDatabase();
    EXPECT_EQ(ReadFileBytes(home.File("zev.mdb")), before);
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
    struct Case
    {
        const char* name;
        std::string bytes;
        const char* expectedText;
    };
    // An SQLite file with a table of its own, but none of ours.
    const QString foreignPath = home.File("foreign.db");
    {
        TConnection foreign(foreignPath, TConnection::OpenMode::CreateFile);
        foreign.Execute("create table clientes (id integer)");
    }
    const std::vector<Case> cases = {
        {"garbage", std::string(4096, 'x'), "não é um banco de dados válido"},
        {"text file", "Provider=Microsoft.Jet.OLEDB.4.0\r\n", "não é um banco de dados válido"},
        {"other sqlite database", ReadFileBytes(foreignPath), "faltam as tabelas depto"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = home.File("zev.mdb");
        WriteFileBytes(path, c.bytes);

        for (const auto& attempt : {+[] { CreateDatabase(); }, +[] { (void)OpenDatabase(); }}) {
            try {
                attempt();
                ADD_FAILURE() << "accepted a file that is no catalogue";
            } catch (const EDatabaseError& error) {
                const std::string message = error.what();
                EXPECT_NE(message.find(path.toStdString()), std::string::npos) << message;
                EXPECT_NE(message.find(c.expectedText), std::string::npos) << message;
            }
            EXPECT_EQ(ReadFileBytes(path), c.bytes);
        }
        QFile::remove(path);
    }
}

TEST_F(DatabaseTest, EngineFailuresNameTheFileAndSayWhatHappenedInPortuguese)
{
    CreateDatabase();
    const QString path = home.File("zev.mdb");
    TConnection holder(path, TConnection::OpenMode::ExistingFile);
    struct Case
    {
        const char* name;
        std::function<void(TConnection&)> arrange; // on the writer's connection
        int code;
        std::vector<std::string> said;
    };
    const std::vector<Case> cases = {
        {"another program writes",
         [&](TConnection&) { holder.Execute("begin immediate"); },
         SQLITE_BUSY,
         {"está em uso por outro programa", "Tente de novo quando ele terminar"}},
        {"read only",
         [](TConnection& c) { c.Execute("pragma query_only = 1"); },
         SQLITE_READONLY,
         {"Não foi possível gravar no banco de dados", "somente para leitura"}},
        {"disk full",
         [](TConnection& c) {
             TQuery& pages = c.Query("pragma page_count");
             pages.Exec();
             pages.Next();
             c.Execute("pragma max_page_count = " + std::to_string(pages.Int(0)));
             pages.Finish();
         },
         SQLITE_FULL,
         {"O disco da pasta \"" + home.Path().toStdString() + "\" está cheio",
          "Libere espaço no disco"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto writer = OpenDatabase();
        c.arrange(*writer);
        try {
            TTransaction transaction(*writer);
            writer->Execute("insert into depto values (1, '" + std::string(30, 'D') +
                            "');"
                            "insert into depto select depto_key + 1, nome from depto;"
                            "insert into depto select depto_key + 2, nome from depto;"
                            "insert into depto select depto_key + 4, nome from depto;"
                            "insert into depto select depto_key + 8, nome from depto;"
                            "insert into depto select depto_key + 16, nome from depto;"
                            "insert into depto select depto_key + 32, nome from depto;"
                            "insert into depto select depto_key + 64, nome from depto;"
                            "insert into depto select depto_key + 128, nome from depto;");
            transaction.Commit();
            ADD_FAILURE() << "the write went through";
        } catch (const EDatabaseError& error) {
            const std::string message = error.what();
            EXPECT_EQ(error.Code(), c.code) << message;
            EXPECT_TRUE(Contains(message, "\"" + path.toStdString() + "\"")) << message;
            for (const std::string& part : c.said)
                EXPECT_TRUE(Contains(message, part)) << message;
        }
        // Readers never wait for a writer.
        EXPECT_EQ(Count(*OpenDatabase(), "depto"), 0);
        if (sqlite3_get_autocommit(holder.Handle()) == 0)
            holder.Execute("rollback");
    }
}

TEST_F(DatabaseTest, AnOlderCatalogueIsBroughtUpToDateAndANewerOneIsRefusedUntouched)
{
    const QString path = home.File("zev.mdb");
    // A catalogue as each earlier release left it, a row in every table.
    struct TRelease
    {
        int version;
        const char* undo; // what the later versions added
    };
    for (const TRelease release :
         {TRelease{0, "drop table historico_falta; drop table historico_item; "
                      "drop table historico; drop table selecao_data"},
          TRelease{1, "drop table historico_falta; drop table historico_item; "
                      "drop table historico"}}) {
        SCOPED_TRACE(release.version);
        QFile::remove(path);
        CreateDatabase();
        {
            TConnection old(path, TConnection::OpenMode::ExistingFile);
            old.Execute(std::string("pragma journal_mode = delete; ") + release.undo +
                        "; pragma user_version = " + std::to_string(release.version) +
                        "; insert into depto values (10, 'MERCEARIA');"
                        "insert into secao values (101, 10, 'BISCOITOS');"
                        "insert into grupo values (1011, 101, 'RECHEADOS');"
                        "insert into sub_grupo values (10111, 1011, 'CHOCOLATE');"
                        "insert into produto (produto_key, descricao, sub_grupo_key) "
                        "values (1, 'BISCOITO', 10111);"
                        "insert into item values ('789', 1); insert into selecao values (1);"
                        "insert into selecao_barra values ('789');"
                        "insert into produto_antigo values (1, 2.5, 0)");
            if (release.version >= 1)
                old.Execute("insert into selecao_data values (1, '2026-12-07', null)");
        }
        auto connection = OpenDatabase();
        EXPECT_EQ(SchemaVersionOf(*connection), SchemaVersion);
        for (const std::string_view table : CatalogueTables())
            EXPECT_EQ(Count(*connection, std::string(table)), 1) << table;
        EXPECT_EQ(Count(*connection, "selecao_data"), release.version >= 1 ? 1 : 0);
        EXPECT_EQ(Count(*connection, "historico"), 0);
        TQuery& mode = connection->Query("pragma journal_mode");
        mode.Exec();
        ASSERT_TRUE(mode.Next());
        EXPECT_EQ(mode.Text(0), "wal");
        mode.Finish();
    }
    OpenDatabase()->Execute("pragma user_version = " + std::to_string(SchemaVersion + 1));
    const std::string newer = ReadFileBytes(path);
    for (const auto& attempt : {+[] { CreateDatabase(); }, +[] { (void)OpenDatabase(); }}) {
        try {
            attempt();
            ADD_FAILURE() << "opened a catalogue of a newer program";
        } catch (const EDatabaseError& error) {
            EXPECT_TRUE(Contains(error.what(), "versão mais nova do ZEV")) << error.what();
            EXPECT_TRUE(Contains(error.what(), path.toStdString())) << error.what();
        }
        EXPECT_EQ(ReadFileBytes(path), newer);
    }
}

TEST_F(DatabaseTest, AFailedCreationLeavesNoCatalogueThatALaterStartWouldAccept)
{
    // Block the file the schema is built in, so creation fails before the rename.
    const QString buildPath =
        home.File(QStringLiteral("zev.mdb.%1.new").arg(QCoreApplication::applicationPid()));
    ASSERT_TRUE(QDir().mkpath(buildPath));

    EXPECT_THROW(CreateDatabase(), EDatabaseError);
    EXPECT_FALSE(QFile::exists(home.File("zev.mdb")));

    QDir(buildPath).removeRecursively();
    CreateDatabase();
    EXPECT_NO_THROW(OpenDatabase());
}

// Rows for the constraint cases: a tree with one product and one barcode.
const char* const BaseRows[] = {
    "insert into depto values (10, 'MERCEARIA')",
    "insert into secao values (101, 10, 'BISCOITOS')",
    "insert into grupo values (1011, 101, 'RECHEADOS')",
    "insert into sub_grupo values (10111, 1011, 'CHOCOLATE')",
    "insert into produto (produto_key, descricao, sub_grupo_key) values (1, 'BISCOITO', 10111)",
    "insert into item values ('7891000100103', 1)",
};

TEST_F(DatabaseTest, TheSchemaRefusesWhatTheCatalogueCannotHold)
{
    CreateDatabase();
    const std::string eighty(80, 'A');
    std::string eightyAccented;
    for (int i = 0; i < 80; ++i)
        eightyAccented += "Ã";
    const std::string product = "insert into produto (produto_key";
    // Orphans at every level, a barcode on two products, texts beyond their
    // width, NULL keys and names, a yes/no other than 0 and 1, a date that is
    // not ISO text, text in a key column.
    std::vector<std::string> refused = {
        "insert into secao values (102, 99, 'X')",
        "insert into grupo values (1012, 999, 'X')",
        "insert into sub_grupo values (10112, 9999, 'X')",
        product + ", sub_grupo_key) values (2, 99999)",
        "insert into item values ('123', 99)",
        "insert into selecao values (99)",
        product + ") values (3); insert into item values ('7891000100103', 3)",
        product + ", descricao) values (4, '" + eighty + "B')",
        "insert into item values ('123456789012345', 1)",
        "insert into selecao_barra values ('123456789012345')",
        "insert into depto values (11, '" + std::string(41, 'N') + "')",
        product + ", embalagem_key) values (5, 'CXA')",
        product + ") values (null)",
        "insert into item values (null, 1)",
        "insert into produto_antigo values (null, 1, 1)",
        "insert into depto values (12, null)",
        product + ", caixa) values (6, 2)",
        product + ", data_inicial) values (7, '01/12/2026')",
        product + ") values ('abc')",
    };
    // Every 32-bit column just beyond its range, both ends.
    const std::vector<std::string> wide = {
        "insert into depto values (?, 'X')",
        "insert into secao values (?, 10, 'X')",
        "insert into grupo values (?, 101, 'X')",
        "insert into sub_grupo values (?, 1011, 'X')",
        product + ") values (?)",
        "insert into produto_antigo values (?, 1, 1)",
    };
    for (const char* column : {"pai", "divisor_preco", "preco_normal_key", "preco_oferta_key",
                               "quantidade_etiquetas", "dias_validade"}) {
        for (const char* value : {"2147483648", "-2147483649", "4294967297"})
            refused.push_back(product + ", " + column + ") values (8, " + value + ")");
    }
    for (const std::string& statement : wide) {
        for (const char* value : {"2147483648", "-2147483649"})
            refused.push_back(std::string(statement).replace(statement.find('?'), 1, value));
    }
    // A product without subgroup, a second barcode, a product selected twice,
    // 80 characters even when accented (more than 80 bytes), a 14-digit
    // scratch barcode, an ISO date, an old price list's product (no foreign key).
    const std::vector<std::string> accepted = {
        product + ") values (2)",
        "insert into item values ('7891000100110', 1)",
        "insert into selecao values (1); insert into selecao values (1)",
        product + ", descricao) values (4, '" + eighty + "')",
        product + ", descricao) values (4, '" + eightyAccented + "')",
        "insert into selecao_barra values ('12345678901234')",
        product + ", data_inicial) values (7, '2026-12-01')",
        "insert into produto_antigo values (424242, 1.5, 1.25)",
        product + ", pai, divisor_preco, dias_validade) values (2147483647, -2147483648, "
                  "2147483647, -2147483648)",
        "insert into depto values (-2147483648, 'X')",
    };
    const auto accepts = [](const std::string& statements) {
        auto connection = OpenDatabase();
        // Never committed: every case starts from the same rows.
        TTransaction transaction(*connection);
        for (const char* row : BaseRows)
            connection->Execute(row);
        try {
            for (std::size_t start = 0, end = 0; start < statements.size(); start = end + 2) {
                end = std::min(statements.find("; ", start), statements.size());
                connection->Execute(statements.substr(start, end - start));
            }
        } catch (const EDatabaseError&) {
            return false;
        }
        return true;
    };
    for (const std::string& statement : refused)
        EXPECT_FALSE(accepts(statement)) << statement;
    for (const std::string& statement : accepted)
        EXPECT_TRUE(accepts(statement)) << statement;
    auto connection = OpenDatabase();
    EXPECT_EQ(Count(*connection, "depto"), 0);
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
        EXPECT_EQ(Count(*connection, "depto"), 0);

        TTransaction transaction(*connection);
        connection->Execute("insert into depto values (2, 'B')");
        transaction.Commit();
    }
    auto connection = OpenDatabase();
    EXPECT_EQ(Count(*connection, "depto"), 1);
    // A read transaction keeps what was written under it.
    {
        const TReadTransaction snapshot(*connection);
        connection->Execute("insert into depto values (3, 'C')");
    }
    EXPECT_EQ(Count(*OpenDatabase(), "depto"), 2);
}

TEST_F(DatabaseTest, AQueryIsOneStatement)
{
    CreateDatabase();
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
                                    std::string("abacaxi"), std::string("Abacaxi")}) {
        TQuery& insert = connection->Query("insert into depto values (?, ?)");
        insert.Bind(0, ++key).BindText(1, name).Exec();
    }
    TQuery& raw =
        connection->Query("select hex(nome), length(nome) from depto where depto_key = 1");
    raw.Exec();
    ASSERT_TRUE(raw.Next());
    EXPECT_EQ(raw.Text(0), QByteArray("AÇÚCAR € 1KG").toHex().toUpper().toStdString());
    EXPECT_EQ(raw.Int(1), 12);
    TQuery& sorted = connection->Query("select nome from depto order by nome");
    sorted.Exec();
    std::vector<std::string> order;
    while (sorted.Next())
        order.push_back(sorted.Text(0));
    EXPECT_EQ(order, (std::vector<std::string>{"abacaxi", "Abacaxi", acucar, "\xC1gua", "Zebra"}));

    // Dates travel as day numbers, without the time of day; yes/no columns
    // default to no.
    connection
        ->Query("insert into produto (produto_key, data_inicial, data_final) values (1, ?, ?)")
        .BindDate(0, 45351.75) // 29/02/2024
        .BindDate(1, 2)
        .Exec();
    TQuery& query = connection->Query("select data_inicial, data_final, data_alteracao, "
                                      "typeof(data_inicial), compra, caixa from produto");
    query.Exec();
    ASSERT_TRUE(query.Next());
    EXPECT_EQ(query.Date(0), 45351);
    EXPECT_EQ(query.Date(1), 2);
    EXPECT_EQ(query.Date(2), 0); // NULL
    EXPECT_EQ(query.Text(3), "text");
    EXPECT_FALSE(query.IsNull(4) || query.Bool(4) || query.Bool(5));
}

TEST_F(DatabaseTest, EveryConnectionKeepsTheCataloguesRules)
{
    CreateDatabase();
    auto connection = OpenDatabase();
    // Foreign keys hold: an item needs its product.
    try {
        connection->Execute("insert into item values ('1', 999)");
        ADD_FAILURE() << "an item without its product";
    } catch (const EDatabaseError& error) {
        EXPECT_EQ(error.Code(), SQLITE_CONSTRAINT) << error.what();
    }
    // The search's fold is the program's own.
    const std::string text = "Água Maçã ÇÃO";
    TQuery& fold = connection->Query("select ptbr_fold(?), ptbr_fold(null)");
    fold.BindText(0, Utf8ToAnsi(text)).Exec();
    ASSERT_TRUE(fold.Next());
    EXPECT_EQ(AnsiToUtf8(fold.Text(0)), FoldUtf8(text));
    EXPECT_TRUE(fold.IsNull(1));
    fold.Finish();

    // A catalogue that is not there is never created by an ordinary opening.
    const QString missing = home.File("outro.mdb");
    try {
        TConnection(missing, TConnection::OpenMode::ExistingFile);
        ADD_FAILURE() << "opened a missing catalogue";
    } catch (const EDatabaseError& error) {
        EXPECT_TRUE(Contains(error.what(), "Não foi possível abrir o banco de dados \"" +
                                               missing.toStdString() + "\""))
            << error.what();
    }
    EXPECT_FALSE(QFile::exists(missing));
}

} // namespace
