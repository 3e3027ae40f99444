#include "output/ConfigFrm.h"

#include "app/Settings.h"
#include "output/Networkd.h"
#include "platform/Profile.h"
#include "tests/support/DialogAnswers.h"
#include "tests/support/ProgramFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace zev;
using namespace zev::test;

namespace {

const QString Gondola = QString::fromUtf8("Gôndola 60x40 - Zebra ZPL II");
const QString Teste = QStringLiteral("Etiqueta de teste");
const QString Null = QStringLiteral("Null Label - For Testing");

// Labels in LabelList order, ports in PortList order.
constexpr int TesteLabel = 0, GondolaLabel = 1, NullLabel = 2;
constexpr int FilePort = 0, NullPort = 1;

class ConfigFrmTest : public testing::Test
{
protected:
    template <typename T> T* Find(const char* name) const { return Child<T>(form, name); }
    QComboBox* Combo(const char* name) const { return Find<QComboBox>(name); }
    QCheckBox* Check(const char* name) const { return Find<QCheckBox>(name); }
    QListWidget* LabelLst() const { return Find<QListWidget>("LabelLst"); }

    // What a person's pick in a drop-down list does.
    static void Choose(QComboBox* list, int index)
    {
        list->setCurrentIndex(index);
        emit list->activated(index);
    }
    void Assign(int label, int port)
    {
        Choose(Combo("LabelCmb"), label);
        Choose(Combo("PortCmb"), port);
        Find<QToolButton>("SpeedButton1")->click();
    }
    void Remove(int row)
    {
        LabelLst()->setCurrentRow(row);
        Find<QToolButton>("SpeedButton2")->click();
    }
    // Shows the dialog as the main window does and leaves it with `button`
    // after `edit` ran inside it.
    void Visit(const std::function<void()>& edit, const char* button)
    {
        form.LoadFromSettings();
        QTimer::singleShot(0, &form, [&] {
            edit();
            Find<QPushButton>(button)->click();
        });
        form.exec();
    }
    // The Geral tab as shown: grouping checked, its list enabled and its
    // choice, Cod. Min, Imp. Autom, Atacado.
    auto Geral() const
    {
        return std::tuple(Check("AgrupadoChk")->isChecked(), Combo("AgrupadoCmb")->isEnabled(),
                          Combo("AgrupadoCmb")->currentText(),
                          Find<QLineEdit>("MinBalancaEdt")->text(), Check("AutmoChk")->isChecked(),
                          Check("AtacadoChk")->isChecked());
    }
    std::string Read(std::string_view key) const
    {
        return TIniFile(SettingsPath()).ReadString(settings::Geral, key, "<absent>");
    }

    TProgramFixture program;
    TConfigForm form{program.Registries()};
};

TEST_F(ConfigFrmTest, ShowsTheStoredSettingsAndEveryLabelAndPort)
{
    program.WriteSettings("[Geral]\r\nAgrupado=2\r\nAgrupado Por=2\r\nMin Balanca=00a123\r\n"
                          "Imp Autom=1\r\nAtacado=0\r\nLabel Default=null\r\n"
                          "[Labels]\r\ngondola-zpl=FILE:\r\nnull=NULL:\r\n");
    form.LoadFromSettings();

    EXPECT_EQ(Geral(), std::tuple(true, true, QString("Grupo"), QString("00123"), true, false));

    EXPECT_EQ(ItemTexts(LabelLst()), QStringList({Gondola, Null}));
    EXPECT_EQ(ItemTexts(Combo("LabelDefaultCmb")), QStringList({Gondola, Null}));
    EXPECT_EQ(Combo("LabelDefaultCmb")->currentIndex(), 1);
    EXPECT_EQ(ItemTexts(Combo("LabelCmb")), QStringList({Teste, Gondola, Null}));
    EXPECT_EQ(ItemTexts(Combo("PortCmb")), QStringList({"FILE:", "NULL:"}));
    EXPECT_EQ(Combo("LabelCmb")->currentIndex(), -1);
    EXPECT_EQ(Combo("PortCmb")->currentIndex(), -1);
    EXPECT_TRUE(LabelLst()->selectedItems().isEmpty());

    // Clicking an entry shows its label, port and preview.
    auto* printer = Find<QLabel>("PrinterLbl");
    auto* image = Find<QLabel>("LabelImg");
    LabelLst()->setCurrentRow(0);
    EXPECT_EQ(Combo("LabelCmb")->currentText(), Gondola);
    EXPECT_EQ(Combo("PortCmb")->currentText(), "FILE:");
    EXPECT_EQ(printer->text(), "Zebra ZPL II 203 dpi (GC420t, ZD220, ZT230)");
    EXPECT_FALSE(image->pixmap().isNull());
    LabelLst()->setCurrentRow(1);
    EXPECT_EQ(Combo("LabelCmb")->currentText(), Null);
    EXPECT_EQ(Combo("PortCmb")->currentText(), "NULL:");
    EXPECT_EQ(printer->text(), "Null Printer");
    // A label without a picture clears the picture and the printer text.
    Choose(Combo("LabelCmb"), TesteLabel);
    EXPECT_TRUE(image->pixmap().isNull());
    EXPECT_TRUE(printer->text().isEmpty());
}

TEST_F(ConfigFrmTest, CancelaWritesNothingAndTheNextVisitShowsTheStoredState)
{
    const std::string stored = "[Geral]\r\nAgrupado=1\r\nAgrupado Por=1\r\n"
                               "[Labels]\r\ngondola-zpl=FILE:\r\nnull=NULL:\r\n";
    program.WriteSettings(stored);
    Visit(
        [&] {
            Assign(TesteLabel, NullPort);
            Remove(0);
            Check("AgrupadoChk")->click();
            Check("AtacadoChk")->click();
            QTest::keyClicks(Find<QLineEdit>("MinBalancaEdt"), "77");
        },
        "BitBtn2");
    EXPECT_EQ(form.result(), QDialog::Rejected);
    EXPECT_EQ(program.Settings(), stored);

    form.LoadFromSettings();
    EXPECT_EQ(ItemTexts(LabelLst()), QStringList({Gondola, Null}));
    EXPECT_EQ(Geral(),
              std::tuple(true, true, QString::fromUtf8("Seção"), QString("999999"), false, false));
}

TEST_F(ConfigFrmTest, AssigningReplacesInPlaceOrAppendsAndOkSavesInOrder)
{
    program.WriteSettings("[Labels]\r\ngondola-zpl=FILE:\r\nnull=NULL:\r\n");
    Visit(
        [&] {
            Assign(GondolaLabel, NullPort); // replaces, keeps the first place
            EXPECT_EQ(Combo("LabelCmb")->currentIndex(), -1);
            EXPECT_EQ(Combo("PortCmb")->currentIndex(), -1);
            EXPECT_TRUE(Find<QLabel>("LabelImg")->pixmap().isNull());
            Assign(TesteLabel, FilePort); // new: appended
            EXPECT_EQ(ItemTexts(LabelLst()), QStringList({Gondola, Null, Teste}));
            // Nothing is added without both a label and a port.
            Choose(Combo("LabelCmb"), NullLabel);
            Find<QToolButton>("SpeedButton1")->click();
            EXPECT_EQ(LabelLst()->count(), 3);
        },
        "BitBtn1");
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(
        LoadConfiguredLabels(SettingsPath()),
        (TConfiguredLabelList{{"gondola-zpl", "NULL:"}, {"null", "NULL:"}, {"teste", "FILE:"}}));
}

TEST_F(ConfigFrmTest, OkWritesGeralInItsOrderAndGroupingOffRemovesAgrupadoPor)
{
    program.WriteSettings("[Geral]\r\nAgrupado=1\r\nAgrupado Por=3\r\n");
    Visit(
        [&] {
            Check("AgrupadoChk")->click();
            EXPECT_FALSE(Combo("AgrupadoCmb")->isEnabled());
            EXPECT_EQ(Combo("AgrupadoCmb")->currentIndex(), -1);
            Check("AgrupadoChk")->click(); // the choice comes back
            EXPECT_EQ(Combo("AgrupadoCmb")->currentText(), "Sub Grupo");
            Choose(Combo("AgrupadoCmb"), 1);
            Check("AtacadoChk")->click();
        },
        "BitBtn1");
    EXPECT_EQ(program.Settings(), "[Geral]\r\nAgrupado=1\r\nAgrupado Por=1\r\n"
                                  "Min Balanca=999999\r\nImp Autom=0\r\nAtacado=1\r\n");

    Visit([&] { Check("AgrupadoChk")->click(); }, "BitBtn1");
    EXPECT_EQ(Read(settings::Agrupado.key), "0");
    EXPECT_EQ(Read(settings::AgrupadoPor.key), "<absent>");

    // A fresh file shows the order of the writes.
    program.WriteSettings("");
    Visit(
        [&] {
            Check("AgrupadoChk")->click();
            Assign(GondolaLabel, FilePort);
            Choose(Combo("LabelDefaultCmb"), 0);
        },
        "BitBtn1");
    EXPECT_EQ(program.Settings(),
              "[Geral]\r\nAgrupado=1\r\nAgrupado Por=0\r\nMin Balanca=999999\r\n"
              "Label Default=gondola-zpl\r\nImp Autom=0\r\nAtacado=0\r\n\r\n"
              "[Labels]\r\ngondola-zpl=FILE:\r\n");
}

TEST_F(ConfigFrmTest, MinBalancaTakesUpToFourteenDigitsOnly)
{
    Visit(
        [&] {
            auto* edit = Find<QLineEdit>("MinBalancaEdt");
            edit->selectAll();
            QTest::keyClicks(edit, "12x34-5678901234567");
            EXPECT_EQ(edit->text(), "12345678901234");
        },
        "BitBtn1");
    EXPECT_EQ(Read(settings::MinBalanca.key), "12345678901234");

    // A value edited by hand is saved as the edit shows it, at every visit.
    program.WriteSettings("[Geral]\r\nMin Balanca=12.345\r\n");
    for (const char* button : {"BitBtn2", "BitBtn1"})
        Visit([] {}, button);
    EXPECT_EQ(Read(settings::MinBalanca.key), "12345");
}

// An entry whose label file is gone is listed by its name and can be
// removed; the default label survives the removal of its entry.
TEST_F(ConfigFrmTest, AnEntryWhoseLabelFileIsGoneIsListedAndTheDefaultSurvivesItsRemoval)
{
    program.WriteSettings("[Geral]\r\nLabel Default=sumiu\r\n"
                          "[Labels]\r\nsumiu=FILE:\r\nnull=NULL:\r\n");
    Visit(
        [&] {
            EXPECT_EQ(ItemTexts(LabelLst()), QStringList({"sumiu", Null}));
            EXPECT_EQ(Combo("LabelDefaultCmb")->currentText(), "sumiu");
            // Its port is still shown; no label is.
            LabelLst()->setCurrentRow(0);
            EXPECT_EQ(Combo("PortCmb")->currentText(), "FILE:");
            EXPECT_EQ(Combo("LabelCmb")->currentIndex(), -1);
            Remove(0);
            EXPECT_EQ(ItemTexts(Combo("LabelDefaultCmb")), QStringList({Null}));
            EXPECT_EQ(Combo("LabelDefaultCmb")->currentIndex(), -1);
        },
        "BitBtn1");
    EXPECT_EQ(Read(settings::LabelDefault.key), "sumiu");
    EXPECT_EQ(LoadConfiguredLabels(SettingsPath()), (TConfiguredLabelList{{"null", "NULL:"}}));
}

TEST_F(ConfigFrmTest, ConfiguraOpensTheSelectedPortsSettingsAtOnce)
{
    program.Operator().QueueFile(QStringLiteral("/tmp/etiquetas.prn"));
    Visit(
        [&] {
            Find<QPushButton>("Button1")->click(); // no port selected: nothing
            Choose(Combo("PortCmb"), FilePort);
            Find<QPushButton>("Button1")->click();
            Choose(Combo("PortCmb"), NullPort);
            Find<QPushButton>("Button1")->click();
        },
        "BitBtn2");
    // Written by the port, whatever the dialog's Cancela.
    EXPECT_EQ(TIniFile(SettingsPath()).ReadString("FILE:", settings::Filename.key, ""),
              "/tmp/etiquetas.prn");
    ASSERT_EQ(program.Operator().Messages().size(), 1u);
    EXPECT_EQ(program.Operator().Messages()[0].text, "Não existe configuração para esta porta!!");
}

// A network port made from the dialog is listed and chosen at once, the
// label's choice kept, and "&Configura" reaches it.
TEST_F(ConfigFrmTest, ANewNetworkPortIsListedChosenAndConfigurable)
{
    TScriptedOperator& op = program.Operator();
    op.QueueNetworkPort(std::nullopt);
    op.QueueNetworkPort(TNetworkPortChoice{"ZEBRA1:", true, "127.0.0.1", 9100});
    op.QueueNetworkPort(TNetworkPortChoice{"ZEBRA1:", false, "::1", 9101});
    Visit(
        [&] {
            auto* nova = Find<QPushButton>("NovaRedeBtn");
            EXPECT_EQ(nova->text(), "&Nova impressora de rede…");
            Choose(Combo("LabelCmb"), GondolaLabel);
            nova->click(); // cancelled: nothing
            EXPECT_EQ(ItemTexts(Combo("PortCmb")), QStringList({"FILE:", "NULL:"}));
            nova->click();
            EXPECT_EQ(ItemTexts(Combo("PortCmb")), QStringList({"FILE:", "NULL:", "ZEBRA1:"}));
            EXPECT_EQ(Combo("PortCmb")->currentText(), "ZEBRA1:");
            EXPECT_EQ(Combo("LabelCmb")->currentIndex(), GondolaLabel);
            Find<QToolButton>("SpeedButton1")->click();
            Choose(Combo("PortCmb"), 2);
            Find<QPushButton>("Button1")->click();
        },
        "BitBtn1");
    EXPECT_TRUE(op.Messages().empty());
    EXPECT_EQ(
        op.NetworkPortRequests().back(),
        (TNetworkPortChoice{"ZEBRA1:", false, "127.0.0.1", 9100, TNetworkPortField::None, true}));
    const TIniFile ini(SettingsPath());
    EXPECT_EQ(ini.ReadString(settings::Rede, "ZEBRA1:"), "[::1]:9101");
    EXPECT_EQ(ini.ReadString(settings::Labels, "gondola-zpl"), "ZEBRA1:");
}

// "Remover" in a network port's own dialog: No keeps the lists, Yes takes
// the port and the label assigned to it out of them.
TEST_F(ConfigFrmTest, ARemovedNetworkPortLeavesTheListsWithItsAssignments)
{
    TScriptedOperator& op = program.Operator();
    program.WriteSettings("[Labels]\r\ngondola-zpl=FILE:\r\nnull=NULL:\r\n");
    op.QueueNetworkPort(TNetworkPortChoice{"ZEBRA1:", true, "127.0.0.1", 9100});
    ASSERT_EQ(AddNetworkPort(*program.Registries().Ports, SettingsPath()), "ZEBRA1:");
    constexpr int ZebraPort = 2;
    for (const bool yes : {false, true}) {
        op.QueueNetworkPortRemove();
        op.QueueYesNo(yes);
    }
    Visit(
        [&] {
            Assign(GondolaLabel, ZebraPort);
            for (const bool yes : {false, true}) {
                SCOPED_TRACE(yes ? "Sim" : "Não");
                Choose(Combo("PortCmb"), ZebraPort);
                Find<QPushButton>("Button1")->click();
                EXPECT_EQ(ItemTexts(Combo("PortCmb")),
                          yes ? QStringList({"FILE:", "NULL:"})
                              : QStringList({"FILE:", "NULL:", "ZEBRA1:"}));
                EXPECT_EQ(ItemTexts(LabelLst()),
                          yes ? QStringList({Null}) : QStringList({Gondola, Null}));
                EXPECT_EQ(ItemTexts(Combo("LabelDefaultCmb")), ItemTexts(LabelLst()));
            }
        },
        "BitBtn1");
    // The question's text and what the files hold after it are the port
    // registry's rule, tested there; the window asks once per press.
    EXPECT_EQ(op.Messages().size(), 2u);
    EXPECT_EQ(op.NetworkPortRequests().back().removable, true);
}

// Ctrl+Tab and Ctrl+Shift+Tab turn the tabs from whatever has the focus;
// Alt and a tab's letter open that tab.
TEST_F(ConfigFrmTest, TabsTurnWithCtrlTabFromAnyFieldAndOpenWithTheirLetters)
{
    constexpr int GeralTab = 0, EtiquetasTab = 1;
    struct TCase
    {
        int tab;
        const char* focus;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int expected;
    };
    const TCase cases[] = {
        {EtiquetasTab, "PortCmb", Qt::Key_Tab, Qt::ControlModifier, GeralTab},
        {EtiquetasTab, "LabelLst", Qt::Key_Tab, Qt::ControlModifier, GeralTab},
        {GeralTab, "MinBalancaEdt", Qt::Key_Tab, Qt::ControlModifier, EtiquetasTab},
        {EtiquetasTab, "LabelLst", Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier,
         GeralTab},
        {GeralTab, "LabelDefaultCmb", Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier,
         EtiquetasTab},
        {GeralTab, "AgrupadoChk", Qt::Key_E, Qt::AltModifier, EtiquetasTab},
        {EtiquetasTab, "LabelLst", Qt::Key_G, Qt::AltModifier, GeralTab},
    };
    Visit(
        [&] {
            // Shortcuts answer in the active window only.
            ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
            auto* tabs = Find<QTabWidget>("PageControl1");
            EXPECT_EQ(tabs->tabText(GeralTab), "&Geral");
            EXPECT_EQ(tabs->tabText(EtiquetasTab), "&Etiquetas");
            for (const TCase& c : cases) {
                SCOPED_TRACE(c.focus);
                tabs->setCurrentIndex(c.tab);
                auto* focus = Find<QWidget>(c.focus);
                focus->setFocus();
                QTest::keyClick(focus, c.key, c.modifiers);
                EXPECT_EQ(tabs->currentIndex(), c.expected);
            }
        },
        "BitBtn2");
}

} // namespace
