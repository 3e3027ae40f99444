#pragma once

// The print jobs of the menu "Impressão": the selection, a barcode file and
// a numbered sequence. Each prints through the port assigned to the chosen
// label in section "Labels" and opens no window: the person is asked and
// told through the operator.
//
// A job reads the catalogue as it stood when the job began, to its last
// label: an import meanwhile neither waits for it nor changes what it
// prints. A job that cannot read it to the end stops and says how many
// labels were sent.
//
// A job reads its settings once, at its start, and looks the label and the
// port up before the port starts: a label or port not registered raises
// "Key \"%s\" not found" with its name, a label without an entry in
// "Labels" the same error with the label's name. Once StartData succeeded, every way out (nothing
// to print, the answer No, a header the port refused, an error, a cancel, the end) ends the port
// with EndData and clears the status text. Labels the port refuses are counted and the job goes on;
// the person learns their number in one message at the end. The progress counts the job's rows,
// lines or numbers against their total; cancelling it stops the job before its next label and says
// how many labels were sent.
//
// Every job that got to its labels is recorded in the print history
// (printing/JobRecord.h), whatever its end.
//
// User-interface thread only.

#include <QString>

#include <cstdint>
#include <string>
#include <vector>

namespace zev {

class TOperator;
struct TRegistries;

enum class TPrintOutcome
{
    NotPrinted, // no file chosen, the port did not start, nothing to print, No, header refused
    Cancelled,  // the person stopped it, before its next label or while the port ended
    Failed,     // the device failed during the job (the error and the count told)
    Printed,    // it ran to its end
};

struct TPrintResult
{
    TPrintOutcome outcome = TPrintOutcome::NotPrinted;
    std::int64_t sent = 0;    // label blocks the port took
    std::int64_t refused = 0; // label blocks it did not take
    std::int64_t missing = 0; // labels of a job printed again whose product is gone
    bool ended = false;       // EndData's answer

    // The job ran to its end and the port took every label and the end.
    bool Complete() const
    {
        return outcome == TPrintOutcome::Printed && refused == 0 && missing == 0 && ended;
    }
};

// What a job or a counter session says of the labels the port took, once
// it has ended: "N etiqueta(s) enviada(s)".
QString SentText(std::int64_t sent);
// "Impressão cancelada: N etiqueta(s) enviada(s).", and the labels a port did
// not take of all it was given: the texts every job ends with.
QString CancelledText(std::int64_t sent);
QString RefusedText(std::int64_t refused, std::int64_t total);
// Labels of products no longer in the catalogue, left out of a job printed again.
QString MissingText(std::int64_t missing);

// "S&eleção": quantidadeEtiquetas labels of every selected product, in
// description order, grouped first by department, section, group or
// subgroup key as "Agrupado"/"Agrupado Por" ask; boxes only with "Atacado";
// products without a barcode, and those whose first barcode is a number
// below "Min Balanca", left out. Asks for confirmation with the count;
// the selection is read, in print order, before the question, so the
// first label follows the answer at once. Prices and the printed date are
// those of "Selecao Data".
TPrintResult PrintSelecao(TOperator& op, const TRegistries& registries,
                          const std::string& labelName);

// "Do Arquivo": one label per line of a barcode file the person chooses, in
// file order; a code not in the catalogue prints as "PRODUTO NAO
// CADASTRADO" with that code. Prices and date of "Selecao Data".
TPrintResult PrintArquivo(TOperator& op, const TRegistries& registries,
                          const std::string& labelName);
// The same with the file's lines read already: the file is not asked for.
TPrintResult PrintArquivo(TOperator& op, const TRegistries& registries,
                          const std::string& labelName, std::vector<std::string> lines);

// "Sequencial": one label for each number from `first` to `last`, the
// number as the product key of an otherwise empty product (price 1.0,
// barcode "0"); none when first > last.
TPrintResult PrintSequencia(TOperator& op, const TRegistries& registries,
                            const std::string& labelName, std::int32_t first, std::int32_t last,
                            double date);

// A job of the history printed again with `labelName`: every label it
// planned ("Imprimir novamente") or, `fromStop`, only those it did not send
// ("Continuar"), in its order, rendered from today's catalogue for the job's
// date. Asks for confirmation with the count. The new job is recorded too,
// naming the one it prints again.
TPrintResult ReprintJob(TOperator& op, const TRegistries& registries, const std::string& labelName,
                        std::int64_t job, bool fromStop);

} // namespace zev
