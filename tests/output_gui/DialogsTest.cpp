#include "output/NetworkConfigFrm.h"
#include "output/SerialConfigFrm.h"
#include "output/SobreFrm.h"

#include "tests/support/DialogAnswers.h"
#include "tests/support/ProgramFixture.h"

#include <QLineEdit>
#include <QSpinBox>
#include <QTableWidget>

using namespace zev;
using namespace zev::test;

namespace {

QStringList Column(const QTableWidget* grid, int column)
{
    QStringList texts;
    for (int row = 0; row < grid->rowCount(); ++row)
        texts << grid->item(row, column)->text();
    return texts;
}

TEST(SobreFrm, ShowsTheDriversAndTheLabelsOfTheRegistries)
{
    TProgramFixture program;
    TSobreForm form(program.Registries());
    WhenShown(
        form,
        [&] {
            const auto* drivers = Child<QTableWidget>(form, "GrdDriver");
            EXPECT_EQ(static_cast<std::size_t>(drivers->rowCount()),
                      program.Registries().PortRegistry().DriverList().size());
            EXPECT_EQ(Column(Child<QTableWidget>(form, "GrdLabel"), 0),
                      QStringList({"Etiqueta de teste", "Gôndola 60x40 - Zebra ZPL II",
                                   "Null Label - For Testing"}));
        },
        TAnswer::CloseBox);
    form.exec();
}

TEST(SerialConfigFrm, OkReturnsThePositionsChosenAndCancelaLeavesThemAsTheyWere)
{
    TSerialConfigForm form;
    const auto list = [&](const char* name) { return Child<QComboBox>(form, name); };
    TSerialLineChoice choice{-1, 3, -1, 2, 2};
    WhenShown(
        form,
        [&] {
            EXPECT_EQ(list("BaudCmb")->currentIndex(), -1);
            EXPECT_EQ(list("DataCmb")->currentText(), "8");
            list("BaudCmb")->setCurrentIndex(8);
            list("FlowCmb")->setCurrentIndex(1);
        },
        TAnswer::Ok);
    EXPECT_TRUE(form.Execute("COM3:", "/dev/ttyUSB0", choice));
    EXPECT_EQ(choice, (TSerialLineChoice{8, 3, -1, 2, 1}));

    choice = {6, 3, 0, 0, 2};
    WhenShown(
        form, [&] { list("BaudCmb")->setCurrentIndex(0); }, TAnswer::Cancela);
    EXPECT_FALSE(form.Execute("COM1:", "", choice));
    EXPECT_EQ(choice, (TSerialLineChoice{6, 3, 0, 0, 2}));
    // The positions are what the port stores: nothing else may be typed.
    for (const char* name : {"BaudCmb", "DataCmb", "StopCmb", "ParityCmb", "FlowCmb"})
        EXPECT_FALSE(list(name)->isEditable()) << name;
}

// A new port takes its name, a port's own dialog keeps it; "Remover" shows
// only for a port that can be removed and hands back nothing typed.
TEST(NetworkConfigFrm, OkReturnsWhatWasTypedAndRemoverShowsForARemovablePort)
{
    using enum TNetworkPortAnswer;
    const TNetworkPortChoice zebra{"ZEBRA1:", false, "127.0.0.1", 9100};
    TNetworkPortChoice removable = zebra;
    removable.removable = true;
    const TNetworkPortChoice typed{"ZEBRA1:", false, "etiquetas.loja", 9101};
    const TNetworkPortChoice fresh{"", true, "", 9100, TNetworkPortField::None, true};
    const std::tuple<TNetworkPortChoice, const char*, TNetworkPortAnswer, TNetworkPortChoice>
        cases[] = {
            {fresh, "BitBtn1", Confirmed, {"BALCAO:", true, "etiquetas.loja", 9101}},
            {zebra, "BitBtn1", Confirmed, typed},
            {zebra, "BitBtn2", Cancelled, zebra},
            {removable, "RemoverBtn", Remove, removable},
        };
    for (const auto& [shown, press, answer, expected] : cases) {
        SCOPED_TRACE(press);
        TNetworkConfigForm form;
        TNetworkPortChoice choice = shown;
        QTimer::singleShot(0, &form, [&] {
            EXPECT_EQ(Child<QPushButton>(form, "RemoverBtn")->isVisible(), answer == Remove);
            auto* nome = Child<QLineEdit>(form, "NomeEdt");
            EXPECT_EQ(nome->isEnabled(), shown.newPort);
            auto* host = Child<QLineEdit>(form, "HostEdt");
            EXPECT_EQ(host->text(), shown.host);
            auto* porta = Child<QSpinBox>(form, "PortaEdt");
            EXPECT_EQ(porta->value(), shown.port);
            EXPECT_EQ(porta->maximum(), 65535);
            if (shown.newPort)
                nome->setText("BALCAO:");
            host->setText("etiquetas.loja");
            porta->setValue(9101);
            Child<QPushButton>(form, press)->click();
        });
        EXPECT_EQ(form.Execute(choice), answer);
        EXPECT_EQ(choice, expected);
    }
}

// Opened again after a refusal, the dialog has the field at fault focused
// and its text selected, so the correction replaces it.
TEST(NetworkConfigFrm, TheFieldAtFaultHasTheCursorAndItsTextSelected)
{
    const std::tuple<TNetworkPortField, const char*, const char*> cases[] = {
        {TNetworkPortField::Name, "NomeEdt", "ZEBRA1:"},
        {TNetworkPortField::Host, "HostEdt", "minha impressora"},
        {TNetworkPortField::Port, "PortaEdt", "9101"},
        {TNetworkPortField::None, "NomeEdt", nullptr}, // whatever Qt selects
    };
    for (const auto& [fault, focused, selected] : cases) {
        SCOPED_TRACE(focused);
        TNetworkConfigForm form;
        TNetworkPortChoice choice{"ZEBRA1:", true, "minha impressora", 9101, fault};
        QTimer::singleShot(0, &form, [&] {
            QWidget* focus = form.focusWidget();
            ASSERT_NE(focus, nullptr);
            EXPECT_EQ(focus->objectName(), focused);
            // A spin box edits through a line edit of its own.
            const auto* edit = qobject_cast<QLineEdit*>(focus);
            if (edit == nullptr)
                edit = focus->findChild<QLineEdit*>();
            ASSERT_NE(edit, nullptr);
            if (selected) {
                EXPECT_EQ(edit->selectedText(), selected);
            }
            form.reject();
        });
        form.Execute(choice);
    }
}

} // namespace
