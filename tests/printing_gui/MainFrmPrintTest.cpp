#include "app/MainFrm.h"

#include "app/Windows.h"
#include "output/SelectLabelFrm.h"
#include "printing/HistoricoFrm.h"
#include "printing/PreviewFrm.h"
#include "printing/PrintJobs.h"
#include "printing/SequenciaFrm.h"
#include "tests/printing/BoxLabel.h"
#include "tests/printing/PrintTestSupport.h"
#include "tests/support/DialogAnswers.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>

using namespace zev;
using namespace zev::test;

namespace {

class MainFrmPrintTest : public PrintTest
{
protected:
    MainFrmPrintTest() : form(windows, registries(), op())
    {
        windows.MainForm = &form;
        windows.SelectLabelForm = new TSelectLabelForm(registries(), &form);
        windows.SequenciaForm = new TSequenciaForm(&form);
    }

    void Trigger(const char* item)
    {
        form.findChild<QAction*>(QString::fromLatin1(item))->trigger();
    }

    static void AnswerSequencia(TAnswer answer)
    {
        AnswerModal<TSequenciaForm>([answer](TSequenciaForm& dialog) {
            Child<QLineEdit>(dialog, "MaskEdit1")->setText("000005");
            Child<QLineEdit>(dialog, "MaskEdit2")->setText("000006");
            Answer(dialog, answer);
        });
    }

    TWindows windows;
    TMainForm form;
};

// The Sequencia window shows only after the chooser's OK. A job that
// printed leaves its count in the status bar.
TEST_F(MainFrmPrintTest, ThePrintingCommandsPrintWithTheLabelChosenAndStartNothingWhenCancelled)
{
    Sql(Loja);
    Sql("delete from selecao where produto_key not in (1, 2)");
    program.WriteSettings(
        "[Labels]\r\nmarca=NULL:\r\nlinha=TESTE:\r\n[Geral]\r\nLabel Default=linha\r\n");
    const QString plu = program.TemplatesDir() + "/PLU.TXT";
    WriteFileBytes(plu, "0001000\r\n");
    const std::tuple<const char*, TAnswer, std::optional<TAnswer>, std::size_t> cases[] = {
        {"Seleo2", TAnswer::Ok, {}, 2},
        {"Seleo2", TAnswer::Cancela, {}, 0},
        {"DoArquivo1", TAnswer::Enter, {}, 1},
        {"Sequencial1", TAnswer::Ok, TAnswer::Ok, 2},
        {"Sequencial1", TAnswer::Ok, TAnswer::Cancela, 0},
    };
    for (const auto& [item, chooser, sequencia, labels] : cases) {
        SCOPED_TRACE(testing::Message() << item << " " << static_cast<int>(chooser));
        *port = TTestPort();
        // Answers only for a job that starts: an unexpected question fails.
        if (labels > 0 && std::string_view(item) == "DoArquivo1")
            op().QueueFile(plu);
        if (labels > 0 && std::string_view(item) == "Seleo2")
            op().QueueYesNo(true);
        AnswerModal<TSelectLabelForm>([&](TSelectLabelForm& dialog) { Answer(dialog, chooser); });
        if (sequencia)
            AnswerSequencia(*sequencia);
        Trigger(item);
        EXPECT_EQ(port->starts, labels > 0 ? 1 : 0);
        EXPECT_EQ(port->blocks.size(), labels > 0 ? labels + 1 : 0);
        EXPECT_EQ(form.findChild<QLabel*>("Panel0")->text(),
                  labels > 0 ? QStringLiteral("%1 etiqueta(s) enviada(s)").arg(labels) : "");
    }
    for (const TOperatorMessage& message : op().Messages())
        EXPECT_EQ(message.kind, "question") << message.text.toStdString();
}

// The chooser's "Visualizar" shows the job's labels, from the first; PgDn
// turns to the next, PgUp and "Anterior" back. "Imprimir" prints what was
// shown without asking for the file again; "Fechar" goes back to the chooser.
TEST_F(MainFrmPrintTest, ThePreviewPagesThroughTheJobAndImprimirPrintsIt)
{
    Sql(Loja);
    program.Registries().Labels->LabelHash.SetItem("caixas", std::make_unique<TBoxLabel>());
    program.WriteSettings("[Labels]\r\ncaixas=TESTE:\r\n[Geral]\r\nLabel Default=caixas\r\n");
    const QString plu = program.TemplatesDir() + "/PLU.TXT";
    WriteFileBytes(plu, "0001000\r\n555\r\n");
    const std::tuple<const char*, const char*, QString, QString, std::size_t> cases[] = {
        {"Seleo2", "ImprimirBtn", "000009 ACUCAR|Etiqueta 1 de 7", "000007 FARINHA|Etiqueta 7 de 7",
         7},
        {"Seleo2", "FecharBtn", "000009 ACUCAR|Etiqueta 1 de 7", "000007 FARINHA|Etiqueta 7 de 7",
         0},
        {"DoArquivo1", "ImprimirBtn", "000001 CAFE|Etiqueta 1 de 2",
         "PRODUTO NAO CADASTRADO (555)|Etiqueta 2 de 2", 2},
    };
    for (const auto& [item, button, first, last, printed] : cases) {
        SCOPED_TRACE(testing::Message() << item << " " << button);
        *port = TTestPort();
        const bool prints = printed > 0;
        AnswerModal<TSelectLabelForm>([prints](TSelectLabelForm& chooser) {
            Child<QPushButton>(chooser, "VisualizarBtn")->click();
            if (!prints)
                Answer(chooser, TAnswer::Cancela);
        });
        if (std::string_view(item) == "DoArquivo1")
            op().QueueFile(plu);
        QStringList pages;
        AnswerModal<TPreviewFrm>([&pages, button](TPreviewFrm& preview) {
            for (std::int64_t shown = -1; shown != preview.Shown();
                 QTest::keyClick(&preview, Qt::Key_PageDown)) {
                shown = preview.Shown();
                pages << QStringLiteral("%1|%2").arg(Child<QLabel>(preview, "ProdutoLbl")->text(),
                                                     Child<QLabel>(preview, "PaginaLbl")->text());
            }
            QTest::keyClick(&preview, Qt::Key_PageUp);
            Child<QPushButton>(preview, "AnteriorBtn")->click();
            EXPECT_EQ(preview.Shown(), std::max<qsizetype>(pages.size() - 3, 0));
            Child<QPushButton>(preview, button)->click();
        });
        if (prints && std::string_view(item) == "Seleo2")
            op().QueueYesNo(true);
        Trigger(item);
        ASSERT_FALSE(pages.empty());
        EXPECT_EQ(pages.front(), first);
        EXPECT_EQ(pages.back(), last);
        EXPECT_EQ(port->blocks.size(), prints ? printed + 1 : 0);
    }
    EXPECT_EQ(op().Messages().size(), 1u); // the selection's question
}

// Two jobs: 1 to 3 printed whole, then 10 to 15 cancelled after 10 and 11.
TEST_F(MainFrmPrintTest, TheHistoryListsTheJobsAndContinuarPrintsTheRestThroughTheChooser)
{
    program.WriteSettings("[Labels]\r\nmarca=TESTE:\r\n[Geral]\r\nLabel Default=marca\r\n");
    PrintSequencia(op(), registries(), "marca", 1, 3, 46000);
    op().CancelProgressAt(2);
    PrintSequencia(op(), registries(), "marca", 10, 15, 46000);
    op().CancelProgressAt(1000);
    op().ClearMessages();
    *port = TTestPort();

    op().QueueYesNo(true);
    AnswerModal<THistoricoFrm>([](THistoricoFrm& dialog) {
        auto* trabalhos = Child<QTableWidget>(dialog, "Trabalhos");
        auto* itens = Child<QTableWidget>(dialog, "Itens");
        auto* continuar = Child<QPushButton>(dialog, "Continuar");
        // The cells' texts are the history's; the newest job first.
        ASSERT_EQ(trabalhos->rowCount(), 2);
        EXPECT_EQ(trabalhos->item(0, 0)->text(), "2");
        // The finished job has nothing to continue.
        QTest::keyClick(trabalhos, Qt::Key_Down);
        EXPECT_FALSE(continuar->isEnabled());
        QTest::keyClick(trabalhos, Qt::Key_Up);
        EXPECT_TRUE(continuar->isEnabled());

        QTest::keyClick(trabalhos, Qt::Key_Return);
        ASSERT_EQ(itens->rowCount(), 1);
        EXPECT_EQ(itens->item(0, 4)->text(), "2"); // sent of the item at the stop
        EXPECT_EQ(dialog.focusWidget(), itens);
        QTest::keyClick(itens, Qt::Key_Escape);
        EXPECT_EQ(dialog.focusWidget(), trabalhos);
        continuar->click();
    });
    AnswerModal<TSelectLabelForm>([](TSelectLabelForm& dialog) { Answer(dialog, TAnswer::Ok); });
    Trigger("Historico1");

    EXPECT_EQ(port->blocks.size(), 5u); // the header and 12 to 15
    ASSERT_EQ(op().Messages().size(), 1u);
    EXPECT_EQ(op().Messages().back().text,
              QString::fromUtf8("Confirma continuar o trabalho 2 (4 etiqueta(s)) ?"));
}

} // namespace
