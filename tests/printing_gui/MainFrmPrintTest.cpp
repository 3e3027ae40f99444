#include "app/MainFrm.h"

#include "app/Windows.h"
#include "output/SelectLabelFrm.h"
#include "platform/Regional.h"
#include "printing/SequenciaFrm.h"
#include "tests/printing/PrintTestSupport.h"
#include "tests/support/DialogAnswers.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>

using namespace zev;
using namespace zev::test;

namespace {

TEST_F(PrintTest, ThePrintingCommandsPrintWithTheLabelChosenAndStartNothingWhenCancelled)
{
    Sql(Loja);
    Sql("delete from selecao where produto_key not in (1, 2)");
    program.WriteSettings("[Labels]\r\nmarca=NULL:\r\nlinha=FILE:\r\n"
                          "[Geral]\r\nLabel Default=linha\r\nSelecao Data=01/03/2026\r\n");
    const QString plu = program.TemplatesDir() + "/PLU.TXT";
    WriteFileBytes(plu, "0001000\r\n");
    TWindows windows;
    TMainForm form(windows, registries(), op());
    windows.MainForm = &form;
    windows.SelectLabelForm = new TSelectLabelForm(registries(), &form);
    windows.SequenciaForm = new TSequenciaForm(&form);

    const std::string cafe = "000001 CAFE 10,00 01/03/2026 00001000\r\n.\r\n";
    const std::string numero = "   1,00 " + DateToStr(Today()) + " 00000000\r\n.\r\n";
    // The Sequencia window shows only after the chooser's OK; "" prints
    // nothing. A job that printed leaves its count in the status bar.
    const std::tuple<const char*, TAnswer, std::optional<TAnswer>, std::string, const char*>
        cases[] = {
            {"Seleo2",
             TAnswer::Ok,
             {},
             "H\r\n000002 ARROZ 5,50 01/03/2026 07891000000011\r\n.\r\n" + cafe,
             "2 etiqueta(s) enviada(s)"},
            {"Seleo2", TAnswer::Cancela, {}, "", ""},
            {"DoArquivo1", TAnswer::Enter, {}, "H\r\n" + cafe, "1 etiqueta(s) enviada(s)"},
            {"DoArquivo1", TAnswer::Escape, {}, "", ""},
            {"Sequencial1", TAnswer::Ok, TAnswer::Ok, "H\r\n000005" + numero + "000006" + numero,
             "2 etiqueta(s) enviada(s)"},
            {"Sequencial1", TAnswer::Ok, TAnswer::Cancela, "", ""},
            {"Sequencial1", TAnswer::CloseBox, {}, "", ""},
        };
    for (const auto& [item, chooser, sequencia, printed, status] : cases) {
        SCOPED_TRACE(testing::Message() << item << " " << static_cast<int>(chooser));
        // Answers only for a job that starts: an unexpected chooser fails.
        QString output;
        if (!printed.empty()) {
            if (std::string_view(item) == "DoArquivo1")
                op().QueueFile(plu);
            output = Output();
            if (std::string_view(item) == "Seleo2")
                op().QueueYesNo(true);
        }
        AnswerModal<TSelectLabelForm>([&](TSelectLabelForm& dialog) { Answer(dialog, chooser); });
        if (sequencia) {
            AnswerModal<TSequenciaForm>([&](TSequenciaForm& dialog) {
                Child<QLineEdit>(dialog, "MaskEdit1")->setText("000005");
                Child<QLineEdit>(dialog, "MaskEdit2")->setText("000006");
                Answer(dialog, *sequencia);
            });
        }
        form.findChild<QAction*>(QString::fromLatin1(item))->trigger();
        if (!printed.empty()) {
            EXPECT_EQ(ReadFileBytes(output), printed);
        }
        EXPECT_EQ(form.findChild<QLabel*>("Panel0")->text(), QString::fromUtf8(status));
    }
    for (const TOperatorMessage& message : op().Messages())
        EXPECT_EQ(message.kind, "question") << message.text.toStdString();
}

} // namespace
