#include "printing/TipoFrm.h"
#include "tests/support/DialogAnswers.h"

#include <QGroupBox>
#include <QRadioButton>

#include <gtest/gtest.h>

using namespace zev;
using namespace zev::test;

namespace {

QList<QRadioButton*> Items(const TTipoForm& form)
{
    return Child<QGroupBox>(form, "RadioGroup")->findChildren<QRadioButton*>();
}

QRadioButton* Item(const TTipoForm& form, const QString& text)
{
    for (QRadioButton* item : Items(form)) {
        if (item->text() == text)
            return item;
    }
    ADD_FAILURE() << "no item " << text.toStdString();
    return nullptr;
}

TEST(TipoFrmTest, ShowsTheThreeKindsUnderItsCaption)
{
    const TTipoForm form;
    EXPECT_EQ(form.windowTitle(), "Tipo");
    EXPECT_EQ(Child<QGroupBox>(form, "RadioGroup")->title(), "Selecione o Tipo");
    QStringList texts;
    for (const QRadioButton* item : Items(form))
        texts << item->text();
    EXPECT_EQ(texts, QStringList({"Todos", "Preços Normais", "Ofertas"}));
    EXPECT_EQ(Child<QPushButton>(form, "BitBtn1")->text(), "OK");
    EXPECT_TRUE(Child<QPushButton>(form, "BitBtn1")->isDefault());
    EXPECT_EQ(Child<QPushButton>(form, "BitBtn2")->text(), "Cancela");
}

TEST(TipoFrmTest, OkReturnsTheKindChosenAndEveryOtherWayOutReturnsMinusOne)
{
    struct TCase
    {
        const char* choose; // nullptr: as it opens
        TAnswer answer;
        int expected;
    };
    const TCase cases[] = {
        {nullptr, TAnswer::Ok, 1},
        {"Preços Normais", TAnswer::Ok, 2},
        {"Ofertas", TAnswer::Ok, 3},
        {"Ofertas", TAnswer::Enter, 3},
        {"Preços Normais", TAnswer::Cancela, -1},
        {"Preços Normais", TAnswer::Escape, -1},
        // The close box must not read as "Preços Normais".
        {"Preços Normais", TAnswer::CloseBox, -1},
        {nullptr, TAnswer::CloseBox, -1},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.choose ? c.choose : "as it opens") << ", answer "
                                        << static_cast<int>(c.answer));
        TTipoForm form; // a fresh one for every use, as the date selection does
        WhenShown(
            form,
            [&] {
                EXPECT_TRUE(Item(form, "Todos")->isChecked());
                if (c.choose != nullptr)
                    Item(form, QString::fromUtf8(c.choose))->click();
            },
            c.answer);
        EXPECT_EQ(form.Execute(), c.expected);
    }
}

} // namespace
