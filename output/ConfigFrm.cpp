#include "output/ConfigFrm.h"

#include "app/DialogButtons.h"
#include "app/Registries.h"
#include "app/Settings.h"
#include "catalogue/Produto.h"
#include "labels/PrinterLabel.h"
#include "output/LabelPreviewView.h"
#include "output/Networkd.h"
#include "platform/AnsiText.h"
#include "platform/Profile.h"
#include "printing/JobLabels.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QShortcut>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>
#include <utility>

namespace zev {

namespace {

constexpr int MinBalancaDigits = 14;
constexpr QSize PreviewSize(213, 41);
// A 60 x 40 mm label at half its dots.
constexpr QSize LivePreviewSize(240, 160);

template <typename Widget> Widget* Named(Widget* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QComboBox* NewDropDownList(const char* name)
{
    auto* list = Named(new QComboBox, name);
    list->setEditable(false);
    list->setMinimumContentsLength(24);
    return list;
}

// The row the operator selected; -1 when none (a row can be current
// without being selected).
int SelectedRow(const QListWidget* list)
{
    const QListWidgetItem* item = list->currentItem();
    return item != nullptr && item->isSelected() ? list->currentRow() : -1;
}

void ClearSelection(QListWidget* list)
{
    list->setCurrentRow(-1);
    list->clearSelection();
}

// The masked edit keeps digits only.
QString DigitsOnly(const std::string& text)
{
    QString digits;
    for (const char c : text)
        if (c >= '0' && c <= '9' && digits.size() < MinBalancaDigits)
            digits += QChar::fromLatin1(c);
    return digits;
}

} // namespace

TConfigForm::TConfigForm(const TRegistries& registries, QWidget* parent)
    : QDialog(parent), m_registries(registries)
{
    setObjectName(QStringLiteral("ConfigForm"));
    setWindowTitle(Text("Configuração"));

    m_pageControl = Named(new QTabWidget, "PageControl1");
    m_pageControl->addTab(CreateGeralTab(), QStringLiteral("&Geral"));
    m_pageControl->addTab(CreateEtiquetasTab(), QStringLiteral("&Etiquetas"));
    // The tab widget gets these keys only from children that leave them
    // alone; the lists do not.
    const std::pair<QKeyCombination, int> turns[] = {
        {Qt::CTRL | Qt::Key_Tab, +1},
        {Qt::CTRL | Qt::SHIFT | Qt::Key_Tab, -1},
        {Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab, -1},
    };
    for (const auto& [keys, step] : turns) {
        auto* shortcut = new QShortcut(QKeySequence(keys), this);
        connect(shortcut, &QShortcut::activated, this, [this, step = step] { TurnTab(step); });
    }

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pageControl);
    const TDialogButtons buttons = AddDialogButtons(*this, *layout, false);
    connect(buttons.ok, &QPushButton::clicked, this, &TConfigForm::BitBtn1Click);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

TConfigForm::~TConfigForm() = default;

QWidget* TConfigForm::CreateGeralTab()
{
    m_labelDefaultCmb = NewDropDownList("LabelDefaultCmb");
    m_agrupadoChk = Named(new QCheckBox(QStringLiteral("Agrupado:")), "AgrupadoChk");
    m_agrupadoCmb = NewDropDownList("AgrupadoCmb");
    m_agrupadoCmb->addItems({QStringLiteral("Departamento"), Text("Seção"), QStringLiteral("Grupo"),
                             QStringLiteral("Sub Grupo")});
    m_autmoChk = Named(new QCheckBox(QStringLiteral("Imp. Autom:")), "AutmoChk");
    m_atacadoChk = Named(new QCheckBox(QStringLiteral("Modo Atacado")), "AtacadoChk");
    m_minBalancaEdt = Named(new QLineEdit, "MinBalancaEdt");
    m_minBalancaEdt->setMaxLength(MinBalancaDigits);
    m_minBalancaEdt->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,14}")), m_minBalancaEdt));

    auto* impressao = Named(new QGroupBox(Text("Impressão")), "GroupBox1");
    auto* grid = new QGridLayout(impressao);
    auto* tipoDefault = new QLabel(QStringLiteral("Tipo Default:"));
    tipoDefault->setBuddy(m_labelDefaultCmb);
    grid->addWidget(tipoDefault, 0, 0);
    grid->addWidget(m_labelDefaultCmb, 0, 1);
    grid->addWidget(m_agrupadoChk, 1, 0);
    grid->addWidget(m_agrupadoCmb, 1, 1);
    grid->addWidget(m_autmoChk, 2, 0);
    grid->addWidget(m_atacadoChk, 3, 0);

    auto* balanca = Named(new QGroupBox(Text("Balança:")), "GroupBox2");
    auto* balancaLayout = new QHBoxLayout(balanca);
    auto* codMin = new QLabel(QStringLiteral("Cod. Min:"));
    codMin->setBuddy(m_minBalancaEdt);
    balancaLayout->addWidget(codMin);
    balancaLayout->addWidget(m_minBalancaEdt);
    balancaLayout->addStretch();

    connect(m_agrupadoChk, &QCheckBox::clicked, this, &TConfigForm::AgrupadoChkClick);
    connect(m_agrupadoCmb, &QComboBox::activated, this, &TConfigForm::AgrupadoCmbChange);
    connect(m_minBalancaEdt, &QLineEdit::textChanged, this, &TConfigForm::MinBalancaEdtChange);
    connect(m_autmoChk, &QCheckBox::clicked, this, &TConfigForm::AutmoChkClick);
    connect(m_atacadoChk, &QCheckBox::clicked, this, &TConfigForm::AtacadoChkClick);
    connect(m_labelDefaultCmb, &QComboBox::activated, this, &TConfigForm::LabelDefaultCmbChange);

    auto* page = Named(new QWidget, "TabSheet1");
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(impressao);
    layout->addWidget(balanca);
    layout->addStretch();
    return page;
}

QWidget* TConfigForm::CreateEtiquetasTab()
{
    m_labelLst = Named(new QListWidget, "LabelLst");
    m_labelLst->setSelectionMode(QAbstractItemView::SingleSelection);
    m_speedButton1 = Named(new QToolButton, "SpeedButton1");
    m_speedButton1->setText(QStringLiteral("+"));
    m_speedButton1->setToolTip(Text("Atribui a porta à etiqueta"));
    m_speedButton2 = Named(new QToolButton, "SpeedButton2");
    m_speedButton2->setText(Text("−"));
    m_speedButton2->setToolTip(QStringLiteral("Remove a etiqueta da lista"));
    m_labelCmb = NewDropDownList("LabelCmb");
    m_printerLbl = Named(new QLabel, "PrinterLbl");
    m_labelImg = Named(new QLabel, "LabelImg");
    m_labelImg->setFixedSize(PreviewSize);
    m_labelImg->setScaledContents(true);
    m_livePreview = Named(new TLabelPreviewView(LivePreviewSize), "LivePreview");
    m_livePreview->setFixedSize(LivePreviewSize);
    m_portCmb = NewDropDownList("PortCmb");
    m_button1 = Named(new QPushButton(QStringLiteral("&Configura")), "Button1");
    m_novaRedeBtn = Named(new QPushButton(Text("&Nova impressora de rede…")), "NovaRedeBtn");

    auto* listButtons = new QHBoxLayout;
    listButtons->addWidget(m_speedButton1);
    listButtons->addWidget(m_speedButton2);
    listButtons->addStretch();

    auto* grid = new QGridLayout;
    auto* etiqueta = new QLabel(QStringLiteral("Etiqueta:"));
    etiqueta->setBuddy(m_labelCmb);
    grid->addWidget(etiqueta, 0, 0);
    grid->addWidget(m_labelCmb, 0, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Impressora:")), 1, 0);
    grid->addWidget(m_printerLbl, 1, 1, 1, 2);
    grid->addWidget(m_labelImg, 2, 1, 1, 2);
    auto* porta = new QLabel(QStringLiteral("Porta:"));
    porta->setBuddy(m_portCmb);
    grid->addWidget(porta, 3, 0);
    grid->addWidget(m_portCmb, 3, 1);
    grid->addWidget(m_button1, 3, 2);
    grid->addWidget(m_novaRedeBtn, 4, 1, 1, 2, Qt::AlignRight);
    grid->addWidget(m_livePreview, 0, 3, 5, 1, Qt::AlignTop);

    connect(m_labelLst, &QListWidget::itemSelectionChanged, this, &TConfigForm::LabelLstClick);
    connect(m_labelLst, &QListWidget::itemClicked, this, &TConfigForm::LabelLstClick);
    connect(m_speedButton1, &QToolButton::clicked, this, &TConfigForm::SpeedButton1Click);
    connect(m_speedButton2, &QToolButton::clicked, this, &TConfigForm::SpeedButton2Click);
    connect(m_labelCmb, &QComboBox::activated, this, &TConfigForm::LabelCmbChange);
    connect(m_button1, &QPushButton::clicked, this, &TConfigForm::Button1Click);
    connect(m_novaRedeBtn, &QPushButton::clicked, this, &TConfigForm::NovaRedeBtnClick);

    auto* page = Named(new QWidget, "TabSheet2");
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(m_labelLst);
    layout->addLayout(listButtons);
    layout->addLayout(grid);
    return page;
}

void TConfigForm::LoadFromSettings()
{
    m_geral = ReadGeneralSettings(SettingsPath());
    m_configuredLabels = LoadConfiguredLabels(SettingsPath());
    // The catalogue and the selection may have changed since the last showing.
    m_sample.reset();
    m_noSample.clear();
    ShowSettings();
}

void TConfigForm::SaveToSettings()
{
    SaveGeneralSettings(SettingsPath(), m_geral);
    // Every write above is already on disk.
    SaveConfiguredLabels(SettingsPath(), m_configuredLabels);
}

void TConfigForm::ShowSettings()
{
    m_agrupadoChk->setChecked(m_geral.agrupado);
    m_agrupadoCmb->setEnabled(m_geral.agrupado);
    m_agrupadoCmb->setCurrentIndex(m_geral.agrupado ? m_geral.agrupadoPor : -1);
    // The edit keeps digits only, and so does what OK writes, whether or
    // not the edit showed this text already.
    const QString minBalanca = DigitsOnly(m_geral.minBalanca);
    m_geral.minBalanca = minBalanca.toStdString();
    m_minBalancaEdt->setText(minBalanca);
    m_autmoChk->setChecked(m_geral.impAutom);
    m_atacadoChk->setChecked(m_geral.atacado);
    FillLists();
    FillDefaultLabels();
}

QString TConfigForm::ConfiguredLabelText(const TConfiguredLabel& entry) const
{
    const TLabelRegistry& labels = m_registries.LabelRegistry();
    if (!labels.LabelHash.Exists(entry.LabelName))
        return AnsiToQString(entry.LabelName);
    return AnsiToQString(labels.LabelHash.Item(entry.LabelName).GetDescription());
}

void TConfigForm::FillLists()
{
    m_labelCmb->clear();
    for (const TPrinterLabel* label : m_registries.LabelRegistry().LabelList)
        m_labelCmb->addItem(AnsiToQString(label->GetDescription()));
    m_labelCmb->setCurrentIndex(-1);

    m_portCmb->clear();
    for (const TPrinterPort* port : m_registries.PortRegistry().PortList())
        m_portCmb->addItem(AnsiToQString(port->GetName()));
    m_portCmb->setCurrentIndex(-1);

    m_labelLst->clear();
    for (const TConfiguredLabel& entry : m_configuredLabels)
        m_labelLst->addItem(ConfiguredLabelText(entry));
    ClearSelection(m_labelLst);

    m_labelImg->clear();
    m_livePreview->Clear();
}

void TConfigForm::FillDefaultLabels()
{
    m_labelDefaultCmb->clear();
    int selected = -1;
    for (std::size_t i = 0; i < m_configuredLabels.size(); ++i) {
        m_labelDefaultCmb->addItem(ConfiguredLabelText(m_configuredLabels[i]));
        if (selected < 0 && !m_geral.defaultLabel.empty() &&
            m_configuredLabels[i].LabelName == m_geral.defaultLabel)
            selected = static_cast<int>(i);
    }
    m_labelDefaultCmb->setCurrentIndex(selected);
    ShowLabelPreview();
}

void TConfigForm::ShowLabelPreview()
{
    const int selected = m_labelCmb->currentIndex();
    if (selected < 0) {
        m_labelImg->clear();
        ShowLivePreview(nullptr);
        return;
    }
    const TPrinterLabel& label =
        *m_registries.LabelRegistry().LabelList.at(static_cast<std::size_t>(selected));
    ShowLivePreview(&label);
    if (label.GetImage().isNull()) {
        m_labelImg->clear();
        m_printerLbl->clear();
        return;
    }
    m_labelImg->setPixmap(QPixmap::fromImage(label.GetImage()));
    m_printerLbl->setText(AnsiToQString(label.GetPrinter()));
}

void TConfigForm::ShowLivePreview(const TPrinterLabel* label)
{
    if (label == nullptr) {
        m_livePreview->Clear();
        return;
    }
    if (!m_sample && m_noSample.isEmpty()) {
        // A catalogue that cannot be read takes nothing from the dialog but this picture.
        try {
            if (std::optional<TSampleProduto> sample = SampleProduto())
                m_sample = std::make_unique<TSampleProduto>(std::move(*sample));
            else
                m_noSample = Text("O cadastro não tem produtos para o exemplo.");
        } catch (const std::exception& error) {
            m_noSample = QString::fromUtf8(error.what());
        }
    }
    if (!m_sample) {
        m_livePreview->SetReason(m_noSample);
        return;
    }
    try {
        m_livePreview->SetPicture(PreviewProduto(*label, *m_sample->produto, m_sample->date));
    } catch (const std::exception& error) {
        m_livePreview->SetReason(QString::fromUtf8(error.what()));
    }
}

void TConfigForm::AgrupadoChkClick()
{
    m_geral.agrupado = m_agrupadoChk->isChecked();
    m_agrupadoCmb->setEnabled(m_geral.agrupado);
    // The choice is kept, so checking again restores it.
    m_agrupadoCmb->setCurrentIndex(m_geral.agrupado ? m_geral.agrupadoPor : -1);
}

void TConfigForm::AgrupadoCmbChange()
{
    m_geral.agrupadoPor = m_agrupadoCmb->currentIndex();
}

void TConfigForm::MinBalancaEdtChange()
{
    m_geral.minBalanca = m_minBalancaEdt->text().toStdString();
}

void TConfigForm::AutmoChkClick()
{
    m_geral.impAutom = m_autmoChk->isChecked();
}

void TConfigForm::AtacadoChkClick()
{
    m_geral.atacado = m_atacadoChk->isChecked();
}

void TConfigForm::LabelDefaultCmbChange()
{
    const int selected = m_labelDefaultCmb->currentIndex();
    if (selected >= 0 && static_cast<std::size_t>(selected) < m_configuredLabels.size())
        m_geral.defaultLabel = m_configuredLabels[static_cast<std::size_t>(selected)].LabelName;
}

void TConfigForm::LabelCmbChange()
{
    ShowLabelPreview();
}

void TConfigForm::LabelLstClick()
{
    const int selected = SelectedRow(m_labelLst);
    if (selected < 0 || static_cast<std::size_t>(selected) >= m_configuredLabels.size())
        return;
    const TConfiguredLabel& entry = m_configuredLabels[static_cast<std::size_t>(selected)];
    const auto& labels = m_registries.LabelRegistry().LabelList;
    const auto label = std::find_if(labels.begin(), labels.end(), [&](const TPrinterLabel* l) {
        return l->GetName() == entry.LabelName;
    });
    if (label != labels.end())
        m_labelCmb->setCurrentIndex(static_cast<int>(label - labels.begin()));
    const TPortList& ports = m_registries.PortRegistry().PortList();
    const auto port = std::find_if(ports.begin(), ports.end(), [&](const TPrinterPort* p) {
        return p->GetName() == entry.PortName;
    });
    if (port != ports.end())
        m_portCmb->setCurrentIndex(static_cast<int>(port - ports.begin()));
    ShowLabelPreview();
}

void TConfigForm::SpeedButton1Click()
{
    const int label = m_labelCmb->currentIndex();
    const int port = m_portCmb->currentIndex();
    if (label < 0 || port < 0)
        return;
    const std::string labelName =
        m_registries.LabelRegistry().LabelList.at(static_cast<std::size_t>(label))->GetName();
    const std::string portName =
        m_registries.PortRegistry().PortList().at(static_cast<std::size_t>(port))->GetName();
    AssignLabel(m_configuredLabels, labelName, portName);
    FillLists();
    FillDefaultLabels();
}

void TConfigForm::SpeedButton2Click()
{
    const int selected = SelectedRow(m_labelLst);
    if (selected < 0)
        return;
    RemoveLabel(m_configuredLabels, static_cast<std::size_t>(selected));
    FillLists();
    FillDefaultLabels();
}

void TConfigForm::Button1Click()
{
    const int selected = m_portCmb->currentIndex();
    if (selected < 0)
        return;
    const std::string name =
        m_registries.PortRegistry().PortList().at(static_cast<std::size_t>(selected))->GetName();
    const bool removed = ConfigureListedPort(
        *m_registries.Ports, name, SettingsPath(), m_configuredLabels,
        [this](const TConfiguredLabel& entry) { return ConfiguredLabelText(entry); });
    if (!removed)
        return;
    FillLists();
    FillDefaultLabels();
}

void TConfigForm::TurnTab(const int step)
{
    const int count = m_pageControl->count();
    m_pageControl->setCurrentIndex((m_pageControl->currentIndex() + step + count) % count);
}

void TConfigForm::NovaRedeBtnClick()
{
    const std::optional<std::string> added = AddNetworkPort(*m_registries.Ports, SettingsPath());
    if (!added)
        return;
    // Only the port list changes: a label chosen for the new port stays chosen.
    m_portCmb->clear();
    int position = -1;
    for (const TPrinterPort* port : m_registries.PortRegistry().PortList()) {
        if (port->GetName() == *added)
            position = m_portCmb->count();
        m_portCmb->addItem(AnsiToQString(port->GetName()));
    }
    m_portCmb->setCurrentIndex(position);
}

void TConfigForm::BitBtn1Click()
{
    SaveToSettings();
    accept();
}

} // namespace zev
