#pragma once

// What the main window's home panel shows of the day: the catalogue, the
// selection, the labels and their ports, and the step the operator takes
// next. Read from zev.mdb and zev.ini each time it is asked for, never kept:
// a command or another program may have changed them since.
//
// Texts are Windows-1252 bytes, as the catalogue holds them; dates are day
// numbers.

#include "output/PrinterDriver.h"
#include "printing/History.h"

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zev {

struct TRegistries;

enum class TNextStep
{
    Importar,        // no catalogue yet
    Hoje,            // the selection is empty, or of another day
    ImprimirSelecao, // today's selection waits to print
};

struct TCatalogueStatus
{
    std::int64_t produtos = 0;
    // The last import that succeeded, from zev.ini; nothing for a catalogue
    // imported before the program noted it.
    std::optional<QDateTime> importedAt;
    QString importedFrom;
    // Why the catalogue could not be read; empty when it was.
    QString error;
};

// One selected product that prints, with its price on the selection's date.
struct THomeRow
{
    std::int32_t key = 0;
    std::string descricao;
    double preco = 0;
};

struct TSelectionStatus
{
    std::int64_t count = 0; // rows of the selection, printed or not
    double date = 0;        // "Selecao Data"
    std::vector<THomeRow> rows; // the first that print, in print order
};

// One label of section "Labels", or the default label when it has no entry.
struct THomeLabel
{
    std::string name;
    std::string description; // the label file's; empty when it is not registered
    std::string port;        // empty: no port assigned
    std::optional<TPortKind> kind; // nothing: the port is not registered
    bool isDefault = false;
    // What is wrong, with what to do about it; empty when the label prints.
    QString problem;
};

struct THomeStatus
{
    TCatalogueStatus catalogue;
    TSelectionStatus selection;
    std::vector<THomeLabel> labels;
    std::string defaultLabel; // "Label Default"; empty for none
    std::optional<THistoryJob> lastJob; // the day's last print job
    TNextStep next = TNextStep::Importar;
};

// The order of the day: import, select, print.
TNextStep NextStep(const TCatalogueStatus& catalogue, const TSelectionStatus& selection,
                   double today);

// Reads everything the panel shows; `rowLimit` bounds the selection's rows.
// Registries not built yet list no labels. Never throws for the catalogue:
// a database that cannot be read is told in `catalogue.error`.
THomeStatus ReadHomeStatus(const TRegistries& registries, std::size_t rowLimit);

} // namespace zev
