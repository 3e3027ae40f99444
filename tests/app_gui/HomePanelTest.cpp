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

    QString Text(const char* name) const
    {
        const auto* label = Child<QLabel>(form, name);
        return label != nullptr ? label->text() : QString();
    }
    // The road's button that holds the focus.
    QString Focused() const
    {
        const QWidget* focused = form.focusWidget();
        return focused != nullptr ? focused->objectName() : QString();
    }
    void Refresh() { form.HomePanel().Refresh(); }
    TScriptedOperator& op() { return program.Operator(); }
    static void SelecaoData(double day)
    {
        TIniFile(SettingsPath()).WriteDate(settings::Geral, settings::SelecaoData.key, day);
    }

    TProgramFixture program;
    TWindows windows;
    TMainForm form{windows, program.Registries(), program.Operator()};
};

TEST_F(HomePanelTest, TellsWhatIsLoadedWhatIsSelectedAndFocusesTheNextStep)
{
    // Per case: what was done, then the catalogue's number and text, the
    // selection's number and text (texts within the panel's) and the step focused.
    const std::tuple<const char*, std::function<void()>, const char*, const char*, const char*,
                     const char*, const char*>
        cases[] = {
            {"no catalogue", [] {}, "0", "Nenhum catálogo importado ainda", "0",
             "Importe o catálogo antes de selecionar", "RoadImportar"},
            {"catalogue imported before the note, nothing selected",
             [] { Sql(std::string(Loja) + ";delete from selecao"); }, "9",
             "importados em data desconhecida", "0", "a seleção está vazia", "RoadHoje"},
            {"a selection of another day",
             [] {
                 Sql("insert into selecao select produto_key from produto");
                 SelecaoData(Today() - 3);
             },
             "9", "data desconhecida", "9", "A seleção não é de hoje", "RoadHoje"},
            {"today's selection",
             [] {
                 SelecaoData(Today());
                 TIniFile ini(SettingsPath());
                 ini.WriteString(settings::Geral, settings::UltimaImportacao.key,
                                 "2026-12-07T06:05:00");
                 ini.WriteString(settings::Geral, settings::ArquivoImportado.key, "/loja/ZEV.TXT");
             },
             "9", "importados em 07/12/2026 06:05:00\nde /loja/ZEV.TXT", "9",
             "Pronta para imprimir: Imprimir seleção (F3)", "RoadImprimir"},
        };
    for (const auto& [name, arrange, produtos, catalogue, selecionados, selection, focused] :
         cases) {
        SCOPED_TRACE(name);
        arrange();
        Refresh();
        EXPECT_EQ(Text("CatalogoNumero"), produtos);
        EXPECT_TRUE(Text("CatalogoTexto").contains(QString::fromUtf8(catalogue)))
            << Text("CatalogoTexto").toStdString();
        EXPECT_EQ(Text("SelecaoNumero"), selecionados);
        EXPECT_TRUE(Text("SelecaoTexto").contains(QString::fromUtf8(selection)))
            << Text("SelecaoTexto").toStdString();
        EXPECT_EQ(Focused(), focused);
        EXPECT_TRUE(Child<QPushButton>(form, focused)->property("next").toBool());
    }

    // The rows shown are the first that print, each drawn with the default label.
    const auto* rows = form.findChild<QTableWidget*>(QStringLiteral("SelecaoTabela"));
    ASSERT_EQ(rows->rowCount(), 5);
    EXPECT_EQ(rows->item(0, 1)->text(), "ACUCAR");
    const auto* preview = form.findChild<TLabelPreviewView*>(QStringLiteral("SelecaoPreview"));
    EXPECT_FALSE(preview->Picture().image.isNull()) << preview->ReasonText().toStdString();
}

TEST_F(HomePanelTest, ARoadButtonRunsItsMenuItemAndThePanelIsReadAgain)
{
    Sql(std::string(Loja) + ";delete from selecao;update produto set data_alteracao = '" +
        IsoDate(Today()) + "' where produto_key in (9, 2)");
    Refresh();
    EXPECT_EQ(Text("SelecaoNumero"), "0");
    EXPECT_EQ(Focused(), "RoadHoje");

    // Enter on the focused step presses it.
    op().QueueTipo(1);
    QTest::keyClick(form.findChild<QPushButton*>(QStringLiteral("RoadHoje")), Qt::Key_Return);
    EXPECT_EQ(op().Messages().size(), 1U); // one selection: "Selecionado 2 item(s)"
    EXPECT_EQ(Text("SelecaoNumero"), "2");
    EXPECT_EQ(Focused(), "RoadImprimir");

    // A command of the menu reads it again as well: no price changed.
    form.findChild<QAction*>(QStringLiteral("UltimaImportao1"))->trigger();
    EXPECT_EQ(Text("SelecaoNumero"), "0");
    EXPECT_EQ(Focused(), "RoadHoje");
}

// The port's problem itself is the home status's text.
TEST_F(HomePanelTest, ALabelWithAProblemIsShownInRed)
{
    TIniFile(SettingsPath()).WriteString(settings::Labels, "teste", "COM7:");
    Refresh();
    const auto* gondola = Child<QLabel>(form, "Etiqueta0");
    EXPECT_TRUE(gondola->text().contains("FILE: (arquivo) · Etiqueta padrão"))
        << gondola->text().toStdString();
    EXPECT_FALSE(gondola->property("problem").toBool());
    const auto* teste = Child<QLabel>(form, "Etiqueta1");
    EXPECT_TRUE(teste->text().contains("COM7:")) << teste->text().toStdString();
    EXPECT_TRUE(teste->property("problem").toBool());
    EXPECT_TRUE(teste->styleSheet().contains("color"));
    EXPECT_TRUE(Child<QLabel>(form, "Etiqueta2")->isHidden());
}

// Today's last job, and the way to finish it when it stopped; yesterday's
// jobs are not the day's.
TEST_F(HomePanelTest, TheDaysLastJobIsShownWithTheWayToFinishItWhenItStopped)
{
    const auto* lastJob = Child<QLabel>(form, "UltimoTrabalho");
    const auto job = [](int daysAgo, int enviadas, const char* resultado) {
        const QString when = QDateTime::currentDateTime().addDays(-daysAgo).toString(Qt::ISODate);
        Sql(QStringLiteral("insert into historico (inicio, fim, usuario, tipo, etiqueta, porta, "
                           "data, planejadas, enviadas, resultado) values ('%1', '%1', 'ana', "
                           "'sequencial', 'gondola-zpl', 'FILE:', '2026-01-01', 99, %2, '%3')")
                .arg(when)
                .arg(enviadas)
                .arg(resultado)
                .toStdString());
    };
    job(1, 3, "cancelado");
    Refresh();
    EXPECT_TRUE(lastJob->isHidden());

    job(0, 40, "cancelado");
    Refresh();
    EXPECT_FALSE(lastJob->isHidden());
    EXPECT_TRUE(lastJob->text().contains("trabalho 2, sequencial"))
        << lastJob->text().toStdString();
    EXPECT_TRUE(lastJob->text().contains("40 de 99 etiqueta(s) enviada(s), cancelado"));
    EXPECT_TRUE(lastJob->text().contains("Continuar"));

    Sql("update historico set enviadas = 99, resultado = 'concluido' where trabalho = 2");
    Refresh();
    EXPECT_TRUE(lastJob->text().contains("99 de 99 etiqueta(s) enviada(s), concluído."))
        << lastJob->text().toStdString();
    EXPECT_FALSE(lastJob->text().contains("Continuar"));
}

} // namespace
