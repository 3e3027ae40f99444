#include "output/ConfigFrm.h"
#include "output/LabelPreviewView.h"

#include "catalogue/Database.h"
#include "tests/printing/BoxLabel.h"
#include "tests/printing/PrintTestSupport.h"
#include "tests/support/DialogAnswers.h"

using namespace zev;
using namespace zev::test;

namespace {

// Labels in LabelList order, the box label added last.
constexpr int NullLabel = 2, BoxLabel = 3;

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
    // A label without data says so.
    EXPECT_FALSE(LivePreview(NullLabel).ReasonText().isEmpty());
    // No label chosen: nothing.
    const TLabelPreviewView& none = LivePreview(-1);
    EXPECT_FALSE(none.Picture().HasPicture());
    EXPECT_TRUE(none.ReasonText().isEmpty());
    EXPECT_TRUE(program.Operator().Messages().empty());
}

TEST(LabelPreviewViewTest, NamesWhatWasNotDrawn)
{
    TLabelPicture picture;
    picture.image = QImage(480, 320, QImage::Format_Grayscale8);
    picture.dpi = 203;
    picture.gaps = {{"^XG", 120, false, {}}, {"~DG", 4, true, "gráfico não guardado"}};
    TLabelPreviewView view(QSize(240, 160));
    view.SetPicture(picture);
    EXPECT_EQ(view.GapsText(), QString::fromUtf8("Não desenhado: ") + GapText(picture.gaps[0]) +
                                   "; " + GapText(picture.gaps[1]));
    EXPECT_TRUE(view.ReasonText().isEmpty());
    view.SetReason("sem dados");
    EXPECT_EQ(view.ReasonText(), "sem dados");
    EXPECT_TRUE(view.GapsText().isEmpty());
}

} // namespace
