#include "catalogue/Database.h"
#include "tests/cli/RunCli.h"
#include "tests/printing/PrintTestSupport.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace zev;
using namespace zev::test;

namespace {

TEST(PrintCommandsTest, PrintsTheSelectionABarcodeFileAndASequenceThroughTheLabelsPort)
{
    TProgramDirFixture home;
    CreateDatabase();
    OpenDatabase()->Execute(Loja);
    OpenDatabase()->Execute("delete from selecao where produto_key not in (1, 2)");
    const QString padrao = home.File("padrao.prn");
    WriteFileBytes(home.File("zev.ini"),
                   "[Geral]\r\nPath Modelos=" + SourceFile("tests/printing/data").toStdString() +
                       "\r\nSelecao Data=01/03/2026\r\n[Labels]\r\nlinha=FILE:\r\n"
                       "[FILE:]\r\nFilename=" +
                       padrao.toStdString() + "\r\n");
    WriteFileBytes(home.File("PLU.TXT"), "0001000\r\n55555\r\n");
    const std::string selecao = "H\r\n000002 ARROZ 5,50 01/03/2026 07891000000011\r\n.\r\n"
                                "000001 CAFE 10,00 01/03/2026 00001000\r\n.\r\n";

    const struct
    {
        QStringList arguments;
        int status;
        std::string out;
        std::string err; // a part of standard error
        QString file;    // what the FILE: port wrote, when it ran
        std::string printed;
    } cases[] = {
        // Without --yes the question is answered No.
        {{"selection", "--label", "linha"},
         1,
         "",
         "Confirma impressão das etiquetas selecionadas (2) ? Não",
         padrao,
         ""},
        {{"selection", "--label", "linha", "--yes", "--output", home.File("sel.prn")},
         0,
         "2 etiqueta(s) enviada(s)\n",
         "",
         home.File("sel.prn"),
         selecao},
        // Without --output, the port's default file.
        {{"file", home.File("PLU.TXT"), "--label", "linha"},
         0,
         "2 etiqueta(s) enviada(s)\n",
         "",
         padrao,
         "H\r\n000001 CAFE 10,00 01/03/2026 00001000\r\n.\r\n"
         "000000 PRODUTO NAO CADASTRADO 0,00 01/03/2026 00055555\r\n.\r\n"},
        {{"sequence", "9", "10", "--label", "linha", "--date", "2026-03-05", "--output",
          home.File("seq.prn")},
         0,
         "2 etiqueta(s) enviada(s)\n",
         "",
         home.File("seq.prn"),
         "H\r\n000009   1,00 05/03/2026 00000000\r\n.\r\n000010   1,00 05/03/2026 "
         "00000000\r\n.\r\n"},
        {{"selection", "--label", "nenhuma", "--yes"}, 1, "", "Key \"nenhuma\" not found", {}, ""},
        {{"file", home.File("NADA.TXT"), "--label", "linha"}, 1, "", "NADA.TXT", {}, ""},
        {{"selection"}, 2, "", "informe a etiqueta com --label", {}, ""},
        {{"file", "--label", "linha"}, 2, "", "informe o arquivo de códigos", {}, ""},
        {{"sequence", "1", "x", "--label", "linha"}, 2, "", "número inválido: 'x'", {}, ""},
        {{"sequence", "1", "2", "--label", "linha", "--yes"},
         2,
         "",
         "opção desconhecida: --yes",
         {},
         ""},
        {{"sequence", "1", "2", "--label", "linha", "--date", "31/02/2026"},
         2,
         "",
         "data inválida",
         {},
         ""},
        {{"item", "--label", "linha"}, 2, "", "impressão desconhecida: item", {}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        QFile::remove(padrao);
        const Result result = RunCli(QStringList{"--home", home.Path(), "print"} + c.arguments);
        EXPECT_EQ(result.status, c.status) << result.err;
        EXPECT_EQ(result.out, c.out);
        EXPECT_TRUE(Contains(result.err, c.err)) << result.err;
        if (!c.file.isEmpty()) {
            EXPECT_EQ(ReadFileBytes(c.file), c.printed);
        }
    }
}

} // namespace
