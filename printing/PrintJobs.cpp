#include "printing/PrintJobs.h"

#include "app/Hashes.h"
#include "app/Operator.h"
#include "app/Registries.h"
#include "app/Settings.h"
#include "catalogue/Database.h"
#include "catalogue/Produto.h"
#include "output/StartedPort.h"
#include "platform/AnsiText.h"
#include "platform/Conversions.h"
#include "platform/Error.h"
#include "platform/Profile.h"
#include "platform/Regional.h"
#include "printing/JobLabels.h"
#include "printing/JobRecord.h"
#include "selection/BarcodeFile.h"
#include "selection/SelecaoCommand.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

namespace zev {

namespace {

const char* const CannotSend = "Não foi possível enviar dados";
const char* const NothingSelected = "Não há etiquetas selecionadas !!!";
QString Imprimindo(std::int64_t count)
{
    return Text("Imprimindo...") + QString::number(count);
}

// The label and its port, found before anything starts.
struct TJobTarget
{
    const TPrinterLabel& label;
    TPrinterPort& port;
    std::string portName;
};

TJobTarget LookUp(const TRegistries& registries, const TIniFile& ini, const std::string& labelName)
{
    const TPrinterLabel& label = registries.LabelRegistry().LabelHash.Item(labelName);
    const std::string portName = ini.ReadString(settings::Labels, labelName);
    // The label's entry in "Labels" is what is missing, not a port of no name.
    if (portName.empty())
        throw EHashFindError(labelName);
    return {label, registries.PortRegistry().Port(portName), portName};
}

// One job from the moment its port started: on every way out the port is
// ended, then the progress goes away and the status text is cleared. The
// progress outlives the port's end, so that a stop asked while the printer
// still takes the job (a network printer acknowledging it) ends it at once.
class TPrintRun
{
public:
    TPrintRun(TOperator& op, TPrinterPort& port) : m_operator(op)
    {
        m_started.emplace(port);
        m_progress.emplace(op);
    }
    ~TPrintRun()
    {
        if (!m_started)
            return; // ended
        const TStatusScope status(m_operator); // cleared once the port has ended
        if (m_record)
            m_record->End(TJobEnding::Falhou, Text("A impressão parou com um erro."), m_result.sent,
                          m_result.refused, m_result.missing);
        m_started.reset();
        m_progress.reset();
    }
    TPrintRun(const TPrintRun&) = delete;
    TPrintRun& operator=(const TPrintRun&) = delete;

    bool SendHeader(const TPrinterLabel& label)
    {
        const std::string& header = label.GetHeader();
        m_bytes = static_cast<std::int64_t>(header.size());
        return SendBlock(header).value_or(false);
    }

    // From here on the job is in the history.
    void Record(TJobStart start, std::vector<THistoryItem> plan)
    {
        m_record.emplace(std::move(start), std::move(plan));
    }

    void SetTotal(std::int64_t total) { m_total = total; }
    std::int64_t Sent() const { return m_result.sent; }
    // Asked before every label: false once the person asked to stop.
    bool GoOn(std::int64_t done) { return m_progress->Show(done, m_total); }

    // A block the port does not take is counted, not fatal; false when the
    // device failed and the job cannot go on.
    [[nodiscard]] bool Send(const std::string& label, TLabelPosition position)
    {
        const std::optional<bool> taken = SendBlock(label);
        if (!taken)
            return false;
        if (*taken) {
            ++m_result.sent;
            m_bytes += static_cast<std::int64_t>(label.size());
            m_labelEnds.push_back(m_bytes);
            if (m_record)
                m_record->Taken(position);
        } else if (!m_progress->StopAsked()) { // a block cut short by a stop was not refused
            ++m_result.refused;
            if (m_record)
                m_record->Refused(position);
        }
        return true;
    }

    // A label whose product is gone: counted, told at the end.
    void Missing(TLabelPosition position)
    {
        ++m_result.missing;
        if (m_record)
            m_record->Missing(position);
    }
    // An item that prints nothing after all.
    void Skipped(std::int32_t item)
    {
        if (m_record)
            m_record->Skipped(item);
    }

    // Ends the port and clears the status; then tells the person of a
    // cancel, of a device that failed and of labels the port did not take,
    // in one message.
    TPrintResult End(TPrintOutcome outcome)
    {
        try {
            m_result.ended = m_started->End();
        } catch (const EInOutError& error) {
            m_deviceError = QString::fromUtf8(error.what());
        }
        // A stop that came once the printer had everything cancels nothing.
        if (outcome == TPrintOutcome::Printed && !m_result.ended && m_progress->StopAsked())
            outcome = TPrintOutcome::Cancelled;
        CountDelivered(outcome);
        if (!m_deviceError.isEmpty())
            outcome = TPrintOutcome::Failed;
        m_started.reset();
        m_progress.reset();
        m_result.outcome = outcome;
        m_operator.ShowStatus({});

        QString text;
        if (outcome == TPrintOutcome::Failed)
            text = m_deviceError + u'\r' +
                   Text("Impressão interrompida: %1 etiqueta(s) enviada(s).").arg(m_result.sent);
        if (outcome == TPrintOutcome::Cancelled)
            text = CancelledText(m_result.sent);
        if (m_result.refused > 0) {
            if (!text.isEmpty())
                text += u'\r';
            text += RefusedText(m_result.refused, m_result.sent + m_result.refused);
        }
        if (m_result.missing > 0) {
            if (!text.isEmpty())
                text += u'\r';
            text += MissingText(m_result.missing);
        }
        if (outcome == TPrintOutcome::Failed || m_result.refused > 0 || m_result.missing > 0)
            m_operator.ShowError(text);
        else if (!text.isEmpty())
            m_operator.ShowNotice(text);
        if (text.isEmpty() && outcome == TPrintOutcome::Printed && !m_result.ended)
            text = Text("A porta não terminou a impressão.");
        EndRecord(outcome, text.isEmpty() ? m_reason : text);
        return m_result;
    }

    // A job that stops before its first label: the port ended, then the
    // reason; a device's own error instead of a refused header's.
    TPrintResult Refuse(const char* reason, bool isError)
    {
        const bool deviceFailed = !m_deviceError.isEmpty();
        const QString deviceError = std::exchange(m_deviceError, {});
        m_reason = deviceFailed ? deviceError : Text(reason);
        const TPrintResult result = End(TPrintOutcome::NotPrinted);
        if (deviceFailed)
            m_operator.ShowError(deviceError);
        else if (isError)
            m_operator.ShowError(Text(reason));
        else
            m_operator.ShowNotice(Text(reason));
        return result;
    }

private:
    // The job's end in the history; a record that failed says so once, after
    // what the job itself had to say.
    void EndRecord(TPrintOutcome outcome, const QString& message)
    {
        if (!m_record)
            return;
        // A port that did not finish (a spooler that refused the document, a
        // line that never emptied) may have printed none of it: not concluded.
        TJobEnding ending = TJobEnding::Falhou;
        if (outcome == TPrintOutcome::Printed && m_result.ended)
            ending = TJobEnding::Concluido;
        else if (outcome == TPrintOutcome::Cancelled)
            ending = TJobEnding::Cancelado;
        m_record->End(ending, message, m_result.sent, m_result.refused, m_result.missing);
        if (const std::optional<QString> failure = m_record->Failure())
            m_operator.ShowError(*failure);
    }

    // Labels the port took but the printer never got (a network job reset
    // on a cancel or a stall) were not sent: a cancel drops them, a stall
    // refused them.
    void CountDelivered(TPrintOutcome outcome)
    {
        const std::optional<std::int64_t> delivered = m_started->Port().DeliveredBytes();
        if (!delivered)
            return;
        const auto arrived = std::upper_bound(m_labelEnds.begin(), m_labelEnds.end(), *delivered);
        const std::int64_t confirmed = arrived - m_labelEnds.begin();
        if (m_record)
            m_record->Undelivered(m_result.sent - confirmed);
        if (outcome != TPrintOutcome::Cancelled)
            m_result.refused += m_result.sent - confirmed;
        m_result.sent = confirmed;
    }

    // The port's answer; nothing when the device failed, its error kept
    // for the job's end.
    std::optional<bool> SendBlock(const std::string& block)
    {
        try {
            return m_started->Port().SendData(block);
        } catch (const EInOutError& error) {
            m_deviceError = QString::fromUtf8(error.what());
            return std::nullopt;
        }
    }

    TOperator& m_operator;
    std::optional<TStartedPort> m_started;
    std::optional<TProgressScope> m_progress;
    std::int64_t m_total = 0;
    TPrintResult m_result;
    QString m_deviceError;
    QString m_reason; // why a job stopped before its first label
    std::optional<TJobRecord> m_record;
    std::int64_t m_bytes = 0;              // taken by the port, header included
    std::vector<std::int64_t> m_labelEnds; // where each label taken ends in them
};

// The catalogue as it stood when the job began, read through one
// transaction for the whole job: every label comes from that one catalogue,
// however long the printer takes. The file's write-ahead log lets an import
// commit meanwhile without waiting for the job. A job that cannot read its
// catalogue to the end stops and says how far it got, rather than print
// the rest from another catalogue or leave products out.
class TJobCatalogue
{
public:
    explicit TJobCatalogue(TConnection& connection) : m_connection(connection), m_view(connection)
    {}

    // What row `row` prints, read in the job's view. `sent`: the labels the
    // port took so far, for the message of a job that stops.
    TJobRow Row(const TJobLabels& labels, std::int64_t row, std::int64_t sent)
    {
        try {
            if (!m_view.Held())
                throw EDatabaseError("A leitura do banco de dados \"" +
                                     m_connection.Path().toStdString() + "\" foi interrompida.");
            return labels.Row(row);
        } catch (const EDatabaseError& error) {
            throw Stopped(error.what(), error.Code(), sent);
        }
    }

private:
    static EDatabaseError Stopped(const std::string& reason, int code, std::int64_t sent)
    {
        return EDatabaseError(reason + " A impressão parou: " + std::to_string(sent) +
                                  " etiqueta(s) enviada(s).",
                              code);
    }

    TConnection& m_connection;
    const TReadTransaction m_view;
};

// "Imprimindo..." with the rows printed, at every tenth row.
std::optional<std::int64_t> EveryTenthRow(std::int64_t row)
{
    if ((row + 1) % 10 != 0)
        return std::nullopt;
    return row + 1;
}

// Sends the labels of every row after the header, in order: the progress
// counts rows, a stop is asked before every label. `catalogue`: where rows
// are read, none for rows without products of the catalogue. `statusAt`:
// the number "Imprimindo..." shows at a row, nothing for none.
template <typename TStatusAt>
TPrintResult SendRows(TOperator& op, TPrintRun& run, const TPrinterLabel& label,
                      const TJobLabels& labels, TJobCatalogue* catalogue, TStatusAt statusAt)
{
    run.SetTotal(labels.RowCount());
    std::string text;
    bool printed = false;
    for (std::int64_t row = 0; row < labels.RowCount(); ++row) {
        if (const std::optional<std::int64_t> number = statusAt(row))
            op.ShowStatus(Imprimindo(*number));
        if (!run.GoOn(row))
            return run.End(TPrintOutcome::Cancelled);
        const TJobRow jobRow =
            catalogue != nullptr ? catalogue->Row(labels, row, run.Sent()) : labels.Row(row);
        if (!jobRow.produto) {
            if (!jobRow.missing)
                run.Skipped(labels.PositionOf(row, 0).item);
            for (std::int32_t copy = 0; jobRow.missing && copy < jobRow.copies; ++copy)
                run.Missing(labels.PositionOf(row, copy));
            continue;
        }
        const bool first = labels.RendersFirst(row, std::exchange(printed, true));
        for (std::int32_t copy = 0; copy < jobRow.copies; ++copy) {
            if (copy > 0 && !run.GoOn(row))
                return run.End(TPrintOutcome::Cancelled);
            labels.Render(label, *jobRow.produto, first, text);
            if (!run.Send(text, labels.PositionOf(row, copy)))
                return run.End(TPrintOutcome::Failed);
        }
    }
    return run.End(TPrintOutcome::Printed);
}

} // namespace

QString SentText(std::int64_t sent)
{
    return QStringLiteral("%1 etiqueta(s) enviada(s)").arg(sent);
}

QString CancelledText(std::int64_t sent)
{
    return Text("Impressão cancelada: %1.").arg(SentText(sent));
}

QString RefusedText(std::int64_t refused, std::int64_t total)
{
    return Text("A porta não aceitou %1 de %2 etiqueta(s).").arg(refused).arg(total);
}

QString MissingText(std::int64_t missing)
{
    return Text("%1 etiqueta(s) não impressa(s): o produto não está mais no cadastro.")
        .arg(missing);
}

TPrintResult PrintSelecao(TOperator& op, const TRegistries& registries,
                          const std::string& labelName)
{
    const TIniFile ini(SettingsPath());
    const TSelecaoRules rules = ReadSelecaoRules(ini);
    const TJobTarget target = LookUp(registries, ini, labelName);

    if (!target.port.StartData(SettingsPath())) {
        op.ShowError(Text(CannotSend));
        return {};
    }
    TPrintRun run(op, target.port);

    const std::unique_ptr<TConnection> connection = OpenDatabase();
    TJobCatalogue catalogue(*connection);
    std::int64_t selected = 0;
    {
        TQuery& count = connection->Query("select count(*) from selecao");
        const TQueryScope countScope(count);
        count.Exec();
        count.Next();
        selected = count.Int(0);
    }
    const double selecaoData = SelecaoDataOf(*connection, ini);
    if (selected == 0)
        return run.Refuse(NothingSelected, false);
    // The rows are taken before the question: the person waits for the sort
    // of a large selection before answering, not after.
    const std::unique_ptr<TJobLabels> labels = SelecaoLabels(*connection, rules, selecaoData);
    if (!op.AskYesNo(Text("Confirma impressão das etiquetas selecionadas (%1) ?").arg(selected)))
        return run.End(TPrintOutcome::NotPrinted);
    run.Record(TJobStart(TJobKind::Selecao, labelName, target.portName, selecaoData),
               labels->Plan());

    op.ShowStatus(Text("Preparando..."));
    if (!run.SendHeader(target.label))
        return run.Refuse(CannotSend, true);
    op.ShowStatus(Text("Selecionando..."));

    op.ShowStatus(Text("Imprimindo..."));
    return SendRows(op, run, target.label, *labels, &catalogue, EveryTenthRow);
}

TPrintResult PrintArquivo(TOperator& op, const TRegistries& registries,
                          const std::string& labelName)
{
    std::optional<std::vector<std::string>> lines = ReadBarcodeFile(op, TBarcodeFileFormat::Barras);
    if (!lines)
        return {};
    return PrintArquivo(op, registries, labelName, std::move(*lines));
}

TPrintResult PrintArquivo(TOperator& op, const TRegistries& registries,
                          const std::string& labelName, std::vector<std::string> lines)
{
    const TIniFile ini(SettingsPath());
    const TJobTarget target = LookUp(registries, ini, labelName);

    if (!target.port.StartData(SettingsPath())) {
        op.ShowError(Text(CannotSend));
        return {};
    }
    TPrintRun run(op, target.port);
    if (lines.empty())
        return run.Refuse(NothingSelected, false);

    op.ShowStatus(Text("Preparando..."));
    const std::unique_ptr<TConnection> connection = OpenDatabase();
    TJobCatalogue catalogue(*connection);
    const double selecaoData = SelecaoDataOf(*connection, ini);
    const std::unique_ptr<TJobLabels> labels =
        ArquivoLabels(*connection, std::move(lines), selecaoData);
    run.Record(TJobStart(TJobKind::Arquivo, labelName, target.portName, selecaoData),
               labels->Plan());
    if (!run.SendHeader(target.label))
        return run.Refuse(CannotSend, true);

    op.ShowStatus(Text("Imprimindo..."));
    // At every tenth line, the position of the line being printed, counted from 0.
    return SendRows(op, run, target.label, *labels, &catalogue,
                    [](std::int64_t row) -> std::optional<std::int64_t> {
                        if ((row + 1) % 10 != 0)
                            return std::nullopt;
                        return row;
                    });
}

TPrintResult PrintSequencia(TOperator& op, const TRegistries& registries,
                            const std::string& labelName, std::int32_t first, std::int32_t last,
                            double date)
{
    const TIniFile ini(SettingsPath());
    const TJobTarget target = LookUp(registries, ini, labelName);

    if (!target.port.StartData(SettingsPath())) {
        op.ShowError(Text(CannotSend));
        return {};
    }
    TPrintRun run(op, target.port);
    const std::unique_ptr<TJobLabels> labels = SequenciaLabels(first, last, date);
    run.Record(TJobStart(TJobKind::Sequencial, labelName, target.portName, date), labels->Plan());
    // Labels after a header the printer never got would print wrongly.
    if (!run.SendHeader(target.label))
        return run.Refuse(CannotSend, true);

    return SendRows(op, run, target.label, *labels, nullptr,
                    [first](std::int64_t row) -> std::optional<std::int64_t> {
                        const std::int64_t number = first + row;
                        if (number % 10 != 0)
                            return std::nullopt;
                        return number;
                    });
}

TPrintResult ReprintJob(TOperator& op, const TRegistries& registries, const std::string& labelName,
                        std::int64_t job, bool fromStop)
{
    const TIniFile ini(SettingsPath());
    const TJobTarget target = LookUp(registries, ini, labelName);
    const std::unique_ptr<TConnection> connection = OpenDatabase();
    const std::optional<THistoryDetail> detail = ReadHistoryJob(*connection, job);
    if (!detail) {
        op.ShowError(NotInHistoryText(job));
        return {};
    }

    if (!target.port.StartData(SettingsPath())) {
        op.ShowError(Text(CannotSend));
        return {};
    }
    TPrintRun run(op, target.port);
    TJobCatalogue catalogue(*connection);
    const std::unique_ptr<TJobLabels> labels = ReprintLabels(*connection, *detail, fromStop);
    std::vector<THistoryItem> plan = labels->Plan();
    std::int64_t count = 0;
    for (const THistoryItem& item : plan)
        count += item.etiquetas;
    if (count == 0)
        return run.Refuse(fromStop ? "Não há etiquetas a continuar neste trabalho."
                                   : "Não há etiquetas neste trabalho.",
                          false);
    const QString question =
        fromStop ? Text("Confirma continuar o trabalho %1 (%2 etiqueta(s)) ?")
                 : Text("Confirma imprimir novamente o trabalho %1 (%2 etiqueta(s)) ?");
    if (!op.AskYesNo(question.arg(job).arg(count)))
        return run.End(TPrintOutcome::NotPrinted);
    TJobStart start(detail->job.kind, labelName, target.portName, detail->job.date);
    start.origem = job;
    start.continuacao = fromStop;
    run.Record(std::move(start), std::move(plan));

    op.ShowStatus(Text("Preparando..."));
    if (!run.SendHeader(target.label))
        return run.Refuse(CannotSend, true);
    op.ShowStatus(Text("Imprimindo..."));
    return SendRows(op, run, target.label, *labels, &catalogue, EveryTenthRow);
}

} // namespace zev
