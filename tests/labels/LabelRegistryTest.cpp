#include "labels/LabelRegistry.h"

#include "app/Settings.h"
#include "labels/FileLabel.h"
#include "labels/Nulll.h"
#include "platform/Profile.h"
#include "tests/labels/LabelTestSupport.h"
#include "tests/support/TestSupport.h"

#include <QDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace zev;
using namespace zev::test;
using testing::AllOf;
using testing::HasSubstr;
using testing::StartsWith;
using testing::ThrowsMessage;

namespace {

class LabelRegistryTest : public testing::Test
{
protected:
    void SetUp() override
    {
        modelos = home.File("modelos");
        QDir().mkpath(modelos);
        SetPathModelos(modelos.toStdString());
    }

    static void SetPathModelos(const std::string& path)
    {
        TIniFile(SettingsPath()).WriteString(settings::Geral, settings::PathModelos.key, path);
    }

    void WriteLabel(const QString& file, const std::string& name, const std::string& description)
    {
        WriteFileBytes(modelos + "/" + file,
                       "[geral]\r\nname=" + name + "\r\ndescription=" + description + "\r\n");
    }

    static std::vector<std::string> Descriptions(const TLabelRegistry& registry)
    {
        std::vector<std::string> descriptions;
        for (const TPrinterLabel* label : registry.LabelList)
            descriptions.push_back(label->GetDescription());
        return descriptions;
    }

    TProgramDirFixture home;
    QString modelos;
};

TEST_F(LabelRegistryTest, WithoutTemplatesOnlyTheTestLabelIsThere)
{
    for (const bool directoryExists : {true, false}) {
        if (!directoryExists)
            QDir(modelos).removeRecursively();
        const auto registry = BuildLabelRegistry(SettingsPath());
        ASSERT_EQ(registry->LabelList.size(), 1u);
        EXPECT_EQ(registry->LabelList[0]->GetDescription(), "Null Label - For Testing");
        EXPECT_EQ(&registry->LabelHash.Item("null"), registry->LabelList[0]);
    }
}

// Only visible regular files ending in ".lbl", whatever its case, count.
TEST_F(LabelRegistryTest, ListIsSortedByDescriptionByteForByte)
{
    WriteLabel("a.lbl", "a", "preco");
    WriteLabel("b.lbl", "b", "Preco");
    WriteLabel("c.LBL", "c", "\xC1gua");
    WriteLabel("d.lbl", "d", "Zebra");
    WriteLabel(".oculta.lbl", "oculta", "O");
    WriteLabel("notas.txt", "notas", "N");
    WriteLabel("semextensao", "sem", "S");
    QDir(modelos).mkdir("pasta.lbl");
    EXPECT_EQ(LabelFiles(modelos), (std::vector<QString>{modelos + "/a.lbl", modelos + "/b.lbl",
                                                         modelos + "/c.LBL", modelos + "/d.lbl"}));
    const auto registry = BuildLabelRegistry(SettingsPath());
    EXPECT_EQ(Descriptions(*registry),
              (std::vector<std::string>{"Null Label - For Testing", "Preco", "Zebra", "preco",
                                        "\xC1gua"}));
    // The key is the name, whatever the description.
    EXPECT_EQ(registry->LabelHash.Item("c").GetDescription(), "\xC1gua");
}

TEST_F(LabelRegistryTest, TheLaterOfTwoLabelsWithOneNameKeepsIt)
{
    // Files are read in name order: "null.lbl" comes after the test label,
    // "x2.lbl" after "x1.lbl".
    WriteLabel("null.lbl", "null", "Substituta");
    WriteLabel("x1.lbl", "dup", "Primeira");
    WriteLabel("x2.lbl", "dup", "Segunda");
    const auto registry = BuildLabelRegistry(SettingsPath());
    EXPECT_EQ(Descriptions(*registry), (std::vector<std::string>{"Segunda", "Substituta"}));
    EXPECT_EQ(registry->LabelHash.Item("null").GetDescription(), "Substituta");
    EXPECT_EQ(registry->LabelHash.Item("dup").GetDescription(), "Segunda");
    EXPECT_THROW(registry->LabelHash.Item("Null"), EHashFindError);
}

TEST_F(LabelRegistryTest, AFileThatCannotBeRegisteredStopsTheBuild)
{
    // The table's own text, and the file that has no name.
    WriteLabel("semnome.lbl", "", "Sem nome");
    EXPECT_THAT([&] { BuildLabelRegistry(SettingsPath()); },
                ThrowsMessage<EHashInvalidKeyError>(
                    AllOf(StartsWith("Key cannot be an empty string"), HasSubstr("semnome.lbl"))));
    WriteFileBytes(modelos + "/semnome.lbl",
                   "[geral]\nname=x\n[image]\n1=" + std::string(40, 'A') + "\n");
    EXPECT_THROW(BuildLabelRegistry(SettingsPath()), ELabelError);
}

TEST_F(LabelRegistryTest, DefaultTemplatesDirectoryIsUnderTheCurrentDirectory)
{
    SetPathModelos("");
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(home.Path()));
    WriteLabel("atual.lbl", "atual", "Atual");
    const QString directory = TemplatesDirectory(SettingsPath());
    const auto registry = BuildLabelRegistry(SettingsPath());
    QDir::setCurrent(previous);
    EXPECT_EQ(directory, QDir::current().absoluteFilePath(home.Path() + "/modelos"));
    EXPECT_TRUE(registry->LabelHash.Exists("atual"));
}

TEST_F(LabelRegistryTest, AMissingLabelIsToldWithTheFolderItWasLookedForIn)
{
    WriteLabel("preco.lbl", "preco", "Pre\xE7o");
    const std::string folder = "\"" + modelos.toStdString() + "\"";
    const std::string missing = home.File("sumiu").toStdString();
    // "Path Modelos", and what the message says of it.
    const std::pair<std::string, std::string> cases[] = {
        {modelos.toStdString(), "nenhum modelo (arquivo .lbl) da pasta " + folder +
                                    " tem esse nome. Verifique se o arquivo do modelo está "
                                    "nessa pasta e se \"Path Modelos\""},
        {missing, "a pasta de modelos \"" + missing +
                      "\" não existe. Verifique \"Path Modelos\" na seção [Geral] do zev.ini."},
        {modelos.toStdString() + "/preco.lbl",
         "a pasta de modelos \"" + modelos.toStdString() + "/preco.lbl\" não existe."},
    };
    for (const auto& [pathModelos, reason] : cases) {
        SCOPED_TRACE(pathModelos);
        SetPathModelos(pathModelos);
        const auto registry = BuildLabelRegistry(SettingsPath());
        EXPECT_THAT([&] { (void)registry->LabelHash.Item("gondola-zpl"); },
                    ThrowsMessage<EHashFindError>(HasSubstr(
                        "A etiqueta \"gondola-zpl\" não foi encontrada: " + reason)));
    }
    // Without its templates, as tests build one, the table's own words.
    EXPECT_THAT([] { (void)TLabelRegistry().LabelHash.Item("x"); },
                ThrowsMessage<EHashFindError>(testing::StrEq("Key \"x\" not found")));
}

TEST(NullLabelTest, IsAnEmptyLabelWithItsOwnPicture)
{
    // Name, description, version and printer: CliLabelTest.ListsTheLabelsInTheirOrder.
    const TNullLabel label;
    EXPECT_EQ(label.GetHeader(), "");
    EXPECT_EQ(label.GetImage().size(), QSize(110, 30));
    EXPECT_EQ(label.GetImage().colorCount(), 16);

    // Any product will do, even one that has no barcode.
    const TProduto semCodigo;
    for (const auto render : {&TNullLabel::RenderFirst, &TNullLabel::RenderNext,
                              &TNullLabel::RenderSingle, &TNullLabel::RenderLast}) {
        std::string text = "old";
        (label.*render)(semCodigo, text, 0);
        EXPECT_EQ(text, "");
    }
}

// The Procon template prints what the clerk typed at Procom (the supplier with
// its CNPJ and the manufacture date; the validity comes from the catalogue) in
// each of its bodies: unit and box, on offer and not.
TEST(ExampleTemplatesTest, TheProconTemplatePrintsTheSupplierAndItsDates)
{
    const TFileLabel label(QStringLiteral(ZEV_EXAMPLES "/modelos/gondola-procon-zpl.lbl"));
    EXPECT_EQ(label.GetName(), "gondola-procon-zpl");
    const auto unit = Arroz();
    const auto caixa = CaixaDeLeite(*unit);
    for (TProduto* produto : {unit.get(), caixa.get()}) {
        produto->fornecedorDescricao = "DISTRIBUIDORA ANA (12.345.678/0001-95)";
        produto->fabricacao = EncodeDate(2026, 11, 30);
        produto->diasValidade = 180;
    }
    const std::tuple<const char*, const TProduto&, double, const char*> cases[] = {
        {"normal", *unit, EncodeDate(2026, 12, 20), "21,90"},
        {"oferta", *unit, EncodeDate(2026, 12, 3), "19,50"},
        {"multiplo", *caixa, EncodeDate(2026, 12, 20), "59,90"},
        {"oferta_multiplo", *caixa, EncodeDate(2026, 12, 3), "54,00"},
    };
    for (const auto& [body, produto, date, price] : cases) {
        SCOPED_TRACE(body);
        std::string text;
        label.RenderSingle(produto, text, date);
        for (const char* field : {"^FDForn.: DISTRIBUIDORA ANA (12.345.678/0001-95)^FS",
                                  "^FDFab.: 30/11/2026^FS", "^FDVal.: 29/05/2027^FS", price})
            EXPECT_TRUE(Contains(text, field)) << field << "\n" << text;
    }
}

} // namespace
