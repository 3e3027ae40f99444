#include "printing/JobLabels.h"

#include "catalogue/Produto.h"
#include "platform/Regional.h"
#include "printing/PrintJobs.h"
#include "tests/printing/PrintTestSupport.h"

using namespace zev;
using namespace zev::test;

namespace {

// "F9 N2" as the list gives them, each mark checked against its product.
std::string Listed(const TJobLabelList& list)
{
    std::string texts;
    for (std::int64_t i = 0; i < list.Count(); ++i) {
        const TJobLabel label = list.At(i);
        const std::string mark = label.text.substr(0, label.text.size() - 2);
        EXPECT_EQ(mark.substr(1), std::to_string(label.produto->key));
        texts += (texts.empty() ? "" : " ") + mark;
    }
    return texts;
}

// The list shows what the job sends, label for label, for every setting
// that decides it.
TEST_F(PrintTest, TheSelectionsListHasTheLabelsTheJobSends)
{
    Sql(Loja);
    const std::pair<const char*, const char*> cases[] = {
        {"", "F9 N2 N3 N3 N3 N1 N7"},
        {"Agrupado=1\r\nAgrupado Por=1", "F2 N3 N3 N3 N7 N9 N1"},
        {"Agrupado=1\r\nAgrupado Por=2", "F3 F3 F3 N7 N9 N1 N2"},
        {"Atacado=1", "F9 N2 N3 N3 N3 N1 N4 N7"},
        {"Min Balanca=1501", "F2 N7"},
        {"Agrupado=1\r\nAgrupado Por=0\r\nMin Balanca=1001", "N2 N3 N3 N3 N7"},
    };
    const TPrinterLabel& marca = registries().LabelRegistry().LabelHash.Item("marca");
    for (const auto& [geral, labels] : cases) {
        SCOPED_TRACE(geral);
        program.WriteSettings(std::string("[Labels]\r\nmarca=TESTE:\r\n[Geral]\r\n") + geral);
        EXPECT_EQ(Listed(*SelecaoJobLabels(marca)), labels);

        *port = TTestPort();
        op().QueueYesNo(true);
        PrintSelecao(op(), registries(), "marca");
        std::string sent;
        for (const std::string& block : port->blocks)
            sent += block;
        EXPECT_EQ(sent, Marks(labels));
    }
}

TEST_F(PrintTest, TheFilesAndTheSequencesListsHaveALabelPerLineAndNumber)
{
    Sql(Loja);
    program.WriteSettings("[Geral]\r\nSelecao Data=01/03/2026\r\n");
    const TPrinterLabel& marca = registries().LabelRegistry().LabelHash.Item("marca");
    const auto arquivo = ArquivoJobLabels(marca, {"1000", "555", "", "0099999"});
    EXPECT_EQ(Listed(*arquivo), "F1 N0 N0 N1");
    const TJobLabel naoCadastrado = arquivo->At(1);
    EXPECT_EQ(naoCadastrado.produto->descricao, "PRODUTO NAO CADASTRADO");
    EXPECT_EQ(naoCadastrado.produto->barras, std::vector<std::string>{"555"});

    // The line label renders the job's date: "Selecao Data" for a file.
    const TPrinterLabel& linha = registries().LabelRegistry().LabelHash.Item("linha");
    EXPECT_EQ(ArquivoJobLabels(linha, {"1000"})->At(0).text,
              "000001 CAFE 10,00 01/03/2026 00001000\r\n.\r\n");

    EXPECT_EQ(Listed(*SequenciaJobLabels(marca, 8, 11, Today())), "F8 F9 F10 F11");
    EXPECT_EQ(SequenciaJobLabels(marca, 3, 2, Today())->Count(), 0);
    // The widest sequence is listed without reading its numbers ahead.
    const auto widest = SequenciaJobLabels(marca, 0, std::numeric_limits<std::int32_t>::max(), Today());
    EXPECT_EQ(widest->Count(), std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1);
    EXPECT_EQ(widest->At(widest->Count() - 1).produto->key, std::numeric_limits<std::int32_t>::max());
    EXPECT_THROW(widest->At(widest->Count()), std::out_of_range);
}

TEST_F(PrintTest, TheSampleProductIsTheSelectionsFirstLabelElseTheCataloguesFirst)
{
    program.WriteSettings("[Geral]\r\nSelecao Data=01/03/2026\r\n");
    EXPECT_FALSE(SampleProduto().has_value());
    Sql(Loja);
    const double selecaoData = *TryStrToDate("01/03/2026");
    // DOCE has no barcode and GOMA prints no copy: FARINHA prints first.
    const std::tuple<const char*, std::int32_t, double> cases[] = {
        {"delete from selecao where produto_key not in (5, 7, 8)", 7, selecaoData},
        {"delete from selecao", 9, Today()},
    };
    for (const auto& [sql, key, date] : cases) {
        SCOPED_TRACE(sql);
        Sql(sql);
        const std::optional<TSampleProduto> sample = SampleProduto();
        ASSERT_TRUE(sample.has_value());
        EXPECT_EQ(sample->produto->key, key);
        EXPECT_EQ(sample->date, date);
    }
}

} // namespace
