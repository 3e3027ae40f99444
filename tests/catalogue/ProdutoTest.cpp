#include "catalogue/Produto.h"

#include "catalogue/Database.h"
#include "platform/Regional.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <tuple>

using namespace zev;
using zev::test::Contains;
using zev::test::TProgramDirFixture;

namespace {

struct Row
{
    std::int32_t key;
    std::string descricao = "PRODUTO";
    std::optional<std::int32_t> pai = std::nullopt;
    bool caixa = false;
    std::vector<std::string> barras = {};
    double precoNormal = 10;
    double precoOferta = 8;
    std::optional<double> dataInicial = std::nullopt;
    std::optional<double> dataFinal = std::nullopt;
    std::optional<std::int32_t> divisorPreco = std::nullopt;
    double fatorPreco = 1;
};

class ProdutoTest : public testing::Test
{
protected:
    void SetUp() override
    {
        CreateDatabase();
        connection = OpenDatabase();
    }

    void Add(const Row& row)
    {
        TQuery& insert = connection->Query(
            "insert into produto (produto_key, descricao, pai, caixa, preco_normal, preco_oferta, "
            "data_inicial, data_final, divisor_preco, fator_preco, embalagem_key, "
            "quantidade_etiquetas, dias_validade, embalagem_padrao_key, embalagem_padrao_fator, "
            "divisor_preco_descricao, data_alteracao) "
            "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 'UN', 2, 30, 'KG', 0.5, 'QUILO', '2026-12-01')");
        insert.Bind(0, row.key).BindText(1, row.descricao);
        row.pai ? insert.Bind(2, *row.pai) : insert.BindNull(2);
        insert.Bind(3, row.caixa ? 1 : 0).Bind(4, row.precoNormal).Bind(5, row.precoOferta);
        row.dataInicial ? insert.BindDate(6, *row.dataInicial) : insert.BindNull(6);
        row.dataFinal ? insert.BindDate(7, *row.dataFinal) : insert.BindNull(7);
        row.divisorPreco ? insert.Bind(8, *row.divisorPreco) : insert.BindNull(8);
        insert.Bind(9, row.fatorPreco);
        insert.Exec();
        for (const std::string& barra : row.barras)
            connection->Query("insert into item values (?, ?)").BindText(0, barra).Bind(1, row.key)
                .Exec();
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
    // Barcodes in the package's order, not sorted.
    Add({.key = 42, .descricao = acucar, .barras = {"789", "123", "456", "0"}, .precoNormal = 4.99,
         .precoOferta = 3.75, .dataInicial = EncodeDate(2026, 12, 1),
         .dataFinal = EncodeDate(2026, 12, 10), .divisorPreco = 1000});
    const auto record = FindProdutoByKey(*connection, 42);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(std::tie(record->key, record->descricao, record->divisorPreco,
                       record->divisorPrecoDescricao, record->quantidadeEtiquetas,
                       record->embalagem, record->diasValidade, record->embalagemPadrao),
              std::make_tuple(42, acucar, 1000, std::string("QUILO"), 2, std::string("UN"), 30,
                              std::string("KG")));
    EXPECT_EQ(std::tie(record->precoNormal, record->precoOferta, record->embalagemPadraoFator),
              std::make_tuple(4.99, 3.75, 0.5));
    EXPECT_EQ(std::tie(record->dataInicial, record->dataFinal, record->dataAlteracao),
              std::make_tuple(EncodeDate(2026, 12, 1), EncodeDate(2026, 12, 10),
                              EncodeDate(2026, 12, 1)));
    EXPECT_EQ(record->barras, (std::vector<std::string>{"789", "123", "456", "0"}));
    EXPECT_EQ(record->barra, "");
    EXPECT_EQ(record->pai, nullptr);
    EXPECT_TRUE(record->filhos.empty());
}

TEST_F(ProdutoTest, AMissingOrZeroDivisorBecomesOneHundred)
{
    const std::tuple<std::int32_t, std::optional<std::int32_t>, std::int32_t> cases[] = {
        {1, std::nullopt, 100}, {2, 0, 100}, {3, 1, 1}, {4, 1000, 1000}};
    for (const auto& [key, stored, loaded] : cases)
        Add({.key = key, .divisorPreco = stored});
    for (const auto& [key, stored, loaded] : cases) {
        const auto record = FindProdutoByKey(*connection, key);
        EXPECT_EQ(record->divisorPreco, loaded) << key;
        EXPECT_TRUE(record->barras.empty());
    }
}

TEST_F(ProdutoTest, BarcodeLookupIgnoresTheLeadingZerosOfANumberAndNothingElse)
{
    Add({.key = 1, .barras = {"12345", "7891000100103"}});
    Add({.key = 2, .barras = {"0012 34"}});
    Add({.key = 3, .barras = {"0"}}); // imported as "0000"
    const std::pair<const char*, std::int32_t> cases[] = {
        {"12345", 1},   {"0012345", 1}, {"000000007891000100103", 1}, {"07891000100103", 1},
        {"123450", 0},  {"1234", 0},    {"0012 34", 2}, {"12 34", 0}, {"1234 ", 0}, {" 12345", 0},
        {"0000", 3},    {"0", 3},       {"", 0}};
    for (const auto& [typed, found] : cases) {
        SCOPED_TRACE(typed);
        const auto record = FindProdutoByBarra(*connection, typed);
        EXPECT_EQ(record ? record->key : 0, found);
    }
    EXPECT_EQ(FindProdutoByKey(*connection, 4), nullptr);

    const std::pair<const char*, const char*> stored[] = {{"", ""}, {"0", "0"}, {"0000", "0"},
        {"00120", "120"}, {"120", "120"}, {" 0012", " 0012"}, {"0 12", "0 12"}, {"A00", "A00"}};
    for (const auto& [text, kept] : stored)
        EXPECT_EQ(BarcodeAsStored(text), kept) << text;
}

TEST_F(ProdutoTest, BoxesComeWithTheirUnitUnitsWithTheirBoxesAndCyclesStop)
{
    Add({.key = 100, .descricao = "CERVEJA LATA 350ML", .barras = {"7890000000100"}});
    Add({.key = 112, .descricao = "CERVEJA CX 12", .pai = 100, .caixa = true,
         .barras = {"17890000000112"}, .fatorPreco = 12});
    Add({.key = 106, .descricao = "CERVEJA CX 6", .pai = 100, .caixa = true, .fatorPreco = 6});

    const auto box = FindProdutoByBarra(*connection, "17890000000112");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->key, 112);
    ASSERT_NE(box->pai, nullptr);
    EXPECT_EQ(box->pai->key, 100);
    EXPECT_EQ(box->pai->descricao, "CERVEJA LATA 350ML");
    EXPECT_EQ(box->pai->barras, std::vector<std::string>{"7890000000100"});
    EXPECT_EQ(box->pai->pai, nullptr);
    EXPECT_TRUE(box->pai->filhos.empty()) << "a loaded parent brings no children";
    EXPECT_TRUE(box->filhos.empty());

    const auto unit = FindProdutoByKey(*connection, 100);
    ASSERT_NE(unit, nullptr);
    EXPECT_EQ(unit->pai, nullptr);
    EXPECT_EQ(KeysOf(unit->filhos), (std::vector<std::int32_t>{106, 112}));
    for (const auto& child : unit->filhos) {
        EXPECT_EQ(child->pai, unit.get());
        EXPECT_TRUE(child->filhos.empty());
    }
    EXPECT_DOUBLE_EQ(unit->filhos[1]->fatorPreco, 12);

    // 1 <- 2 <- 3: a pallet of boxes of units.
    Add({.key = 1, .descricao = "UNIDADE"});
    Add({.key = 2, .descricao = "CAIXA", .pai = 1, .caixa = true});
    Add({.key = 3, .descricao = "PALETE", .pai = 2, .caixa = true});
    // A box that holds itself, and two boxes that hold each other.
    Add({.key = 10, .descricao = "EU MESMO", .pai = 10, .caixa = true, .barras = {"10"}});
    Add({.key = 20, .descricao = "A", .pai = 21, .caixa = true, .barras = {"20"}});
    Add({.key = 21, .descricao = "B", .pai = 20, .caixa = true});

    const auto pallet = FindProdutoByKey(*connection, 3);
    ASSERT_NE(pallet->pai, nullptr);
    EXPECT_EQ(pallet->pai->key, 2);
    ASSERT_NE(pallet->pai->pai, nullptr);
    EXPECT_EQ(pallet->pai->pai->key, 1);
    EXPECT_EQ(pallet->pai->pai->pai, nullptr);

    const auto self = FindProdutoByBarra(*connection, "10");
    ASSERT_NE(self, nullptr);
    EXPECT_EQ(self->pai, nullptr);
    // Its children are the rows whose pai is 10: itself, once.
    EXPECT_EQ(KeysOf(self->filhos), std::vector<std::int32_t>{10});

    const auto a = FindProdutoByBarra(*connection, "20");
    ASSERT_NE(a->pai, nullptr);
    EXPECT_EQ(a->pai->key, 21);
    EXPECT_EQ(a->pai->pai, nullptr);

    // A box whose unit product is missing, or not named, gets an empty one.
    Add({.key = 5, .descricao = "CAIXA ORFA", .pai = 999, .caixa = true, .barras = {"55"}});
    Add({.key = 6, .descricao = "CAIXA SEM PAI", .caixa = true});
    for (const std::int32_t key : {5, 6}) {
        const auto box = FindProdutoByKey(*connection, key);
        ASSERT_NE(box->pai, nullptr) << key;
        EXPECT_EQ(box->pai->key, 0);
        EXPECT_EQ(box->pai->descricao, "");
        EXPECT_TRUE(box->pai->barras.empty());
        EXPECT_EQ(box->pai->precoNormal, 0);
        EXPECT_EQ(box->pai->pai, nullptr);
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

    ASSERT_NE(top, nullptr);
    int loaded = 1;
    const TProduto* record = top.get();
    for (; record->pai != nullptr; record = record->pai)
        ++loaded;
    EXPECT_EQ(loaded, MaxProdutoChain);
    EXPECT_EQ(record->key, Links - MaxProdutoChain + 1);
}

TEST_F(ProdutoTest, AValueBeyondThirtyTwoBitsIsAnErrorNamingItsTableNeverACutValue)
{
    Add({.key = 1, .descricao = "UM", .barras = {"111"}});
    // Rows another tool wrote into a file without the schema's checks.
    connection->Execute("pragma ignore_check_constraints = on");
    connection->Execute("insert into produto (produto_key, descricao) values (4294967297, 'G')");
    connection->Execute("insert into item values ('222', 4294967297)");
    connection->Execute("insert into produto (produto_key, divisor_preco) values (2, 4294967296)");
    connection->Execute("insert into produto (produto_key, pai, caixa) values (3, -4294967295, 1)");
    connection->Execute("pragma ignore_check_constraints = off");

    const std::pair<std::function<std::unique_ptr<TProduto>()>, const char*> cases[] = {
        {[&] { return FindProdutoByBarra(*connection, "222"); }, "4294967297"},
        {[&] { return FindProdutoByKey(*connection, 2); }, "4294967296"},
        {[&] { return FindProdutoByKey(*connection, 3); }, "-4294967295"},
    };
    for (const auto& [lookup, value] : cases) {
        SCOPED_TRACE(value);
        try {
            const auto record = lookup();
            ADD_FAILURE() << "read as key " << record->key << ", divisor " << record->divisorPreco;
        } catch (const EDatabaseError& error) {
            EXPECT_TRUE(Contains(error.what(), "produto")) << error.what();
            EXPECT_TRUE(Contains(error.what(), value)) << error.what();
        }
    }
    EXPECT_EQ(FindProdutoByBarra(*connection, "111")->key, 1);
}

TEST_F(ProdutoTest, TheOfferHoldsFromItsFirstToItsLastDayInclusive)
{
    const double first = EncodeDate(2026, 12, 1);
    const double last = EncodeDate(2026, 12, 10);
    Add({.key = 1, .precoNormal = 10, .precoOferta = 8, .dataInicial = first, .dataFinal = last});
    Add({.key = 2, .precoNormal = 10, .precoOferta = 8});
    const auto onOffer = FindProdutoByKey(*connection, 1);
    const auto never = FindProdutoByKey(*connection, 2);

    const std::pair<double, bool> cases[] = {{first - 1, false}, {first, true}, {first + 0.5, true},
        {last, true}, {last + 0.25, false}, {last + 1, false}, {0, false}, {45000, false}};
    for (const auto& [date, offer] : cases) {
        SCOPED_TRACE(date);
        EXPECT_EQ(onOffer->emOferta(date), offer);
        EXPECT_DOUBLE_EQ(onOffer->preco(date), offer ? 8 : 10);
        if (date > 0) {
            EXPECT_FALSE(never->emOferta(date));
            EXPECT_DOUBLE_EQ(never->preco(date), 10);
        }
    }
}

TEST_F(ProdutoTest, ALookupThatFailsHalfWayLeavesNoLockBehind)
{
    // A date the pattern check lets through but the calendar does not.
    Add({.key = 1, .descricao = "DATA RUIM"});
    Add({.key = 2, .descricao = "CAIXA", .pai = 1, .caixa = true, .barras = {"22"}});
    connection->Execute("update produto set data_final = '2024-02-30' where produto_key = 1");

    EXPECT_THROW(FindProdutoByKey(*connection, 1), EDatabaseError);
    EXPECT_THROW(FindProdutoByBarra(*connection, "22"), EDatabaseError) << "through the parent";

    auto other = OpenDatabase();
    other->Execute("pragma busy_timeout = 0");
    EXPECT_NO_THROW(other->Execute("delete from item"));
}

TEST_F(ProdutoTest, ManyLookupsOnOneConnectionKeepTheirResultsApart)
{
    for (std::int32_t key = 1; key <= 50; ++key)
        Add({.key = key, .descricao = "PRODUTO " + std::to_string(key),
             .barras = {std::to_string(1000 + key), std::to_string(2000 + key)}});
    Add({.key = 51, .descricao = "CAIXA DO 7", .pai = 7, .caixa = true, .barras = {"3051"}});

    for (int round = 0; round < 3; ++round) {
        for (std::int32_t key = 51; key >= 1; --key) {
            const auto byKey = FindProdutoByKey(*connection, key);
            const auto byBarra = FindProdutoByBarra(*connection, byKey->barras.front());
            ASSERT_NE(byBarra, nullptr);
            EXPECT_EQ(byBarra->key, key);
            EXPECT_EQ(byBarra->descricao, byKey->descricao);
            EXPECT_EQ(byBarra->barras, byKey->barras);
            EXPECT_EQ(byKey->filhos.size(), key == 7 ? 1u : 0u);
        }
    }
}

} // namespace
