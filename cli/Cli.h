#pragma once

// zev-cli: the program's operations for scripts and for checking a store's
// set-up from a terminal. Notices go to `out`, warnings and errors to `err`,
// one line each, in the program's own words. Exit status: 0 done, 1 the
// operation failed or was refused, 2 wrong usage.

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace zev {
class TProduto;
}

namespace zev::cli {

enum ExitStatus
{
    Done = 0,
    Failed = 1,
    WrongUsage = 2,
};

struct TCliContext
{
    std::ostream& out;
    std::ostream& err;
};

// A command's arguments after its name.
using TArguments = std::span<const std::string>;

struct TCliCommand
{
    std::string_view name;
    std::string_view usage;   // arguments, as shown by --help
    std::string_view summary; // one line
    int (*run)(TCliContext& context, TArguments arguments);
};

// Every command, in the order --help lists them.
std::span<const TCliCommand> Commands();

// The whole command line after the program's name.
int RunCli(TCliContext& context, TArguments arguments);

// Shared by the commands: reports wrong usage of one command.
int UsageError(TCliContext& context, std::string_view command, std::string_view problem);

// Whether the command line's command draws pictures, which needs the GUI
// application rather than the core one.
bool NeedsGuiApplication(TArguments arguments);

// A date given as YYYY-MM-DD or in the regional short date format.
std::optional<double> ParseDate(std::string_view text);

// The product a command names by its key, else by a barcode; null, with
// "Produto não cadastrado" on `err`, when the catalogue has none.
std::unique_ptr<TProduto> FindNamedProduto(TCliContext& context, std::optional<std::int32_t> key,
                                           const std::optional<std::string>& barra);

// Commands.
int ImportCommand(TCliContext& context, TArguments arguments);
int ProdutoCommand(TCliContext& context, TArguments arguments);
int LabelsCommand(TCliContext& context, TArguments arguments);
int RenderCommand(TCliContext& context, TArguments arguments);
int PortsCommand(TCliContext& context, TArguments arguments);
int SendCommand(TCliContext& context, TArguments arguments);
int SelectCommand(TCliContext& context, TArguments arguments);
int SelectionCommand(TCliContext& context, TArguments arguments);
int PrintCommand(TCliContext& context, TArguments arguments);
int SearchCommand(TCliContext& context, TArguments arguments);
int PreviewCommand(TCliContext& context, TArguments arguments);
int HistoryCommand(TCliContext& context, TArguments arguments);
int ReprintCommand(TCliContext& context, TArguments arguments);

} // namespace zev::cli
