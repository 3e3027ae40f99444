// zev-cli search: the counter's product search, one product a line:
// code, description and today's price, separated by tabs.

#include "catalogue/Database.h"
#include "cli/Cli.h"
#include "platform/AnsiText.h"
#include "platform/Regional.h"
#include "printing/Busca.h"

#include <ostream>

namespace zev::cli {

int SearchCommand(TCliContext& context, TArguments arguments)
{
    if (arguments.size() != 1)
        return UsageError(context, "search", "informe o texto a buscar");
    CreateDatabase();
    const std::unique_ptr<TConnection> connection = OpenDatabase();
    const TBuscaResult found =
        SearchProdutos(*connection, QString::fromUtf8(arguments[0]), Today());
    if (found.TooMany()) {
        // One line, as every message of the command line.
        context.err << TooManyMessage(found.count).replace(u'\r', u' ').toStdString() << "\n";
        return Failed;
    }
    for (const TBuscaRow& row : found.rows)
        context.out << row.key << "\t" << AnsiToUtf8(row.descricao) << "\t"
                    << PrecoText(row.preco).toStdString() << "\n";
    return Done;
}

} // namespace zev::cli
