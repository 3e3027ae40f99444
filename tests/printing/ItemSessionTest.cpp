#include "printing/ItemSession.h"

#include "app/Hashes.h"
#include "platform/Regional.h"
#include "printing/Busca.h"
#include "tests/printing/PrintTestSupport.h"

#include <numeric>

using namespace zev;
using namespace zev::test;

namespace {

// The fields the counter sets, one label a line: key, barcode, supplier,
// manufacture date.
class TCamposLabel final : public TBaseLabel
{
public:
    TCamposLabel() : TBaseLabel("campos", "", QImage(), "H\r\n", "Campos", "1") {}
    // clang-format off
    void RenderFirst(const TProduto&, std::string& t, double) const override { t = "?"; }
    void RenderNext(const TProduto&, std::string& t, double) const override { t = "?"; }
    void RenderLast(const TProduto&, std::string& t, double) const override { t = "?"; }
    // clang-format on
    void RenderSingle(const TProduto& p, std::string& t, double date) const override
    {
        t = std::to_string(p.key) + "|" + p.barra + "|" + p.fornecedorDescricao + "|" +
            DateToStr(p.fabricacao) + "|" + DateToStr(date) + "\r\n";
    }
};

// ARROZ (2) has the box CX ARROZ (4, 6 units at 30,00) and ACUCAR (9)
// none; ACUCAR's barcode is kept without its zeros, as the import does.
const char* const Balcao =
    "insert into produto (produto_key, descricao, caixa, pai, fator_preco, preco_normal) values "
    "  (2, 'ARROZ', 0, null, null, 5.5), (4, 'CX ARROZ', 1, 2, 6, 30), (9, 'ACUCAR', 0, null, "
    "null, 4);"
    "insert into item values ('789100', 2), ('1789100', 4), ('999', 9)";

class ItemSessionTest : public PrintTest
{
protected:
    ItemSessionTest()
    {
        program.Registries().Labels->LabelHash.SetItem("campos", std::make_unique<TCamposLabel>());
        Sql(Balcao);
    }
};

TEST_F(ItemSessionTest, EnterPrintsAsTheModesAndSettingsSay)
{
    const TProconData procon{QStringLiteral("Ana"), QStringLiteral("12.345.678/0001-99"),
                             EncodeDate(2026, 3, 1)};
    // ARROZ's "0000" as imported, and an empty code as an older import kept it.
    Sql("insert into item values ('0', 2), ('', 9)");
    // labels: as Marks writes them; "" : the header only.
    // clang-format off
    struct TCase { const char* name; const char* geral; TItemModes modes; std::vector<std::string> codes; std::deque<std::string> counts; std::deque<std::optional<TProconData>> procons; const char* labels; };
    const TCase cases[] = {
        {"same code twice prints once", "", {}, {"999", "999"}, {}, {}, "S9"},
        {"A, B, A prints nothing", "", {}, {"999", "789100", "999"}, {}, {}, ""},
        {"not found in between resets", "", {}, {"999", "5", "999"}, {}, {}, ""},
        {"auto-print", "Imp Autom=1", {}, {"999", "999"}, {}, {}, "S9 S9"},
        {"count 5", "", {true, false}, {"999"}, {"5"}, {}, "S9 S9 S9 S9 S9"},
        {"count cancelled", "", {true, false}, {"999"}, {"-"}, {}, ""},
        {"procon at once", "", {false, true}, {"999"}, {}, {procon}, "S9"},
        {"wholesale prints the first box", "Atacado=1\r\nImp Autom=1", {}, {"789100"}, {}, {}, "S4"},
        {"no wholesale: the unit", "Imp Autom=1", {}, {"789100"}, {}, {}, "S2"},
        {"a box typed directly", "Imp Autom=1", {}, {"1789100"}, {}, {}, "S4"},
        {"leading zeros", "Imp Autom=1", {}, {"000999"}, {}, {}, "S9"},
        {"zeros only", "Imp Autom=1", {}, {"0000"}, {}, {}, "S2"},
        {"an empty Enter", "Imp Autom=1", {}, {""}, {}, {}, ""},
        {"a count that is no number throws", "", {true, false}, {"999"}, {"x"}, {}, ""},
    };
    // clang-format on
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        program.WriteSettings(std::string("[Labels]\r\nmarca=TESTE:\r\n[Geral]\r\n") + c.geral);
        *port = TTestPort();
        TAnswers answers;
        answers.counts = c.counts;
        answers.procons = c.procons;
        {
            TItemSession session(op(), registries(), "marca", c.modes);
            const bool throws = !c.counts.empty() && c.counts.front() == "x";
            for (const std::string& code : c.codes) {
                if (throws) {
                    EXPECT_THROW(session.Enter(code, answers), EConvertError);
                } else {
                    session.Enter(code, answers);
                }
            }
            EXPECT_EQ(port->ends, 0);
        }
        EXPECT_EQ(answers.counts.size() + answers.procons.size(), 0u);
        EXPECT_EQ(std::pair(port->starts, port->ends), std::pair(1, 1));
        EXPECT_EQ(std::accumulate(port->blocks.begin(), port->blocks.end(), std::string()),
                  *c.labels ? Marks(c.labels) : "H\r\n");
    }
}

TEST_F(ItemSessionTest, LabelsCarryTheCodeAsTypedAndTheProconDataToTheFile)
{
    program.WriteSettings("[Labels]\r\ncampos=FILE:\r\n[Geral]\r\nAtacado=1\r\n");
    const QString output = Output();
    TAnswers answers;
    answers.procons = {TProconData{QString::fromUtf8("Irmãos"),
                                   QStringLiteral("  .   .   /    -  "), EncodeDate(2026, 2, 27)}};
    {
        TItemSession session(op(), registries(), "campos", {false, true});
        EXPECT_EQ(session.Enter("0789100", answers).sent, 1);
    }
    const std::string today = DateToStr(Today());
    EXPECT_EQ(ReadFileBytes(output),
              "H\r\n4|0789100|Irm\xE3os (  .   .   /    -  )|27/02/2026|" + today + "\r\n");
}

TEST_F(ItemSessionTest, AFailedStartSaysWhyAndLeavesNoPortStarted)
{
    // clang-format off
    struct TCase { const char* labels; bool refuseStart; std::set<std::size_t> refused; std::optional<std::size_t> failAt; const char* reason; int ends; };
    // clang-format on
    const TCase cases[] = {
        {"", false, {}, {}, "Key \"marca\" not found", 0},
        {"marca=NADA:", false, {}, {}, "Key \"NADA:\" not found", 0},
        {"marca=TESTE:", true, {}, {}, "(StartData)", 0},
        {"marca=TESTE:", false, {0}, {}, "(SendData)", 1},
        {"marca=TESTE:", false, {}, 0, "Erro de entrada/saída", 1},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.reason);
        program.WriteSettings(std::string("[Labels]\r\n") + c.labels + "\r\n");
        *port = TTestPort();
        port->refuseStart = c.refuseStart;
        port->refused = c.refused;
        port->failAt = c.failAt;
        try {
            TItemSession session(op(), registries(), "marca", {});
            ADD_FAILURE() << "started";
        } catch (const std::exception& error) {
            EXPECT_EQ(ItemStartMessage(error),
                      QString::fromUtf8("Não foi possível inicializar a impressora ") +
                          QString::fromUtf8(c.reason));
        }
        EXPECT_EQ(port->ends, c.ends);
        EXPECT_EQ(op().StatusTexts().back(), QString());
    }
}

// Blocks by position: the header is 0, the first Enter's labels 1 to 3. A
// label counts once confirmed; a port that refused or did not confirm
// starts again, header first, at the next Enter; a failed device not.
TEST_F(ItemSessionTest, OnlyLabelsThePortTookCountAndAFailedPortStartsAgain)
{
    // shown: errors the session itself showed.
    // clang-format off
    struct TCase { const char* name; std::set<std::size_t> refused, unconfirmed; std::optional<std::size_t> failAt; TItemPrinted first; std::vector<std::string> shown; bool restarted; };
    // clang-format on
    const TCase cases[] = {
        {"all taken", {}, {}, {}, {3, 0}, {}, false},
        {"the first refused", {1}, {}, {}, {0, 3}, {}, true},
        {"the second not confirmed", {}, {2}, {}, {1, 2}, {}, true},
        {"the device failed", {}, {}, 2, {1, 2}, {"Erro de entrada/saída"}, false},
    };
    program.WriteSettings("[Labels]\r\nmarca=TESTE:\r\n");
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        *port = TTestPort();
        port->refused = c.refused;
        port->unconfirmed = c.unconfirmed;
        port->failAt = c.failAt;
        op().ClearMessages();
        TAnswers answers;
        answers.counts = {"3", "2"};
        TItemSession session(op(), registries(), "marca", {true, false});
        const TItemPrinted first = session.Enter("999", answers);
        EXPECT_EQ(std::pair(first.sent, first.refused), std::pair(c.first.sent, c.first.refused));
        std::vector<std::string> shown;
        for (const TOperatorMessage& message : op().Messages())
            shown.push_back(message.text.toStdString());
        EXPECT_EQ(shown, c.shown);

        const std::size_t before = port->blocks.size();
        const TItemPrinted second = session.Enter("999", answers);
        EXPECT_EQ(std::pair(second.sent, second.refused), std::pair(2, 0));
        const bool restarted = c.restarted;
        EXPECT_EQ(std::pair(port->starts, port->ends), std::pair(1 + restarted, 0 + restarted));
        const std::vector<std::string> sent(port->blocks.begin() + static_cast<long>(before),
                                            port->blocks.end());
        EXPECT_EQ(sent, (restarted ? std::vector<std::string>{"H\r\n", "S9\r\n", "S9\r\n"}
                                   : std::vector<std::string>{"S9\r\n", "S9\r\n"}));
        EXPECT_TRUE(session.End());
        EXPECT_EQ(port->ends, 1 + restarted);
        EXPECT_EQ(session.Enter("999", answers).sent, 0); // ended: asks and prints no more
        EXPECT_EQ(answers.asked, 2);
    }
}

TEST_F(ItemSessionTest, APortThatDoesNotStartAgainEndsTheSessionsPrinting)
{
    program.WriteSettings("[Labels]\r\nmarca=TESTE:\r\n[Geral]\r\nImp Autom=1\r\n");
    port->refused = {1};
    TAnswers answers;
    TItemSession session(op(), registries(), "marca", {});
    EXPECT_EQ(session.Enter("999", answers).refused, 1);
    port->refuseStart = true;
    EXPECT_THROW(session.Enter("999", answers), EItemStartError);
    EXPECT_EQ(port->ends, 1);
    EXPECT_FALSE(session.End());
}

TEST_F(ItemSessionTest, SearchIgnoresCaseAndAccentsAndStopsAt500)
{
    Sql("update produto set descricao = 'AÇÚCAR UNIÃO' where produto_key = 9;"
        "update produto set descricao = 'Açúcar mascavo', preco_oferta = 2.25, "
        "  data_inicial = '2000-01-01', data_final = '2999-01-01' where produto_key = 2");
    const std::unique_ptr<TConnection> connection = OpenDatabase();
    const TBuscaResult found = SearchProdutos(*connection, QString::fromUtf8("ÇUC"), Today());
    ASSERT_EQ(found.count, 2);
    EXPECT_EQ(std::tuple(found.rows[0].key, PrecoText(found.rows[0].preco), found.rows[1].key),
              std::tuple(2, "2,25", 9));
    EXPECT_EQ(SearchProdutos(*connection, QStringLiteral("  "), Today()).count, 0);

    for (const int extra : {499, 500}) {
        Sql("delete from produto where produto_key > 100; with recursive n(k) as (select 101 "
            "union all select k + 1 from n where k < " +
            std::to_string(100 + extra) +
            ") insert into produto (produto_key, descricao, caixa) select k, 'ARROZ', 0 from n");
        const TBuscaResult found = SearchProdutos(*connection, QStringLiteral("arroz"), Today());
        SCOPED_TRACE(found.count);
        EXPECT_EQ(found.count, extra + 1);
        EXPECT_EQ(found.rows.size(), found.TooMany() ? 0u : 500u);
        EXPECT_EQ(found.TooMany(), extra == 500);
    }
}

} // namespace
