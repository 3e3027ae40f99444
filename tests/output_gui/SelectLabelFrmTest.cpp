#include "output/SelectLabelFrm.h"

#include "app/Hashes.h"
#include "tests/support/ProgramFixture.h"

#include <QListWidget>
#include <QPushButton>
#include <QTimer>

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
    const auto stored = [&](const char* defaultLabel) {
        program.WriteSettings(std::string("[Geral]\r\nLabel Default=") + defaultLabel +
                              "\r\n[Labels]\r\nnull=NULL:\r\ngondola-zpl=FILE:\r\n");
    };
    const std::pair<const char*, int> cases[] = {
        {"gondola-zpl", 1}, {"null", 0}, {"Gondola-ZPL", -1}, // names compare exactly
        {"teste", -1}, // a label without a port cannot be chosen
        {"", -1},
    };
    for (const auto& [defaultLabel, row] : cases) {
        stored(defaultLabel);
        const auto chosen = Choose(
            [&] {
                EXPECT_EQ(form.windowTitle(), "Seleção");
                ASSERT_EQ(SelectLst()->count(), 2);
                EXPECT_EQ(SelectLst()->item(0)->text(), "Null Label - For Testing");
                EXPECT_EQ(SelectLst()->item(1)->text(),
                          QString::fromUtf8("Gôndola 60x40 - Zebra ZPL II"));
                EXPECT_EQ(SelectLst()->selectedItems().size(), row < 0 ? 0 : 1);
                if (row >= 0) {
                    EXPECT_EQ(SelectLst()->currentRow(), row);
                }
            },
            "BitBtn1");
        ASSERT_TRUE(chosen.has_value()) << defaultLabel;
        EXPECT_EQ(*chosen, row == 1 ? "gondola-zpl" : row == 0 ? "null" : "") << defaultLabel;
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
    try {
        form.FillLabels();
        FAIL() << "no error";
    } catch (const EHashFindError& error) {
        EXPECT_STREQ(error.what(), "Key \"sumiu\" not found");
    }
}

} // namespace
