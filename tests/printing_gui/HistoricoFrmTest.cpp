#include "printing/HistoricoFrm.h"

#include "app/MainFrm.h"
#include "app/Windows.h"
#include "output/SelectLabelFrm.h"
#include "printing/PrintJobs.h"
#include "tests/printing/PrintTestSupport.h"
#include "tests/support/DialogAnswers.h"

#include <QAction>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

using namespace zev;
using namespace zev::test;

namespace {

// Two jobs: 1 to 3 printed whole, then 10 to 15 cancelled after 10 and 11.
TEST_F(PrintTest, TheHistoryListsTheJobsAndContinuarPrintsTheRestThroughTheChooser)
{
    program.WriteSettings("[Labels]\r\nmarca=TESTE:\r\n");
    PrintSequencia(op(), registries(), "marca", 1, 3, 46000);
    op().CancelProgressAt(2);
    PrintSequencia(op(), registries(), "marca", 10, 15, 46000);
    op().CancelProgressAt(1000);
    program.WriteSettings("[Labels]\r\nmarca=FILE:\r\n[Geral]\r\nLabel Default=marca\r\n");

    TWindows windows;
    TMainForm form(windows, registries(), op());
    windows.MainForm = &form;
    windows.SelectLabelForm = new TSelectLabelForm(registries(), &form);

    const QString output = Output();
    op().QueueYesNo(true);
    AnswerModal<THistoricoFrm>([](THistoricoFrm& dialog) {
        auto* trabalhos = Child<QTableWidget>(dialog, "Trabalhos");
        auto* itens = Child<QTableWidget>(dialog, "Itens");
        auto* continuar = Child<QPushButton>(dialog, "Continuar");
        ASSERT_EQ(trabalhos->rowCount(), 2);
        EXPECT_EQ(trabalhos->item(0, 0)->text(), "2"); // the newest first
        EXPECT_EQ(trabalhos->item(0, 7)->text(), "cancelado");
        EXPECT_EQ(trabalhos->item(1, 7)->text(), QString::fromUtf8("concluído"));
        EXPECT_EQ(trabalhos->item(0, 6)->text(), "6 planejada(s), 2 enviada(s), 0 recusada(s)");

        // The finished job has nothing to continue.
        QTest::keyClick(trabalhos, Qt::Key_Down);
        EXPECT_FALSE(continuar->isEnabled());
        QTest::keyClick(trabalhos, Qt::Key_Up);
        EXPECT_TRUE(continuar->isEnabled());

        QTest::keyClick(trabalhos, Qt::Key_Return);
        ASSERT_EQ(itens->rowCount(), 1);
        EXPECT_EQ(itens->item(0, 1)->text(), "10 a 15");
        EXPECT_EQ(itens->item(0, 4)->text(), "2");
        EXPECT_EQ(dialog.focusWidget(), itens);
        QTest::keyClick(itens, Qt::Key_Escape);
        EXPECT_EQ(dialog.focusWidget(), trabalhos);
        continuar->click();
    });
    AnswerModal<TSelectLabelForm>([](TSelectLabelForm& dialog) { Answer(dialog, TAnswer::Ok); });
    form.findChild<QAction*>("Historico1")->trigger();

    EXPECT_EQ(ReadFileBytes(output), Marks("F12 F13 F14 F15"));
    EXPECT_EQ(op().Messages().back().text,
              QString::fromUtf8("Confirma continuar o trabalho 2 (4 etiqueta(s)) ?"));
}

} // namespace
