#include "output/SelectLabelFrm.h"

#include "tests/support/DialogAnswers.h"
#include "tests/support/ProgramFixture.h"

#include <QMessageBox>

using namespace zev;
using namespace zev::test;

namespace {

class SelectLabelFrmTest : public testing::Test
{
protected:
    QListWidget* SelectLst() const { return Child<QListWidget>(form, "SelectLst"); }

    // The chooser as a print command shows it, offering `proposed` first;
    // `pick` runs inside it, then `answer` closes it. The chosen name on OK.
    std::optional<std::string> Choose(const std::function<void()>& pick, TAnswer answer,
                                      const std::string& proposed = {})
    {
        form.FillLabels(proposed);
        WhenShown(form, pick, answer);
        if (form.exec() != QDialog::Accepted)
            return std::nullopt;
        return form.SelectedLabel();
    }

    TProgramFixture program;
    TSelectLabelForm form{program.Registries()};
};

TEST_F(SelectLabelFrmTest, OffersTheConfiguredLabelsWithTheDefaultOrTheReprintsLabelSelected)
{
    // Names compare exactly, so a default in other letters is none; a
    // reprint proposes its job's label while it is configured.
    const std::tuple<const char*, const char*, std::string> cases[] = {
        {"null", "", "null"},
        {"Gondola-ZPL", "", ""},
        {"null", "gondola-zpl", "gondola-zpl"},
        {"null", "sumiu", "null"},
    };
    for (const auto& [defaultLabel, proposed, chosen] : cases) {
        SCOPED_TRACE(std::string(defaultLabel) + "/" + proposed);
        program.WriteSettings(std::string("[Geral]\r\nLabel Default=") + defaultLabel +
                              "\r\n[Labels]\r\nnull=NULL:\r\ngondola-zpl=FILE:\r\n");
        const auto shown = [&] {
            EXPECT_EQ(ItemTexts(SelectLst()),
                      QStringList({"Null Label - For Testing",
                                   QString::fromUtf8("Gôndola 60x40 - Zebra ZPL II")}));
            EXPECT_EQ(SelectLst()->selectedItems().size(), chosen.empty() ? 0 : 1);
        };
        // With nothing chosen OK would only ask for a label.
        EXPECT_EQ(Choose(shown, chosen.empty() ? TAnswer::Cancela : TAnswer::Ok, proposed),
                  chosen.empty() ? std::nullopt : std::optional(chosen));
    }
}

TEST_F(SelectLabelFrmTest, TheOperatorsPickOrCancelaOrADoubleClick)
{
    program.WriteSettings("[Labels]\r\nnull=NULL:\r\ngondola-zpl=FILE:\r\n");
    EXPECT_EQ(Choose([&] { SelectLst()->setCurrentRow(1); }, TAnswer::Ok), "gondola-zpl");
    EXPECT_EQ(Choose([&] { SelectLst()->setCurrentRow(0); }, TAnswer::Cancela), std::nullopt);
    EXPECT_EQ(Choose(
                  [&] {
                      SelectLst()->setCurrentRow(0);
                      emit SelectLst()->itemDoubleClicked(SelectLst()->item(0));
                  },
                  TAnswer::CloseBox),
              "null");
}

TEST_F(SelectLabelFrmTest, OkWithoutALabelSaysWhatToDo)
{
    // With labels to choose from the chooser stays until one is chosen;
    // with none it says where to configure one and chooses nothing.
    const std::tuple<const char*, const char*, std::optional<std::string>> cases[] = {
        {"null=NULL:\r\n", "Escolha uma etiqueta.", "null"},
        {"",
         "Nenhuma etiqueta está configurada: associe uma etiqueta a uma porta em "
         "Ferramentas › Configuração.",
         std::nullopt},
    };
    for (const auto& [labels, expectedTold, chosen] : cases) {
        SCOPED_TRACE(labels);
        program.WriteSettings(std::string("[Labels]\r\n") + labels);
        QString told;
        AnswerModal<QMessageBox>([&](QMessageBox& box) {
            told = box.text();
            box.button(QMessageBox::Ok)->click();
            // Still open when there is a label: now one is chosen.
            if (chosen)
                WhenShown(
                    form, [&] { SelectLst()->setCurrentRow(0); }, TAnswer::Ok);
        });
        form.FillLabels();
        QTimer::singleShot(0, &form, [&] { Answer(form, TAnswer::Ok); });
        const bool accepted = form.exec() == QDialog::Accepted;
        EXPECT_EQ(accepted ? std::optional(form.SelectedLabel()) : std::nullopt, chosen);
        EXPECT_EQ(told, QString::fromUtf8(expectedTold));
    }
}

// Closing the preview with Imprimir accepts the chooser.
TEST_F(SelectLabelFrmTest, VisualizarShowsOnlyForAJobAndPreviewsTheLabelSelected)
{
    program.WriteSettings("[Labels]\r\nnull=NULL:\r\ngondola-zpl=FILE:\r\n");
    auto* visualizar = Child<QPushButton>(form, "VisualizarBtn");
    form.FillLabels();
    EXPECT_TRUE(visualizar->isHidden()); // the counter's chooser has none
    std::vector<std::string> previewed;
    form.SetJobPreview([&](const std::string& label) {
        previewed.push_back(label);
        return true;
    });
    form.FillLabels();
    EXPECT_FALSE(visualizar->isHidden());
    QTimer::singleShot(0, &form, [&] {
        EXPECT_FALSE(visualizar->isEnabled()); // no label selected
        SelectLst()->setCurrentRow(1);
        visualizar->click();
        if (form.isVisible()) // the preview's Imprimir must close it
            Answer(form, TAnswer::Cancela);
    });
    EXPECT_EQ(form.exec(), QDialog::Accepted);
    EXPECT_EQ(previewed, std::vector<std::string>{"gondola-zpl"});
    EXPECT_EQ(form.SelectedLabel(), "gondola-zpl");
}

} // namespace
