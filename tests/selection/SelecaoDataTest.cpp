#include "platform/Regional.h"
#include "selection/SelecaoCommand.h"
#include "tests/selection/SelectionTestSupport.h"

using namespace zev;
using namespace zev::test;

namespace {

TEST_F(SelectionTest, SelecaoDataIsZevInisUnlessTheDatabaseShowsItNeverGotTheSelectionsDate)
{
    const std::string today = DateToStr(Today());
    const struct
    {
        const char* name;
        const char* ini;    // "Selecao Data" in zev.ini; null: no key
        const char* record; // selecao_data's (data, anterior); null: no row
        std::string date;
        std::string iniAfter;
    } cases[] = {
        {"a catalogue older than the record", "05/03/2026", nullptr, "05/03/2026", "05/03/2026"},
        {"nothing anywhere", nullptr, nullptr, today, "(none)"},
        {"stopped before zev.ini", "05/03/2026", "('2026-03-07', '05/03/2026')", "07/03/2026",
         "07/03/2026"},
        {"stopped before zev.ini had the key", nullptr, "('2026-03-07', null)", "07/03/2026",
         "07/03/2026"},
        {"stopped after zev.ini", "07/03/2026", "('2026-03-07', '05/03/2026')", "07/03/2026",
         "07/03/2026"},
        {"edited by hand", "09/03/2026", "('2026-03-07', '05/03/2026')", "09/03/2026",
         "09/03/2026"},
        {"edited by hand back to the date before", "05/03/2026", "('2026-03-07', '07/03/2026')",
         "05/03/2026", "05/03/2026"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Sql("delete from selecao_data");
        if (c.record != nullptr)
            Sql(std::string("insert into selecao_data (data, anterior) values ") + c.record);
        if (c.ini != nullptr)
            SetSetting(settings::SelecaoData.key, c.ini);
        else
            TIniFile(SettingsPath()).DeleteKey(settings::Geral, settings::SelecaoData.key);

        const TIniFile ini(SettingsPath());
        EXPECT_EQ(DateToStr(SelecaoDataOf(*OpenDatabase(), ini)), c.date);
        EXPECT_EQ(Setting(settings::SelecaoData.key), c.iniAfter);
    }
}

} // namespace
