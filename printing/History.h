#pragma once

// The print history in zev.mdb: every job, the counter's sessions among them,
// with what it planned, what the port took and how it ended, and its items
// in print order, so that it can be printed again or continued where it
// stopped. The import replaces the catalogue, never the history.
//
// A label is known by its position: the item (its order in the job, from 0)
// and the copy within the item. The job's stop is the first position never
// handed to the port: every label before it was sent, unless it is among
// the job's missing ones (refused by the port, or its product was gone).
//
// Texts are Windows-1252 bytes; dates are day numbers; times are local
// ISO 8601 text ("2026-12-07T06:30:00").

#include <QString>

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zev {

class TConnection;

enum class TJobKind
{
    Selecao,
    Arquivo,
    Sequencial,
    Individual,
    Multipla,
    Procom,
};

enum class TJobEnding
{
    Interrompido, // never ended: the program stopped in the middle of it
    Concluido,
    Cancelado,
    Falhou,
};

// As the database holds them ("selecao", "concluido").
std::string_view JobKindName(TJobKind kind);
std::string_view JobEndingName(TJobEnding ending);
// As the person reads them ("seleção", "concluído").
QString JobKindText(TJobKind kind);
QString JobEndingText(TJobEnding ending);
// A counter session of the menu's modes.
TJobKind CounterJobKind(bool askCount, bool askProcon);

struct TLabelPosition
{
    std::int32_t item = 0;
    std::int32_t copy = 0;
    auto operator<=>(const TLabelPosition&) const = default;
};

// One item of a job: a product of the selection or of the counter (its key,
// and at the counter the code as typed and the Procon data), a line of a
// barcode file, or a run of numbers of a sequence (each copy the next
// number).
struct THistoryItem
{
    std::optional<std::int32_t> produtoKey;
    std::string barra;
    std::optional<std::int32_t> numero;
    std::string fornecedor; // "nome (cnpj)"; empty: no Procon data
    double fabricacao = 0;
    std::int32_t etiquetas = 0;
};

struct THistoryJob
{
    std::int64_t number = 0;
    QString inicio;
    QString fim; // empty: not ended
    QString usuario;
    TJobKind kind = TJobKind::Selecao;
    std::string label;
    std::string port;
    double date = 0; // the day the labels were priced for
    std::int64_t planned = 0;
    std::int64_t sent = 0;
    std::int64_t refused = 0;
    std::int64_t missing = 0; // labels of products no longer in the catalogue
    TLabelPosition stop;
    TJobEnding ending = TJobEnding::Interrompido;
    QString message;
    std::optional<std::int64_t> origem; // the job this one printed again
    bool continuacao = false;           // only what origem had not sent
};

struct THistoryDetail
{
    THistoryJob job;
    std::vector<THistoryItem> items;    // in print order: item i is position i
    std::vector<TLabelPosition> faltas; // sorted; all before the stop

    // The labels of item `item` the port took.
    std::int32_t SentOf(std::int32_t item) const;
    // Whether the label at `position` still has to be printed.
    bool NotSent(TLabelPosition position) const;
    // Labels a continuation prints: those not sent.
    std::int64_t NotSentCount() const;
};

// "Dias Historico" of "Geral": days a job is kept; 90 when absent or not a
// whole number from 1 on.
int HistoryDays();

// The jobs, newest first; at most `limit` of them (0: all). Throws
// EDatabaseError.
std::vector<THistoryJob> ReadHistory(TConnection& connection, int limit);
// One job with its items; nothing when there is no such job.
std::optional<THistoryDetail> ReadHistoryJob(TConnection& connection, std::int64_t number);
// The last job started on the day of `day` (a day number), if any.
std::optional<THistoryJob> LastJobOfDay(TConnection& connection, double day);

// What the person reads of a job: "5000 planejada(s), 1234 enviada(s), 0
// recusada(s)" (and those without product, when any); its ending with the
// message ("falhou: ...") and, for a job printed again, which one it
// printed ("continuação do 7").
QString JobCountsText(const THistoryJob& job);
QString JobEndText(const THistoryJob& job);
// An item as listed: its code (key, code typed or read, "1 a 99") and its
// description in today's catalogue (empty when there is none).
QString ItemCodeText(TJobKind kind, const THistoryItem& item);
QString ItemDescricao(TConnection& connection, TJobKind kind, const THistoryItem& item);

// "O trabalho N não está no histórico."
QString NotInHistoryText(std::int64_t job);

// Local time as the history writes it, and as it is shown: "07/12/2026 06:30".
QString HistoryTimeNow();
QString HistoryTimeText(const QString& isoTime);

} // namespace zev
