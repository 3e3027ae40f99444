#include "output/NetworkConfigFrm.h"
#include "tests/support/DialogAnswers.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

#include <gtest/gtest.h>

using namespace zev;
using namespace zev::test;

namespace {

// A new port takes its name; a port's own dialog shows its name as the
// frame's title and keeps it. OK returns what was typed, Cancela nothing.
TEST(NetworkConfigFrmTest, OkReturnsWhatWasTypedAndTheNameOnlyOfANewPort)
{
    struct TCase
    {
        TNetworkPortChoice shown;
        const char* title;
        bool ok;
        TNetworkPortChoice expected;
    };
    const std::vector<TCase> cases = {
        {{"", true, "", 9100},
         "Nova impressora de rede",
         true,
         {"BALCAO:", true, "etiquetas.loja", 9101}},
        {{"ZEBRA1:", false, "127.0.0.1", 9100},
         "ZEBRA1:",
         true,
         {"ZEBRA1:", false, "etiquetas.loja", 9101}},
        {{"ZEBRA1:", false, "127.0.0.1", 9100},
         "ZEBRA1:",
         false,
         {"ZEBRA1:", false, "127.0.0.1", 9100}},
    };
    for (const TCase& c : cases) {
        TNetworkConfigForm form;
        TNetworkPortChoice choice = c.shown;
        QTimer::singleShot(0, &form, [&] {
            EXPECT_EQ(Child<QGroupBox>(form, "GroupBox")->title(), c.title);
            auto* nome = Child<QLineEdit>(form, "NomeEdt");
            EXPECT_EQ(nome->isEnabled(), c.shown.newPort);
            EXPECT_EQ(Child<QLineEdit>(form, "HostEdt")->text(), c.shown.host);
            auto* porta = Child<QSpinBox>(form, "PortaEdt");
            EXPECT_EQ(porta->value(), c.shown.port);
            EXPECT_EQ(porta->maximum(), 65535);
            if (c.shown.newPort)
                nome->setText("BALCAO:");
            Child<QLineEdit>(form, "HostEdt")->setText("etiquetas.loja");
            porta->setValue(9101);
            Child<QPushButton>(form, c.ok ? "BitBtn1" : "BitBtn2")->click();
        });
        EXPECT_EQ(form.Execute(choice), c.ok) << c.title;
        EXPECT_EQ(choice, c.expected) << c.title;
    }
}

} // namespace
