#include "app/HomeStatus.h"

#include "app/Settings.h"
#include "output/PortRegistry.h"
#include "platform/Profile.h"
#include "platform/Regional.h"
#include "tests/printing/PrintTestSupport.h"

#include <gtest/gtest.h>

using namespace zev;
using namespace zev::test;

namespace {

TEST(HomeNextStep, FollowsTheDaysOrderImportSelectPrint)
{
    const double today = EncodeDate(2026, 12, 7);
    // 0 products, 5 selected: a selection left from an emptied catalogue.
    const struct { std::int64_t produtos, selected; double date; TNextStep next; } cases[] = {
        {0, 0, today, TNextStep::Importar}, {0, 5, today, TNextStep::Importar},
        {10, 0, today, TNextStep::Hoje}, {10, 5, today - 1, TNextStep::Hoje},
        {10, 5, today + 1, TNextStep::Hoje}, {10, 5, today, TNextStep::ImprimirSelecao}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.produtos << " " << c.selected << " " << c.date);
        EXPECT_EQ(NextStep({c.produtos, {}, {}, {}}, {c.selected, c.date, {}}, today), c.next);
    }
}

class HomeStatusTest : public PrintTest
{
protected:
    THomeStatus Read(std::size_t rows = 10) { return ReadHomeStatus(registries(), rows); }
    static void Write(std::string_view section, std::string_view key, std::string_view value)
    {
        TIniFile(SettingsPath()).WriteString(section, key, value);
    }
};

TEST_F(HomeStatusTest, AnEmptyOrUnreadableCatalogueAsksForTheImportAndIsToldNotThrown)
{
    const THomeStatus empty = Read();
    EXPECT_TRUE(empty.catalogue.error.isEmpty()) << empty.catalogue.error.toStdString();
    EXPECT_EQ(empty.next, TNextStep::Importar);

    RemoveDatabaseFiles(DatabaseConnectionString());
    const THomeStatus unreadable = Read();
    EXPECT_FALSE(unreadable.catalogue.error.isEmpty());
    EXPECT_EQ(unreadable.next, TNextStep::Importar);
}

TEST_F(HomeStatusTest, TheSelectionsFirstPrintingRowsInPrintOrderAtItsDatesPrices)
{
    Sql(Loja);
    Write(settings::Geral, settings::SelecaoData.key, "03/03/2026");
    Write(settings::Geral, settings::UltimaImportacao.key, "2026-03-02T06:30:00");
    Write(settings::Geral, settings::ArquivoImportado.key, "/loja/ZEV.TXT");

    const THomeStatus status = Read();
    EXPECT_EQ(status.catalogue.produtos, 9);
    EXPECT_EQ(status.catalogue.importedAt, QDateTime(QDate(2026, 3, 2), QTime(6, 30)));
    EXPECT_EQ(status.catalogue.importedFrom, "/loja/ZEV.TXT");
    EXPECT_EQ(status.selection.count, 9);
    EXPECT_EQ(status.selection.date, EncodeDate(2026, 3, 3));
    // DOCE has no barcode, GOMA no copy, ERVA no tree row, the box needs
    // "Atacado": they print nothing and are not shown.
    std::vector<std::int32_t> keys;
    for (const THomeRow& row : status.selection.rows)
        keys.push_back(row.key);
    EXPECT_EQ(keys, (std::vector<std::int32_t>{9, 2, 3, 1, 7}));
    EXPECT_EQ(status.selection.rows[3].preco, 10); // its offer on that day
    EXPECT_EQ(status.next, TNextStep::Hoje);

    EXPECT_EQ(Read(2).selection.rows.size(), 2U);
    // A note that does not convert is a date unknown, not a wrong one.
    Write(settings::Geral, settings::UltimaImportacao.key, "02/03/2026 06:30");
    EXPECT_FALSE(Read().catalogue.importedAt.has_value());
}

TEST_F(HomeStatusTest, EachLabelWithItsPortsKindOrWhatIsWrong)
{
    Write(settings::Labels, "linha", "FILE:");
    Write(settings::Labels, "marca", "COM9:");
    Write(settings::Labels, "apagada", "NULL:");
    Write(settings::Labels, "marca2", "TESTE:");
    Write(settings::Geral, settings::LabelDefault.key, "linha");
    registries().Labels->LabelHash.SetItem("marca2", std::make_unique<TMarkLabel>());

    // problem: what the text names; nothing when the label prints.
    const struct { const char* name; std::optional<TPortKind> kind; const char* problem; } labels[] = {
        {"linha", TPortKind::Arquivo, nullptr}, {"marca", std::nullopt, "COM9:"},
        {"apagada", TPortKind::Nulo, "pasta dos modelos"}, {"marca2", TPortKind::Arquivo, nullptr}};
    THomeStatus status = Read();
    ASSERT_EQ(status.labels.size(), std::size(labels));
    for (std::size_t i = 0; i < std::size(labels); ++i) {
        const THomeLabel& label = status.labels[i];
        SCOPED_TRACE(label.name + ": " + label.problem.toStdString());
        EXPECT_EQ(std::tie(label.name, label.kind, label.isDefault),
                  std::tuple(labels[i].name, labels[i].kind, i == 0));
        EXPECT_EQ(label.problem.isEmpty(), labels[i].problem == nullptr);
        EXPECT_TRUE(!labels[i].problem || label.problem.contains(labels[i].problem));
        // Only "apagada" has no label file.
        EXPECT_EQ(label.description.empty(), i == 2);
    }

    // A default label without a port is listed first, as a problem.
    TIniFile(SettingsPath()).EraseSection(settings::Labels);
    Write(settings::Labels, "marca", "NULL:");
    status = Read();
    ASSERT_EQ(status.labels.size(), 2U);
    EXPECT_EQ(status.labels[0].name, "linha");
    EXPECT_TRUE(status.labels[0].problem.startsWith("Sem porta"));
    EXPECT_EQ(status.labels[1].kind, TPortKind::Nulo);
}

} // namespace
