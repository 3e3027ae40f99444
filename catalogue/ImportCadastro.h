#pragma once

// The catalogue import: the store's package file "ZEV.TXT" replaces the
// whole catalogue. Every line carries a record type (0 to 6) and one row of
// one table; the rows are staged in the folder "tmp" of the program's
// directory as six semicolon-separated files beside a "schema.ini", then read
// back, converted to the tables' types and loaded.
//
// All or nothing: saving the old prices into produto_antigo, emptying the
// selection and the catalogue, loading the package and giving boxes their
// unit product's subgroup run in one transaction. A package that is refused
// (wrong version, a bad line or value, a duplicate or dangling key), an
// error, or the person cancelling leaves the catalogue, the selection and
// produto_antigo exactly as they were. The staged files are removed on every
// way out; the folder too, unless it holds files of someone else.
//
// A catalogue file damaged inside cannot be emptied: the package is then
// loaded into a new file, the damaged one's bytes are copied beside it
// ("zev.mdb.danificado-YYYYMMDD-HHMMSS") and the new catalogue replaces its
// content (ReplaceDamagedDatabase); a warning says where the copy went. The
// prices before the import come from the damaged file as far as it can be
// read.
//
// Reading the staged files follows the schema file: keys and integers must
// fit 32 bits; numbers use "." as decimal symbol; dates are in the regional
// short date format (a time after the date is ignored) or ISO yyyy-mm-dd;
// an empty field is empty (null), except `compra` and `caixa`, where empty
// is no and any number other than 0 is yes; barcodes made only of digits
// are the numbers they are, without leading zeros ("0000" is "0"). A field that begins with a double quote runs to
// its closing quote, may hold ";", and a doubled quote inside it stands for
// one.
//
// Talks to the person only through the operator. Runs on the user-interface
// thread.

#include "catalogue/PackageFormat.h"

#include <QString>


namespace zev {

class TOperator;

enum class TImportResult
{
    Imported,
    NotChosen, // the person closed the file chooser
    Refused,   // the package's version is not ours; the error was shown
    Cancelled, // the person stopped it; nothing changed
};

// The menu command: the open chooser starts in "Path Cadastro" with
// "ZEV.TXT" proposed; the chosen package is imported as ImportCadastroFile
// does.
TImportResult ImportCadastro(TOperator& op);

// Imports one package. Shows the status of each step and the progress, and
// on success writes the package's folder to "Path Cadastro" and tells
// "Arquivo importado com sucesso". A package that cannot be read raises
// EInOutError with the system's reason, a refused one EImportError, both
// before anything changed; a failure of the disk or the database
// (EInOutError, EDatabaseError: a full disk names its folder) adds that the
// catalogue was not changed.
TImportResult ImportCadastroFile(TOperator& op, const QString& packagePath);

} // namespace zev
