// zev-cli history: the print history, newest job first, or one job with
// its items.

#include "catalogue/Database.h"
#include "cli/Cli.h"
#include "platform/AnsiText.h"
#include "platform/Conversions.h"
#include "platform/Regional.h"
#include "printing/History.h"

#include <ostream>

namespace zev::cli {

namespace {

constexpr std::string_view History = "history";
constexpr int DefaultLimit = 50;

std::string Out(const QString& text)
{
    return text.toStdString();
}

void ListJobs(TCliContext& context, TConnection& connection, int limit)
{
    for (const THistoryJob& job : ReadHistory(connection, limit)) {
        context.out << job.number << "  " << Out(HistoryTimeText(job.inicio)) << "  "
                    << Out(job.usuario) << "  " << Out(JobKindText(job.kind)) << "  "
                    << AnsiToUtf8(job.label) << "  " << AnsiToUtf8(job.port) << "  "
                    << Out(JobCountsText(job)) << "  " << Out(JobEndText(job)) << '\n';
    }
}

int ShowJob(TCliContext& context, TConnection& connection, std::int64_t number)
{
    const std::optional<THistoryDetail> detail = ReadHistoryJob(connection, number);
    if (!detail) {
        context.err << Out(NotInHistoryText(number)) << '\n';
        return Failed;
    }
    const THistoryJob& job = detail->job;
    context.out << "Trabalho: " << job.number << '\n'
                << "Início: " << Out(HistoryTimeText(job.inicio)) << '\n'
                << "Fim: " << (job.fim.isEmpty() ? "-" : Out(HistoryTimeText(job.fim))) << '\n'
                << "Usuário: " << Out(job.usuario) << '\n'
                << "Tipo: " << Out(JobKindText(job.kind)) << '\n'
                << "Etiqueta: " << AnsiToUtf8(job.label) << '\n'
                << "Porta: " << AnsiToUtf8(job.port) << '\n'
                << "Data: " << DateToStr(job.date) << '\n'
                << "Etiquetas: " << Out(JobCountsText(job)) << '\n'
                << "Situação: " << Out(JobEndText(job)) << '\n'
                << "A continuar: " << detail->NotSentCount() << " etiqueta(s)\n"
                << "Itens:\n";
    const TReadTransaction view(connection);
    for (std::size_t index = 0; index < detail->items.size(); ++index) {
        const THistoryItem& item = detail->items[index];
        const QString descricao = ItemDescricao(connection, job.kind, item);
        context.out << index + 1 << "  " << Out(ItemCodeText(job.kind, item)) << "  "
                    << (descricao.isEmpty() ? "-" : Out(descricao)) << "  " << item.etiquetas
                    << " etiqueta(s), " << detail->SentOf(static_cast<std::int32_t>(index))
                    << " enviada(s)\n";
    }
    return Done;
}

} // namespace

int HistoryCommand(TCliContext& context, TArguments arguments)
{
    int limit = DefaultLimit;
    std::optional<std::int64_t> show;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--limit") {
            const std::optional<std::int32_t> value =
                i + 1 < arguments.size() ? TryStrToInt(arguments[i + 1]) : std::nullopt;
            if (!value || *value < 0)
                return UsageError(context, History, "--limit precisa de um número");
            limit = *value;
            ++i;
        } else if (argument == "show" && i == 0) {
            const std::optional<std::int32_t> value =
                i + 1 < arguments.size() ? TryStrToInt(arguments[i + 1]) : std::nullopt;
            if (!value)
                return UsageError(context, History, "informe o número do trabalho");
            show = *value;
            ++i;
        } else {
            return UsageError(context, History, "argumento inesperado: " + argument);
        }
    }
    CreateDatabase();
    const std::unique_ptr<TConnection> connection = OpenDatabase();
    if (show)
        return ShowJob(context, *connection, *show);
    ListJobs(context, *connection, limit);
    return Done;
}

} // namespace zev::cli
