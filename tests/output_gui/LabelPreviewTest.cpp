#include "output/ConfigFrm.h"
#include "output/LabelPreviewView.h"
#include "output/SelectLabelFrm.h"

#include "catalogue/Database.h"
#include "tests/printing/BoxLabel.h"
#include "tests/printing/PrintTestSupport.h"
#include "tests/support/DialogAnswers.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

using namespace zev;
using namespace zev::test;

namespace {

// Labels in LabelList order, the box label added last.
constexpr int GondolaLabel = 1, NullLabel = 2, BoxLabel = 3;

class LabelPreviewTest : public testing::Test
{
protected:
    LabelPreviewTest()
    {
        auto& labels = *program.Registries().Labels;
        labels.LabelHash.SetItem("caixas", std::make_unique<TBoxLabel>());
        labels.LabelList.push_back(&labels.LabelHash.Item("caixas"));
    }

    // The settings dialog's live picture once `label` is chosen.
    const TLabelPreviewView& LivePreview(int label)
    {
        form.LoadFromSettings();
        auto* list = Child<QComboBox>(form, "LabelCmb");
        list->setCurrentIndex(label);
        emit list->activated(label);
        return *Child<TLabelPreviewView>(form, "LivePreview");
    }

    TProgramFixture program;
    TConfigForm form{program.Registries()};
};

TEST_F(LabelPreviewTest, TheSettingsDialogDrawsTheLabelForTheStoresFirstProduct)
{
    // Before any catalogue: the reason, and no message box.
    EXPECT_FALSE(LivePreview(BoxLabel).Picture().HasPicture());
    EXPECT_FALSE(LivePreview(BoxLabel).ReasonText().isEmpty());
    EXPECT_TRUE(program.Operator().Messages().empty());

    CreateDatabase();
    OpenDatabase()->Execute(Loja);
    // Which product is the sample is the core's rule; the dialog reads it
    // again at every showing.
    EXPECT_EQ(BoxSize(LivePreview(BoxLabel).Picture().image), QSize(TBoxLabel::WidthOf(9), 50));
    OpenDatabase()->Execute("delete from selecao where produto_key = 9");
    EXPECT_EQ(BoxSize(LivePreview(BoxLabel).Picture().image), QSize(TBoxLabel::WidthOf(2), 50));
    // The shipped template at its size in dots; a label without data says so.
    EXPECT_EQ(LivePreview(GondolaLabel).Picture().image.size(), QSize(480, 320));
    EXPECT_FALSE(LivePreview(NullLabel).Picture().HasPicture());
    EXPECT_FALSE(LivePreview(NullLabel).ReasonText().isEmpty());
    // No label chosen: nothing.
    const TLabelPreviewView& none = LivePreview(-1);
    EXPECT_FALSE(none.Picture().HasPicture());
    EXPECT_TRUE(none.ReasonText().isEmpty());
    EXPECT_TRUE(program.Operator().Messages().empty());
}

TEST_F(LabelPreviewTest, VisualizarShowsTheJobForTheLabelSelectedAndImprimirChoosesIt)
{
    program.WriteSettings("[Labels]\r\nnull=NULL:\r\ngondola-zpl=FILE:\r\n");
    TSelectLabelForm chooser(program.Registries());
    auto* visualizar = Child<QPushButton>(chooser, "VisualizarBtn");
    chooser.FillLabels();
    EXPECT_TRUE(visualizar->isHidden()); // the counter's chooser has none

    // The preview's answer: print, or back to the chooser.
    for (const bool print : {false, true}) {
        SCOPED_TRACE(print);
        std::vector<std::string> previewed;
        chooser.SetJobPreview([&](const std::string& label) {
            previewed.push_back(label);
            return print;
        });
        chooser.FillLabels();
        EXPECT_FALSE(visualizar->isHidden());
        QTimer::singleShot(0, &chooser, [&] {
            EXPECT_FALSE(visualizar->isEnabled()); // no label selected
            Child<QListWidget>(chooser, "SelectLst")->setCurrentRow(1);
            visualizar->click();
            if (chooser.isVisible())
                Answer(chooser, TAnswer::Cancela);
        });
        const int result = chooser.exec();
        EXPECT_EQ(previewed, std::vector<std::string>{"gondola-zpl"});
        EXPECT_EQ(result, print ? QDialog::Accepted : QDialog::Rejected);
        EXPECT_EQ(chooser.SelectedLabel(), "gondola-zpl");
    }
}

TEST(LabelPreviewViewTest, NamesWhatWasNotDrawn)
{
    TLabelPicture picture;
    picture.image = QImage(480, 320, QImage::Format_Grayscale8);
    picture.dpi = 203;
    picture.gaps = {{"^XG", 120, false, {}}, {"~DG", 4, true, "gráfico não guardado"}};
    TLabelPreviewView view(QSize(240, 160));
    view.SetPicture(picture);
    EXPECT_EQ(view.GapsText(),
              QString::fromUtf8("Não desenhado: ") + GapText(picture.gaps[0]) + "; " +
                  GapText(picture.gaps[1]));
    EXPECT_TRUE(view.ReasonText().isEmpty());
    view.SetReason("sem dados");
    EXPECT_EQ(view.ReasonText(), "sem dados");
    EXPECT_TRUE(view.GapsText().isEmpty());
}

} // namespace
