#include "printing/JobLabels.h"

#include "app/Settings.h"
#include "catalogue/Database.h"
#include "catalogue/Produto.h"
#include "labels/PrinterLabel.h"
#include "platform/Conversions.h"
#include "platform/Profile.h"
#include "platform/Regional.h"
#include "selection/SelecaoCommand.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <utility>

namespace zev {

namespace {

const char* const NaoCadastrado = "PRODUTO NAO CADASTRADO";

// The selected products that print, grouped by a key of the department tree
// when asked, then by description; products whose tree rows are missing
// drop out with the inner joins.
const char* const SelecaoFrom =
    "select  p.*                                                                 \n"
    "from   (((((produto p inner join selecao se on p.produto_key = se.produto_key)\n"
    "inner join sub_grupo sg on p.sub_grupo_key = sg.sub_grupo_key)              \n"
    "inner join grupo g on sg.grupo_key = g.grupo_key)                           \n"
    "inner join secao s on g.secao_key = s.secao_key)                            \n"
    "inner join depto d on s.depto_key = d.depto_key)                            \n";
const char* const SemCaixas = "where p.caixa = False                                    \n";
const char* const OrderBy = "order  by ";
const char* const GroupKeys[] = {"d.depto_key, ", "s.secao_key, ", "g.grupo_key, ",
                                 "sg.sub_grupo_key, "};
const char* const ByDescricao = "p.descricao";

std::string SelecaoSql(const TSelecaoRules& rules)
{
    std::string sql = SelecaoFrom;
    if (!rules.atacado)
        sql += SemCaixas;
    sql += OrderBy;
    if (rules.agrupadoPor >= 0 && rules.agrupadoPor < static_cast<int>(std::size(GroupKeys)))
        sql += GroupKeys[rules.agrupadoPor];
    sql += ByDescricao;
    return sql;
}

struct TSelected
{
    std::int32_t key;
    std::int32_t copies; // as the catalogue has them: the history's plan
};

// The keys of the selected products that print, in print order.
std::vector<TSelected> SelectedKeys(TConnection& connection, const TSelecaoRules& rules)
{
    TQuery& query = connection.Query(SelecaoSql(rules));
    const TQueryScope scope(query);
    query.Exec();
    const int keyColumn = query.ColumnIndex("produto_key");
    const int copiesColumn = query.ColumnIndex("quantidade_etiquetas");
    std::vector<TSelected> keys;
    while (query.Next())
        keys.push_back({query.Int(keyColumn), query.Int(copiesColumn)});
    return keys;
}

// A scale code below "Min Balanca" is not printed. A first barcode that is
// no number is no scale code: it prints like any other.
bool BelowMinBalanca(const TProduto& produto, std::int64_t minBalanca)
{
    const std::optional<std::int64_t> value = TryStrToInt64(TrimView(produto.barras.front()));
    return value && *value < minBalanca;
}

class TSelecaoLabels final : public TJobLabels
{
public:
    TSelecaoLabels(TConnection& connection, const TSelecaoRules& rules, double date)
        : TJobLabels(date), m_connection(connection), m_minBalanca(rules.minBalanca),
          m_keys(SelectedKeys(connection, rules))
    {}

    std::int64_t RowCount() const override { return static_cast<std::int64_t>(m_keys.size()); }

    TJobRow Row(std::int64_t row) const override
    {
        const std::int32_t key = m_keys.at(static_cast<std::size_t>(row)).key;
        std::unique_ptr<TProduto> produto = FindProdutoByKey(m_connection, key);
        // The key came from the same view: a product gone would be another catalogue.
        if (!produto)
            throw EDatabaseError("O produto " + std::to_string(key) +
                                 " da seleção não foi encontrado no cadastro que a impressão leu.");
        if (produto->barras.empty() || BelowMinBalanca(*produto, m_minBalanca))
            return {};
        const std::int32_t copies = produto->quantidadeEtiquetas;
        return {std::move(produto), copies};
    }

    std::vector<THistoryItem> Plan() const override
    {
        std::vector<THistoryItem> items(m_keys.size());
        for (std::size_t row = 0; row < m_keys.size(); ++row) {
            items[row].produtoKey = m_keys[row].key;
            items[row].etiquetas = std::max(m_keys[row].copies, 0);
        }
        return items;
    }

private:
    TConnection& m_connection;
    const std::int64_t m_minBalanca;
    const std::vector<TSelected> m_keys;
};

// A code of a barcode file: its product, or a record that says it is not in
// the catalogue and carries the code.
std::unique_ptr<TProduto> ArquivoProduto(TConnection& connection, const std::string& line)
{
    std::unique_ptr<TProduto> produto = FindProdutoByBarra(connection, line);
    if (!produto) {
        produto = std::make_unique<TProduto>();
        produto->descricao = NaoCadastrado;
        produto->barras.push_back(line);
    }
    return produto;
}

class TArquivoLabels final : public TJobLabels
{
public:
    TArquivoLabels(TConnection& connection, std::vector<std::string> lines, double date)
        : TJobLabels(date), m_connection(connection), m_lines(std::move(lines))
    {}

    std::int64_t RowCount() const override { return static_cast<std::int64_t>(m_lines.size()); }

    TJobRow Row(std::int64_t row) const override
    {
        return {ArquivoProduto(m_connection, m_lines.at(static_cast<std::size_t>(row))), 1};
    }

    std::vector<THistoryItem> Plan() const override
    {
        std::vector<THistoryItem> items(m_lines.size());
        for (std::size_t row = 0; row < m_lines.size(); ++row) {
            items[row].barra = m_lines[row];
            items[row].etiquetas = 1;
        }
        return items;
    }

private:
    TConnection& m_connection;
    const std::vector<std::string> m_lines;
};

// A number is the key of an otherwise empty product.
std::unique_ptr<TProduto> NumeroProduto(std::int32_t number)
{
    auto numero = std::make_unique<TProduto>();
    numero->descricao = " ";
    numero->precoNormal = 1.0;
    numero->barra = "0";
    numero->key = number;
    return numero;
}

class TSequenciaLabels final : public TJobLabels
{
public:
    TSequenciaLabels(std::int32_t first, std::int32_t last, double date)
        : TJobLabels(date), m_first(first), m_last(last)
    {}

    // Wide enough for a range that ends at the largest key.
    std::int64_t RowCount() const override
    {
        const std::int64_t from = m_first;
        const std::int64_t to = m_last;
        return to >= from ? to - from + 1 : 0;
    }

    TJobRow Row(std::int64_t row) const override
    {
        return {NumeroProduto(static_cast<std::int32_t>(m_first + row)), 1};
    }

    bool RendersFirst(std::int64_t, bool) const override { return true; }
    bool OneLabelPerRow() const override { return true; }

    // One run of numbers, each copy the next one.
    std::vector<THistoryItem> Plan() const override
    {
        if (RowCount() == 0)
            return {};
        THistoryItem run;
        run.numero = m_first;
        run.etiquetas = static_cast<std::int32_t>(RowCount());
        return {run};
    }
    TLabelPosition PositionOf(std::int64_t row, std::int32_t) const override
    {
        return {0, static_cast<std::int32_t>(row)};
    }

private:
    const std::int32_t m_first;
    const std::int32_t m_last;
};

// The numbers `numero` + copy of the runs of a sequence printed again.
struct TNumberRun
{
    std::int32_t item;   // of the job printed again
    std::int32_t numero; // the first
    std::int32_t count;
};

bool IsCounterKind(TJobKind kind)
{
    return kind == TJobKind::Individual || kind == TJobKind::Multipla || kind == TJobKind::Procom;
}

class TReprintLabels final : public TJobLabels
{
public:
    TReprintLabels(TConnection& connection, const THistoryDetail& job, bool fromStop,
                   std::int64_t minBalanca)
        : TJobLabels(job.job.date), m_connection(connection), m_kind(job.job.kind),
          m_minBalanca(minBalanca)
    {
        for (std::size_t index = 0; index < job.items.size(); ++index) {
            const THistoryItem& item = job.items[index];
            const auto itemIndex = static_cast<std::int32_t>(index);
            if (item.etiquetas > 0 && m_firstItem < 0)
                m_firstItem = itemIndex;
            if (m_kind == TJobKind::Sequencial)
                AddRuns(job, itemIndex, fromStop);
            else if (const std::int32_t copies =
                         fromStop ? item.etiquetas - job.SentOf(itemIndex) : item.etiquetas;
                     copies > 0) {
                m_rows.push_back({item, copies, itemIndex});
            }
        }
        std::int64_t start = 0;
        for (const TNumberRun& run : m_runs) {
            m_runStarts.push_back(start);
            start += run.count;
        }
    }

    std::int64_t RowCount() const override
    {
        if (m_kind != TJobKind::Sequencial)
            return static_cast<std::int64_t>(m_rows.size());
        return m_runStarts.empty() ? 0 : m_runStarts.back() + m_runs.back().count;
    }

    TJobRow Row(std::int64_t row) const override
    {
        if (m_kind == TJobKind::Sequencial) {
            const TLabelPosition at = PositionOf(row, 0);
            return {NumeroProduto(m_runs[static_cast<std::size_t>(at.item)].numero + at.copy), 1};
        }
        const TRow& source = m_rows.at(static_cast<std::size_t>(row));
        const THistoryItem& item = source.item;
        if (m_kind == TJobKind::Arquivo)
            return {ArquivoProduto(m_connection, item.barra), source.copies};
        std::unique_ptr<TProduto> produto =
            item.produtoKey ? FindProdutoByKey(m_connection, *item.produtoKey) : nullptr;
        if (!produto)
            return {nullptr, source.copies, true};
        // A product the selection job had not reached yet is left out as it would have been.
        if (m_kind == TJobKind::Selecao &&
            (produto->barras.empty() || BelowMinBalanca(*produto, m_minBalanca)))
            return {};
        if (IsCounterKind(m_kind)) {
            produto->barra = item.barra;
            if (!item.fornecedor.empty()) {
                produto->fornecedorDescricao = item.fornecedor;
                produto->fabricacao = item.fabricacao;
            }
        }
        return {std::move(produto), source.copies};
    }

    // The labels render as the job rendered them first.
    bool RendersFirst(std::int64_t row, bool) const override
    {
        return m_kind == TJobKind::Sequencial ||
               m_rows.at(static_cast<std::size_t>(row)).sourceItem == m_firstItem;
    }
    bool RendersSingle() const override { return IsCounterKind(m_kind); }
    bool OneLabelPerRow() const override { return m_kind == TJobKind::Sequencial; }

    std::vector<THistoryItem> Plan() const override
    {
        std::vector<THistoryItem> items;
        if (m_kind == TJobKind::Sequencial) {
            for (const TNumberRun& run : m_runs) {
                THistoryItem item;
                item.numero = run.numero;
                item.etiquetas = run.count;
                items.push_back(item);
            }
            return items;
        }
        for (const TRow& row : m_rows) {
            items.push_back(row.item);
            items.back().etiquetas = row.copies;
        }
        return items;
    }

    TLabelPosition PositionOf(std::int64_t row, std::int32_t copy) const override
    {
        if (m_kind != TJobKind::Sequencial)
            return {static_cast<std::int32_t>(row), copy};
        const auto run = std::upper_bound(m_runStarts.begin(), m_runStarts.end(), row) - 1;
        return {static_cast<std::int32_t>(run - m_runStarts.begin()),
                static_cast<std::int32_t>(row - *run)};
    }

private:
    struct TRow
    {
        THistoryItem item;
        std::int32_t copies;
        std::int32_t sourceItem;
    };

    // The item's numbers still to print, in runs of consecutive ones.
    void AddRuns(const THistoryDetail& job, std::int32_t itemIndex, bool fromStop)
    {
        const THistoryItem& item = job.items[static_cast<std::size_t>(itemIndex)];
        const std::int32_t numero = item.numero.value_or(0);
        for (std::int32_t copy = 0; copy < item.etiquetas; ++copy) {
            if (fromStop && !job.NotSent({itemIndex, copy}))
                continue;
            if (!m_runs.empty() && m_runs.back().item == itemIndex &&
                std::int64_t{m_runs.back().numero} + m_runs.back().count ==
                    std::int64_t{numero} + copy) {
                ++m_runs.back().count;
                continue;
            }
            m_runs.push_back({itemIndex, numero + copy, 1});
        }
    }

    TConnection& m_connection;
    const TJobKind m_kind;
    const std::int64_t m_minBalanca;
    std::int32_t m_firstItem = -1;
    std::vector<TRow> m_rows;
    std::vector<TNumberRun> m_runs;
    std::vector<std::int64_t> m_runStarts;
};

} // namespace

TSelecaoRules ReadSelecaoRules(const TIniFile& ini)
{
    TSelecaoRules rules;
    rules.agrupadoPor = GroupingLevel(ini);
    rules.minBalanca = MinBalancaLimit(ini);
    rules.atacado = ReadSetting(ini, settings::Atacado);
    return rules;
}

void TJobLabels::Render(const TPrinterLabel& label, const TProduto& produto, bool first,
                        std::string& text) const
{
    if (RendersSingle())
        label.RenderSingle(produto, text, m_date);
    else if (first)
        label.RenderFirst(produto, text, m_date);
    else
        label.RenderNext(produto, text, m_date);
}

std::unique_ptr<TJobLabels> SelecaoLabels(TConnection& connection, const TSelecaoRules& rules,
                                          double date)
{
    return std::make_unique<TSelecaoLabels>(connection, rules, date);
}

std::unique_ptr<TJobLabels> ArquivoLabels(TConnection& connection, std::vector<std::string> lines,
                                          double date)
{
    return std::make_unique<TArquivoLabels>(connection, std::move(lines), date);
}

std::unique_ptr<TJobLabels> SequenciaLabels(std::int32_t first, std::int32_t last, double date)
{
    return std::make_unique<TSequenciaLabels>(first, last, date);
}

std::unique_ptr<TJobLabels> ReprintLabels(TConnection& connection, const THistoryDetail& job,
                                          bool fromStop)
{
    const TIniFile ini(SettingsPath());
    return std::make_unique<TReprintLabels>(connection, job, fromStop,
                                            ReadSelecaoRules(ini).minBalanca);
}

TJobLabelList::TJobLabelList(const TPrinterLabel& label, std::unique_ptr<TJobLabels> labels,
                             std::unique_ptr<TConnection> connection)
    : m_label(label), m_connection(std::move(connection)), m_labels(std::move(labels))
{
    if (m_labels->OneLabelPerRow())
        return;
    bool printed = false;
    for (std::int64_t row = 0; row < m_labels->RowCount(); ++row) {
        const TJobRow jobRow = m_labels->Row(row);
        if (!jobRow.produto)
            continue;
        const bool first = m_labels->RendersFirst(row, std::exchange(printed, true));
        for (std::int32_t copy = 0; copy < jobRow.copies; ++copy)
            m_entries.push_back({row, first});
    }
}

TJobLabelList::~TJobLabelList() = default;

std::int64_t TJobLabelList::Count() const
{
    return m_labels->OneLabelPerRow() ? m_labels->RowCount()
                                      : static_cast<std::int64_t>(m_entries.size());
}

TJobLabel TJobLabelList::At(std::int64_t index) const
{
    if (index < 0 || index >= Count())
        throw std::out_of_range("etiqueta fora do trabalho");
    const TEntry entry = m_labels->OneLabelPerRow()
                             ? TEntry{index, m_labels->RendersFirst(index, index > 0)}
                             : m_entries[static_cast<std::size_t>(index)];
    TJobRow row = m_labels->Row(entry.row);
    if (!row.produto)
        throw EDatabaseError("O produto da etiqueta " + std::to_string(index + 1) +
                             " mudou no cadastro desde que a visualização o leu.");
    TJobLabel label{std::move(row.produto), {}};
    m_labels->Render(m_label, *label.produto, entry.first, label.text);
    return label;
}

std::optional<TSampleProduto> SampleProduto()
{
    const TIniFile ini(SettingsPath());
    const std::unique_ptr<TConnection> connection = OpenDatabase();
    const TReadTransaction view(*connection);
    const double selecaoData = SelecaoDataOf(*connection, ini);
    const std::unique_ptr<TJobLabels> selecao =
        SelecaoLabels(*connection, ReadSelecaoRules(ini), selecaoData);
    for (std::int64_t row = 0; row < selecao->RowCount(); ++row) {
        TJobRow jobRow = selecao->Row(row);
        if (jobRow.produto && jobRow.copies > 0)
            return TSampleProduto{std::move(jobRow.produto), selecaoData};
    }
    TQuery& first = connection->Query("select produto_key from produto order by descricao limit 1");
    std::optional<std::int32_t> key;
    {
        const TQueryScope scope(first);
        first.Exec();
        if (first.Next())
            key = first.Int(0);
    }
    if (!key)
        return std::nullopt;
    std::unique_ptr<TProduto> produto = FindProdutoByKey(*connection, *key);
    if (!produto)
        return std::nullopt;
    return TSampleProduto{std::move(produto), Today()};
}

std::unique_ptr<TJobLabelList> SelecaoJobLabels(const TPrinterLabel& label,
                                                std::optional<double> date)
{
    const TIniFile ini(SettingsPath());
    const TSelecaoRules rules = ReadSelecaoRules(ini);
    std::unique_ptr<TConnection> connection = OpenDatabase();
    // Every row from one catalogue, as the job reads them.
    const TReadTransaction view(*connection);
    const double day = date ? *date : SelecaoDataOf(*connection, ini);
    std::unique_ptr<TJobLabels> labels = SelecaoLabels(*connection, rules, day);
    return std::make_unique<TJobLabelList>(label, std::move(labels), std::move(connection));
}

std::unique_ptr<TJobLabelList> ArquivoJobLabels(const TPrinterLabel& label,
                                                std::vector<std::string> lines)
{
    const TIniFile ini(SettingsPath());
    std::unique_ptr<TConnection> connection = OpenDatabase();
    const TReadTransaction view(*connection);
    const double day = SelecaoDataOf(*connection, ini);
    std::unique_ptr<TJobLabels> labels = ArquivoLabels(*connection, std::move(lines), day);
    return std::make_unique<TJobLabelList>(label, std::move(labels), std::move(connection));
}

std::unique_ptr<TJobLabelList> SequenciaJobLabels(const TPrinterLabel& label, std::int32_t first,
                                                  std::int32_t last, double date)
{
    return std::make_unique<TJobLabelList>(label, SequenciaLabels(first, last, date));
}

std::unique_ptr<TJobLabelList> ReprintJobLabels(const TPrinterLabel& label, std::int64_t job,
                                                bool fromStop)
{
    std::unique_ptr<TConnection> connection = OpenDatabase();
    const std::optional<THistoryDetail> detail = ReadHistoryJob(*connection, job);
    if (!detail)
        return nullptr;
    const TReadTransaction view(*connection);
    std::unique_ptr<TJobLabels> labels = ReprintLabels(*connection, *detail, fromStop);
    return std::make_unique<TJobLabelList>(label, std::move(labels), std::move(connection));
}

} // namespace zev
