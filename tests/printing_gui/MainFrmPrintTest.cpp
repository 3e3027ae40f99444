#include "app/MainFrm.h"

#include "app/Windows.h"
#include "output/SelectLabelFrm.h"
#include "platform/Regional.h"
#include "printing/SequenciaFrm.h"
#include "tests/printing/PrintTestSupport.h"
#include "tests/support/DialogAnswers.h"
#include "tests/support/ModalAnswer.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>

#include <optional>

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

    const struct
    {
        const char* item;
        TAnswer chooser;
        std::optional<TAnswer> sequencia; // shown only after the chooser's OK
        std::function<void(const QString& output)> answers;
        std::string printed; // empty: nothing started
    } cases[] = {
        {"Seleo2", TAnswer::Ok, std::nullopt,
         [&](const QString& output) {
             op().QueueFile(output);
             op().QueueYesNo(true);
         },
         "H\r\n000002 ARROZ 5,50 01/03/2026 07891000000011\r\n.\r\n"
         "000001 CAFE 10,00 01/03/2026 00001000\r\n.\r\n"},
        {"Seleo2", TAnswer::Cancela, std::nullopt, [](const QString&) {}, ""},
        {"DoArquivo1", TAnswer::Enter, std::nullopt,
         [&](const QString& output) {
             op().QueueFile(plu);
             op().QueueFile(output);
         },
         "H\r\n000001 CAFE 10,00 01/03/2026 00001000\r\n.\r\n"},
        {"DoArquivo1", TAnswer::Escape, std::nullopt, [](const QString&) {}, ""},
        {"Sequencial1", TAnswer::Ok, TAnswer::Ok,
         [&](const QString& output) { op().QueueFile(output); },
         "H\r\n000005   1,00 " + DateToStr(Today()) + " 00000000\r\n.\r\n000006   1,00 " +
             DateToStr(Today()) + " 00000000\r\n.\r\n"},
        {"Sequencial1", TAnswer::Ok, TAnswer::Cancela, [](const QString&) {}, ""},
        {"Sequencial1", TAnswer::CloseBox, std::nullopt, [](const QString&) {}, ""},
    };
    int run = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.item << " " << static_cast<int>(c.chooser));
        const QString output = program.TemplatesDir() + QStringLiteral("/saida%1.prn").arg(++run);
        c.answers(output);
        AnswerModal<TSelectLabelForm>(
            [&](TSelectLabelForm& chooser) { Answer(chooser, c.chooser); });
        if (c.sequencia) {
            AnswerModal<TSequenciaForm>([&](TSequenciaForm& sequencia) {
                Child<QLineEdit>(sequencia, "MaskEdit1")->setText("000005");
                Child<QLineEdit>(sequencia, "MaskEdit2")->setText("000006");
                Answer(sequencia, *c.sequencia);
            });
        }
        op().ClearMessages();
        form.findChild<QAction*>(QString::fromLatin1(c.item))->trigger();
        EXPECT_EQ(c.printed.empty() ? std::string() : ReadFileBytes(output), c.printed);
        EXPECT_EQ(QFile::exists(output), !c.printed.empty());
        for (const TOperatorMessage& message : op().Messages())
            EXPECT_EQ(message.kind, "question") << message.text.toStdString();
    }
}

} // namespace
