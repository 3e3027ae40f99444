#pragma once

// The one way a window's command fails: the error it raises is shown to the
// person, and never crosses the event loop that ran the command.

#include "app/Operator.h"

#include <QString>

#include <exception>
#include <utility>

namespace zev {

// True when the command ran to its end.
template <typename Command> bool GuardCommand(TOperator& op, Command&& command)
{
    try {
        std::forward<Command>(command)();
        return true;
    } catch (const std::exception& error) {
        op.ShowError(QString::fromUtf8(error.what()));
        return false;
    }
}

} // namespace zev
