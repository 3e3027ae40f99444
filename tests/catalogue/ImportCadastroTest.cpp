#include "catalogue/ImportCadastro.h"

#include "app/Settings.h"
#include "catalogue/Database.h"
#include "platform/AnsiText.h"
#include "platform/Profile.h"
#include "tests/support/Catalogue.h"
#include "tests/support/ScriptedOperator.h"
#include "tests/support/TestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

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
    }

    static QString OldPrices()
    {
        return ScalarText(
            "select group_concat(produto_key || '=' || preco_normal) from produto_antigo");
    }

    bool StagingLeft() const { return QDir(home.File("tmp")).exists(); }

    TProgramDirFixture home;
    TScriptedOperator op;
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

    const QString loading = "Carregando o arquivo";
    const std::vector<QString> status = {
        "Gravando importação antiga", "Limpando o Cadastro", loading, loading + " - depto",
        loading + " - secao",         loading + " - grupo",  loading + " - sub_grupo",
        loading + " - produto",       loading + " - item",   "Finalizando...",
        "Limpando...",                ""};
    EXPECT_EQ(op.StatusTexts(), status);
    EXPECT_EQ(op.Messages(),
              (std::vector<test::TOperatorMessage>{{"notice", "Arquivo importado com sucesso"}}));
    const TIniFile ini(SettingsPath());
    EXPECT_EQ(ini.ReadString(settings::Geral, settings::PathCadastro.key),
              home.File("loja/").toStdString());
    // What the main window tells of the catalogue: when, and from where.
    const qint64 importedAt =
        QDateTime::fromString(ini.ReadText(settings::Geral, settings::UltimaImportacao.key),
                              Qt::ISODate)
            .toSecsSinceEpoch();
    EXPECT_TRUE(started <= importedAt && importedAt <= QDateTime::currentSecsSinceEpoch());
    EXPECT_EQ(ini.ReadText(settings::Geral, settings::ArquivoImportado.key),
              home.File("loja/ZEV.TXT"));
    EXPECT_FALSE(StagingLeft());
    ASSERT_FALSE(op.Progress().empty());
    EXPECT_EQ(op.Progress().back().done, op.Progress().back().total);
    EXPECT_EQ(op.ProgressEnds(), 1);

    // Right after, a second import keeps the prices the first one loaded.
    ASSERT_EQ(Import(Package({})), TImportResult::Imported);
    EXPECT_EQ(ScalarInt("select count(*) from produto"), 0);
    EXPECT_EQ(OldPrices(), "1=3.25,3=2.5");
}

TEST_F(ImportCadastroTest, FieldsConvertAsTheSchemaFileTypesThem)
{
    // The line of product 1..n, in order.
    const struct { const char *line, *column, *stored; } cases[] = {
        {"5;1;\"BISCOITO \"\"CREAM CRACKER\"\"; 200G\";;1;01/12/2026;2.5", "descricao",
         "'BISCOITO \"CREAM CRACKER\"; 200G'"},
        {"5;2;A\xC7\xDA"
         "CAR P\xC3O DE A\xC7\xDA"
         "CAR",
         "descricao", "'AÇÚCAR PÃO DE AÇÚCAR'"},
        {"5;3;AB\"C\"D", "descricao", "'AB\"C\"D'"},
        {"5;4;X;;;07/12/2026 13:45:00", "data_alteracao", "'2026-12-07'"},
        {"5;5;X;;;2026-02-28", "data_alteracao", "'2026-02-28'"},
        {"5;6;X;;;1/2/2026", "data_alteracao", "'2026-02-01'"},
        {"5;7;X;;12", "fator_preco", "12.0"},
        {"5;8;X;;;;-0.5", "preco_normal", "-0.5"},
        {"5;9;X", "preco_normal", "NULL"},
        {"5;10;X;;;;;;;;;", "compra", "0"},
        {"5;11;X;;;;;;;;;-1", "compra", "1"},
        {"5;12;X;;;;;;;;;0;;;;;;;;;;2", "caixa", "1"},
        {"5;13;X;;;;;;;;;;;;;;;; 45 ", "dias_validade", "45"},
        {"5;14;X;;;", "embalagem_padrao_fator", "NULL"},
        {"5;15;;-2147483648", "pai", "-2147483648"},
        {"5; 16 ;", "descricao", "NULL"},
    };
    std::vector<std::string> lines;
    for (const auto& c : cases)
        lines.push_back(c.line);
    ASSERT_EQ(Import(Package(lines)), TImportResult::Imported) << op.Messages().size();
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
    const std::string database = ReadFileBytes(home.File("zev.mdb"));
    const struct { std::string firstLine; const char* shown; } cases[] = {
        {"0;4", "4"}, {"0;5 ", "5 "}, {"05", "05"}, {"0;5;1", "5;1"}, {"", ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.firstLine);
        op = {};
        EXPECT_EQ(Import(c.firstLine + "\r\n1;10;MERCEARIA\r\n"), TImportResult::Refused);
        EXPECT_EQ(op.Messages(),
                  (std::vector<test::TOperatorMessage>{
                      {"error", QString("Versão do arquivo de importação inválida: ") + c.shown +
                                    " <> 5\rAtualize a versão do ZEV"}}));
        EXPECT_TRUE(op.StatusTexts().empty());
        EXPECT_TRUE(ReadFileBytes(home.File("zev.mdb")) == database);
    }
}

TEST_F(ImportCadastroTest, ARefusedPackageLeavesEverythingAsItWasByteForByte)
{
    ImportFirstCatalogue();
    const std::string database = ReadFileBytes(home.File("zev.mdb"));
    const std::string ini = ReadFileBytes(SettingsPath());
    const std::string tooLong(41, 'N');
    // Line numbers count the version line and the five tree lines.
    const struct { std::vector<std::string> lines; std::string message; } cases[] = {
        {{Produto("1", "A"), ""},
         "Linha 8 do arquivo de importação: tipo de registro inválido: linha vazia"},
        {{"7;1"}, "Linha 7 do arquivo de importação: tipo de registro inválido: \"7\""},
        {{"x5;1"}, "tipo de registro inválido: \"x5\""},
        {{"$5;1"}, "tipo de registro inválido: \"$5\""},
        {{Produto("1", "A", ";;1;01/12/2026;12,50")},
         "Linha 7 do arquivo de importação, tabela produto (produto.csv), coluna preco_normal: "
         "não é um número (o separador decimal é o ponto): \"12,50\""},
        {{Produto("1", "A", ";;1;31/02/2026")},
         "coluna data_alteracao: não é uma data: \"31/02/2026\""},
        {{Produto("2147483648", "A")}, "coluna produto_key: não é um número inteiro de 32 bits"},
        {{Produto("1", "A", ";;1" + std::string(16, ';') + ";0;X")},
         "coluna campo 22: campo a mais (a tabela tem 21 colunas): \"X\""},
        {{"1;10;OUTRA"},
         "Linha 7 do arquivo de importação, tabela depto (depto.csv), coluna depto_key: chave "
         "repetida: \"10\""},
        {{Produto("1", "A"), "6;0789;1", "6;789;1"},
         "Linha 9 do arquivo de importação, tabela item (item.csv), coluna barra: chave repetida: "
         "\"789\""},
        {{"2;102;99;BEBIDAS"}, "coluna depto_key: não existe na tabela depto: \"99\""},
        {{Produto("1", "A", ";;1;01/12/2026;1;;;0;55555")},
         "coluna sub_grupo_key: não existe na tabela sub_grupo: \"55555\""},
        {{"6;789;1"},
         "tabela item (item.csv), coluna produto_key: não existe na tabela produto: \"1\""},
        {{"1;11;" + tooLong}, "coluna nome: mais de 40 caracteres"},
        {{"1;11;"}, "coluna nome: falta o valor: \"\""},
        {{Produto("1", "A"), "6;123456789012345;1"}, "coluna barra: mais de 14 caracteres"},
        {{"5;" + std::string(1000000, '9')}, "Linha 7 do arquivo \""},
        {{std::string("\x89PNG\x1a\n\0\0\xff;\x01", 11)},
         "Linha 7 do arquivo de importação: tipo de registro inválido"},
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
        EXPECT_TRUE(ReadFileBytes(home.File("zev.mdb")) == database);
        EXPECT_TRUE(ReadFileBytes(SettingsPath()) == ini);
        EXPECT_FALSE(StagingLeft());
        EXPECT_EQ(op.ProgressEnds(), 1);
        EXPECT_EQ(op.StatusTexts().back(), "");

        // Read alone, the package is refused in the same words, unless only
        // the catalogue can tell (a repeated or missing key).
        const bool byCatalogue =
            Contains(c.message, "chave repetida") || Contains(c.message, "não existe na tabela");
        try {
            ReadPackage(QByteArray::fromStdString(Package(c.lines)));
            EXPECT_TRUE(byCatalogue) << "read alone";
        } catch (const EImportError& error) {
            EXPECT_FALSE(byCatalogue) << error.what();
            EXPECT_TRUE(Contains(error.what(), c.message)) << error.what();
        }
    }
}

TEST(ReadPackage, CountsTheLinesOfEachTypeAndTakesTheVersionFromTheFirst)
{
    const TPackageContents contents = ReadPackage(
        QByteArray::fromStdString(Package({Produto("1", "A"), "6;789;1", "0;x"}, "\n")));
    EXPECT_EQ(contents.version, "5");
    EXPECT_EQ(contents.rows, (std::array<qint64, 7>{2, 1, 1, 1, 2, 1, 1}));
    EXPECT_EQ(ReadPackage("0;4\r\n").version, "4");
}

TEST_F(ImportCadastroTest, CancellingRollsBackEvenWhenEverythingWasLoaded)
{
    ImportFirstCatalogue();
    const std::string database = ReadFileBytes(home.File("zev.mdb"));
    // The first call counts 0; for a small package the next is the last,
    // once every row is in.
    op.CancelProgressAt(1);
    EXPECT_EQ(Import(Package({Produto("5", "NOVO")})), TImportResult::Cancelled);
    EXPECT_EQ(op.StatusTexts().end()[-2], "Finalizando...");
    EXPECT_TRUE(ReadFileBytes(home.File("zev.mdb")) == database);
    EXPECT_FALSE(StagingLeft());
    EXPECT_EQ(op.ProgressEnds(), 1);
    EXPECT_TRUE(op.Messages().empty());
}

TEST_F(ImportCadastroTest, APackageThatCannotBeReadIsReportedWithTheSystemsReason)
{
    ImportFirstCatalogue();
    const std::string database = ReadFileBytes(home.File("zev.mdb"));
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
    EXPECT_TRUE(ReadFileBytes(home.File("zev.mdb")) == database);
    EXPECT_TRUE(op.StatusTexts().empty());
}

TEST_F(ImportCadastroTest, TheStagedTablesGoAndTheStoresOwnFilesBesideThemStay)
{
    QDir(home.Path()).mkdir("tmp");
    WriteFileBytes(home.File("tmp/nota.txt"), "da loja");
    ASSERT_EQ(Import(Package({Produto("1", "A")})), TImportResult::Imported);
    EXPECT_EQ(QDir(home.File("tmp")).entryList(QDir::Files), QStringList{"nota.txt"});
}

TEST_F(ImportCadastroTest, TheMenuCommandAsksForZevTxtInTheLastFolder)
{
    WriteFileBytes(PackagePath(), Package({}));
    op.QueueCancel();
    EXPECT_EQ(ImportCadastro(op), TImportResult::NotChosen);
    op.QueueFile(PackagePath());
    EXPECT_EQ(ImportCadastro(op), TImportResult::Imported);

    ASSERT_EQ(op.FileRequests().size(), 2u);
    EXPECT_EQ(op.FileRequests()[0].filter, "Arquivos do ZEV (ZEV.TXT)|ZEV.TXT");
    EXPECT_EQ(op.FileRequests()[0].fileName, QDir::current().filePath("ZEV.TXT"));
    EXPECT_EQ(op.FileRequests()[1].fileName, QDir::current().filePath("ZEV.TXT"));
    op.QueueCancel();
    ImportCadastro(op);
    EXPECT_EQ(op.FileRequests()[2].fileName, PackagePath());
}

} // namespace

namespace {

std::vector<std::string> Produtos(int count)
{
    std::vector<std::string> lines;
    for (int key = 1; key <= count; ++key)
        lines.push_back(Produto(std::to_string(key), "PRODUTO " + std::to_string(key)));
    return lines;
}

// The engine's own "disk full" for every connection the test opens from now
// on: each may not grow the file beyond the pages it found.
int NoRoomToGrow(sqlite3* handle, char**, const sqlite3_api_routines*)
{
    return sqlite3_exec(handle, "pragma max_page_count = 1", nullptr, nullptr, nullptr);
}

class TDiskFull
{
public:
    TDiskFull() { sqlite3_auto_extension(reinterpret_cast<void (*)()>(&NoRoomToGrow)); }
    ~TDiskFull() { sqlite3_cancel_auto_extension(reinterpret_cast<void (*)()>(&NoRoomToGrow)); }
    TDiskFull(const TDiskFull&) = delete;
    TDiskFull& operator=(const TDiskFull&) = delete;
};

} // namespace

TEST_F(ImportCadastroTest, AFullDiskIsToldAsSuchAndTheCatalogueStaysAsItWas)
{
    ImportFirstCatalogue();
    const std::string database = ReadFileBytes(home.File("zev.mdb"));
    try {
        const TDiskFull full;
        Import(Package(Produtos(2000)));
        ADD_FAILURE() << "imported on a full disk";
    } catch (const EDatabaseError& error) {
        const std::string message = error.what();
        EXPECT_TRUE(
            Contains(message, "O disco da pasta \"" + home.Path().toStdString() + "\" está cheio"))
            << message;
        EXPECT_TRUE(Contains(message, "O cadastro não foi alterado.")) << message;
        EXPECT_FALSE(Contains(message, "Linha")) << message;
    }
    EXPECT_TRUE(ReadFileBytes(home.File("zev.mdb")) == database);
    EXPECT_EQ(ScalarText("select group_concat(produto_key) from produto"), "1,2");
    EXPECT_FALSE(StagingLeft());
}

TEST_F(ImportCadastroTest, ADamagedCatalogueIsReplacedByTheImportAndKeptAsideForInspection)
{
    // damaged: whose first page is overwritten; null: the schema's
    const struct { const char* damaged; int oldPrices; bool toldOfLostPrices; } cases[] = {
        {"produto", 0, true}, {"pr_alt", 300, false}, {nullptr, 0, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.damaged ? c.damaged : "schema");
        const QString path = home.File("zev.mdb");
        for (const QString& name : QDir(home.Path()).entryList({"zev.mdb*"}, QDir::Files))
            QFile::remove(home.File(name));
        CreateDatabase();
        ASSERT_EQ(Import(Package(Produtos(300))), TImportResult::Imported);
        int page = 1;
        int pageSize = 0;
        {
            const auto connection = OpenDatabase();
            TQuery& root = connection->Query("select rootpage from sqlite_master where name = ?");
            root.BindText(0, c.damaged ? c.damaged : "").Exec();
            if (root.Next())
                page = root.Int(0);
            root.Finish();
            TQuery& size = connection->Query("pragma page_size");
            size.Exec();
            ASSERT_TRUE(size.Next());
            pageSize = size.Int(0);
        }
        {
            // The schema's page begins with the file's header, which stays.
            const int kept = page == 1 ? 100 : 0;
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::ReadWrite));
            ASSERT_TRUE(file.seek(qint64(page - 1) * pageSize + kept));
            ASSERT_EQ(file.write(QByteArray(pageSize - kept, '\xAA')), pageSize - kept);
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
        EXPECT_EQ(Contains(warning, "só os de 0 produto(s)"), c.toldOfLostPrices) << warning;
        EXPECT_EQ(op.Messages()[1],
                  (test::TOperatorMessage{"notice", "Arquivo importado com sucesso"}));

        EXPECT_EQ(ScalarText("select produto_key || '=' || descricao from produto"), "7=NOVO");
        EXPECT_EQ(ScalarInt("select count(*) from produto_antigo"), c.oldPrices);
        EXPECT_EQ(ScalarText("select group_concat(integrity_check) from pragma_integrity_check"),
                  "ok");
        EXPECT_EQ(QDir(home.Path()).entryList({"zev.mdb*"}, QDir::Files),
                  (QStringList{"zev.mdb", aside[0]}));
        EXPECT_FALSE(StagingLeft());
    }
}
