#pragma once

// What every command that fills the selection shares: its own connection
// and transaction, the count notice, "Selecao Data" changed together with
// the selection, and the status text cleared on every way out.

#include "catalogue/Database.h"

#include <QString>

#include <memory>
#include <optional>
#include <string_view>

namespace zev {

class TOperator;

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
