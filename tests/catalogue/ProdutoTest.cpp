#include "catalogue/Produto.h"

#include "catalogue/Database.h"
#include "platform/Regional.h"
#include "tests/support/Catalogue.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <tuple>

using namespace zev;
using namespace zev::test;

namespace {

class ProdutoTest : public testing::Test
{
protected:
    void SetUp() override
    {
        CreateDatabase();
        connection = OpenDatabase();
    }

    static void Set(int key, const std::string& assignments)
    {
        Sql("update produto set " + assignments + " where produto_key = " + std::to_string(key));
    }

    static std::vector<std::int32_t> KeysOf(const std::vector<std::unique_ptr<TProduto>>& records)
    {
        std::vector<std::int32_t> keys;
        for (const auto& record : records)
            keys.push_back(record->key);
        return keys;
    }

    TProgramDirFixture home;
    std::unique_ptr<TConnection> connection;
};

TEST_F(ProdutoTest, LoadsEveryFieldOfTheRow)
{
    const std::string acucar = "A\xC7\xDA"
                               "CAR CRISTAL 1KG";
    connection
        ->Query("insert into produto (produto_key, descricao, preco_normal, preco_oferta, "
                "data_inicial, data_final, data_alteracao, divisor_preco, "
                "divisor_preco_descricao, quantidade_etiquetas, embalagem_key, dias_validade, "
                "embalagem_padrao_key, embalagem_padrao_fator, fator_preco) values (42, ?, 4.99, "
                "3.75, '2026-12-01', '2026-12-10', '2026-11-30', 1000, 'QUILO', 2, 'UN', 30, "
                "'KG', 0.5, 1.5)")
        .BindText(0, acucar)
        .Exec();
    // Barcodes in the package's order, not sorted.
    connection->Execute("insert into item values ('789', 42), ('123', 42), ('456', 42), ('0', 42)");
    const auto record = FindProdutoByKey(*connection, 42);
    EXPECT_EQ(std::tie(record->key, record->descricao, record->divisorPreco,
                       record->divisorPrecoDescricao, record->quantidadeEtiquetas,
                       record->embalagem, record->diasValidade, record->embalagemPadrao),
              std::make_tuple(42, acucar, 1000, std::string("QUILO"), 2, std::string("UN"), 30,
                              std::string("KG")));
    EXPECT_EQ(std::tie(record->precoNormal, record->precoOferta, record->embalagemPadraoFator,
                       record->fatorPreco),
              std::make_tuple(4.99, 3.75, 0.5, 1.5));
    EXPECT_EQ(std::tie(record->dataInicial, record->dataFinal, record->dataAlteracao),
              std::make_tuple(EncodeDate(2026, 12, 1), EncodeDate(2026, 12, 10),
                              EncodeDate(2026, 11, 30)));
    EXPECT_EQ(record->barras, (std::vector<std::string>{"789", "123", "456", "0"}));
}

TEST_F(ProdutoTest, AMissingOrZeroDivisorBecomesOneHundred)
{
    const std::pair<const char*, std::int32_t> cases[] = {
        {"null", 100}, {"0", 100}, {"1", 1}, {"1000", 1000}};
    for (const auto& [stored, loaded] : cases) {
        AddProduto({.key = 1, .descricao = "X"});
        Set(1, std::string("divisor_preco = ") + stored);
        EXPECT_EQ(FindProdutoByKey(*connection, 1)->divisorPreco, loaded) << stored;
        Sql("delete from produto");
    }
}

TEST_F(ProdutoTest, BarcodeLookupIgnoresTheLeadingZerosOfANumberAndNothingElse)
{
    AddProduto({.key = 1, .descricao = "", .barras = {"12345", "7891000100103"}});
    AddProduto({.key = 2, .descricao = "", .barras = {"0012 34"}});
    AddProduto({.key = 3, .descricao = "", .barras = {"0"}}); // imported as "0000"
    const std::pair<const char*, std::int32_t> cases[] = {{"12345", 1}, {"000000007891000100103", 1},
        {"123450", 0}, {"0012 34", 2}, {"12 34", 0}, {" 12345", 0}, {"0000", 3}, {"0", 3}, {"", 0}};
    for (const auto& [typed, found] : cases) {
        SCOPED_TRACE(typed);
        const auto record = FindProdutoByBarra(*connection, typed);
        EXPECT_EQ(record ? record->key : 0, found);
    }
    EXPECT_EQ(FindProdutoByKey(*connection, 4), nullptr);

    const std::pair<const char*, const char*> stored[] = {
        {"", ""}, {"0000", "0"}, {"00120", "120"}, {" 0012", " 0012"}, {"A00", "A00"}};
    for (const auto& [text, kept] : stored)
        EXPECT_EQ(BarcodeAsStored(text), kept) << text;
}

TEST_F(ProdutoTest, BoxesComeWithTheirUnitUnitsWithTheirBoxesAndCyclesStop)
{
    AddProduto({.key = 100, .descricao = "LATA", .barras = {"7890000000100"}});
    AddProduto({.key = 112, .descricao = "CX 12", .barras = {"17890000000112"}, .pai = 100});
    AddProduto({.key = 106, .descricao = "CX 6", .pai = 100});

    const auto box = FindProdutoByBarra(*connection, "17890000000112");
    ASSERT_NE(box->pai, nullptr);
    EXPECT_EQ(box->pai->barras, std::vector<std::string>{"7890000000100"});
    EXPECT_TRUE(box->pai->filhos.empty()) << "a loaded parent brings no children";

    const auto unit = FindProdutoByKey(*connection, 100);
    EXPECT_EQ(KeysOf(unit->filhos), (std::vector<std::int32_t>{106, 112}));
    for (const auto& child : unit->filhos)
        EXPECT_EQ(child->pai, unit.get());

    // A box that holds itself, and two boxes that hold each other.
    AddProduto({.key = 10, .descricao = "EU MESMO", .pai = 10});
    AddProduto({.key = 20, .descricao = "A", .pai = 21});
    AddProduto({.key = 21, .descricao = "B", .pai = 20});
    const auto self = FindProdutoByKey(*connection, 10);
    EXPECT_EQ(self->pai, nullptr);
    // Its children are the rows whose pai is 10: itself, once.
    EXPECT_EQ(KeysOf(self->filhos), std::vector<std::int32_t>{10});
    const auto a = FindProdutoByKey(*connection, 20);
    ASSERT_NE(a->pai, nullptr);
    EXPECT_EQ(a->pai->pai, nullptr);

    // A box whose unit product is missing, or not named, gets an empty one.
    AddProduto({.key = 5, .descricao = "CAIXA ORFA", .pai = 999});
    AddProduto({.key = 6, .descricao = "CAIXA SEM PAI"});
    Set(6, "caixa = 1");
    for (const std::int32_t key : {5, 6}) {
        const auto orphan = FindProdutoByKey(*connection, key);
        ASSERT_NE(orphan->pai, nullptr) << key;
        EXPECT_EQ(std::tie(orphan->pai->key, orphan->pai->descricao, orphan->pai->precoNormal),
                  std::make_tuple(0, std::string(), 0.0));
    }
}

TEST_F(ProdutoTest, AChainOfBoxesFarDeeperThanAnyCatalogueStopsAtTheBound)
{
    // A package can make each box hold the next: 100,000 links, a unit at the end.
    constexpr int Links = 100000;
    connection->Execute("insert into produto (produto_key, pai, caixa) "
                        "with recursive n(k) as (select 1 union all select k + 1 from n "
                        "where k < 100000) select k, k - 1, k > 1 from n");

    const auto top = FindProdutoByKey(*connection, Links);
    int loaded = 1;
    const TProduto* record = top.get();
    for (; record->pai != nullptr; record = record->pai)
        ++loaded;
    EXPECT_EQ(loaded, MaxProdutoChain);
    EXPECT_EQ(record->key, Links - MaxProdutoChain + 1);
}

// Values beyond 32 bits are named, never cut; a failed lookup holds no lock.
TEST_F(ProdutoTest, ARowThatCannotBeReadIsAnErrorNamingItsValueAndLeavesNoLockBehind)
{
    AddProduto({.key = 1, .descricao = "UM", .barras = {"111"}});
    // A date the pattern check lets through but the calendar does not.
    AddProduto({.key = 4, .descricao = "DATA RUIM"});
    Set(4, "data_final = '2024-02-30'");
    AddProduto({.key = 5, .descricao = "CAIXA", .barras = {"55"}, .pai = 4});
    // Rows another tool wrote into a file without the schema's checks.
    connection->Execute("pragma ignore_check_constraints = on;"
                        "insert into produto (produto_key) values (4294967297);"
                        "insert into item values ('222', 4294967297);"
                        "insert into produto (produto_key, divisor_preco) values (2, 4294967296);"
                        "pragma ignore_check_constraints = off");

    using Lookup = std::function<std::unique_ptr<TProduto>()>;
    const std::tuple<Lookup, const char*, const char*> cases[] = {
        {[&] { return FindProdutoByBarra(*connection, "222"); }, "produto", "4294967297"},
        {[&] { return FindProdutoByKey(*connection, 2); }, "produto", "4294967296"},
        {[&] { return FindProdutoByKey(*connection, 4); }, "", "\"2024-02-30\""},
        {[&] { return FindProdutoByBarra(*connection, "55"); }, "", "\"2024-02-30\""}, // its unit's
    };
    for (const auto& [lookup, table, value] : cases) {
        SCOPED_TRACE(value);
        try {
            const auto record = lookup();
            ADD_FAILURE() << "read as key " << record->key << ", divisor " << record->divisorPreco;
        } catch (const EDatabaseError& error) {
            if (*table != '\0') {
                EXPECT_TRUE(Contains(error.what(), table)) << error.what();
            }
            EXPECT_TRUE(Contains(error.what(), value)) << error.what();
        }
    }
    EXPECT_EQ(FindProdutoByBarra(*connection, "111")->key, 1);
    auto other = OpenDatabase();
    other->Execute("pragma busy_timeout = 0");
    EXPECT_NO_THROW(other->Execute("delete from item"));
}

TEST_F(ProdutoTest, TheOfferHoldsFromItsFirstToItsLastDayInclusive)
{
    const double first = EncodeDate(2026, 12, 1);
    const double last = EncodeDate(2026, 12, 10);
    AddProduto({.key = 1, .descricao = "", .preco = 10});
    AddProduto({.key = 2, .descricao = "", .preco = 10});
    Sql("update produto set preco_oferta = 8");
    Set(1, "data_inicial = '2026-12-01', data_final = '2026-12-10'");
    const auto onOffer = FindProdutoByKey(*connection, 1);
    const auto never = FindProdutoByKey(*connection, 2);

    const std::pair<double, bool> cases[] = {
        {first - 1, false}, {first, true}, {last, true}, {last + 0.25, false}, {0, false}};
    for (const auto& [date, offer] : cases) {
        SCOPED_TRACE(date);
        EXPECT_EQ(onOffer->emOferta(date), offer);
        EXPECT_DOUBLE_EQ(onOffer->preco(date), offer ? 8 : 10);
        if (date > 0) {
            EXPECT_DOUBLE_EQ(never->preco(date), 10);
        }
    }
}

} // namespace
