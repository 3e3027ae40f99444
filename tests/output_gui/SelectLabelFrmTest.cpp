#include "output/SelectLabelFrm.h"

#include "app/Hashes.h"
#include "tests/support/DialogAnswers.h"
#include "tests/support/ProgramFixture.h"

#include <QListWidget>
#include <QMessageBox>
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
        // With nothing chosen OK would only ask for a label.
        const std::optional<std::string> expected =
            *chosen ? std::optional<std::string>(chosen) : std::nullopt;
        EXPECT_EQ(Choose(shown, *chosen ? "BitBtn1" : "BitBtn2"), expected) << defaultLabel;
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

TEST_F(SelectLabelFrmTest, OkWithoutALabelSaysWhatToDo)
{
    // With labels to choose from the chooser stays until one is chosen;
    // with none it says where to configure one and chooses nothing.
    const struct
    {
        const char* labels;
        const char* told;
        std::optional<std::string> chosen;
    } cases[] = {
        {"null=NULL:\r\n", "Escolha uma etiqueta.", "null"},
        {"", "Nenhuma etiqueta está configurada: associe uma etiqueta a uma porta em "
             "Ferramentas › Configuração.",
         std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.labels);
        program.WriteSettings(std::string("[Labels]\r\n") + c.labels);
        QString told;
        AnswerModal<QMessageBox>([&](QMessageBox& box) {
            told = box.text();
            EXPECT_EQ(box.icon(), QMessageBox::Warning);
            box.button(QMessageBox::Ok)->click();
            // Still open when there is a label: now one is chosen.
            if (c.chosen)
                QTimer::singleShot(0, &form, [&] {
                    SelectLst()->setCurrentRow(0);
                    form.findChild<QPushButton*>("BitBtn1")->click();
                });
        });
        EXPECT_EQ(Choose([] {}, "BitBtn1"), c.chosen);
        EXPECT_EQ(told, QString::fromUtf8(c.told));
    }
}

TEST_F(SelectLabelFrmTest, AReprintProposesItsJobsLabelWhileItIsConfigured)
{
    program.WriteSettings("[Geral]\r\nLabel Default=null\r\n[Labels]\r\nnull=NULL:\r\n"
                          "gondola-zpl=FILE:\r\n");
    const std::pair<const char*, const char*> cases[] = {
        {"gondola-zpl", "gondola-zpl"}, {"sumiu", "null"}, {"", "null"}};
    for (const auto& [proposed, chosen] : cases) {
        SCOPED_TRACE(proposed);
        form.FillLabels(proposed);
        QTimer::singleShot(0, &form, [&] { form.findChild<QPushButton*>("BitBtn1")->click(); });
        ASSERT_EQ(form.exec(), QDialog::Accepted);
        EXPECT_EQ(form.SelectedLabel(), chosen);
    }
}

TEST_F(SelectLabelFrmTest, AConfiguredLabelWhoseFileIsGoneIsReported)
{
    program.WriteSettings("[Labels]\r\nnull=NULL:\r\nsumiu=FILE:\r\n");
    EXPECT_THAT([&] { form.FillLabels(); },
                testing::ThrowsMessage<EHashFindError>(
                    testing::HasSubstr("A etiqueta \"sumiu\" não foi encontrada")));
}

} // namespace
