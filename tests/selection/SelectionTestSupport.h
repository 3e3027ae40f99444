#pragma once

// The selection tests write their catalogue into a fresh program directory
// and look at selecao, "Selecao Data" and the messages.

#include "app/Settings.h"
#include "catalogue/Database.h"
#include "platform/Profile.h"
#include "tests/support/Catalogue.h"
#include "tests/support/ScriptedOperator.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace zev::test {

class SelectionTest : public testing::Test
{
protected:
    SelectionTest() { CreateDatabase(); }

    // The keys in selecao, sorted; a key selected twice is listed twice.
    static std::vector<int> Selected() { return IntColumn("select * from selecao order by 1"); }
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
