#pragma once

// The selection tests write their catalogue with plain SQL into a fresh
// program directory and look at selecao, "Selecao Data" and the messages.

#include "app/Settings.h"
#include "catalogue/Database.h"
#include "platform/Profile.h"
#include "tests/support/ScriptedOperator.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace zev::test {

class SelectionTest : public testing::Test
{
protected:
    SelectionTest() { CreateDatabase(); }

    static void Sql(std::string_view sql) { OpenDatabase()->Execute(sql); }
    // The keys in selecao, sorted; a key selected twice is listed twice.
    static std::vector<int> Selected()
    {
        const auto connection = OpenDatabase();
        TQuery& query = connection->Query("select produto_key from selecao order by 1");
        std::vector<int> keys;
        for (query.Exec(); query.Next();)
            keys.push_back(query.Int(0));
        return keys;
    }
    static std::string Setting(std::string_view key)
    {
        return TIniFile(SettingsPath()).ReadString(settings::Geral, key, "(none)");
    }
    static void SetSetting(std::string_view key, std::string_view value)
    {
        TIniFile(SettingsPath()).WriteString(settings::Geral, key, value);
    }
    static std::vector<QString> Count(std::size_t count)
    {
        return {QStringLiteral("Selecionado %1 item(s)").arg(count)};
    }
    std::vector<QString> Texts() const
    {
        std::vector<QString> texts;
        for (const TOperatorMessage& message : op.Messages())
            texts.push_back(message.text);
        return texts;
    }

    TProgramDirFixture home;
    TScriptedOperator op;
};

} // namespace zev::test
