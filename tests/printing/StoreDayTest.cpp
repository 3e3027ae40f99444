// The example package's offers of the 8th of December, through FILE: and a
// private spooler; the expected printout was written by hand.

#include "app/Settings.h"
#include "catalogue/Database.h"
#include "catalogue/ImportCadastro.h"
#include "platform/Profile.h"
#include "platform/Regional.h"
#include "printing/PrintJobs.h"
#include "selection/SelectByDate.h"
#include "tests/support/PrivateCups.h"
#include "tests/support/ProgramFixture.h"

#include <gtest/gtest.h>

#include <memory>

using namespace zev;
using namespace zev::test;

namespace {

TEST(StoreDayTest, ImportSelectAndPrintTheDaysOffers)
{
    // The spooler first: the registry lists its queues at start.
    std::unique_ptr<TPrivateCups> cups;
    if (TPrivateCups::IsInstalled()) {
        cups = std::make_unique<TPrivateCups>();
        cups->AddQueue("Zebra");
    }
    TProgramFixture program;
    TScriptedOperator& op = program.Operator();
    CreateDatabase();
    ASSERT_EQ(ImportCadastroFile(op, SourceFile("examples/ZEV.TXT")), TImportResult::Imported);
    op.QueueTipo(1);
    SelectByDate(op, EncodeDate(2026, 12, 8));
    EXPECT_EQ(op.Messages().back().text, "Selecionado 4 item(s)");

    const std::string expected =
        ReadFileBytes(SourceFile("tests/printing/data/oferta-08-12-2026.zpl"));
    const QString output = program.TemplatesDir() + "/gondola.prn";
    TIniFile(SettingsPath()).WriteString(settings::Labels, "gondola-zpl", "FILE:");
    op.QueueFile(output);
    op.QueueYesNo(true);
    EXPECT_TRUE(PrintSelecao(op, program.Registries(), "gondola-zpl").Complete());
    EXPECT_EQ(ReadFileBytes(output), expected);

    if (!cups)
        GTEST_SKIP() << "cupsd is not installed (scripts/install-deps installs cups-daemon)";
    TIniFile(SettingsPath()).WriteString(settings::Labels, "gondola-zpl", "Zebra");
    op.QueueYesNo(true);
    EXPECT_TRUE(PrintSelecao(op, program.Registries(), "gondola-zpl").Complete());
    EXPECT_EQ(cups->WaitForJobs("Zebra"), std::vector<TSpooledJob>({{"ZEV Job", true}}));
    EXPECT_EQ(cups->OutputOf("Zebra"), expected);
}

} // namespace
