#include "labels/LabelRegistry.h"

#include "app/Settings.h"
#include "platform/Profile.h"
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
    const auto registry = BuildLabelRegistry(SettingsPath());
    EXPECT_EQ(Descriptions(*registry),
              (std::vector<std::string>{"Null Label - For Testing", "Preco", "Zebra", "preco",
                                        "\xC1gua"}));
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
    EXPECT_EQ(registry->LabelHash.Item("dup").GetDescription(), "Segunda");
}

TEST_F(LabelRegistryTest, AFileThatCannotBeRegisteredStopsTheBuild)
{
    WriteLabel("semnome.lbl", "", "Sem nome");
    EXPECT_THAT([&] { BuildLabelRegistry(SettingsPath()); },
                ThrowsMessage<EHashInvalidKeyError>(
                    AllOf(StartsWith("Key cannot be an empty string"), HasSubstr("semnome.lbl"))));
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
    };
    for (const auto& [pathModelos, reason] : cases) {
        SCOPED_TRACE(pathModelos);
        SetPathModelos(pathModelos);
        const auto registry = BuildLabelRegistry(SettingsPath());
        EXPECT_THAT([&] { (void)registry->LabelHash.Item("gondola-zpl"); },
                    ThrowsMessage<EHashFindError>(
                        HasSubstr("A etiqueta \"gondola-zpl\" não foi encontrada: " + reason)));
    }
}

} // namespace
