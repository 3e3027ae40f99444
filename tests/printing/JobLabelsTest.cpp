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

// The list and the job give the same labels, in the order and with the
// filters of the settings.
TEST_F(PrintTest, SelectionPrintsInTheOrderAndWithTheFiltersOfTheSettings)
{
    Sql(Loja);
    const std::pair<const char*, const char*> cases[] = {
        {"", "F9 N2 N3 N3 N3 N1 N7"},
        {"Agrupado=1\r\nAgrupado Por=0", "F9 N1 N2 N3 N3 N3 N7"},
        {"Agrupado=1\r\nAgrupado Por=1", "F2 N3 N3 N3 N7 N9 N1"},
        {"Agrupado=1\r\nAgrupado Por=2", "F3 F3 F3 N7 N9 N1 N2"}, // every copy is a first
        {"Agrupado=1\r\nAgrupado Por=3", "F9 N2 N3 N3 N3 N7 N1"},
        {"Atacado=1", "F9 N2 N3 N3 N3 N1 N4 N7"},
        // Values compare, leading zeros or not; a barcode that is no number
        // is no scale code.
        {"Min Balanca=0001000", "F2 N3 N3 N3 N1 N7"},
        // GOMA comes first and prints no copy: the first label was its.
        {"Agrupado=1\r\nAgrupado Por=0\r\nMin Balanca=1001", "N2 N3 N3 N3 N7"},
    };
    const TPrinterLabel& marca = registries().LabelRegistry().LabelHash.Item("marca");
    for (const auto& [geral, labels] : cases) {
        SCOPED_TRACE(geral);
        program.WriteSettings(std::string("[Labels]\r\nmarca=FILE:\r\n[Geral]\r\n") + geral);
        EXPECT_EQ(Listed(*SelecaoJobLabels(marca)), labels);
        const QString output = Output();
        op().QueueYesNo(true);
        EXPECT_TRUE(PrintSelecao(op(), registries(), "marca").Complete());
        EXPECT_EQ(ReadFileBytes(output), Marks(labels));
        // Products the joins and the filters leave out are counted.
        EXPECT_EQ(op().Messages().back().text,
                  QString::fromUtf8("Confirma impressão das etiquetas selecionadas (9) ?"));
    }
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
