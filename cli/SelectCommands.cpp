// zev-cli select and zev-cli selection: the menu's selection commands and
// the selection editor, for scripts (a nightly import and selection).

#include "catalogue/Database.h"
#include "cli/Cli.h"
#include "cli/TerminalOperator.h"
#include "platform/AnsiText.h"
#include "platform/Conversions.h"
#include "platform/Regional.h"
#include "selection/Arvore.h"
#include "selection/BarcodeFile.h"
#include "selection/EditSelection.h"
#include "selection/SelectByDate.h"

#include <ostream>

namespace zev::cli {

namespace {

constexpr std::string_view Select = "select";
constexpr std::string_view Selection = "selection";

// --type answers the type dialog.
std::optional<int> Tipo(std::string_view name)
{
    if (name == "all")
        return 1;
    if (name == "normal")
        return 2;
    if (name == "offers")
        return 3;
    return std::nullopt;
}

int SelectByDateCommand(TCliContext& context, TArguments arguments)
{
    const std::string& kind = arguments[0];
    std::size_t next = 1;
    double day = Today();
    if (kind == "tomorrow") {
        day = Today() + 1;
    } else if (kind == "date") {
        if (arguments.size() < 2)
            return UsageError(context, Select, "informe a data");
        const std::optional<double> parsed = ParseDate(arguments[1]);
        if (!parsed)
            return UsageError(context, Select, "data inválida: '" + arguments[1] + "'");
        day = *parsed;
        next = 2;
    }
    TTerminalAnswers answers;
    for (; next < arguments.size(); next += 2) {
        if (arguments[next] != "--type")
            return UsageError(context, Select, "argumento inesperado: " + arguments[next]);
        const std::optional<int> tipo =
            next + 1 < arguments.size() ? Tipo(arguments[next + 1]) : std::nullopt;
        if (!tipo)
            return UsageError(context, Select, "--type precisa de all, normal ou offers");
        answers.tipo = *tipo;
    }
    TTerminalOperator op(context.out, context.err, answers);
    CreateDatabase();
    SelectByDate(op, day);
    return Done;
}

int SelectBarcodesCommand(TCliContext& context, TArguments arguments)
{
    TBarcodeFileFormat format = TBarcodeFileFormat::Barras;
    std::optional<QString> file;
    for (const std::string& argument : arguments.subspan(1)) {
        if (argument == "--tarvo9000")
            format = TBarcodeFileFormat::Tarvo9000;
        else if (!file && !argument.starts_with("--"))
            file = QString::fromLocal8Bit(argument);
        else
            return UsageError(context, Select, "argumento inesperado: " + argument);
    }
    if (!file)
        return UsageError(context, Select, "informe o arquivo de códigos");
    TTerminalAnswers answers;
    answers.input = file;
    TTerminalOperator op(context.out, context.err, answers);
    CreateDatabase();
    SelectFromBarcodeFile(op, format);
    return Done;
}

int SelectTreeCommand(TCliContext& context, TArguments arguments)
{
    if (arguments.size() != 3 || arguments[1].size() != 1 ||
        std::string_view("DSGU").find(arguments[1][0]) == std::string_view::npos)
        return UsageError(context, Select, "informe o nível (D, S, G ou U) e a chave");
    const std::optional<std::int32_t> key = TryStrToInt(arguments[2]);
    if (!key)
        return UsageError(context, Select, "chave inválida: '" + arguments[2] + "'");
    TTerminalAnswers answers;
    answers.arvore = TArvoreChoice{arguments[1][0], *key};
    TTerminalOperator op(context.out, context.err, answers);
    CreateDatabase();
    SelectFromTree(op);
    return Done;
}

void PrintSelection(std::ostream& out)
{
    const auto line = [&out](const std::array<QString, 4>& texts) {
        out << texts[0].toStdString() << '\t' << texts[1].toStdString() << '\t'
            << texts[2].toStdString() << '\t' << texts[3].toStdString() << '\n';
    };
    line(SelectedItemHeader());
    for (const TSelectedItem& item : ListSelection())
        line(SelectedItemTexts(item));
}

} // namespace

int SelectCommand(TCliContext& context, TArguments arguments)
{
    if (arguments.empty())
        return UsageError(context, Select, "informe o tipo de seleção");
    const std::string& kind = arguments[0];
    if (kind == "today" || kind == "tomorrow" || kind == "date")
        return SelectByDateCommand(context, arguments);
    if (kind == "barcodes")
        return SelectBarcodesCommand(context, arguments);
    if (kind == "tree")
        return SelectTreeCommand(context, arguments);
    if (kind == "changed") {
        if (arguments.size() != 1)
            return UsageError(context, Select, "changed não tem argumentos");
        TTerminalOperator op(context.out, context.err);
        CreateDatabase();
        SelectChangedPrices(op);
        return Done;
    }
    return UsageError(context, Select, "tipo de seleção desconhecido: " + kind);
}

int SelectionCommand(TCliContext& context, TArguments arguments)
{
    if (arguments.empty()) {
        CreateDatabase();
        PrintSelection(context.out);
        return Done;
    }
    if (arguments.size() != 2 || arguments[1].empty())
        return UsageError(context, Selection, "informe add CODIGO ou remove CHAVE");
    if (arguments[0] == "add") {
        TTerminalOperator op(context.out, context.err);
        CreateDatabase();
        std::vector<std::string> listed;
        for (const TSelectedItem& item : ListSelection())
            listed.push_back(item.codigo);
        return AddCodeToSelection(op, Utf8ToAnsi(arguments[1]), listed) ? Done : Failed;
    }
    if (arguments[0] == "remove") {
        const std::optional<std::int32_t> key = TryStrToInt(arguments[1]);
        if (!key)
            return UsageError(context, Selection, "chave inválida: '" + arguments[1] + "'");
        CreateDatabase();
        RemoveFromSelection(*key);
        return Done;
    }
    return UsageError(context, Selection, "informe add CODIGO ou remove CHAVE");
}

} // namespace zev::cli
