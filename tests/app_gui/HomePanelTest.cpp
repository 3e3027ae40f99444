#include "app/HomePanel.h"

#include "app/MainFrm.h"
#include "app/Settings.h"
#include "app/Windows.h"
#include "output/LabelPreviewView.h"
#include "platform/Profile.h"
#include "platform/Regional.h"
#include "tests/printing/PrintTestSupport.h"
#include "tests/support/Catalogue.h"
#include "tests/support/DialogAnswers.h"
#include "tests/support/ProgramFixture.h"

#include <QAction>
#include <QLabel>
#include <QTableWidget>

using namespace zev;
using namespace zev::test;

namespace {

class HomePanelTest : public testing::Test
{
protected:
    HomePanelTest()
    {
        CreateDatabase();
        windows.MainForm = &form;
        TIniFile ini(SettingsPath());
        ini.WriteString(settings::Labels, "gondola-zpl", "FILE:");
        ini.WriteString(settings::Geral, settings::LabelDefault.key, "gondola-zpl");
    }

    QString Text(const char* name) const { return Child<QLabel>(form, name)->text(); }
    QString Focused() const
    {
        return form.focusWidget() != nullptr ? form.focusWidget()->objectName() : QString();
    }
    void Refresh() { form.HomePanel().Refresh(); }

    TProgramFixture program;
    TWindows windows;
    TMainForm form{windows, program.Registries(), program.Operator()};
};

TEST_F(HomePanelTest, TellsWhatIsLoadedWhatIsSelectedAndFocusesTheNextStep)
{
    const auto selecaoData = [](double day) {
        TIniFile(SettingsPath()).WriteDate(settings::Geral, settings::SelecaoData.key, day);
    };
    const struct
    {
        std::function<void()> arrange;
        const char *produtos, *catalogue, *selecionados, *selection, *focused;
    } cases[] = {
        {[] {}, "0", "Nenhum catálogo importado ainda", "0",
         "Importe o catálogo antes de selecionar", "RoadImportar"},
        {[&] {
             Sql(std::string(Loja) + ";delete from selecao;"
                                     "insert into selecao select produto_key from produto");
             selecaoData(Today() - 3);
         },
         "9", "importados em data desconhecida", "9", "A seleção não é de hoje", "RoadHoje"},
        {[&] {
             selecaoData(Today());
             TIniFile ini(SettingsPath());
             ini.WriteString(settings::Geral, settings::UltimaImportacao.key,
                             "2026-12-07T06:05:00");
             ini.WriteString(settings::Geral, settings::ArquivoImportado.key, "/loja/ZEV.TXT");
         },
         "9", "importados em 07/12/2026 06:05:00\nde /loja/ZEV.TXT", "9",
         "Pronta para imprimir: Imprimir seleção (F3)", "RoadImprimir"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.selection);
        c.arrange();
        Refresh();
        EXPECT_EQ(Text("CatalogoNumero"), c.produtos);
        EXPECT_TRUE(Text("CatalogoTexto").contains(QString::fromUtf8(c.catalogue)));
        EXPECT_EQ(Text("SelecaoNumero"), c.selecionados);
        EXPECT_TRUE(Text("SelecaoTexto").contains(QString::fromUtf8(c.selection)));
        EXPECT_EQ(Focused(), c.focused);
    }

    EXPECT_EQ(Child<QTableWidget>(form, "SelecaoTabela")->rowCount(), 5);
    const auto* preview = Child<TLabelPreviewView>(form, "SelecaoPreview");
    EXPECT_FALSE(preview->Picture().image.isNull()) << preview->ReasonText().toStdString();
}

TEST_F(HomePanelTest, ARoadButtonRunsItsMenuItemAndThePanelIsReadAgain)
{
    Sql(std::string(Loja) + ";delete from selecao;update produto set data_alteracao = '" +
        IsoDate(Today()) + "' where produto_key in (9, 2)");
    Refresh();

    // Enter on the focused step presses it, once.
    ASSERT_EQ(Focused(), "RoadHoje");
    program.Operator().QueueTipo(1);
    QTest::keyClick(Child<QPushButton>(form, "RoadHoje"), Qt::Key_Return);
    EXPECT_EQ(program.Operator().Messages().size(), 1U);
    EXPECT_EQ(Text("SelecaoNumero"), "2");
    EXPECT_EQ(Focused(), "RoadImprimir");

    // A command of the menu reads it again as well: no price changed.
    Child<QAction>(form, "UltimaImportao1")->trigger();
    EXPECT_EQ(Text("SelecaoNumero"), "0");
    EXPECT_EQ(Focused(), "RoadHoje");
}

// Today's last job, and the way to finish it when it stopped.
TEST_F(HomePanelTest, TheDaysLastJobIsShownWithTheWayToFinishItWhenItStopped)
{
    const auto* lastJob = Child<QLabel>(form, "UltimoTrabalho");
    Sql(QStringLiteral("insert into historico (inicio, fim, usuario, tipo, etiqueta, porta, data, "
                       "planejadas, enviadas, resultado) values ('%1', '%1', 'ana', 'sequencial', "
                       "'gondola-zpl', 'FILE:', '2026-01-01', 99, 40, 'cancelado')")
            .arg(QDateTime::currentDateTime().toString(Qt::ISODate))
            .toStdString());
    Refresh();
    EXPECT_TRUE(lastJob->text().contains("Continuar")) << lastJob->text().toStdString();

    Sql("update historico set enviadas = 99, resultado = 'concluido' where trabalho = 1");
    Refresh();
    EXPECT_FALSE(lastJob->text().contains("Continuar"));
}

} // namespace
