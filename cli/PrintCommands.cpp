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
#include "printing/History.h"
#include "printing/ItemSession.h"
#include "printing/PrintJobs.h"

#include <algorithm>
#include <array>
#include <functional>
#include <ostream>

namespace zev::cli {

namespace {

constexpr std::string_view Print = "print";
constexpr std::string_view Reprint = "reprint";

// The arguments of one print job: its positional values and the options it
// takes.
struct TPrintRequest
{
    std::vector<std::string> values;
    std::string label;
    TTerminalAnswers answers;
    std::optional<double> date;
    std::int32_t count = 1;            // item: labels per code
    std::optional<TProconData> procon; // item: the Procon dialog's answer
};

using TPrintRun =
    std::function<TPrintResult(TTerminalOperator&, const TRegistries&, const TPrintRequest&)>;

struct TPrintKind
{
    std::string_view name;
    std::size_t values;         // positional arguments it needs; item: at least one
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
        } else if (argument == "--count" && kind.name == "item") {
            if (++i == arguments.size())
                return argument + " precisa de um valor";
            const std::optional<std::int32_t> count = TryStrToInt(arguments[i]);
            if (!count || *count < 0)
                return "número inválido: '" + arguments[i] + "'";
            request.count = *count;
        } else if (argument == "--procon" && kind.name == "item") {
            if (i + 3 >= arguments.size())
                return argument + " precisa de nome, CNPJ e data";
            const std::optional<double> date = ParseDate(arguments[i + 3]);
            if (!date)
                return "data inválida: '" + arguments[i + 3] + "'";
            request.procon = TProconData{QString::fromUtf8(arguments[i + 1]),
                                         QString::fromUtf8(arguments[i + 2]), *date};
            i += 3;
        } else if (argument == "--yes" && kind.takesYes) {
            request.answers.yes = true;
        } else if (argument.starts_with("--")) {
            return "opção desconhecida: " + argument;
        } else {
            request.values.push_back(argument);
        }
    }
    if (kind.name == "item" && request.values.empty())
        return "informe " + std::string(kind.valueText);
    if (kind.name != "item" && request.values.size() > kind.values)
        return "argumento inesperado: " + request.values[kind.values];
    if (kind.name != "item" && request.values.size() < kind.values)
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
    // A counter session: run by PrintItems, not a job of its own.
    TPrintKind{"item", 1, "os códigos", false, false, false, nullptr},
};

// The Procon dialog and the count, answered from the arguments.
class TArgumentQuestions final : public TItemQuestions
{
public:
    explicit TArgumentQuestions(const TPrintRequest& request) : m_request(request) {}
    std::optional<TProconData> AskProcon() override { return m_request.procon; }
    std::optional<QString> AskCount() override { return QString::number(m_request.count); }

private:
    const TPrintRequest& m_request;
};

// Every code as the counter window takes it, `count` labels each; a code
// not found is told and the rest still print. Only what the port took is
// counted; a port that cannot start again ends the session.
int PrintItems(TCliContext& context, TTerminalOperator& op, const TRegistries& registries,
               const TPrintRequest& request)
{
    std::optional<TItemSession> session;
    try {
        session.emplace(op, registries, request.label,
                        TItemModes{.askCount = true, .askProcon = request.procon.has_value()});
    } catch (const std::exception& error) {
        op.ShowError(ItemStartMessage(error));
        return Failed;
    }
    TArgumentQuestions questions(request);
    TItemPrinted total;
    bool allFound = true;
    bool portLost = false;
    bool cancelled = false;
    // Ctrl+C stops before the next code, or while the printer waits.
    TProgressScope progress(op);
    qint64 done = 0;
    for (const std::string& code : request.values) {
        if (!progress.Show(done++, static_cast<qint64>(request.values.size()))) {
            cancelled = true;
            break;
        }
        const TItemInfo info = session->Lookup(Utf8ToAnsi(code));
        if (!info.found) {
            op.ShowError(info.descricao);
            allFound = false;
        }
        try {
            const TItemPrinted printed = session->Print(questions);
            total.sent += printed.sent;
            total.refused += printed.refused;
        } catch (const EItemStartError& error) {
            op.ShowError(ItemStartMessage(error));
            portLost = true;
            break;
        }
    }
    const TJobEnding ending = portLost    ? TJobEnding::Falhou
                              : cancelled ? TJobEnding::Cancelado
                                          : TJobEnding::Concluido;
    const bool ended = session->End(ending);
    cancelled = cancelled || (!ended && progress.StopAsked());
    session.reset();
    if (cancelled) {
        op.ShowNotice(CancelledText(total.sent));
        return Failed;
    }
    if (total.refused > 0)
        op.ShowError(RefusedText(total.refused, total.sent + total.refused));
    context.out << SentText(total.sent).toStdString() << '\n';
    return allFound && total.refused == 0 && !portLost && ended ? Done : Failed;
}

void BuildRegistries(TTerminalOperator& op, TRegistries& registries)
{
    CreateDatabase();
    registries.Ports = BuildPortRegistry(op);
    registries.Labels = BuildLabelRegistry(SettingsPath());
}

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
    TRegistries registries;
    BuildRegistries(op, registries);
    if (!kind->run)
        return PrintItems(context, op, registries, request);
    const TPrintResult result = kind->run(op, registries, request);
    if (result.outcome == TPrintOutcome::Printed)
        context.out << SentText(result.sent).toStdString() << '\n';
    return result.Complete() ? Done : Failed;
}

// The job's own label unless --label names another; the port is the
// label's, as for every job.
int ReprintCommand(TCliContext& context, TArguments arguments)
{
    std::optional<std::int32_t> job;
    bool fromStop = false;
    std::optional<std::string> label;
    TTerminalAnswers answers;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--label" || argument == "--output") {
            if (++i == arguments.size())
                return UsageError(context, Reprint, argument + " precisa de um valor");
            if (argument == "--label")
                label = Utf8ToAnsi(arguments[i]);
            else
                answers.output = QString::fromLocal8Bit(arguments[i]);
        } else if (argument == "--from-stop") {
            fromStop = true;
        } else if (argument == "--yes") {
            answers.yes = true;
        } else if (argument.starts_with("--")) {
            return UsageError(context, Reprint, "opção desconhecida: " + argument);
        } else if (!job) {
            job = TryStrToInt(argument);
            if (!job)
                return UsageError(context, Reprint, "número inválido: '" + argument + "'");
        } else {
            return UsageError(context, Reprint, "argumento inesperado: " + argument);
        }
    }
    if (!job)
        return UsageError(context, Reprint, "informe o número do trabalho");

    TTerminalOperator op(context.out, context.err, answers);
    TRegistries registries;
    BuildRegistries(op, registries);
    if (!label) {
        const std::optional<THistoryDetail> detail = ReadHistoryJob(*OpenDatabase(), *job);
        if (!detail) {
            op.ShowError(NotInHistoryText(*job));
            return Failed;
        }
        label = detail->job.label;
    }
    const TPrintResult result = ReprintJob(op, registries, *label, *job, fromStop);
    if (result.outcome == TPrintOutcome::Printed)
        context.out << SentText(result.sent).toStdString() << '\n';
    return result.Complete() ? Done : Failed;
}

} // namespace zev::cli
