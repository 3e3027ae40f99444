#include "platform/AnsiText.h"
#include "platform/Error.h"
#include "platform/Regional.h"
#include "selection/BarcodeFile.h"
#include "tests/selection/SelectionTestSupport.h"

#include <gmock/gmock.h>

using namespace zev;
using namespace zev::test;

namespace {

constexpr auto Barras = TBarcodeFileFormat::Barras;
constexpr auto Tarvo = TBarcodeFileFormat::Tarvo9000;

TEST(BarcodeFileEntriesTest, OneEntryPerLineWhateverTheLineEnds)
{
    const struct
    {
        std::string bytes;
        TBarcodeFileFormat format;
        std::vector<std::string> entries;
    } cases[] = {
        {"12345\r\n12345\r\n\r\n", Barras, {"12345", "12345", ""}},
        {"a\nb", Barras, {"a", "b"}},
        {"a\rb\r", Barras, {"a", "b"}},
        {"a\r\r\nb\n\n", Barras, {"a", "", "b", ""}},
        {"", Barras, {}},
        {" 12 3 \xC7\r\n", Barras, {" 12 3 \xC7"}},
        {"0001789000000001799\r\n9999789\nABCD\nABC\n", Tarvo, {"7890000000017", "789", "", ""}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BarcodeFileEntries(c.bytes, c.format), c.entries)
            << testing::PrintToString(c.bytes);
}

class BarcodeFileTest : public SelectionTest
{
protected:
    BarcodeFileTest()
    {
        Sql("insert into produto (produto_key, descricao, pai, caixa) values "
            "(1, 'UNIDADE', null, 0), (2, 'CAIXA DA UNIDADE', 1, 1), (3, 'OUTRO', null, 0), "
            "(4, 'ZEROS', null, 0);"
            // An empty barcode, as an older import kept "0000": no line finds it.
            "insert into item values ('12345', 1), ('7890000000017', 2), ('555', 3), ('', 4);"
            "insert into selecao values (3)");
        SetSetting(settings::SelecaoData.key, "01/01/2020");
    }
    void Select(const std::string& bytes, TBarcodeFileFormat format)
    {
        WriteFileBytes(home.File("PLU.TXT"), bytes);
        op.QueueFile(home.File("PLU.TXT"));
        SelectFromBarcodeFile(op, format);
    }
};

TEST_F(BarcodeFileTest, SelectsTheOwnersOfTheFilesBarcodesAndWithAtacadoTheirBoxes)
{
    const struct
    {
        std::string bytes;
        TBarcodeFileFormat format;
        const char* atacado;
        std::vector<int> selected;
    } cases[] = {
        {"12345\r\n12345\r\n\r\n", Barras, "0", {1}},
        {"12345\r\n12345\r\n\r\n", Barras, "1", {1, 2}},
        // The box is in the file and is a child of the unit in it too.
        {"12345\r\n7890000000017\r\n", Barras, "1", {1, 2, 2}},
        {"12345\r\n7890000000017\r\n", Barras, "0", {1, 2}},
        // Exactly as written: no zeros stripped, no blanks trimmed.
        {"012345\n12345 \n", Barras, "0", {}},
        {"\n\r\nABC\n", Tarvo, "0", {}},
        {"XXXX7890000000017\nYYYY555", Tarvo, "0", {2, 3}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.bytes) + " Atacado=" + c.atacado);
        op.ClearMessages();
        SetSetting(settings::Atacado.key, c.atacado);
        Select(c.bytes, c.format);
        EXPECT_EQ(Selected(), c.selected);
        EXPECT_EQ(Texts(), Count(c.selected.size()));
        EXPECT_EQ(Setting(settings::SelecaoData.key), DateToStr(Today()));
    }
    EXPECT_EQ(op.FileRequests().front().fileName, "PLU.TXT");
    EXPECT_EQ(op.FileRequests().front().filter, "Arquivos de seleção (*.TXT)|*.TXT");
    Sql("insert into selecao select rowid from selecao_barra"); // the scratch list is empty
    EXPECT_EQ(Selected(), (std::vector<int>{2, 3}));
}

TEST_F(BarcodeFileTest, AFileThatCannotBeUsedChangesNothing)
{
    op.QueueFile(home.File("MISSING.TXT"));
    EXPECT_THROW(SelectFromBarcodeFile(op, Barras), EInOutError);
    EXPECT_THAT([&] { Select("12345\r\n123456789012345\r\n", Barras); },
                testing::ThrowsMessage<EZevError>(
                    testing::StrEq("Linha 2 do arquivo: o código \"123456789012345\" tem mais de "
                                   "14 caracteres. Nada foi selecionado.")));
    // A line of garbage is quoted by its start only.
    const std::string garbage = "7890" + std::string(20 * 1024 * 1024, '\xC7');
    EXPECT_THAT([&] { Select("12345\n" + garbage + "\n", Barras); },
                testing::ThrowsMessage<EZevError>(testing::StrEq(
                    "Linha 2 do arquivo: o código \"" + AnsiToUtf8(garbage.substr(0, 60)) +
                    "...\" tem mais de 14 caracteres. Nada foi selecionado.")));
    EXPECT_EQ(Selected(), std::vector<int>{3});
    EXPECT_EQ(Setting(settings::SelecaoData.key), "01/01/2020");
    EXPECT_TRUE(op.Messages().empty());
}

} // namespace
