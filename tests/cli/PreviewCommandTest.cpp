#include "catalogue/Database.h"
#include "tests/cli/RunCli.h"
#include "tests/support/Catalogue.h"

#include <QFile>
#include <QImage>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <algorithm>

using namespace zev;
using namespace zev::test;

namespace {

// A 60 x 40 mm label at 203 dpi, with its normal section.
std::string Template(const char* name, const std::string& normal)
{
    return std::string("[geral]\r\nname=") + name +
           "\r\n[pre_label]\r\n01=^XA^PW480^LL320^XZ\r\n[normal]\r\n01=" + normal + "\r\n";
}

// A filled box 100 x 50 at 10,10; "gaps" adds a stored graphic the preview
// does not have; "texto" is no printer language a preview reads.
TEST(PreviewCommandTest, APngOfOneProductAPdfOfTheSelectionAndWhatTheyDoNotShow)
{
    TProgramDirFixture home;
    CreateDatabase();
    AddBranch({1, 1, 1, 1});
    Sql("insert into produto (produto_key, descricao, sub_grupo_key, preco_normal, "
        "quantidade_etiquetas) values (1, 'ARROZ', 1, 5.5, 1), (2, 'BOLO', 1, 7, 2);"
        "insert into item values ('66', 1), ('77', 2); insert into selecao values (1), (2)");
    const std::string box = "^XA^FO10,10^GB100,50,50^FS";
    WriteFileBytes(home.File("caixa.lbl"), Template("caixa", box + "^XZ"));
    WriteFileBytes(home.File("gaps.lbl"),
                   Template("gaps", box + "^FO200,10^XGR:LOGO.GRF,1,1^FS^XZ"));
    WriteFileBytes(home.File("texto.lbl"), Template("texto", "{Produto.key} {Produto.preco}"));
    WriteFileBytes(home.File("zev.ini"),
                   "[Geral]\r\nPath Modelos=" + home.Path().toStdString() + "\r\n");
    const QStringList preview = {"--home", home.Path(), "preview", "--label"};
    const auto out = [&](const char* name) { return home.File(name); };

    // One printer dot a pixel; what was not drawn goes to standard error.
    const Result png = RunCli(preview + QStringList{"gaps", "--barra", "66", "--png", out("c.png")});
    EXPECT_EQ(png.status, 0) << png.err;
    EXPECT_EQ(png.out, "");
    const QImage image(out("c.png"));
    EXPECT_EQ(image.size(), QSize(480, 320));
    EXPECT_EQ(qRound(image.dotsPerMeterX() * 0.0254), 203);
    EXPECT_EQ(qGray(image.pixel(10, 10)), 0);
    const std::string told = png.err;
    EXPECT_TRUE(told.starts_with("^XG") && std::count(told.begin(), told.end(), '\n') == 1) << told;

    // A page for each label, each gap told with its label's number.
    const Result pdf = RunCli(preview + QStringList{"gaps", "--selection", "--pdf", out("s.pdf")});
    EXPECT_EQ(pdf.status, 0) << pdf.err;
    EXPECT_EQ(pdf.err, "Etiqueta 1: " + told + "Etiqueta 2: " + told + "Etiqueta 3: " + told);
    const QString pages = QString::fromLatin1(ReadFileBytes(out("s.pdf")));
    EXPECT_EQ(pages.count(QRegularExpression("/Type\\s*/Page(?![a-zA-Z])")), 3);

    // No picture fails with its reason and leaves no file.
    const std::string usage = "\nuso: zev-cli preview --label NOME";
    // clang-format off
    RunCases(home.Path(), {
        {"preview --label texto --key 1 --png ~/t.png", 1, "", "não reconhecida"},
        {"preview --label texto --selection --pdf ~/t.pdf", 1, "", "Etiqueta 1: "},
        {"preview --label caixa --selection --png ~/s.png", 2, "",
         "a seleção vai para um PDF: use --pdf" + usage},
        {"preview --label caixa --key 1 --png ~/a.png --pdf ~/a.pdf", 2, "",
         "informe o arquivo com --png ou com --pdf" + usage},
        {"preview --label caixa --key 1 --selection --pdf ~/k.pdf", 2, "",
         "informe o produto com --key ou --barra, ou a seleção com --selection" + usage},
    });
    // clang-format on
    for (const char* file : {"t.png", "t.pdf", "s.png", "a.png", "a.pdf", "k.pdf"})
        EXPECT_FALSE(QFile::exists(out(file))) << file;
    Sql("delete from selecao");
    RunCases(home.Path(), {{"preview --label caixa --selection --pdf ~/e.pdf", 1, "",
                            "Não há etiquetas selecionadas !!!\n"}});
}

} // namespace
