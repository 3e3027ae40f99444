// zev-cli labels and render: the label registry, and one label rendered for
// a product, for template authors to check their work.

#include "app/Settings.h"
#include "catalogue/Produto.h"
#include "cli/Cli.h"
#include "labels/LabelRegistry.h"
#include "platform/AnsiText.h"
#include "platform/Conversions.h"
#include "platform/Regional.h"

#include <optional>
#include <ostream>

namespace zev::cli {

namespace {

enum class TRenderKind
{
    First,
    Next,
    Single,
};

struct TRenderRequest
{
    std::string label;
    std::optional<std::int32_t> key;
    std::optional<std::string> barra;
    double date = 0;
    TRenderKind kind = TRenderKind::First;
    bool header = false;
};

// Parses the arguments; on wrong usage returns the problem instead.
std::optional<std::string> ParseRender(TArguments arguments, TRenderRequest& request)
{
    request.date = Today();
    std::size_t kinds = 0;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        const auto value = [&]() -> std::optional<std::string> {
            if (i + 1 == arguments.size())
                return std::nullopt;
            return arguments[++i];
        };
        if (option == "--first" || option == "--next" || option == "--single") {
            request.kind = option == "--first"  ? TRenderKind::First
                           : option == "--next" ? TRenderKind::Next
                                                : TRenderKind::Single;
            ++kinds;
        } else if (option == "--header") {
            request.header = true;
        } else if (option == "--label" || option == "--key" || option == "--barra" ||
                   option == "--date") {
            const std::optional<std::string> text = value();
            if (!text)
                return option + " precisa de um valor";
            if (option == "--label") {
                request.label = Utf8ToAnsi(*text);
            } else if (option == "--key") {
                request.key = TryStrToInt(*text);
                if (!request.key)
                    return "chave inválida: '" + *text + "'";
            } else if (option == "--barra") {
                request.barra = Utf8ToAnsi(*text);
            } else {
                const std::optional<double> date = ParseDate(*text);
                if (!date)
                    return "data inválida: '" + *text + "'";
                request.date = *date;
            }
        } else {
            return "opção desconhecida: " + option;
        }
    }
    if (request.label.empty())
        return "informe a etiqueta com --label";
    if (request.key.has_value() == request.barra.has_value())
        return "informe o produto com --key ou com --barra";
    if (kinds > 1)
        return "use só uma de --first, --next e --single";
    return std::nullopt;
}

void Render(const TPrinterLabel& label, TRenderKind kind, const TProduto& produto, double date,
            std::string& text)
{
    switch (kind) {
    case TRenderKind::First:
        label.RenderFirst(produto, text, date);
        break;
    case TRenderKind::Next:
        label.RenderNext(produto, text, date);
        break;
    case TRenderKind::Single:
        label.RenderSingle(produto, text, date);
        break;
    }
}

} // namespace

int LabelsCommand(TCliContext& context, TArguments arguments)
{
    if (!arguments.empty())
        return UsageError(context, "labels", "o comando não tem argumentos");
    const auto registry = BuildLabelRegistry(SettingsPath());
    for (const TPrinterLabel* label : registry->LabelList) {
        context.out << AnsiToUtf8(label->GetName()) << "\t" << AnsiToUtf8(label->GetDescription())
                    << "\t" << AnsiToUtf8(label->GetVersion()) << "\t"
                    << AnsiToUtf8(label->GetPrinter()) << "\n";
    }
    return Done;
}

int RenderCommand(TCliContext& context, TArguments arguments)
{
    TRenderRequest request;
    if (const std::optional<std::string> problem = ParseRender(arguments, request))
        return UsageError(context, "render", *problem);

    const auto registry = BuildLabelRegistry(SettingsPath());
    const TPrinterLabel& label = registry->LabelHash.Item(request.label);

    const auto produto = FindNamedProduto(context, request.key, request.barra);
    if (!produto)
        return Failed;
    std::string text;
    Render(label, request.kind, *produto, request.date, text);
    if (request.header)
        context.out << label.GetHeader();
    context.out << text;
    return Done;
}

} // namespace zev::cli
