#pragma once

// The selection: the products chosen for printing (table selecao) and its
// reference date, "Selecao Data" in zev.ini, the day whose prices the
// selection is printed with.
//
// Every command that fills the selection empties it first, runs in one
// transaction and ends with the notice "Selecionado N item(s)". A command
// that fails changes nothing: neither the selection nor "Selecao Data".
// Dialogs are asked through the operator; cancelling one changes nothing.
//
// Texts are Windows-1252 bytes; dates are day numbers.
//
// What every command that fills the selection shares: its own connection
// and transaction, the count notice, "Selecao Data" changed together with
// the selection, and the status text cleared on every way out.

#include "catalogue/Database.h"

#include <QString>

#include <memory>
#include <optional>
#include <string_view>

namespace zev {

class TIniFile;
class TOperator;

// "Selecao Data" for the selection as `connection` reads it: zev.ini's date,
// unless the database's record of the selection's last date shows that
// zev.ini never got it (the program stopped between the commit and the
// write); then the recorded date, which is written to zev.ini again. Dates a
// person wrote into zev.ini by hand are taken as they are. `ini` is read
// before the connection's read transaction takes its first look: a
// selection committed in between then shows as not yet in zev.ini, and its
// own date goes with it.
double SelecaoDataOf(TConnection& connection, const TIniFile& ini);

class TSelecaoCommand
{
public:
    // Shows `status`, opens a connection, begins the transaction and
    // empties selecao.
    TSelecaoCommand(TOperator& op, const QString& status);
    // Without Finish, the transaction rolls back.
    ~TSelecaoCommand();
    TSelecaoCommand(const TSelecaoCommand&) = delete;
    TSelecaoCommand& operator=(const TSelecaoCommand&) = delete;

    TConnection& Connection() { return *m_connection; }
    TQuery& Query(std::string_view sql) { return m_connection->Query(sql); }

    // Commits, with the selection's date `selecaoData` when given recorded
    // in the same transaction, then writes it to zev.ini's "Selecao Data"
    // (SelecaoDataOf reads the two). A zev.ini that cannot be written is
    // told as a warning: the selection and its date are in. Then releases
    // the connection, clears the status and shows the count.
    void Finish(std::optional<double> selecaoData);

private:
    TOperator& m_operator;
    std::unique_ptr<TConnection> m_connection;
    std::optional<TTransaction> m_transaction;
};

} // namespace zev
