#include "selection/SelectByDate.h"

#include "app/Operator.h"
#include "app/Settings.h"
#include "platform/AnsiText.h"
#include "platform/Conversions.h"
#include "platform/Profile.h"
#include "platform/Regional.h"
#include "selection/SelecaoCommand.h"

namespace zev {

namespace {

// A product new in the last import has no old price, and a comparison with
// an empty price is neither true nor false: such products are not selected.
const char* const InsertChanged = "insert into selecao                           \n"
                                  "select p.produto_key                          \n"
                                  "from   produto p, produto_antigo pa           \n"
                                  "where  p.produto_key = pa.produto_key         \n"
                                  "  and  (p.preco_normal <> pa.preco_normal     \n"
                                  "        or p.preco_oferta <> pa.preco_oferta) ";

constexpr int TipoTodos = 1;
constexpr int TipoPrecosNormais = 2;
constexpr int TipoOfertas = 3;

// The products whose price situation changes on the day: a new price, an
// offer starting, an offer that ended the day before.
const char* const InsertDay = "insert into selecao          \n"
                              "select distinct produto_key  \n"
                              " from  produto p             \n"
                              "where  data_alteracao = ?    \n"
                              "   or  data_inicial = ?      \n"
                              "   or  data_final = ?        ";

const char* const DeleteWithoutBarra = "delete from selecao          \n"
                                       "where produto_key not in (   \n"
                                       "  select produto_key from item)";

// The filters look up the selected products only, not the whole catalogue.

// Each trimmed barcode padded in front with zeros to 14 characters, compared
// as text with the limit padded the same way: numeric order for digits. One
// barcode below the limit removes the product.
const char* const DeleteBelowMinBalanca =
    "delete from selecao                                                  \n"
    "where exists (                                                       \n"
    "  select 1 from item i                                               \n"
    "  where  i.produto_key = selecao.produto_key                         \n"
    "    and  substr('00000000000000' || trim(i.barra), -14) < ? )        ";

const char* const DeleteCaixas = "delete from selecao                              \n"
                                 "where exists (                                   \n"
                                 "  select 1 from produto p                        \n"
                                 "  where  p.produto_key = selecao.produto_key     \n"
                                 "    and  p.caixa = 1)                            ";

const char* const DeleteEmOferta =
    "delete from selecao                                                  \n"
    "where exists (                                                       \n"
    "  select 1 from produto p                                            \n"
    "  where  p.produto_key = selecao.produto_key                         \n"
    "    and  ? between p.data_inicial and p.data_final)                  ";

// An empty start date with an end on or after the day is neither in nor
// out of the offer: the product stays.
const char* const DeleteForaDeOferta =
    "delete from selecao                                                  \n"
    "where exists (                                                       \n"
    "  select 1 from produto p                                            \n"
    "  where  p.produto_key = selecao.produto_key                         \n"
    "    and  (p.preco_oferta is null                                     \n"
    "          or p.data_final is null                                    \n"
    "          or (? not between p.data_inicial and p.data_final)))       ";

constexpr std::size_t BarraWidth = 14;

// "Min Balanca" as the barcodes are compared with it; 0 removes nothing.
std::string PaddedMinBalanca(const TIniFile& ini)
{
    std::string text = std::to_string(MinBalancaLimit(ini));
    if (text.size() < BarraWidth)
        text.insert(0, BarraWidth - text.size(), '0');
    return text;
}

} // namespace

void SelectByDate(TOperator& op, double day)
{
    const int tipo = op.ChooseTipo();
    if (tipo != TipoTodos && tipo != TipoPrecosNormais && tipo != TipoOfertas)
        return;

    const TIniFile ini(SettingsPath());
    const bool atacado = ReadSetting(ini, settings::Atacado);
    const std::string minBalanca = PaddedMinBalanca(ini);

    TSelecaoCommand command(op, QStringLiteral("Limpando seleção"));
    op.ShowStatus(QStringLiteral("Selecionando - ") + AnsiToQString(DateToStr(day)));

    command.Query(InsertDay).BindDate(0, day).BindDate(1, day).BindDate(2, day - 1).Exec();
    command.Query(DeleteWithoutBarra).Exec();
    command.Query(DeleteBelowMinBalanca).BindText(0, minBalanca).Exec();
    if (!atacado)
        command.Query(DeleteCaixas).Exec();
    if (tipo == TipoPrecosNormais)
        command.Query(DeleteEmOferta).BindDate(0, day).Exec();
    else if (tipo == TipoOfertas)
        command.Query(DeleteForaDeOferta).BindDate(0, day).Exec();

    command.Finish(day);
}

void SelectChangedPrices(TOperator& op)
{
    TSelecaoCommand command(op, QStringLiteral("Limpando selecao..."));
    command.Query(InsertChanged).Exec();
    command.Finish(std::nullopt);
}

} // namespace zev
