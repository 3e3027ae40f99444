#include "catalogue/Database.h"
#include "platform/Regional.h"
#include "tests/cli/RunCli.h"
#include "tests/printing/PrintTestSupport.h"

#include <gtest/gtest.h>

using namespace zev;
using namespace zev::test;

namespace {

// The key, the code as typed, the supplier and the manufacture date.
// Without Procon data the template's placeholders stay as written.
const char* const Balcao = "[geral]\r\nname=balcao\r\ndescription=Balcao\r\nline length=40\r\n"
                           "[pre_label]\r\n01=H\r\n"
                           "[normal]\r\n01={Produto.key}|{Produto.descricao[0]}|{Produto.preco}|"
                           "{Produto.fornecedorDescricao}|{Produto.fabricacao}\r\n";

TEST(CounterCommandsTest, PrintItemLooksEachCodeUpAsTheCounterDoes)
{
    TProgramDirFixture home;
    CreateDatabase();
    OpenDatabase()->Execute(Loja);
    WriteFileBytes(home.File("balcao.lbl"), Balcao);
    WriteFileBytes(home.File("zev.ini"), "[Geral]\r\nPath Modelos=" + home.Path().toStdString() +
                                             "\r\nAtacado=1\r\n[Labels]\r\nbalcao=FILE:\r\n");
    const QString output = home.File("saida.prn");
    const std::string semProcon = "|{Produto.fornecedorDescricao}|{Produto.fabricacao}\r\n";
    const std::string caixa = "000004|CX ARROZ|30,00" + semProcon;
    const std::string erva = "000006|ERVA|1,00" + semProcon;

    // Arguments after "print item", status, standard output, standard error
    // and what the FILE: port wrote ("" : no file).
    const std::tuple<QStringList, int, std::string, std::string, std::string> cases[] = {
        // Wholesale: the unit's code prints its first box.
        {{"07891000000011"}, 0, "1 etiqueta(s) enviada(s)\n", "", "H\r\n" + caixa},
        {{"66", "--count", "3"}, 0, "3 etiqueta(s) enviada(s)\n", "", "H\r\n" + erva + erva + erva},
        {{"17891000000028", "55555", "--count", "2"},
         1,
         "2 etiqueta(s) enviada(s)\n",
         "*** NÃO ENCONTRADO ***\n",
         "H\r\n" + caixa + caixa},
        {{"17891000000028", "--procon", "Irmãos", "12.345.678/0001-99", "2026-02-27"},
         0,
         "1 etiqueta(s) enviada(s)\n",
         "",
         "H\r\n000004|CX ARROZ|30,00|Irm\xE3os (12.345.678/0001-99)|27/02/2026\r\n"},
        {{"66", "--count", "0"}, 0, "0 etiqueta(s) enviada(s)\n", "", "H\r\n"},
        {{"1", "--label", "linha"},
         1,
         "",
         "Não foi possível inicializar a impressora A etiqueta \"linha\" não foi encontrada: "
         "nenhum modelo (arquivo .lbl) da pasta \"" +
             home.Path().toStdString() +
             "\" tem esse nome. Verifique se o arquivo do modelo está nessa pasta e se \"Path "
             "Modelos\" na seção [Geral] do zev.ini aponta para ela. O programa ZEV lê os "
             "modelos ao abrir: depois, feche-o e abra-o de novo.\n",
         ""},
        {{"--count", "2"}, 2, "", "informe os códigos", ""},
        {{"1", "--count", "x"}, 2, "", "número inválido: 'x'", ""},
        {{"1", "--procon", "Ana", "1"}, 2, "", "--procon precisa de nome, CNPJ e data", ""},
    };
    for (const auto& [arguments, status, out, err, printed] : cases) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        QFile::remove(output);
        QStringList command{"--home", home.Path(), "print", "item", "--label", "balcao",
                            "--output", output};
        const Result result = RunCli(command + arguments);
        EXPECT_EQ(result.status, status) << result.err;
        EXPECT_EQ(result.out, out);
        if (status == 2)
            EXPECT_TRUE(Contains(result.err, err)) << result.err;
        else
            EXPECT_EQ(result.err, err);
        if (printed.empty())
            EXPECT_FALSE(QFile::exists(output));
        else
            EXPECT_EQ(ReadFileBytes(output), printed);
    }
}

TEST(CounterCommandsTest, SearchListsMatchesWithoutRegardToCaseOrAccents)
{
    TProgramDirFixture home;
    CreateDatabase();
    OpenDatabase()->Execute(std::string(Loja) +
                            "; update produto set descricao = 'AÇÚCAR' where produto_key = 9");
    const std::tuple<const char*, int, std::string> cases[] = {
        {"acucar", 0, "9\tAÇÚCAR\t4\n"},
        {"Arroz", 0, "2\tARROZ\t5,5\n4\tCX ARROZ\t30\n"},
        {"nada", 0, ""},
    };
    for (const auto& [text, status, out] : cases) {
        SCOPED_TRACE(text);
        const Result result = RunCli({"--home", home.Path(), "search", QString::fromUtf8(text)});
        EXPECT_EQ(result.status, status) << result.err;
        EXPECT_EQ(result.out, out);
    }
    {
        const std::unique_ptr<TConnection> connection = OpenDatabase();
        TTransaction transaction(*connection);
        TQuery& insert = connection->Query(
            "insert into produto (produto_key, descricao, caixa) values (?, 'ARROZ', 0)");
        for (int key = 100; key < 600; ++key)
            insert.Bind(0, key).Exec();
        transaction.Commit();
    }
    const Result tooMany = RunCli({"--home", home.Path(), "search", "arroz"});
    EXPECT_EQ(tooMany.status, 1);
    EXPECT_EQ(tooMany.out, "");
    EXPECT_EQ(tooMany.err, "Número de resultados muito grande (502) Melhore sua busca\n");
}

} // namespace
