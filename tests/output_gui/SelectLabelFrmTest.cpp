#include "output/SelectLabelFrm.h"

#include "app/Hashes.h"
#include "tests/support/DialogAnswers.h"
#include "tests/support/ProgramFixture.h"

#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace zev;
using namespace zev::test;

namespace {

class SelectLabelFrmTest : public testing::Test
{
protected:
    QListWidget* SelectLst() const { return form.findChild<QListWidget*>("SelectLst"); }

    // The chooser as a print command shows it; `pick` runs inside it, then
    // `button` closes it. The chosen name when it returned OK.
    std::optional<std::string> Choose(const std::function<void()>& pick, const char* button)
    {
        form.FillLabels();
        QTimer::singleShot(0, &form, [&] {
            pick();
            form.findChild<QPushButton*>(QString::fromLatin1(button))->click();
        });
        if (form.exec() != QDialog::Accepted)
            return std::nullopt;
        return form.SelectedLabel();
    }

    TProgramFixture program;
    TSelectLabelForm form{program.Registries()};
};

TEST_F(SelectLabelFrmTest, OffersTheConfiguredLabelsWithTheDefaultSelected)
{
    // Names compare exactly; a label without a port cannot be chosen.
    const std::pair<const char*, const char*> cases[] = {{"gondola-zpl", "gondola-zpl"},
                                                         {"null", "null"},
                                                         {"Gondola-ZPL", ""},
                                                         {"teste", ""},
                                                         {"", ""}};
    for (const auto& [defaultLabel, chosen] : cases) {
        program.WriteSettings(std::string("[Geral]\r\nLabel Default=") + defaultLabel +
                              "\r\n[Labels]\r\nnull=NULL:\r\ngondola-zpl=FILE:\r\n");
        const auto shown = [&] {
            EXPECT_EQ(form.windowTitle(), "Seleção");
            EXPECT_EQ(ItemTexts(SelectLst()),
                      QStringList({"Null Label - For Testing",
                                   QString::fromUtf8("Gôndola 60x40 - Zebra ZPL II")}));
            EXPECT_EQ(SelectLst()->selectedItems().size(), *chosen ? 1 : 0);
        };
        EXPECT_EQ(Choose(shown, "BitBtn1"), chosen) << defaultLabel;
    }
}

TEST_F(SelectLabelFrmTest, TheOperatorsPickOrCancela)
{
    program.WriteSettings("[Labels]\r\nnull=NULL:\r\ngondola-zpl=FILE:\r\n");
    EXPECT_EQ(Choose([&] { SelectLst()->setCurrentRow(1); }, "BitBtn1"), "gondola-zpl");
    EXPECT_EQ(Choose([&] { SelectLst()->setCurrentRow(0); }, "BitBtn2"), std::nullopt);
    // A double click chooses at once.
    form.FillLabels();
    QTimer::singleShot(0, &form, [&] {
        SelectLst()->setCurrentRow(0);
        emit SelectLst()->itemDoubleClicked(SelectLst()->item(0));
    });
    EXPECT_EQ(form.exec(), QDialog::Accepted);
    EXPECT_EQ(form.SelectedLabel(), "null");
}

TEST_F(SelectLabelFrmTest, NoConfiguredLabelsGiveAnEmptyChoice)
{
    EXPECT_EQ(Choose([&] { EXPECT_EQ(SelectLst()->count(), 0); }, "BitBtn1"), "");
}

TEST_F(SelectLabelFrmTest, AConfiguredLabelWhoseFileIsGoneIsReported)
{
    program.WriteSettings("[Labels]\r\nnull=NULL:\r\nsumiu=FILE:\r\n");
    EXPECT_THAT([&] { form.FillLabels(); },
                testing::ThrowsMessage<EHashFindError>(
                    testing::HasSubstr("A etiqueta \"sumiu\" não foi encontrada")));
}

} // namespace
