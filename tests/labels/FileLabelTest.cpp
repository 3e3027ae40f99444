#include "labels/FileLabel.h"

#include "platform/Regional.h"
#include "tests/labels/LabelTestSupport.h"
#include "tests/support/TestSupport.h"

#include <QBuffer>
#include <QTemporaryDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <tuple>

using namespace zev;
using namespace zev::test;

namespace {

const QString Data = QStringLiteral(ZEV_TEST_DATA "/");

const double Dec5 = EncodeDate(2026, 12, 5);
const double Dec6 = EncodeDate(2026, 12, 6);

class FileLabelTest : public testing::Test
{
protected:
    // A label file holding `text` (lines separated by CR LF or LF).
    TFileLabel Label(const std::string& text)
    {
        const QString path = dir.filePath(QString("l%1.lbl").arg(++files));
        WriteFileBytes(path, text);
        return TFileLabel(path);
    }

    // Renders `body` (the lines of section "normal") for the product.
    std::string RenderNormal(const std::string& body, const TProduto& produto, int lineLength = 40)
    {
        const TFileLabel label =
            Label("[geral]\nline length=" + std::to_string(lineLength) + "\n[normal]\n01=" + body);
        std::string text;
        label.RenderSingle(produto, text, Dec6);
        return text;
    }

    QTemporaryDir dir;
    int files = 0;
};

TEST_F(FileLabelTest, RendersEachKindOfBodyExactly)
{
    const TFileLabel label(Data + "teste.lbl");
    const auto arroz = Arroz();
    const auto caixa = CaixaDeLeite(*arroz);
    using Render = void (TFileLabel::*)(const TProduto&, std::string&, double) const;
    const std::tuple<const char*, const TProduto&, double, Render> cases[] = {
        {"normal.out", *arroz, Dec6, &TFileLabel::RenderFirst},
        {"oferta.out", *arroz, Dec5, &TFileLabel::RenderSingle},
        {"multiplo.out", *caixa, Dec6, &TFileLabel::RenderNext},
        {"oferta_multiplo.out", *caixa, Dec5, &TFileLabel::RenderLast},
    };
    for (const auto& [expected, produto, date, render] : cases) {
        std::string text = "left over from the last label";
        (label.*render)(produto, text, date);
        EXPECT_EQ(text, ReadFileBytes(Data + expected)) << expected;
    }
}

TEST_F(FileLabelTest, TheHeaderComesFromTheFile)
{
    const TFileLabel label(Data + "teste.lbl");
    // Escapes are upper case only.
    EXPECT_EQ(label.GetHeader(), "\x01INICIO {soh}\r\n");

    // Section lines follow their keys as text.
    EXPECT_EQ(Label("[pre_label]\n2=dois\n10=dez\n1=um\n[normal]\n").GetHeader(),
              "um\r\ndez\r\ndois\r\n");
    // Values lose surrounding blanks and one pair of quotes; a key written
    // twice repeats its first value.
    EXPECT_EQ(Label("[PRE_LABEL]\n1=  a b  \n2=\"  c  \"\n1=d\n").GetHeader(),
              "a b\r\na b\r\n  c  \r\n");
}

TEST_F(FileLabelTest, BodyFollowsOfferAndBoxAndFallsBackToNormal)
{
    const auto unit = Arroz();
    const auto caixa = CaixaDeLeite(*unit);
    const std::string all =
        "[normal]\n1=N\n[oferta]\n1=O\n[multiplo]\n1=M\n[oferta_multiplo]\n1=OM\n";
    const std::tuple<std::string, const TProduto&, double, std::string> cases[] = {
        // The four bodies on the offer's last day and after it: RendersEachKindOfBodyExactly.
        {all, *unit, EncodeDate(2026, 11, 30), "N\r\n"},
        // A box on offer without its own section gets "normal", never "oferta".
        {"[normal]\n1=N\n[oferta]\n1=O\n[multiplo]\n1=M\n", *caixa, Dec5, "N\r\n"},
        // Blanks and control characters count as nothing.
        {"[normal]\n1=N\n[oferta]\n1=\" \t\"\n", *unit, Dec5, "N\r\n"},
        // A blank "normal" renders nothing, closing text included.
        {"[normal]\n1=\"  \"\n[bottom_last]\n1=FIM\n", *unit, Dec6, ""},
    };
    for (const auto& [sections, produto, date, expected] : cases) {
        std::string text = "old";
        Label(sections + "[bottom_last]\n").RenderSingle(produto, text, date);
        EXPECT_EQ(text, expected) << sections;
    }
}

TEST_F(FileLabelTest, DescriptionLinesFollowTheWrapRules)
{
    const std::string body = "{Produto.descricao[0]}|{Produto.descricao[1]}|{Produto.descricao[2]}|"
                             "{Produto.descricao[3]}|{Produto.descricao[4]}|{Produto.descricao[9]}";
    // How lines break: AnsiTextWrap.
    const std::tuple<std::string, int, std::string> cases[] = {
        // The hyphen a line was broken at goes with the break.
        {"BISCOITO CREAM-CRACKER", 10, "BISCOITO|CREAM|CRACKER| | | "},
        // Line 0 of an empty description has no value: its placeholder stays.
        {"", 20, "{Produto.descricao[0]}| | | | | "},
        // Only ten lines are used: the eleventh word is lost.
        {"AA BB CC DD EE FF GG HH II JJ KK", 0, "AA|BB|CC|DD|EE|JJ"},
    };
    auto produto = Arroz();
    for (const auto& [descricao, lineLength, expected] : cases) {
        produto->descricao = descricao;
        EXPECT_EQ(RenderNormal(body, *produto, lineLength), expected + "\r\n") << descricao;
    }
}

TEST_F(FileLabelTest, PlaceholdersAreFilledInTheirFormats)
{
    const std::string bytes = "\xE9\x80\x7F\x1B";
    using P = TProduto&;
    // Prices, keys, the date, a whole factor: RendersEachKindOfBodyExactly.
    const std::tuple<std::string, std::function<void(P)>, std::string> cases[] = {
        {"{Caixa.fator}", [](P p) { p.fatorPreco = 2.5; }, "2,50"},
        {"{Produto.embalagemPadrao} {Produto.embalagemPadraoPreco} {Produto.preco}",
         [](P p) { p.embalagemPadrao.clear(); }, "Un 59,90 59,90"},
        {"{Produto.embalagemPadrao} {Produto.embalagemPadraoPreco}",
         [](P p) { p.embalagemPadrao = "L", p.embalagemPadraoFator = 0.5; }, "L 119,80"},
        {"{Produto.fornecedorDescricao} {Produto.fabricacao} {Produto.validade}",
         [](P p) {
             p.fornecedorDescricao = "GRANJA SOL", p.fabricacao = EncodeDate(2026, 12, 20),
             p.diasValidade = 15;
         },
         "GRANJA SOL 20/12/2026 04/01/2027"},
        // Without a supplier these stay as written.
        {"{Produto.fabricacao} {Produto.validade}", [](P) {},
         "{Produto.fabricacao} {Produto.validade}"},
        // Product texts and template bytes pass unchanged.
        {bytes + "{Produto.descricao[0]}", [](P p) { p.descricao = "A\307\332CAR \340 GRANEL"; },
         bytes + "A\307\332CAR \340 GRANEL"},
    };
    const auto unit = Arroz();
    for (const auto& [body, change, expected] : cases) {
        auto caixa = CaixaDeLeite(*unit);
        change(*caixa);
        EXPECT_EQ(RenderNormal(body, *caixa), expected + "\r\n") << body;
    }
}

TEST_F(FileLabelTest, DatesUseTheRegionalSeparator)
{
    SetFormatSettings({'.', '.', "dd/mm/yyyy"});
    const std::string text = RenderNormal("{Produto.data} {Produto.preco}", *Arroz());
    SetFormatSettings(BrazilianFormatSettings());
    EXPECT_EQ(text, "06.12.2026 21.90\r\n");
}

TEST_F(FileLabelTest, BarcodeValueIsPaddedToAnEvenLengthOfAtLeastEight)
{
    const std::tuple<std::string, std::vector<std::string>, std::string> cases[] = {
        {"1234567", {}, "01234567"},
        {"789123456789", {}, "789123456789"},
        {"   ", {"12345", "999"}, "00012345"},
        // Blanks count for the length, then go.
        {" 12345", {}, "00012345"},
        {std::string(120, '9'), {}, std::string(99, '9')},
        {std::string(101, '9'), {}, "0" + std::string(98, '9')},
    };
    auto produto = Arroz();
    for (const auto& [barra, barras, expected] : cases) {
        produto->barra = barra;
        produto->barras = barras;
        EXPECT_EQ(BarcodeValue(*produto), expected) << barra;
    }
}

TEST_F(FileLabelTest, ProductsThatCannotBeRenderedRaiseAClearError)
{
    const auto unit = Arroz();
    const std::pair<std::function<void(TProduto&)>, std::string> cases[] = {
        {[](TProduto& p) { p.barra = " ", p.barras.clear(); }, "ele não tem código de barras."},
        {[](TProduto& p) { p.fatorPreco = 0; }, "o fator de preço da caixa é zero."},
        {[](TProduto& p) { p.fornecedorDescricao = "GRANJA", p.diasValidade = 99999999; },
         "Data inválida: 99999999"},
        {[](TProduto& p) { p.embalagemPadrao = "KG", p.embalagemPadraoFator = 0; },
         "o fator da embalagem padrão é zero."},
    };
    for (const auto& [change, reason] : cases) {
        auto caixa = CaixaDeLeite(*unit);
        change(*caixa);
        std::string text = "previous";
        EXPECT_THAT([&] { Label("[normal]\n1=x\n").RenderFirst(*caixa, text, Dec6); },
                    testing::ThrowsMessage<ELabelError>(testing::StrEq(
                        "Não é possível imprimir a etiqueta do produto 1234567: " + reason)));
        EXPECT_EQ(text, "previous") << reason;
    }
}

// Each description line holds four placeholders of the next: the sequential
// substitution would make 4^9 copies of the last line.
TEST_F(FileLabelTest, ALabelThatWouldGrowBeyondAMegabyteIsRefusedNamingTheProduct)
{
    auto produto = Arroz();
    produto->descricao.clear();
    for (int line = 1; line <= 9; ++line) {
        for (int copy = 0; copy < 4; ++copy)
            produto->descricao += "{Produto.descricao[" + std::to_string(line) + "]}";
        produto->descricao += " ";
    }
    produto->descricao += "FIM1234567";
    std::string text = "previous";
    const TFileLabel label = Label("[normal]\n1={Produto.descricao[0]}\n");
    EXPECT_THAT([&] { label.RenderSingle(*produto, text, Dec6); },
                testing::ThrowsMessage<ELabelError>(testing::HasSubstr("produto 7")));
    EXPECT_TRUE(text == "previous") << text.size() << " bytes";
}

QByteArray BitmapBytes(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    image.save(&buffer, "BMP");
    return bytes;
}

// The "image" section holding `base64` over lines of 76 characters.
std::string ImageSection(const std::string& base64)
{
    std::string section = "[image]\n";
    for (std::size_t at = 0, line = 1; at < base64.size(); at += 76, ++line)
        section += std::to_string(1000 + line) + "=" + base64.substr(at, 76) + "\r\n";
    return section;
}

// Sizes whose files end in each Base64 padding: none, "=" and "==". A text
// that is no bitmap is an error naming the file.
TEST_F(FileLabelTest, PreviewPictureIsABase64Bitmap)
{
    for (const int width : {1, 2, 3}) {
        const QByteArray bmp = BitmapBytes(width, 2);
        const TFileLabel label = Label(ImageSection(bmp.toBase64().toStdString()));
        EXPECT_EQ(label.GetImage().size(), QSize(width, 2)) << "BMP of " << bmp.size() << " bytes";
        EXPECT_EQ(label.GetImage().pixelColor(width - 1, 1), QColor(Qt::red));
    }
    const QString path = dir.filePath("quebrada.lbl");
    WriteFileBytes(path, ImageSection(QByteArray(64, 'x').toBase64().toStdString()));
    EXPECT_THAT([&] { TFileLabel{path}; },
                testing::ThrowsMessage<ELabelError>(testing::HasSubstr("quebrada.lbl")));
}

} // namespace
