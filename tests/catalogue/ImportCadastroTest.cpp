#include "catalogue/ImportCadastro.h"

#include "app/Settings.h"
#include "catalogue/Database.h"
#include "platform/Profile.h"
#include "tests/support/Catalogue.h"
#include "tests/support/ScriptedOperator.h"
#include "tests/support/TestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QScopeGuard>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

using namespace zev;
using namespace zev::test;

namespace {

// A product line from its fields after the key: the 21 columns in order.
std::string
Produto(const std::string& key, const std::string& descricao,
        const std::string& rest = ";;1;01/12/2026;2.5;;;0;10111;1;100;UN;7;8;1;UN;30;KG;0.5;0")
{
    return "5;" + key + ";" + descricao + rest;
}

std::string Package(const std::vector<std::string>& lines, const std::string& end = "\r\n")
{
    std::string bytes;
    for (const char* line : {"0;5", "1;10;MERCEARIA", "2;101;10;BISCOITOS", "3;1011;101;RECHEADOS",
                             "4;10111;1011;CHOCOLATE", "4;10112;1011;MORANGO"})
        bytes += line + end;
    for (const std::string& line : lines)
        bytes += line + end;
    return bytes;
}

class ImportCadastroTest : public testing::Test
{
protected:
    void SetUp() override
    {
        CreateDatabase();
        QDir(home.Path()).mkdir("loja");
    }

    QString PackagePath() const { return home.File("loja/ZEV.TXT"); }

    TImportResult Import(const std::string& bytes)
    {
        WriteFileBytes(PackagePath(), bytes);
        return ImportCadastroFile(op, PackagePath());
    }

    // A store at work: a catalogue, a selection, the prices of an import before.
    void ImportFirstCatalogue()
    {
        ASSERT_EQ(Import(Package({Produto("1", "BISCOITO"), Produto("2", "WAFER"), "6;789;1"})),
                  TImportResult::Imported);
        OpenDatabase()->Execute("insert into selecao values (1), (2)");
        op = {};
        database = ReadFileBytes(home.File("zev.mdb"));
        ini = ReadFileBytes(SettingsPath());
    }

    // The store's files byte for byte as ImportFirstCatalogue left them.
    void ExpectUntouched() const
    {
        EXPECT_TRUE(ReadFileBytes(home.File("zev.mdb")) == database);
        EXPECT_TRUE(ReadFileBytes(SettingsPath()) == ini);
        EXPECT_FALSE(StagingLeft());
    }

    static QString OldPrices()
    {
        return ScalarText(
            "select group_concat(produto_key || '=' || preco_normal) from produto_antigo");
    }

    bool StagingLeft() const { return QDir(home.File("tmp")).exists(); }

    TProgramDirFixture home;
    TScriptedOperator op;
    std::string database;
    std::string ini;
};

TEST_F(ImportCadastroTest, APackageReplacesTheCatalogueKeepsTheOldPricesAndEmptiesTheSelection)
{
    ImportFirstCatalogue();
    const qint64 started = QDateTime::currentSecsSinceEpoch();
    ASSERT_EQ(Import(Package({Produto("1", "BISCOITO RECHEADO", ";;1;01/12/2026;3.25"),
                              Produto("3", "LEITE"), "6;00012345;3", "6;ABC-01;3"})),
              TImportResult::Imported);

    EXPECT_EQ(ScalarText("select group_concat(produto_key) from produto"), "1,3");
    EXPECT_EQ(ScalarText("select group_concat(barra || '=' || produto_key) from item"),
              "12345=3,ABC-01=3");
    EXPECT_EQ(ScalarInt("select count(*) from selecao"), 0);
    // The prices before this import, of products gone too.
    EXPECT_EQ(OldPrices(), "1=2.5,2=2.5");

    EXPECT_EQ(op.Messages(),
              (std::vector<test::TOperatorMessage>{{"notice", "Arquivo importado com sucesso"}}));
    // What the main window tells of the catalogue: when, and from where.
    const TIniFile zevIni(SettingsPath());
    const auto at = zevIni.ReadText(settings::Geral, settings::UltimaImportacao.key);
    const qint64 importedAt = QDateTime::fromString(at, Qt::ISODate).toSecsSinceEpoch();
    EXPECT_TRUE(started <= importedAt && importedAt <= QDateTime::currentSecsSinceEpoch());
    EXPECT_EQ(zevIni.ReadText(settings::Geral, settings::ArquivoImportado.key), PackagePath());
    EXPECT_FALSE(StagingLeft());

    // Right after, a second import keeps the prices the first one loaded; the
    // staged tables go and the store's own files beside them stay.
    QDir(home.Path()).mkdir("tmp");
    WriteFileBytes(home.File("tmp/nota.txt"), "da loja");
    ASSERT_EQ(Import(Package({})), TImportResult::Imported);
    EXPECT_EQ(ScalarInt("select count(*) from produto"), 0);
    EXPECT_EQ(OldPrices(), "1=3.25,3=2.5");
    EXPECT_EQ(QDir(home.File("tmp")).entryList(QDir::Files), QStringList{"nota.txt"});
}

TEST_F(ImportCadastroTest, FieldsConvertAsTheSchemaFileTypesThem)
{
    // The line of product 1..n, in order.
    const struct { const char *line, *column, *stored; } cases[] = {
        {"5;1;\"BISCOITO \"\"CREAM CRACKER\"\"; 200G\";;1;01/12/2026;2.5", "descricao",
         "'BISCOITO \"CREAM CRACKER\"; 200G'"},
        {"5;2;A\xC7\xDA" "CAR P\xC3O DE A\xC7\xDA" "CAR", "descricao", "'AÇÚCAR PÃO DE AÇÚCAR'"},
        {"5;3;X;;;07/12/2026 13:45:00", "data_alteracao", "'2026-12-07'"},
        {"5;4;X;;;2026-02-28", "data_alteracao", "'2026-02-28'"},
        {"5;5;X;;;1/2/2026", "data_alteracao", "'2026-02-01'"},
        {"5;6;X;;12", "fator_preco", "12.0"},
        {"5;7;X", "preco_normal", "NULL"},
        {"5;8;X;;;;;;;;;", "compra", "0"},
        {"5;9;X;;;;;;;;;-1", "compra", "1"},
        {"5;10;X;;;;;;;;;0;;;;;;;;;;2", "caixa", "1"},
        {"5;11;X;;;;;;;;;;;;;;;; 45 ", "dias_validade", "45"},
        {"5; 12 ;", "descricao", "NULL"},
    };
    std::vector<std::string> lines;
    for (const auto& c : cases)
        lines.push_back(c.line);
    ASSERT_EQ(Import(Package(lines)), TImportResult::Imported);
    int key = 0;
    for (const auto& c : cases)
        EXPECT_EQ(ScalarText("select quote(" + std::string(c.column) + // NULL, 12.0, 'text'
                             ") from produto where produto_key = " + std::to_string(++key)),
                  QString::fromUtf8(c.stored))
            << c.line;
}

TEST_F(ImportCadastroTest, LineEndsOfEveryKindAndTypeZeroLinesAnywhere)
{
    for (const std::string end : {"\r\n", "\n", "\r"}) {
        SCOPED_TRACE(testing::PrintToString(end));
        ASSERT_EQ(Import(Package({"0;comentário", Produto("1", "A"), "0", "6;0000;1", "6;01;1",
                                  Produto("2", "B")},
                                 end)),
                  TImportResult::Imported);
        EXPECT_EQ(ScalarText("select group_concat(produto_key) from produto"), "1,2");
        // Barcodes of digits only lose their leading zeros; zeros only are 0.
        EXPECT_EQ(ScalarText("select group_concat(barra, '|') from item"), "0|1");
    }
    // The last line needs no line end.
    std::string bytes = Package({Produto("7", "C")});
    bytes.resize(bytes.size() - 2);
    ASSERT_EQ(Import(bytes), TImportResult::Imported);
    EXPECT_EQ(ScalarInt("select produto_key from produto"), 7);
}

TEST_F(ImportCadastroTest, OneLevelOfSubgroupFromTheParentProduct)
{
    const std::string noGroup = ";;1;01/12/2026;1;;;0;;0;100;UN;1;1;1;CX;0;;;1";
    ASSERT_EQ(Import(Package({
                  Produto("3", "NETO", ";2" + noGroup.substr(1)), // its parent gets one only now
                  Produto("2", "CAIXA", ";1" + noGroup.substr(1)),
                  Produto("1", "UNIDADE"),
                  Produto("4", "SEM PAI", noGroup),
                  Produto("5", "PAI INEXISTENTE", ";99" + noGroup.substr(1)),
                  Produto("6", "TEM O SEU", ";1;1;01/12/2026;1;;;0;10112;0;100;UN;1;1;1;CX;0;;;1"),
              })),
              TImportResult::Imported);
    EXPECT_EQ(ScalarText("select group_concat(produto_key || '=' || ifnull(sub_grupo_key, '-')) "
                         "from (select * from produto order by produto_key)"),
              "1=10111,2=10111,3=-,4=-,5=-,6=10112");
}

TEST_F(ImportCadastroTest, AVersionThatIsNotFiveIsRefusedWithNothingChanged)
{
    ImportFirstCatalogue();
    const struct { std::string firstLine; const char* shown; } cases[] = {
        {"0;4", "4"}, {"0;5 ", "5 "}, {"0;5;1", "5;1"}, {"", ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.firstLine);
        op = {};
        EXPECT_EQ(Import(c.firstLine + "\r\n1;10;MERCEARIA\r\n"), TImportResult::Refused);
        EXPECT_EQ(op.Messages(),
                  (std::vector<test::TOperatorMessage>{
                      {"error", QString("Versão do arquivo de importação inválida: ") + c.shown +
                                    " <> 5\rAtualize a versão do ZEV"}}));
        EXPECT_TRUE(op.StatusTexts().empty());
        ExpectUntouched();
    }
}

TEST_F(ImportCadastroTest, ARefusedPackageLeavesEverythingAsItWasByteForByte)
{
    ImportFirstCatalogue();
    // Line numbers count the version line and the five tree lines.
    const struct { std::vector<std::string> lines; std::string message; } cases[] = {
        {{Produto("1", "A"), ""},
         "Linha 8 do arquivo de importação: tipo de registro inválido: linha vazia"},
        {{"7;1"}, "Linha 7 do arquivo de importação: tipo de registro inválido: \"7\""},
        {{Produto("1", "A", ";;1;01/12/2026;12,50")},
         "coluna preco_normal: não é um número (o separador decimal é o ponto): \"12,50\""},
        {{Produto("1", "A", ";;1;31/02/2026")},
         "coluna data_alteracao: não é uma data: \"31/02/2026\""},
        {{Produto("2147483648", "A")}, "coluna produto_key: não é um número inteiro de 32 bits"},
        {{Produto("1", "A", ";;1" + std::string(16, ';') + ";0;X")},
         "coluna campo 22: campo a mais (a tabela tem 21 colunas): \"X\""},
        {{"1;10;OUTRA"}, "Linha 7 do arquivo de importação, tabela depto (depto.csv), coluna "
                         "depto_key: chave repetida: \"10\""},
        {{"6;789;1"}, "coluna produto_key: não existe na tabela produto: \"1\""},
        {{"1;11;" + std::string(41, 'N')}, "coluna nome: mais de 40 caracteres"},
        {{"1;11;"}, "coluna nome: falta o valor: \"\""},
        {{"5;" + std::string(1000000, '9')}, "Linha 7 do arquivo \""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        op = {};
        try {
            Import(Package(c.lines));
            ADD_FAILURE() << "accepted";
        } catch (const EImportError& error) {
            EXPECT_TRUE(Contains(error.what(), c.message)) << error.what();
        }
        ExpectUntouched();
        EXPECT_EQ(op.ProgressEnds(), 1);
    }
}

TEST_F(ImportCadastroTest, CancellingRollsBackEvenWhenEverythingWasLoaded)
{
    ImportFirstCatalogue();
    // The first call counts 0; for a small package the next is the last,
    // once every row is in.
    op.CancelProgressAt(1);
    EXPECT_EQ(Import(Package({Produto("5", "NOVO")})), TImportResult::Cancelled);
    EXPECT_EQ(op.StatusTexts().end()[-2], "Finalizando...");
    ExpectUntouched();
    EXPECT_EQ(op.ProgressEnds(), 1);
    EXPECT_TRUE(op.Messages().empty());
}

TEST_F(ImportCadastroTest, APackageThatCannotBeReadIsReportedWithTheSystemsReason)
{
    ImportFirstCatalogue();
    const struct { QString path; const char* reason; } cases[] = {
        {home.File("loja/FALTA.TXT"), "No such file or directory"},
        {home.File("loja"), "é uma pasta"}};
    for (const auto& c : cases) {
        try {
            ImportCadastroFile(op, c.path);
            ADD_FAILURE() << "read " << c.path.toStdString();
        } catch (const EInOutError& error) {
            EXPECT_TRUE(Contains(error.what(), c.path.toStdString())) << error.what();
            EXPECT_TRUE(Contains(error.what(), c.reason)) << error.what();
        }
    }
    ExpectUntouched();
    EXPECT_TRUE(op.StatusTexts().empty());
}

TEST_F(ImportCadastroTest, TheMenuCommandAsksForZevTxtInTheLastFolder)
{
    WriteFileBytes(PackagePath(), Package({}));
    op.QueueCancel();
    EXPECT_EQ(ImportCadastro(op), TImportResult::NotChosen);
    op.QueueFile(PackagePath());
    EXPECT_EQ(ImportCadastro(op), TImportResult::Imported);

    ASSERT_EQ(op.FileRequests().size(), 2u);
    EXPECT_EQ(op.FileRequests()[0].fileName, QDir::current().filePath("ZEV.TXT"));
    op.QueueCancel();
    ImportCadastro(op);
    EXPECT_EQ(op.FileRequests()[2].fileName, PackagePath());
}

std::vector<std::string> Produtos(int count)
{
    std::vector<std::string> lines;
    for (int key = 1; key <= count; ++key)
        lines.push_back(Produto(std::to_string(key), "PRODUTO " + std::to_string(key)));
    return lines;
}

TEST_F(ImportCadastroTest, AFullDiskIsToldAsSuchAndTheCatalogueStaysAsItWas)
{
    ImportFirstCatalogue();
    // The engine's own "disk full" for every connection opened from now on:
    // none may grow the file beyond the pages it found.
    const auto noRoom =
        reinterpret_cast<void (*)()>(+[](sqlite3* db, char**, const sqlite3_api_routines*) {
            return sqlite3_exec(db, "pragma max_page_count = 1", nullptr, nullptr, nullptr);
        });
    {
        sqlite3_auto_extension(noRoom);
        const auto roomAgain = qScopeGuard([&] { sqlite3_cancel_auto_extension(noRoom); });
        try {
            Import(Package(Produtos(2000)));
            ADD_FAILURE() << "imported on a full disk";
        } catch (const EDatabaseError& error) {
            const std::string message = error.what();
            EXPECT_TRUE(Contains(message, "O disco da pasta \"" + home.Path().toStdString() +
                                              "\" está cheio"))
                << message;
            EXPECT_TRUE(Contains(message, "O cadastro não foi alterado.")) << message;
            EXPECT_FALSE(Contains(message, "Linha")) << message;
        }
    }
    ExpectUntouched();
    EXPECT_EQ(ScalarText("select group_concat(produto_key) from produto"), "1,2");
}

TEST_F(ImportCadastroTest, ADamagedCatalogueIsReplacedByTheImportAndKeptAside)
{
    const QString path = home.File("zev.mdb");
    ASSERT_EQ(Import(Package(Produtos(300))), TImportResult::Imported);
    {
        // The first page of the product table.
        const int pageSize = ScalarInt("pragma page_size");
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.seek(qint64(ScalarInt("select rootpage from sqlite_master where name = "
                                               "'produto'") - 1) * pageSize));
        ASSERT_EQ(file.write(QByteArray(pageSize, '\xAA')), pageSize);
    }
    EXPECT_NO_THROW(CreateDatabase()) << "start-up refused to start";
    const std::string damaged = ReadFileBytes(path);
    try {
        OpenDatabase()->Execute("update produto set data_alteracao = '2026-01-02'");
        ADD_FAILURE() << "wrote into a damaged catalogue";
    } catch (const EDatabaseError& error) {
        EXPECT_TRUE(Contains(error.what(), path.toStdString() + "\" está danificado"))
            << error.what();
        EXPECT_TRUE(Contains(error.what(), "Importe o cadastro de novo")) << error.what();
    }
    op = {};

    ASSERT_EQ(Import(Package({Produto("7", "NOVO"), "6;789;7"})), TImportResult::Imported);

    const QStringList aside = QDir(home.Path()).entryList({"zev.mdb.danificado-*"});
    ASSERT_EQ(aside.size(), 1) << aside.join(' ').toStdString();
    EXPECT_TRUE(ReadFileBytes(home.File(aside[0])) == damaged);
    ASSERT_EQ(op.Messages().size(), 2u);
    const std::string warning = op.Messages()[0].text.toStdString();
    EXPECT_EQ(op.Messages()[0].kind, "warning");
    EXPECT_TRUE(Contains(warning, path.toStdString() + "\" estava danificado")) << warning;
    EXPECT_TRUE(Contains(warning, home.File(aside[0]).toStdString())) << warning;
    EXPECT_TRUE(Contains(warning, "só os de 0 produto(s)")) << warning;
    EXPECT_EQ(ScalarText("select produto_key || '=' || descricao from produto"), "7=NOVO");
    EXPECT_EQ(ScalarText("select group_concat(integrity_check) from pragma_integrity_check"),
              "ok");
    EXPECT_EQ(QDir(home.Path()).entryList({"zev.mdb*"}, QDir::Files),
              (QStringList{"zev.mdb", aside[0]}));
}

} // namespace
