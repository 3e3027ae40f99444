// zev-cli print: the menu "Impressão" for scripts. Each job prints through
// the port assigned to the label in section "Labels", as the program does;
// --output answers the FILE: port's file chooser (without it, the port's
// configured "Filename"). Exit status 0 only when every label reached the
// port.

#include "app/Registries.h"
#include "app/Settings.h"
#include "catalogue/Database.h"
#include "cli/Cli.h"
#include "cli/TerminalOperator.h"
#include "platform/AnsiText.h"
#include "platform/Conversions.h"
#include "platform/Regional.h"
#include "printing/PrintJobs.h"

#include <algorithm>
#include <array>
#include <functional>
#include <ostream>

namespace zev::cli {

namespace {

constexpr std::string_view Print = "print";

// The arguments of one print job: its positional values and the options it
// takes.
struct TPrintRequest
{
    std::vector<std::string> values;
    std::string label;
    TTerminalAnswers answers;
    std::optional<double> date;
};

using TPrintRun =
    std::function<TPrintResult(TTerminalOperator&, const TRegistries&, const TPrintRequest&)>;

struct TPrintKind
{
    std::string_view name;
    std::size_t values;         // positional arguments it needs
    std::string_view valueText; // what they are, for the usage message
    bool numbers;               // the positional values are integers
    bool takesYes;
    bool takesDate;
    TPrintRun run;
};

// The problem with the arguments, or nothing when they are right.
std::optional<std::string> Parse(const TPrintKind& kind, TArguments arguments,
                                 TPrintRequest& request)
{
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool withValue = argument == "--label" || argument == "--output" ||
                               (argument == "--date" && kind.takesDate);
        if (withValue) {
            if (++i == arguments.size())
                return argument + " precisa de um valor";
            const std::string& value = arguments[i];
            if (argument == "--label") {
                request.label = Utf8ToAnsi(value);
            } else if (argument == "--output") {
                request.answers.output = QString::fromLocal8Bit(value);
            } else {
                request.date = ParseDate(value);
                if (!request.date)
                    return "data inválida: '" + value + "'";
            }
        } else if (argument == "--yes" && kind.takesYes) {
            request.answers.yes = true;
        } else if (argument.starts_with("--")) {
            return "opção desconhecida: " + argument;
        } else {
            request.values.push_back(argument);
        }
    }
    if (request.values.size() > kind.values)
        return "argumento inesperado: " + request.values[kind.values];
    if (request.values.size() < kind.values)
        return "informe " + std::string(kind.valueText);
    for (const std::string& value : request.values) {
        if (kind.numbers && !TryStrToInt(value))
            return "número inválido: '" + value + "'";
    }
    if (request.label.empty())
        return std::string("informe a etiqueta com --label");
    return std::nullopt;
}

const std::array PrintKinds = {
    TPrintKind{
        "selection", 0, "", false, true, false,
        [](TTerminalOperator& op, const TRegistries& registries, const TPrintRequest& request) {
            return PrintSelecao(op, registries, request.label);
        }},
    TPrintKind{
        "file", 1, "o arquivo de códigos", false, false, false,
        [](TTerminalOperator& op, const TRegistries& registries, const TPrintRequest& request) {
            return PrintArquivo(op, registries, request.label);
        }},
    TPrintKind{
        "sequence", 2, "o primeiro e o último número", true, false, true,
        [](TTerminalOperator& op, const TRegistries& registries, const TPrintRequest& request) {
            return PrintSequencia(op, registries, request.label, StrToInt(request.values[0]),
                                  StrToInt(request.values[1]), request.date.value_or(Today()));
        }},
};

} // namespace

int PrintCommand(TCliContext& context, TArguments arguments)
{
    if (arguments.empty())
        return UsageError(context, Print, "informe o que imprimir");
    const auto kind = std::find_if(PrintKinds.begin(), PrintKinds.end(),
                                   [&](const TPrintKind& k) { return k.name == arguments[0]; });
    if (kind == PrintKinds.end())
        return UsageError(context, Print, "impressão desconhecida: " + arguments[0]);
    TPrintRequest request;
    if (const std::optional<std::string> problem = Parse(*kind, arguments.subspan(1), request))
        return UsageError(context, Print, *problem);
    // The barcode file answers the job's open file chooser.
    if (kind->name == "file")
        request.answers.input = QString::fromLocal8Bit(request.values[0]);

    TTerminalOperator op(context.out, context.err, request.answers);
    CreateDatabase();
    TRegistries registries;
    registries.Ports = BuildPortRegistry(op);
    registries.Labels = BuildLabelRegistry(SettingsPath());
    const TPrintResult result = kind->run(op, registries, request);
    if (result.outcome == TPrintOutcome::Printed)
        context.out << result.sent << " etiqueta(s) enviada(s)\n";
    return result.Complete() ? Done : Failed;
}

} // namespace zev::cli
