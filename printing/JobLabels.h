#pragma once

// The labels a print job sends after the header, in order, and the rules
// that decide them: which rows print, how many labels each row gives and
// which render as the job's first. The jobs send them and their preview
// shows them through the same rules, so what is seen is what prints.
//
// Texts are Windows-1252 bytes; dates are day numbers.

#include "printing/History.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zev {

class TConnection;
class TIniFile;
class TPrinterLabel;
class TProduto;

// What one row of a job prints.
struct TJobRow
{
    std::unique_ptr<TProduto> produto; // null: the row prints nothing
    std::int32_t copies = 0;           // 0 or less: no label, the row still counts as printed
    bool missing = false; // no product: it is no longer in the catalogue, its copies not printed
};

// The settings of "Geral" the selection job reads at its start.
struct TSelecaoRules
{
    bool atacado = false;
    int agrupadoPor = -1; // -1 unless "Agrupado"
    std::int64_t minBalanca = 0;
};

TSelecaoRules ReadSelecaoRules(const TIniFile& ini);

// The rows of one job: the selected products in print order, the lines of a
// barcode file, the numbers of a sequence. Rows read their products through
// the connection they were made with, which outlives them.
class TJobLabels
{
public:
    virtual ~TJobLabels() = default;
    TJobLabels(const TJobLabels&) = delete;
    TJobLabels& operator=(const TJobLabels&) = delete;

    // What the job's progress counts.
    virtual std::int64_t RowCount() const = 0;
    // What row `row` (from 0) prints. A catalogue that cannot be read, or a
    // selected product gone from it, throws EDatabaseError.
    virtual TJobRow Row(std::int64_t row) const = 0;
    // Whether a row's labels render with RenderFirst; `earlierRowPrinted`:
    // a row before it had a product.
    virtual bool RendersFirst(std::int64_t row, bool earlierRowPrinted) const
    {
        (void)row;
        return !earlierRowPrinted;
    }
    // Every label renders with RenderSingle, as at the counter.
    virtual bool RendersSingle() const { return false; }
    // Every row prints one label, so label i is row i: a list of them needs
    // no reading ahead, however many there are.
    virtual bool OneLabelPerRow() const { return false; }

    // The job's items for its history, in print order, with the labels
    // planned for each.
    virtual std::vector<THistoryItem> Plan() const = 0;
    // Where a row's copy is among those items.
    virtual TLabelPosition PositionOf(std::int64_t row, std::int32_t copy) const
    {
        return {static_cast<std::int32_t>(row), copy};
    }

    double Date() const { return m_date; }
    void Render(const TPrinterLabel& label, const TProduto& produto, bool first,
                std::string& text) const;

protected:
    explicit TJobLabels(double date) : m_date(date) {}

private:
    const double m_date;
};

// "S&eleção": the selected products whose tree rows exist, boxes only with
// "Atacado", grouped as asked, then by description; a product without a
// barcode, or whose first barcode is a number below "Min Balanca", prints
// nothing; the others quantidadeEtiquetas labels each, all copies of the
// first one as the first label.
std::unique_ptr<TJobLabels> SelecaoLabels(TConnection& connection, const TSelecaoRules& rules,
                                          double date);
// "Do Arquivo": one label per line; a code not in the catalogue prints as
// "PRODUTO NAO CADASTRADO" with that code.
std::unique_ptr<TJobLabels> ArquivoLabels(TConnection& connection, std::vector<std::string> lines,
                                          double date);
// "Sequencial": one label per number, every one as a first label.
std::unique_ptr<TJobLabels> SequenciaLabels(std::int32_t first, std::int32_t last, double date);
// A job of the history printed again, whole or only its labels not sent
// (`fromStop`), at the job's date: each item its recorded labels, its
// product read again by key (a product gone is missing), a code looked up
// again as "Do Arquivo" does, a number as "Sequencial" makes it; the
// counter's items render as at the counter, with the code typed and the
// Procon data.
std::unique_ptr<TJobLabels> ReprintLabels(TConnection& connection, const THistoryDetail& job,
                                          bool fromStop);

// One label of a job.
struct TJobLabel
{
    std::unique_ptr<TProduto> produto; // the record, owning its family
    std::string text;                  // the bytes the job sends for it
};

// A job's labels one by one, numbered from 0, for its preview. Every row is
// read once when the list is made, to count the labels (not for jobs of one
// label a row, a sequence of any length); a label's product is read again
// and rendered when it is asked for.
class TJobLabelList
{
public:
    TJobLabelList(const TPrinterLabel& label, std::unique_ptr<TJobLabels> labels,
                  std::unique_ptr<TConnection> connection = {});
    ~TJobLabelList();
    TJobLabelList(const TJobLabelList&) = delete;
    TJobLabelList& operator=(const TJobLabelList&) = delete;

    const TPrinterLabel& Label() const { return m_label; }
    std::int64_t Count() const;
    // Throws EDatabaseError when its product can no longer be read.
    TJobLabel At(std::int64_t index) const;

private:
    struct TEntry
    {
        std::int64_t row;
        bool first;
    };

    const TPrinterLabel& m_label;
    std::unique_ptr<TConnection> m_connection; // the rows read through it: it goes last
    std::unique_ptr<TJobLabels> m_labels;
    std::vector<TEntry> m_entries;
};

// A product to show a label with, and the day of its prices.
struct TSampleProduto
{
    std::unique_ptr<TProduto> produto;
    double date = 0;
};

// The first product the selection job would print, at "Selecao Data"; with
// none, the catalogue's first product by description, at today's prices;
// nothing when the catalogue has no product.
std::optional<TSampleProduto> SampleProduto();

// The labels the jobs would print now with `label`, read from the catalogue
// and zev.ini as they read them. `date` replaces "Selecao Data" when given.
std::unique_ptr<TJobLabelList> SelecaoJobLabels(const TPrinterLabel& label,
                                                std::optional<double> date = std::nullopt);
std::unique_ptr<TJobLabelList> ArquivoJobLabels(const TPrinterLabel& label,
                                                std::vector<std::string> lines);
std::unique_ptr<TJobLabelList> SequenciaJobLabels(const TPrinterLabel& label, std::int32_t first,
                                                  std::int32_t last, double date);
// Nothing when the history has no such job.
std::unique_ptr<TJobLabelList> ReprintJobLabels(const TPrinterLabel& label, std::int64_t job,
                                                bool fromStop);

} // namespace zev
