#include "output/ConfigFrm.h"

#include "app/Settings.h"
#include "catalogue/Database.h"
#include "output/LabelPreviewView.h"
#include "platform/Profile.h"
#include "tests/printing/BoxLabel.h"
#include "tests/printing/PrintTestSupport.h"
#include "tests/support/Catalogue.h"
#include "tests/support/DialogAnswers.h"
#include "tests/support/ProgramFixture.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTabWidget>
#include <QToolButton>

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

    TProgramFixture program;
    TConfigForm form{program.Registries()};
};

// Cancela writes nothing, and the next visit shows the stored state again.
TEST_F(ConfigFrmTest, ShowsTheStoredSettingsAndEveryLabelAndPortAndCancelaWritesNothing)
{
    const std::string stored = "[Geral]\r\nAgrupado=2\r\nAgrupado Por=2\r\nMin Balanca=00a123\r\n"
                               "Imp Autom=1\r\nAtacado=0\r\nLabel Default=null\r\n"
                               "[Labels]\r\ngondola-zpl=FILE:\r\nnull=NULL:\r\n";
    program.WriteSettings(stored);
    Visit(
        [&] {
            Assign(TesteLabel, NullPort);
            Remove(0);
            Check("AgrupadoChk")->click();
            Check("AtacadoChk")->click();
        },
        "BitBtn2");
    EXPECT_EQ(program.Settings(), stored);

    form.LoadFromSettings();
    EXPECT_TRUE(Check("AgrupadoChk")->isChecked());
    EXPECT_EQ(Combo("AgrupadoCmb")->currentText(), "Grupo");
    EXPECT_EQ(Find<QLineEdit>("MinBalancaEdt")->text(), "00123"); // its digits only
    EXPECT_TRUE(Check("AutmoChk")->isChecked());
    EXPECT_FALSE(Check("AtacadoChk")->isChecked());
    EXPECT_EQ(ItemTexts(LabelLst()), QStringList({Gondola, Null}));
    EXPECT_EQ(Combo("LabelDefaultCmb")->currentIndex(), 1);
    EXPECT_EQ(ItemTexts(Combo("LabelCmb")), QStringList({Teste, Gondola, Null}));
    EXPECT_EQ(ItemTexts(Combo("PortCmb")), QStringList({"FILE:", "NULL:"}));

    // Clicking an entry shows its label and port.
    LabelLst()->setCurrentRow(1);
    EXPECT_EQ(Combo("LabelCmb")->currentText(), Null);
    EXPECT_EQ(Combo("PortCmb")->currentText(), "NULL:");
    LabelLst()->setCurrentRow(0);
    EXPECT_EQ(Combo("LabelCmb")->currentText(), Gondola);
}

TEST_F(ConfigFrmTest, AssigningReplacesInPlaceOrAppendsAndOkSavesWhatIsShown)
{
    program.WriteSettings("[Geral]\r\nAgrupado=1\r\nAgrupado Por=3\r\nMin Balanca=12.345\r\n"
                          "[Labels]\r\ngondola-zpl=FILE:\r\nnull=NULL:\r\n");
    Visit(
        [&] {
            Assign(GondolaLabel, NullPort); // replaces, keeps the first place
            Assign(TesteLabel, FilePort);   // new: appended
            // Nothing is added without both a label and a port.
            Choose(Combo("LabelCmb"), NullLabel);
            Find<QToolButton>("SpeedButton1")->click();

            Check("AgrupadoChk")->click();
            EXPECT_FALSE(Combo("AgrupadoCmb")->isEnabled());
            Check("AgrupadoChk")->click(); // the choice comes back
            EXPECT_EQ(Combo("AgrupadoCmb")->currentText(), "Sub Grupo");
            Choose(Combo("AgrupadoCmb"), 1);
            Check("AtacadoChk")->click();
            Choose(Combo("LabelDefaultCmb"), 0);
            // Cod. Min takes up to fourteen digits only, and is saved as shown.
            auto* minBalanca = Find<QLineEdit>("MinBalancaEdt");
            minBalanca->selectAll();
            QTest::keyClicks(minBalanca, "12x34-5678901234567");
            EXPECT_EQ(minBalanca->text(), "12345678901234");
        },
        "BitBtn1");
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(ReadGeneralSettings(SettingsPath()),
              (TGeneralSettings{"gondola-zpl", true, 1, "12345678901234", false, true}));
    EXPECT_EQ(
        LoadConfiguredLabels(SettingsPath()),
        (TConfiguredLabelList{{"gondola-zpl", "NULL:"}, {"null", "NULL:"}, {"teste", "FILE:"}}));
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
            Remove(0);
            EXPECT_EQ(ItemTexts(Combo("LabelDefaultCmb")), QStringList({Null}));
        },
        "BitBtn1");
    EXPECT_EQ(ReadGeneralSettings(SettingsPath()).defaultLabel, "sumiu");
    EXPECT_EQ(LoadConfiguredLabels(SettingsPath()), (TConfiguredLabelList{{"null", "NULL:"}}));
}

// A network port made from the dialog is chosen at once; "&Configura"
// reaches the port selected, and its "Remover" takes the port and the label
// assigned to it out of the lists only after a Yes.
TEST_F(ConfigFrmTest, ANewNetworkPortIsListedConfigurableAndRemovable)
{
    TScriptedOperator& op = program.Operator();
    program.WriteSettings("[Labels]\r\nnull=NULL:\r\n");
    op.QueueNetworkPort(TNetworkPortChoice{"ZEBRA1:", true, "127.0.0.1", 9100});
    op.QueueNetworkPort(TNetworkPortChoice{"ZEBRA1:", false, "::1", 9101});
    for (const bool yes : {false, true}) {
        op.QueueNetworkPortRemove();
        op.QueueYesNo(yes);
    }
    const QStringList ports{"FILE:", "NULL:"};
    Visit(
        [&] {
            Choose(Combo("LabelCmb"), GondolaLabel);
            Find<QPushButton>("NovaRedeBtn")->click();
            EXPECT_EQ(Combo("PortCmb")->currentText(), "ZEBRA1:");
            Find<QToolButton>("SpeedButton1")->click();
            Choose(Combo("PortCmb"), 2);
            Find<QPushButton>("Button1")->click();
            EXPECT_EQ(op.NetworkPortRequests().back(),
                      (TNetworkPortChoice{"ZEBRA1:", false, "127.0.0.1", 9100,
                                          TNetworkPortField::None, true}));
            EXPECT_EQ(TIniFile(SettingsPath()).ReadString(settings::Rede, "ZEBRA1:"), "[::1]:9101");
            for (const bool yes : {false, true}) {
                SCOPED_TRACE(yes ? "Sim" : "Não");
                Choose(Combo("PortCmb"), 2);
                Find<QPushButton>("Button1")->click();
                EXPECT_EQ(ItemTexts(Combo("PortCmb")),
                          yes ? ports : ports + QStringList{"ZEBRA1:"});
                EXPECT_EQ(ItemTexts(LabelLst()),
                          yes ? QStringList({Null}) : QStringList({Null, Gondola}));
                EXPECT_EQ(ItemTexts(Combo("LabelDefaultCmb")), ItemTexts(LabelLst()));
            }
        },
        "BitBtn1");
    // The question's text is the port registry's; the window asks once per press.
    EXPECT_EQ(op.Messages().size(), 2u);
    EXPECT_EQ(LoadConfiguredLabels(SettingsPath()), (TConfiguredLabelList{{"null", "NULL:"}}));
}

// Ctrl+Tab and Ctrl+Shift+Tab turn the tabs from whatever has the focus,
// lists too; Alt and a tab's letter open that tab.
TEST_F(ConfigFrmTest, TabsTurnWithCtrlTabFromAnyFieldAndOpenWithTheirLetters)
{
    constexpr int GeralTab = 0, EtiquetasTab = 1;
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier, ctrlShift = ctrl | Qt::ShiftModifier;
    // The tab shown, the component focused, the key pressed and the tab then shown.
    const std::tuple<int, const char*, Qt::Key, Qt::KeyboardModifiers, int> cases[] = {
        {EtiquetasTab, "PortCmb", Qt::Key_Tab, ctrl, GeralTab},
        {EtiquetasTab, "LabelLst", Qt::Key_Backtab, ctrlShift, GeralTab},
        {GeralTab, "AgrupadoChk", Qt::Key_E, Qt::AltModifier, EtiquetasTab},
    };
    Visit(
        [&] {
            // Shortcuts answer in the active window only.
            ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
            auto* tabs = Find<QTabWidget>("PageControl1");
            for (const auto& [tab, focused, key, modifiers, expected] : cases) {
                SCOPED_TRACE(focused);
                tabs->setCurrentIndex(tab);
                auto* focus = Find<QWidget>(focused);
                focus->setFocus();
                QTest::keyClick(focus, key, modifiers);
                EXPECT_EQ(tabs->currentIndex(), expected);
            }
        },
        "BitBtn2");
}

// The settings dialog's live picture, with a box label added last to the labels.
class LabelPreviewTest : public ConfigFrmTest
{
protected:
    LabelPreviewTest()
    {
        auto& labels = *program.Registries().Labels;
        labels.LabelHash.SetItem("caixas", std::make_unique<TBoxLabel>());
        labels.LabelList.push_back(&labels.LabelHash.Item("caixas"));
    }
    const TLabelPreviewView& LivePreview(int label)
    {
        form.LoadFromSettings();
        Choose(Combo("LabelCmb"), label);
        return *Find<TLabelPreviewView>("LivePreview");
    }
    static constexpr int BoxLabel = 3;
};

TEST_F(LabelPreviewTest, TheSettingsDialogDrawsTheLabelForTheStoresFirstProduct)
{
    // Before any catalogue: the reason, and no message box.
    EXPECT_FALSE(LivePreview(BoxLabel).Picture().HasPicture());
    EXPECT_FALSE(LivePreview(BoxLabel).ReasonText().isEmpty());
    EXPECT_TRUE(program.Operator().Messages().empty());

    CreateDatabase();
    Sql(Loja);
    // The sample is the selection's first label, read again at every showing.
    EXPECT_EQ(BoxSize(LivePreview(BoxLabel).Picture().image), QSize(TBoxLabel::WidthOf(9), 50));
    Sql("delete from selecao where produto_key = 9");
    EXPECT_EQ(BoxSize(LivePreview(BoxLabel).Picture().image), QSize(TBoxLabel::WidthOf(2), 50));
    EXPECT_TRUE(program.Operator().Messages().empty());
}

} // namespace
