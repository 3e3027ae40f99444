// zev-cli import: the store's package replaces the catalogue, as the
// program's "Importar" does, for a nightly script.

#include "catalogue/Database.h"
#include "catalogue/ImportCadastro.h"
#include "cli/Cli.h"
#include "cli/TerminalOperator.h"

#include <ostream>

namespace zev::cli {

int ImportCommand(TCliContext& context, TArguments arguments)
{
    if (arguments.size() != 1)
        return UsageError(context, "import", "informe o arquivo de importação");
    CreateDatabase();
    TTerminalOperator op(context.out, context.err);
    switch (ImportCadastroFile(op, QString::fromLocal8Bit(arguments[0]))) {
    case TImportResult::Imported:
        return Done;
    case TImportResult::Cancelled:
        context.err << "Importação cancelada: o cadastro não foi alterado\n";
        return Failed;
    case TImportResult::NotChosen:
    case TImportResult::Refused:
        break;
    }
    return Failed;
}

} // namespace zev::cli
