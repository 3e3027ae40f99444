#include "platform/Error.h"
#include "platform/Regional.h"
#include "selection/Selecao.h"
#include "tests/selection/SelectionTestSupport.h"

using namespace zev;
using namespace zev::test;

namespace {

using Entries = std::vector<std::string>;

TEST(BarcodeFileEntriesTest, OneEntryPerLineWhateverTheLineEnds)
{
    const auto barras = TBarcodeFileFormat::Barras;
    const auto tarvo = TBarcodeFileFormat::Tarvo9000;
    const struct
    {
        std::string bytes;
        TBarcodeFileFormat format;
        Entries entries;
    } cases[] = {
        {"12345\r\n12345\r\n\r\n", barras, {"12345", "12345", ""}},
        {"a\nb", barras, {"a", "b"}},
        {"a\rb\r", barras, {"a", "b"}},
        {"a\r\r\nb\n\n", barras, {"a", "", "b", ""}},
        {"", barras, {}},
        {"\r\n", barras, {""}},
        {" 12 3 \xC7\r\n", barras, {" 12 3 \xC7"}},
        {"0001789000000001799\r\n9999789\nABCD\nABC\n", tarvo, {"7890000000017", "789", "", ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.bytes));
        EXPECT_EQ(BarcodeFileEntries(c.bytes, c.format), c.entries);
    }
}

class SelectFromBarcodeFileTest : public SelectionTest
{
protected:
    SelectFromBarcodeFileTest()
    {
        Sql("insert into produto (produto_key, descricao, pai, caixa) values "
            "(1, 'UNIDADE', null, 0), (2, 'CAIXA DA UNIDADE', 1, 1), (3, 'OUTRO', null, 0);"
            "insert into item values ('12345', 1), ('7890000000017', 2), ('555', 3)");
    }

    void Select(const std::string& bytes, TBarcodeFileFormat format)
    {
        WriteFileBytes(home.File("PLU.TXT"), bytes);
        op.QueueFile(home.File("PLU.TXT"));
        SelectFromBarcodeFile(op, format);
    }
};

TEST_F(SelectFromBarcodeFileTest, SelectsTheOwnersOfTheFilesBarcodesAndWithAtacadoTheirBoxes)
{
    const struct
    {
        std::string bytes;
        TBarcodeFileFormat format;
        const char* atacado;
        std::vector<int> selected;
    } cases[] = {
        {"12345\r\n12345\r\n\r\n", TBarcodeFileFormat::Barras, "0", {1}},
        {"12345\r\n12345\r\n\r\n", TBarcodeFileFormat::Barras, "1", {1, 2}},
        // The box is named by the file and is a child of the unit named too.
        {"12345\r\n7890000000017\r\n", TBarcodeFileFormat::Barras, "1", {1, 2, 2}},
        {"12345\r\n7890000000017\r\n", TBarcodeFileFormat::Barras, "0", {1, 2}},
        // Exactly as written: no zeros stripped, no blanks trimmed.
        {"012345\n12345 \n", TBarcodeFileFormat::Barras, "0", {}},
        {"XXXX7890000000017\nYYYY555", TBarcodeFileFormat::Tarvo9000, "0", {2, 3}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.bytes) + " Atacado=" + c.atacado);
        op.ClearMessages();
        SetSetting(settings::Atacado, c.atacado);
        SetSetting(settings::SelecaoData, "01/01/2020");
        Select(c.bytes, c.format);
        EXPECT_EQ(Selected(), c.selected);
        EXPECT_EQ(Texts(), std::vector<QString>{
                               QStringLiteral("Selecionado %1 item(s)").arg(c.selected.size())});
        EXPECT_EQ(Setting(settings::SelecaoData), DateToStr(Today()));
    }
    const TFileRequest& request = op.FileRequests().front();
    EXPECT_EQ(request.fileName, "PLU.TXT");
    EXPECT_EQ(request.filter, "Arquivos de seleção (*.TXT)|*.TXT");
    // The scratch table is empty again.
    const auto connection = OpenDatabase();
    TQuery& scratch = connection->Query("select count(*) from selecao_barra");
    scratch.Exec();
    scratch.Next();
    EXPECT_EQ(scratch.Int(0), 0);
}

TEST_F(SelectFromBarcodeFileTest, AFileThatCannotBeUsedChangesNothing)
{
    Sql("insert into selecao values (3)");
    SetSetting(settings::SelecaoData, "01/01/2020");

    op.QueueFile(home.File("MISSING.TXT"));
    EXPECT_THROW(SelectFromBarcodeFile(op, TBarcodeFileFormat::Barras), EInOutError);

    try {
        Select("12345\r\n123456789012345\r\n", TBarcodeFileFormat::Barras);
        ADD_FAILURE() << "an entry longer than a barcode was taken";
    } catch (const EZevError& error) {
        EXPECT_STREQ(error.what(), "Linha 2 do arquivo: o código \"123456789012345\" tem mais de "
                                   "14 caracteres. Nada foi selecionado.");
    }

    EXPECT_EQ(Selected(), std::vector<int>{3});
    EXPECT_EQ(Setting(settings::SelecaoData), "01/01/2020");
    EXPECT_TRUE(op.Messages().empty());
}

} // namespace
