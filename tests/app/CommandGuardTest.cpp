#include "app/CommandGuard.h"

#include "platform/Error.h"
#include "tests/support/ScriptedOperator.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

using namespace zev;
using namespace zev::test;

namespace {

TEST(CommandGuardTest, AnErrorIsShownOnceAndTheCommandCountsAsNotDone)
{
    const struct { const char* name; std::function<void()> command; bool done;
                   std::vector<TOperatorMessage> shown; } cases[] = {
        {"runs to its end", [] {}, true, {}},
        {"the program's error", [] { throw EZevError("Preço inválido"); }, false,
         {{"error", QString::fromUtf8("Preço inválido")}}},
        {"the library's", [] { throw std::out_of_range("vector"); }, false,
         {{"error", QStringLiteral("vector")}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TScriptedOperator op;
        EXPECT_EQ(GuardCommand(op, c.command), c.done);
        EXPECT_EQ(op.Messages(), c.shown);
    }
}

} // namespace
