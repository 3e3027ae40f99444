#include "output/SobreFrm.h"

#include "output/info.h"
#include "tests/support/ProgramFixture.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QTimer>

#include <gtest/gtest.h>

using namespace zev;
using namespace zev::test;

namespace {

using TRows = std::vector<std::pair<QString, QString>>;

TRows Rows(const QTableWidget* grid)
{
    TRows rows;
    for (int row = 0; row < grid->rowCount(); ++row)
        rows.emplace_back(grid->item(row, 0)->text(), grid->item(row, 1)->text());
    return rows;
}

QStringList Texts(const QWidget& form)
{
    QStringList texts;
    for (const QLabel* label : form.findChildren<QLabel*>())
        texts << label->text();
    return texts;
}

TEST(SobreFrm, ShowsTheVersionsTheDriversAndTheLabels)
{
    TProgramFixture program;
    TSobreForm form(program.Registries());
    QTimer::singleShot(0, &form, [&] {
        EXPECT_EQ(form.windowTitle(), "Sobre ZEV 4");
        const QStringList texts = Texts(form);
        for (const char* caption :
             {"ZEV 4 - Versão:", "Versão do  BD:", "Driver List", "Label List"})
            EXPECT_TRUE(texts.contains(QString::fromUtf8(caption))) << caption;
        EXPECT_EQ(form.findChild<QLabel*>("LblVersaoDB")->text(), "5");
        // The tests carry no version table of the program: no version shows.
        EXPECT_EQ(form.findChild<QLabel*>("LblVersao")->text(), "");

        const auto* picture = form.findChild<QLabel*>("Image1");
        EXPECT_EQ(picture->size(), QSize(173, 57));
        EXPECT_FALSE(picture->pixmap().isNull());

        const auto* drivers = form.findChild<QTableWidget*>("GrdDriver");
        EXPECT_EQ(Rows(drivers), (TRows{{"Null Driver", "1.0.1"},
                                        {"File Driver", "1.0.1"},
                                        {"Parallel Driver", "1.0.2"},
                                        {"Serial Driver", "1.1.1"},
                                        {"Windows Driver", "1.0.0"},
                                        {"Network Driver", "1.0.0"}}));
        const auto* labels = form.findChild<QTableWidget*>("GrdLabel");
        EXPECT_EQ(Rows(labels), (TRows{{"Etiqueta de teste", "2.0"},
                                       {QString::fromUtf8("Gôndola 60x40 - Zebra ZPL II"), "1.0.0"},
                                       {"Null Label - For Testing", "1.1.0"}}));
        for (const QTableWidget* grid : {drivers, labels}) {
            EXPECT_EQ(grid->horizontalHeaderItem(0)->text(), "Descrição");
            EXPECT_EQ(grid->horizontalHeaderItem(1)->text(), "Versão");
            // 300 and 40 pixels, widened where a header or a value needs more.
            EXPECT_EQ(grid->columnWidth(0), 300);
            EXPECT_GE(grid->columnWidth(1), 40);
            EXPECT_GE(grid->columnWidth(1), grid->horizontalHeader()->sectionSizeHint(1));
            EXPECT_EQ(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
        }
        form.reject();
    });
    form.exec();

    // Shown again, the grids are rebuilt, not appended to.
    QTimer::singleShot(0, &form, [&] {
        EXPECT_EQ(form.findChild<QTableWidget*>("GrdDriver")->rowCount(), 6);
        form.reject();
    });
    form.exec();
}

} // namespace
