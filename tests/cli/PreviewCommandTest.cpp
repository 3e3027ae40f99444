#include "catalogue/Database.h"
#include "tests/cli/RunCli.h"
#include "tests/printing/BoxLabel.h"
#include "tests/printing/PrintTestSupport.h"

#include <QImage>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace zev;
using namespace zev::test;

namespace {

// A filled box 100 x 50 at 10,10; "gaps" adds a stored graphic the preview
// does not have. "texto" is no printer language a preview reads.
std::string Template(const char* name, const std::string& normal)
{
    return std::string("[geral]\r\nname=") + name + "\r\ndescription=" + name +
           "\r\n[pre_label]\r\n01=^XA^PW480^LL320^XZ\r\n[normal]\r\n01=" + normal + "\r\n";
}

class PreviewCommandTest : public testing::Test
{
protected:
    PreviewCommandTest()
    {
        CreateDatabase();
        OpenDatabase()->Execute(Loja);
        WriteFileBytes(home.File("gondola-zpl.lbl"),
                       ReadFileBytes(SourceFile("examples/modelos/gondola-zpl.lbl")));
        WriteFileBytes(home.File("caixa.lbl"), Template("caixa", "^XA^FO10,10^GB100,50,50^FS^XZ"));
        WriteFileBytes(home.File("gaps.lbl"),
                       Template("gaps", "^XA^FO10,10^GB100,50,50^FS^FO200,10^XGR:LOGO.GRF,1,1^FS^XZ"));
        WriteFileBytes(home.File("texto.lbl"), Template("texto", "{Produto.key} {Produto.preco}"));
        WriteFileBytes(home.File("zev.ini"),
                       "[Geral]\r\nPath Modelos=" + home.Path().toStdString() + "\r\n");
    }

    Result Preview(QStringList arguments) const
    {
        return RunCli(QStringList{"--home", home.Path(), "preview"} << arguments);
    }
    QString Out(const char* name) const { return home.File(name); }

    TProgramDirFixture home;
};

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t at = 0;
    for (std::size_t end; (end = text.find('\n', at)) != std::string::npos; at = end + 1)
        lines.push_back(text.substr(at, end - at));
    return lines;
}

// Page objects, not the page tree ("/Type /Pages").
int PageCount(const std::string& pdf)
{
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![a-zA-Z])"));
    return static_cast<int>(QString::fromLatin1(pdf).count(page));
}

TEST_F(PreviewCommandTest, ThePngIsTheProductsLabelOneDotAPixel)
{
    const Result gondola = Preview({"--label", "gondola-zpl", "--key", "1", "--png", Out("g.png")});
    EXPECT_EQ(gondola.status, 0) << gondola.err;
    EXPECT_EQ(QImage(Out("g.png")).size(), QSize(480, 320));

    const Result caixa = Preview({"--label", "caixa", "--barra", "66", "--png", Out("c.png")});
    EXPECT_EQ(caixa.status, 0) << caixa.err;
    EXPECT_EQ(caixa.err, "");
    const QImage box(Out("c.png"));
    EXPECT_EQ(BoxSize(box), QSize(100, 50));
    EXPECT_EQ(qGray(box.pixel(5, 5)), 255);
    EXPECT_EQ(qRound(box.dotsPerMeterX() * 0.0254), 203);

    // Drawn all the same; what was not drawn is on standard error.
    const Result gaps = Preview({"--label", "gaps", "--key", "1", "--png", Out("x.png")});
    EXPECT_EQ(gaps.status, 0) << gaps.err;
    ASSERT_EQ(Lines(gaps.err).size(), 1u) << gaps.err;
    EXPECT_TRUE(Contains(gaps.err, "^XG")) << gaps.err;
    EXPECT_EQ(BoxSize(QImage(Out("x.png"))), QSize(100, 50));
}

TEST_F(PreviewCommandTest, ThePdfHasOnePageAtTheLabelsSizeForEveryLabelOfTheSelection)
{
    // ACUCAR, ARROZ, BOLO three times, CAFE, FARINHA: what "print selection" sends.
    const Result caixa = Preview({"--label", "caixa", "--selection", "--pdf", Out("s.pdf")});
    EXPECT_EQ(caixa.status, 0) << caixa.err;
    const std::string pdf = ReadFileBytes(Out("s.pdf"));
    EXPECT_EQ(PageCount(pdf), 7);
    // 60 x 40 mm in points.
    const QRegularExpressionMatch box =
        QRegularExpression(QStringLiteral("/MediaBox\\s*\\[\\s*0\\s+0\\s+([0-9.]+)\\s+([0-9.]+)"))
            .match(QString::fromLatin1(pdf));
    ASSERT_TRUE(box.hasMatch());
    EXPECT_NEAR(box.captured(1).toDouble(), 60 / 25.4 * 72, 0.5);
    EXPECT_NEAR(box.captured(2).toDouble(), 40 / 25.4 * 72, 0.5);

    OpenDatabase()->Execute("delete from selecao where produto_key <> 3");
    const Result gaps = Preview({"--label", "gaps", "--selection", "--pdf", Out("g.pdf")});
    EXPECT_EQ(gaps.status, 0) << gaps.err;
    EXPECT_EQ(PageCount(ReadFileBytes(Out("g.pdf"))), 3);
    const std::vector<std::string> lines = Lines(gaps.err);
    ASSERT_EQ(lines.size(), 3u) << gaps.err;
    for (std::size_t i = 0; i < lines.size(); ++i)
        EXPECT_TRUE(lines[i].starts_with("Etiqueta " + std::to_string(i + 1) + ": ^XG"))
            << lines[i];
}

TEST_F(PreviewCommandTest, NoPictureFailsWithItsReasonAndWrongUsageIsTold)
{
    const std::tuple<QStringList, int, const char*> cases[] = {
        {{"--label", "texto", "--key", "1", "--png", Out("t.png")}, 1, "não reconhecida"},
        {{"--label", "texto", "--selection", "--pdf", Out("t.pdf")}, 1, "Etiqueta 1: "},
        {{"--label", "caixa", "--key", "4242", "--png", Out("n.png")}, 1, "Produto não cadastrado"},
        {{"--label", "caixa", "--selection", "--png", Out("s.png")}, 2, "--pdf"},
        {{"--label", "caixa", "--key", "1"}, 2, "--png"},
        {{"--key", "1", "--png", Out("l.png")}, 2, "--label"},
    };
    for (const auto& [arguments, status, reason] : cases) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const Result result = Preview(arguments);
        EXPECT_EQ(result.status, status);
        EXPECT_TRUE(Contains(result.err, reason)) << result.err;
        EXPECT_FALSE(QFile::exists(arguments.last()));
    }
    OpenDatabase()->Execute("delete from selecao");
    const Result empty = Preview({"--label", "caixa", "--selection", "--pdf", Out("e.pdf")});
    EXPECT_EQ(empty.status, 1);
    EXPECT_TRUE(Contains(empty.err, "Não há etiquetas selecionadas")) << empty.err;
}

} // namespace
