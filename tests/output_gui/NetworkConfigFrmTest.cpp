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
        EXPECT_EQ(form.Execute(choice),
                  c.ok ? TNetworkPortAnswer::Confirmed : TNetworkPortAnswer::Cancelled)
            << c.title;
        EXPECT_EQ(choice, c.expected) << c.title;
    }
}

// A new port has a dialog titled as such; "Remover" shows only for a port
// that can be removed, and pressing it hands back nothing typed.
TEST(NetworkConfigFrmTest, RemoverShowsForARemovablePortAndAsksForTheRemoval)
{
    struct TCase
    {
        TNetworkPortChoice shown;
        const char* title;
        bool remover;
    };
    const TCase cases[] = {
        {{"", true, "", 9100, TNetworkPortField::None, true}, "Nova impressora de rede", false},
        {{"ZEBRA1:", false, "127.0.0.1", 9100}, "Configuração", false},
        {{"ZEBRA1:", false, "127.0.0.1", 9100, TNetworkPortField::None, true},
         "Configuração",
         true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.title);
        TNetworkConfigForm form;
        TNetworkPortChoice choice = c.shown;
        QTimer::singleShot(0, &form, [&] {
            EXPECT_EQ(form.windowTitle(), QString::fromUtf8(c.title));
            auto* remover = Child<QPushButton>(form, "RemoverBtn");
            EXPECT_EQ(remover->isVisible(), c.remover);
            Child<QLineEdit>(form, "HostEdt")->setText("etiquetas.loja");
            if (c.remover)
                remover->click();
            else
                form.reject();
        });
        EXPECT_EQ(form.Execute(choice),
                  c.remover ? TNetworkPortAnswer::Remove : TNetworkPortAnswer::Cancelled);
        EXPECT_EQ(choice, c.shown);
    }
}

// Opened again after a refusal, the dialog has the field at fault focused
// and its text selected, so the correction replaces it.
TEST(NetworkConfigFrmTest, TheFieldAtFaultHasTheCursorAndItsTextSelected)
{
    struct TCase
    {
        TNetworkPortField fault;
        const char* focused;
        const char* selected; // nullptr: whatever Qt selects
    };
    const TCase cases[] = {
        {TNetworkPortField::Name, "NomeEdt", "ZEBRA1:"},
        {TNetworkPortField::Host, "HostEdt", "minha impressora"},
        {TNetworkPortField::Port, "PortaEdt", "9101"},
        {TNetworkPortField::None, "NomeEdt", nullptr},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.focused);
        TNetworkConfigForm form;
        TNetworkPortChoice choice{"ZEBRA1:", true, "minha impressora", 9101, c.fault};
        QTimer::singleShot(0, &form, [&] {
            QWidget* focused = form.focusWidget();
            ASSERT_NE(focused, nullptr);
            EXPECT_EQ(focused->objectName(), c.focused);
            // A spin box edits through a line edit of its own.
            const auto* edit = qobject_cast<QLineEdit*>(focused);
            if (edit == nullptr)
                edit = focused->findChild<QLineEdit*>();
            ASSERT_NE(edit, nullptr);
            if (c.selected) {
                EXPECT_EQ(edit->selectedText(), c.selected);
            }
            form.reject();
        });
        form.Execute(choice);
    }
}

} // namespace
