#include "app/MainFrm.h"

#include "app/Windows.h"
#include "output/LabelPreviewView.h"
#include "output/SelectLabelFrm.h"
#include "printing/ItemFrm.h"
#include "printing/PreviewFrm.h"
#include "printing/SequenciaFrm.h"
#include "tests/printing/BoxLabel.h"
#include "tests/printing/PrintTestSupport.h"
#include "tests/support/DialogAnswers.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>

using namespace zev;
using namespace zev::test;

namespace {

// What a page of a picture shows: the box's size and the window's lines.
struct TPage
{
    QSize box;
    QString produto;
    QString pagina;
    bool operator==(const TPage&) const = default;
};

std::ostream& operator<<(std::ostream& out, const TPage& page)
{
    return out << page.box.width() << "x" << page.box.height() << " "
               << page.produto.toStdString() << " " << page.pagina.toStdString();
}

std::string Box(std::int32_t key, bool first)
{
    return TBoxLabel::Text(key, first);
}

class LabelPictureTest : public PrintTest
{
protected:
    LabelPictureTest() : form(windows, registries(), op())
    {
        Sql(Loja);
        Sql("insert into produto (produto_key, descricao, quantidade_etiquetas, caixa, "
            "preco_normal) values (13, 'MISTERIO', 1, 0, 2);"
            "insert into item values ('1313', 13)");
        program.Registries().Labels->LabelHash.SetItem("caixas", std::make_unique<TBoxLabel>());
        windows.MainForm = &form;
        windows.SelectLabelForm = new TSelectLabelForm(registries(), &form);
        windows.SequenciaForm = new TSequenciaForm(&form);
        windows.ItemForm = new TItemForm(windows, registries(), op(), &form);
    }

    static TLabelPreviewView& View(const QWidget& window)
    {
        return *Child<TLabelPreviewView>(window, "PreviewView");
    }

    // Every page from the first, turned with PgDn; the window then prints
    // or closes with `button`.
    static void ReadPages(std::vector<TPage>& pages, const char* button)
    {
        AnswerModal<TPreviewFrm>([&pages, button](TPreviewFrm& preview) {
            EXPECT_EQ(preview.windowTitle(), "Visualizar etiquetas");
            for (std::int64_t shown = -1; shown != preview.Shown();
                 QTest::keyClick(&preview, Qt::Key_PageDown)) {
                shown = preview.Shown();
                pages.push_back({BoxSize(View(preview).Picture().image),
                                 Child<QLabel>(preview, "ProdutoLbl")->text(),
                                 Child<QLabel>(preview, "PaginaLbl")->text()});
            }
            QTest::keyClick(&preview, Qt::Key_PageUp);
            Child<QPushButton>(preview, "AnteriorBtn")->click();
            EXPECT_EQ(preview.Shown(), std::max<std::int64_t>(std::ssize(pages) - 3, 0));
            Child<QPushButton>(preview, button)->click();
        });
    }

    // The chooser's "&Visualizar" for the default label, then `button`
    // there when the preview went back to it.
    void Visualizar(std::optional<TAnswer> button)
    {
        AnswerModal<TSelectLabelForm>([button](TSelectLabelForm& chooser) {
            Child<QPushButton>(chooser, "VisualizarBtn")->click();
            if (button)
                Answer(chooser, *button);
        });
    }

    void Trigger(const char* item)
    {
        form.findChild<QAction*>(QString::fromLatin1(item))->trigger();
    }

    TWindows windows;
    TMainForm form;
};

TEST_F(LabelPictureTest, TheCounterDrawsTheLabelOnceItWentToThePort)
{
    program.WriteSettings("[Labels]\r\ncaixas=FILE:\r\n[Geral]\r\nImp Autom=1\r\n");
    const QString output = Output();
    AnswerModal<TItemForm>([&output](TItemForm& item) {
        auto* edit = Child<QLineEdit>(item, "MaskEdit");
        const TLabelPreviewView& view = View(item);
        const auto enter = [edit](const char* code) {
            edit->selectAll();
            QTest::keyClicks(edit, code);
            QTest::keyClick(edit, Qt::Key_Return);
        };
        enter("66");
        EXPECT_EQ(ReadFileBytes(output), Box(6, true));
        EXPECT_EQ(BoxSize(view.Picture().image), QSize(TBoxLabel::WidthOf(6), 50));
        EXPECT_EQ(view.Picture().image.size(), QSize(480, 320));
        // Drawn in the window, its aspect kept.
        const QRect shown = view.PictureRect();
        EXPECT_FALSE(shown.isEmpty());
        EXPECT_NEAR(shown.width() * 2.0 / shown.height(), 3.0, 0.05);
        EXPECT_TRUE(view.ReasonText().isEmpty());
        // Picture and product fit the smallest screen a store has.
        EXPECT_TRUE(item.screen()->availableGeometry().contains(item.frameGeometry()));

        // A picture that cannot be drawn says why, and the label still went out.
        enter("1313");
        EXPECT_EQ(ReadFileBytes(output), Box(6, true) + "CAIXA 13\r\n");
        EXPECT_FALSE(view.Picture().HasPicture());
        EXPECT_TRUE(view.ReasonText().contains(QString::fromUtf8("não reconhecida")))
            << view.ReasonText().toStdString();

        enter("55555");
        EXPECT_FALSE(view.Picture().HasPicture());
        EXPECT_TRUE(view.ReasonText().isEmpty());
        QTest::keyClick(edit, Qt::Key_Escape);
    });
    windows.ItemForm->Execute("caixas", {});
    EXPECT_TRUE(op().Messages().empty());
}

// The selection's labels as the job sends them: every copy, in its order,
// the first label as the first; "Imprimir" prints them.
TEST_F(LabelPictureTest, ThePreviewPagesThroughTheSelectionAndImprimirPrintsIt)
{
    program.WriteSettings("[Labels]\r\ncaixas=FILE:\r\n[Geral]\r\nLabel Default=caixas\r\n");
    const std::pair<std::int32_t, const char*> order[] = {
        {9, "ACUCAR"}, {2, "ARROZ"}, {3, "BOLO"}, {3, "BOLO"},
        {3, "BOLO"},   {1, "CAFE"},  {7, "FARINHA"}};
    std::vector<TPage> expected;
    std::string printed;
    for (const auto& [key, descricao] : order) {
        const bool first = expected.empty();
        expected.push_back({QSize(TBoxLabel::WidthOf(key), first ? 50 : 30),
                            QStringLiteral("%1 %2").arg(key, 6, 10, QChar(u'0')).arg(descricao),
                            QStringLiteral("Etiqueta %1 de 7").arg(expected.size() + 1)});
        printed += Box(key, first);
    }
    std::vector<TPage> pages;
    Visualizar(std::nullopt);
    ReadPages(pages, "ImprimirBtn");
    const QString output = Output();
    op().QueueYesNo(true);
    Trigger("Seleo2");
    EXPECT_EQ(pages, expected);
    EXPECT_EQ(ReadFileBytes(output), printed);
}

TEST_F(LabelPictureTest, FecharGoesBackToTheChooserAndPrintsNothing)
{
    program.WriteSettings("[Labels]\r\ncaixas=TESTE:\r\n[Geral]\r\nLabel Default=caixas\r\n");
    std::vector<TPage> pages;
    Visualizar(TAnswer::Cancela);
    ReadPages(pages, "FecharBtn");
    Trigger("Seleo2");
    EXPECT_EQ(pages.size(), 7u);
    EXPECT_EQ(port->starts, 0);
}

// The file and the range are asked once, by the preview: the job prints
// what was shown without asking again.
TEST_F(LabelPictureTest, TheFileAndTheRangeShownAreTheOnesPrinted)
{
    program.WriteSettings("[Labels]\r\ncaixas=FILE:\r\n[Geral]\r\nLabel Default=caixas\r\n");
    const QString plu = program.TemplatesDir() + "/PLU.TXT";
    WriteFileBytes(plu, "0001000\r\n555\r\n");
    struct TCase
    {
        const char* item;
        std::vector<TPage> pages;
        std::string printed;
    };
    const TCase cases[] = {
        {"DoArquivo1",
         {{{20, 50}, "000001 CAFE", "Etiqueta 1 de 2"},
          {{10, 30}, "PRODUTO NAO CADASTRADO (555)", "Etiqueta 2 de 2"}},
         Box(1, true) + Box(0, false)},
        {"Sequencial1",
         {{{60, 50}, "000005", "Etiqueta 1 de 2"}, {{70, 50}, "000006", "Etiqueta 2 de 2"}},
         Box(5, true) + Box(6, true)},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.item);
        std::vector<TPage> pages;
        Visualizar(std::nullopt);
        if (std::string_view(c.item) == "DoArquivo1") {
            op().QueueFile(plu);
        } else {
            AnswerModal<TSequenciaForm>([](TSequenciaForm& dialog) {
                Child<QLineEdit>(dialog, "MaskEdit1")->setText("000005");
                Child<QLineEdit>(dialog, "MaskEdit2")->setText("000006");
                Answer(dialog, TAnswer::Ok);
            });
        }
        ReadPages(pages, "ImprimirBtn");
        const QString output = Output();
        Trigger(c.item);
        EXPECT_EQ(pages, c.pages);
        EXPECT_EQ(ReadFileBytes(output), c.printed);
    }
    EXPECT_TRUE(op().Messages().empty());
}

} // namespace
