#include "app/MainFrm.h"

#include "app/CommandGuard.h"
#include "app/GuiOperator.h"
#include "app/HomePanel.h"
#include "app/Registries.h"
#include "app/Windows.h"
#include "catalogue/ImportCadastro.h"
#include "labels/PrinterLabel.h"
#include "output/ConfigFrm.h"
#include "output/SelectLabelFrm.h"
#include "output/SobreFrm.h"
#include "platform/AnsiText.h"
#include "platform/Regional.h"
#include "printing/DateDlg.h"
#include "printing/HistoricoFrm.h"
#include "printing/ItemFrm.h"
#include "printing/JobLabels.h"
#include "printing/PreviewFrm.h"
#include "printing/PrintJobs.h"
#include "printing/SequenciaFrm.h"
#include "selection/EditFrm.h"
#include "selection/Arvore.h"
#include "selection/BarcodeFile.h"
#include "selection/SelectByDate.h"

#include <QAction>
#include <QDateTime>
#include <QEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScopedValueRollback>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include <exception>
#include <map>
#include <string>

namespace zev {

namespace {

constexpr int CtrlFlag = 16384;
constexpr int VkF1 = 112;
// The clock's panel: 120 pixels, as wide as Tahoma needs; a wider font
// standing in for it gets the room its text needs.
constexpr int ClockPanelWidth = 120;
constexpr int ClockPadding = 12;

constexpr TMenuDef MenuTable[] = {
    {"Seleo1", "&Seleção"},
    {"Im1", "&Impressão"},
    {"Ferramentas1", "&Ferramentas"},
    {"Sair1", "A&juda"},
};

constexpr TMenuDef SubmenuTable[] = {
    {"Arquivo1", "Ar&quivo"},
};

constexpr TMenuItemDef MenuItemTable[] = {
    {"Seleo1", nullptr, "Hoje1", "&Hoje", CtrlFlag + 'H', &TMainForm::Hoje1Click},
    {"Seleo1", nullptr, "Amanh1", "&Amanhã", CtrlFlag + 'A', &TMainForm::Amanh1Click},
    {"Seleo1", nullptr, "UltimaImportao1", "&Ultima Importação", 0,
     &TMainForm::UltimaImportao1Click},
    {"Seleo1", nullptr, "daData1", "&Data", 0, &TMainForm::daData1Click},
    {"Seleo1", "Arquivo1", "Barras1", "&Barras", 0, &TMainForm::Barras1Click},
    {"Seleo1", "Arquivo1", "Tarvo90001", "&Tarvo9000", 0, &TMainForm::Tarvo90001Click},
    {"Seleo1", nullptr, "Agrupamento1", "A&grupamento", 0, &TMainForm::Agrupamento1Click},
    {"Seleo1", nullptr, "Edita1", "&Edita", 0, &TMainForm::Edita1Click},
    {"Im1", nullptr, "Individual1", "I&ndividual", VkF1 + 1, &TMainForm::Individual1Click},
    {"Im1", nullptr, "Seleo2", "S&eleção", VkF1 + 2, &TMainForm::Seleo2Click},
    {"Im1", nullptr, "Multipla1", "Multipla", VkF1 + 3, &TMainForm::Multipla1Click},
    {"Im1", nullptr, "DoArquivo1", "Do Arquivo", VkF1 + 4, &TMainForm::DoArquivo1Click},
    {"Im1", nullptr, "Procom1", "Procom", VkF1 + 5, &TMainForm::Procom1Click},
    {"Im1", nullptr, "Sequencial1", "Sequencial", VkF1 + 6, &TMainForm::Sequencial1Click},
    {"Im1", nullptr, "Historico1", "&Histórico", VkF1 + 7, &TMainForm::Historico1Click},
    {"Ferramentas1", nullptr, "Importar1", "&Importar", CtrlFlag + 'I', &TMainForm::Importar1Click},
    {"Ferramentas1", nullptr, "Configurao1", "&Configuração", 0, &TMainForm::Configurao1Click},
    {"Sair1", nullptr, "Sobre1", "&Sobre", 0, &TMainForm::Sobre1Click},
};

} // namespace

QKeySequence KeySequenceOf(const int shortCut)
{
    if (shortCut == 0)
        return {};
    if (shortCut >= VkF1 && shortCut < VkF1 + 12)
        return QKeySequence(Qt::Key_F1 + (shortCut - VkF1));
    const auto key = Qt::Key(shortCut & ~CtrlFlag);
    return (shortCut & CtrlFlag) ? QKeySequence(Qt::CTRL | key) : QKeySequence(key);
}

std::span<const TMenuDef> TMainForm::Menus()
{
    return MenuTable;
}

std::span<const TMenuItemDef> TMainForm::MenuItems()
{
    return MenuItemTable;
}

TMainForm::TMainForm(const TWindows& windows, const TRegistries& registries, TOperator& op)
    : m_windows(windows), m_registries(registries), m_operator(op)
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(Text(ZevTitle));
    setFont(QFont(QStringLiteral("Tahoma"), 8));

    auto* background = new QWidget;
    background->setObjectName(QStringLiteral("Background"));
    background->setAutoFillBackground(true);
    QPalette palette = background->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Dark));
    background->setPalette(palette);
    setCentralWidget(background);

    CreateMenus();
    CreateStatusBar();
    CreateHomePanel();

    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(1000);
    connect(m_timer1, &QTimer::timeout, this, &TMainForm::Timer1Timer);
    m_timer1->start();
    Timer1Timer();
}

void TMainForm::CreateMenus()
{
    auto* bar = new QMenuBar(this);
    bar->setObjectName(QStringLiteral("MainMenu1"));
    setMenuBar(bar);
    std::map<std::string, QMenu*> menus;
    for (const TMenuDef& def : MenuTable) {
        QMenu* menu = bar->addMenu(Text(def.caption));
        menu->setObjectName(Text(def.name));
        menus[def.name] = menu;
    }
    for (const TMenuItemDef& item : MenuItemTable) {
        QMenu* menu = menus.at(item.menu);
        if (item.submenu != nullptr) {
            auto found = menus.find(item.submenu);
            if (found == menus.end()) {
                const char* caption = "";
                for (const TMenuDef& def : SubmenuTable)
                    if (std::string_view(def.name) == item.submenu)
                        caption = def.caption;
                QMenu* submenu = menu->addMenu(Text(caption));
                submenu->setObjectName(Text(item.submenu));
                found = menus.emplace(item.submenu, submenu).first;
            }
            menu = found->second;
        }
        QAction* action = menu->addAction(Text(item.caption));
        action->setObjectName(Text(item.name));
        action->setProperty("ShortCut", item.shortCut);
        action->setShortcut(KeySequenceOf(item.shortCut));
        connect(action, &QAction::triggered, this,
                [this, handler = item.handler] { RunCommand(handler); });
    }
}

void TMainForm::CreateHomePanel()
{
    const auto item = [this](const char* name) {
        return findChild<QAction*>(QString::fromLatin1(name));
    };
    // Nothing is read yet: the registries are built after the windows.
    m_homePanel = new THomePanel(
        m_registries,
        {.importar = item("Importar1"), .hoje = item("Hoje1"), .imprimirSelecao = item("Seleo2")});
    // Below the screen sizes it is made for it is cut, never holding the
    // window wider than the person makes it.
    m_homePanel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    auto* layout = new QVBoxLayout(centralWidget());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_homePanel);
}

void TMainForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!m_commandRunning)
        m_homePanel->Refresh();
}

void TMainForm::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !m_commandRunning)
        m_homePanel->Refresh();
}

void TMainForm::CreateStatusBar()
{
    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName(QStringLiteral("StatusBar"));
    m_statusBar->setSizeGripEnabled(false);
    // Neither panel asks for room of its own: a fixed width on the first
    // would keep the window from ever getting narrower.
    m_panel0 = new QLabel;
    m_panel0->setObjectName(QStringLiteral("Panel0"));
    m_panel0->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_panel1 = new QLabel;
    m_panel1->setObjectName(QStringLiteral("Panel1"));
    m_panel1->setAlignment(Qt::AlignCenter);
    m_panel1->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    // The first panel takes all the room up to its width, the clock the rest.
    m_statusBar->addWidget(m_panel0, 1000);
    m_statusBar->addWidget(m_panel1, 1);
    m_statusBar->installEventFilter(this);
    setStatusBar(m_statusBar);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_statusBar && event->type() == QEvent::Resize)
        StatusBarResize();
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::StatusBarResize()
{
    const int clockText = m_panel1->fontMetrics().horizontalAdvance(m_panel1->text());
    const int clockWidth = std::max(ClockPanelWidth, clockText + ClockPadding);
    m_panel0->setMaximumWidth(std::max(0, m_statusBar->width() - clockWidth));
}

void TMainForm::Timer1Timer()
{
    m_panel1->setText(DateTimeToStr(QDateTime::currentDateTime()));
    // A longer date (10/12 after 9/12) may need more room.
    StatusBarResize();
}

void TMainForm::ShowStatus(const QString& text)
{
    m_panel0->setText(text);
    // The operation keeps the event loop busy: paint now.
    m_panel0->repaint();
}

void TMainForm::RunCommand(void (TMainForm::*handler)())
{
    // What the last job said stays until the next command.
    ShowStatus({});
    {
        const QScopedValueRollback running(m_commandRunning, true);
        GuardCommand(m_operator, [this, handler] { (this->*handler)(); });
    }
    // Whatever the command changed, or another program meanwhile.
    m_homePanel->Refresh();
}

void TMainForm::Importar1Click()
{
    ImportCadastro(m_operator);
}

void TMainForm::Hoje1Click()
{
    SelectByDate(m_operator, Today());
}

void TMainForm::Amanh1Click()
{
    SelectByDate(m_operator, Today() + 1);
}

void TMainForm::UltimaImportao1Click()
{
    SelectChangedPrices(m_operator);
}

void TMainForm::daData1Click()
{
    if (m_windows.DateDialog->Execute())
        SelectByDate(m_operator, m_windows.DateDialog->GetDate());
}

void TMainForm::Barras1Click()
{
    SelectFromBarcodeFile(m_operator, TBarcodeFileFormat::Barras);
}

void TMainForm::Tarvo90001Click()
{
    SelectFromBarcodeFile(m_operator, TBarcodeFileFormat::Tarvo9000);
}

void TMainForm::Agrupamento1Click()
{
    SelectFromTree(m_operator);
}

void TMainForm::Edita1Click()
{
    m_windows.EditForm->Execute();
}

std::optional<std::string> TMainForm::ChooseLabel(const TJobLabelsOf& jobLabels,
                                                  const std::string& proposed)
{
    TSelectLabelForm& chooser = *m_windows.SelectLabelForm;
    chooser.FillLabels(proposed);
    if (jobLabels)
        chooser.SetJobPreview(
            [this, &jobLabels](const std::string& name) { return PreviewJob(name, jobLabels); });
    const int result = chooser.exec();
    chooser.SetJobPreview({});
    // OK on an empty list chooses no label: there is nothing to print with.
    if (result != QDialog::Accepted || chooser.SelectedLabel().empty())
        return std::nullopt;
    return chooser.SelectedLabel();
}

bool TMainForm::PreviewJob(const std::string& labelName, const TJobLabelsOf& jobLabels)
{
    // Inside the chooser's event loop: nothing may leave it.
    try {
        const TPrinterLabel& label = m_registries.LabelRegistry().LabelHash.Item(labelName);
        const std::unique_ptr<TJobLabelList> labels = jobLabels(label);
        if (!labels)
            return false;
        TPreviewFrm preview(*labels, m_windows.SelectLabelForm);
        return preview.Execute();
    } catch (const std::exception& error) {
        m_operator.ShowError(QString::fromUtf8(error.what()));
        return false;
    }
}

void TMainForm::Seleo2Click()
{
    const auto selecao = [](const TPrinterLabel& label) { return SelecaoJobLabels(label); };
    if (const std::optional<std::string> label = ChooseLabel(selecao))
        ShowJobEnd(PrintSelecao(m_operator, m_registries, *label));
}

// Each counter command sets both modes: one used before leaves none behind.
void TMainForm::Individual1Click()
{
    if (const std::optional<std::string> label = ChooseLabel())
        RunCounter(*label, {.askCount = false, .askProcon = false});
}

void TMainForm::Multipla1Click()
{
    if (const std::optional<std::string> label = ChooseLabel())
        RunCounter(*label, {.askCount = true, .askProcon = false});
}

void TMainForm::Procom1Click()
{
    if (const std::optional<std::string> label = ChooseLabel())
        RunCounter(*label, {.askCount = false, .askProcon = true});
}

void TMainForm::RunCounter(const std::string& label, const TItemModes modes)
{
    m_windows.ItemForm->Execute(label, modes);
    ShowStatus(SentText(m_windows.ItemForm->Sent()));
}

void TMainForm::ShowJobEnd(const TPrintResult& result)
{
    if (result.outcome != TPrintOutcome::NotPrinted)
        ShowStatus(SentText(result.sent));
}

// The file is asked for once: by the first preview, or else by the job.
void TMainForm::DoArquivo1Click()
{
    std::optional<std::vector<std::string>> lines;
    const auto arquivo = [this, &lines](const TPrinterLabel& label) {
        if (!lines)
            lines = ReadBarcodeFile(m_operator, TBarcodeFileFormat::Barras);
        return lines ? ArquivoJobLabels(label, *lines) : nullptr;
    };
    const std::optional<std::string> label = ChooseLabel(arquivo);
    if (!label)
        return;
    ShowJobEnd(lines ? PrintArquivo(m_operator, m_registries, *label, std::move(*lines))
                     : PrintArquivo(m_operator, m_registries, *label));
}

// Each preview asks for the numbers, as the job does after the chooser (the
// window keeps what was typed); the job prints the last ones confirmed.
void TMainForm::Sequencial1Click()
{
    struct TRange
    {
        std::int32_t first;
        std::int32_t last;
        double date;
    };
    TSequenciaForm& sequencia = *m_windows.SequenciaForm;
    std::optional<TRange> range;
    const auto ask = [&sequencia, &range] {
        if (!sequencia.Execute())
            return false;
        range = TRange{sequencia.Inicial(), sequencia.Final(), sequencia.GetDate()};
        return true;
    };
    const auto numeros = [&ask, &range](const TPrinterLabel& label) {
        return ask() ? SequenciaJobLabels(label, range->first, range->last, range->date) : nullptr;
    };
    const std::optional<std::string> label = ChooseLabel(numeros);
    if (!label || (!range && !ask()))
        return;
    ShowJobEnd(
        PrintSequencia(m_operator, m_registries, *label, range->first, range->last, range->date));
}

// The job chosen in the history prints again through the chooser, like
// every job; its preview shows what would print.
void TMainForm::Historico1Click()
{
    THistoricoFrm historico(m_operator, this);
    const std::optional<TReprintChoice> choice = historico.Execute();
    if (!choice)
        return;
    const auto reprint = [&choice](const TPrinterLabel& label) {
        return ReprintJobLabels(label, choice->job, choice->fromStop);
    };
    if (const std::optional<std::string> label = ChooseLabel(reprint, choice->label))
        ShowJobEnd(ReprintJob(m_operator, m_registries, *label, choice->job, choice->fromStop));
}

void TMainForm::Configurao1Click()
{
    m_windows.ConfigForm->LoadFromSettings();
    m_windows.ConfigForm->exec();
}

void TMainForm::Sobre1Click()
{
    m_windows.SobreForm->exec();
}

} // namespace zev
