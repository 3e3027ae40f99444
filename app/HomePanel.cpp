#include "app/HomePanel.h"

#include "app/Registries.h"
#include "catalogue/Database.h"
#include "catalogue/Produto.h"
#include "labels/PrinterLabel.h"
#include "output/LabelPreviewView.h"
#include "platform/AnsiText.h"
#include "platform/Regional.h"
#include "preview/LabelPreview.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>

namespace zev {

namespace {

// Read from arm's length at a counter: the texts larger than the desktop's,
// the numbers much larger.
constexpr double TextScale = 1.25;
constexpr double MinimumTextPoints = 11;
constexpr double NumberScale = 3;
constexpr int RoadButtonHeight = 64;
constexpr std::size_t LabelsShown = 6;
const QSize PreviewRoom(280, 190);

QFont ScaledFont(double scale, bool bold = false)
{
    QFont font = QApplication::font();
    const double base = std::max(font.pointSizeF() * TextScale, MinimumTextPoints);
    font.setPointSizeF(base * scale);
    font.setBold(bold);
    return font;
}

// A card of the panel: the desktop's own colours on the window's darker
// background.
QGroupBox* Card(const QString& title, const QString& objectName)
{
    auto* box = new QGroupBox(title);
    box->setObjectName(objectName);
    box->setStyleSheet(
        QStringLiteral("QGroupBox { background-color: %1; border: 1px solid %2; margin-top: "
                       "1.4em; padding: 6px; }"
                       "QGroupBox::title { subcontrol-origin: margin; left: 4px; }")
            .arg(QApplication::palette().color(QPalette::Window).name(),
                 QApplication::palette().color(QPalette::Dark).name()));
    // Under a style sheet the box's children take the desktop's font, not
    // the panel's: each is given its own.
    box->setFont(ScaledFont(1));
    return box;
}

const char* const ProblemStyle = "color: #b00000;";
const char* const RoadStyle =
    "QPushButton { padding: 6px 18px; text-align: left; }"
    "QPushButton[next=\"true\"] { background: palette(highlight); color: "
    "palette(highlighted-text); font-weight: bold; border: 2px solid palette(dark); }";

// The large figure of a card.
QLabel* NumberLabel(const QString& objectName)
{
    auto* label = new QLabel;
    label->setObjectName(objectName);
    label->setFont(ScaledFont(NumberScale, true));
    return label;
}

QLabel* TextLabel(const QString& objectName)
{
    auto* label = new QLabel;
    label->setObjectName(objectName);
    label->setWordWrap(true);
    label->setFont(ScaledFont(1));
    return label;
}

QString Count(std::int64_t value)
{
    return QLocale(QLocale::Portuguese, QLocale::Brazil).toString(qlonglong{value});
}

QString DateText(double day)
{
    return AnsiToQString(DateToStr(day));
}

QString CatalogueText(const TCatalogueStatus& catalogue)
{
    if (!catalogue.error.isEmpty())
        return QStringLiteral("O catálogo não pôde ser lido: %1").arg(catalogue.error);
    if (catalogue.produtos == 0)
        return QStringLiteral("Nenhum catálogo importado ainda.\nImporte o arquivo ZEV.TXT do "
                              "escritório: Importar (Ctrl+I).");
    const QString when = catalogue.importedAt ? DateTimeToStr(*catalogue.importedAt)
                                              : QStringLiteral("data desconhecida");
    QString text = QStringLiteral("produtos, importados em %1").arg(when);
    if (catalogue.importedAt && !catalogue.importedFrom.isEmpty())
        text += QStringLiteral("\nde %1").arg(catalogue.importedFrom);
    return text;
}

QString DayName(double day, double today)
{
    if (day == today)
        return QStringLiteral(" (hoje)");
    if (day == today + 1)
        return QStringLiteral(" (amanhã)");
    return {};
}

QString SelectionText(const THomeStatus& status, double today)
{
    const TSelectionStatus& selection = status.selection;
    if (!status.catalogue.error.isEmpty())
        return {};
    if (status.catalogue.produtos == 0)
        return QStringLiteral("itens. Importe o catálogo antes de selecionar.");
    if (selection.count == 0)
        return QStringLiteral("itens: a seleção está vazia.\nSelecione as mudanças de preço de "
                              "hoje: Hoje (Ctrl+H).");
    QString text = QStringLiteral("itens com os preços de %1%2")
                       .arg(DateText(selection.date), DayName(selection.date, today));
    if (selection.date != today)
        return text + QStringLiteral(".\nA seleção não é de hoje: para as mudanças de preço de "
                                     "hoje, Hoje (Ctrl+H).");
    text += QStringLiteral(".\nPronta para imprimir: Imprimir seleção (F3).");
    if (static_cast<std::size_t>(selection.count) > selection.rows.size())
        text += QStringLiteral("\nOs primeiros, na ordem de impressão:");
    return text;
}

QString NextStepText(TNextStep step)
{
    switch (step) {
    case TNextStep::Importar:
        return QStringLiteral("Próximo passo: importar o catálogo (Ctrl+I).");
    case TNextStep::Hoje:
        return QStringLiteral("Próximo passo: selecionar as mudanças de preço de hoje (Ctrl+H).");
    case TNextStep::ImprimirSelecao:
        return QStringLiteral("Próximo passo: imprimir a seleção (F3).");
    }
    return {};
}

QString LabelText(const THomeLabel& label)
{
    QString text = AnsiToQString(label.description.empty() ? label.name : label.description);
    if (!label.description.empty())
        text += QStringLiteral(" (%1)").arg(AnsiToQString(label.name));
    if (!label.port.empty()) {
        text += QStringLiteral(" → %1").arg(AnsiToQString(label.port));
        if (label.kind)
            text += QStringLiteral(" (%1)").arg(PortKindText(*label.kind));
    }
    if (label.isDefault)
        text += QStringLiteral(" · Etiqueta padrão");
    if (!label.problem.isEmpty())
        text += u'\n' + label.problem;
    return text;
}

QTableWidgetItem* Cell(const QString& text, Qt::Alignment alignment = Qt::AlignLeft)
{
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(alignment | Qt::AlignVCenter);
    return item;
}

} // namespace

THomePanel::THomePanel(const TRegistries& registries, const THomeRoad road, QWidget* parent)
    : QWidget(parent), m_registries(registries)
{
    setObjectName(QStringLiteral("HomePanel"));
    setFont(ScaledFont(1));

    auto* roadRow = new QHBoxLayout;
    m_road = {RoadButton(QStringLiteral("RoadImportar"), QStringLiteral("1   Importar\nCtrl+I"),
                         road.importar),
              RoadButton(QStringLiteral("RoadHoje"), QStringLiteral("2   Hoje\nCtrl+H"), road.hoje),
              RoadButton(QStringLiteral("RoadImprimir"), QStringLiteral("3   Imprimir seleção\nF3"),
                         road.imprimirSelecao)};
    for (QPushButton* button : m_road)
        roadRow->addWidget(button);
    m_nextLbl = new QLabel;
    m_nextLbl->setObjectName(QStringLiteral("ProximoPasso"));
    m_nextLbl->setFont(ScaledFont(1, true));
    m_lastJobLbl = new QLabel;
    m_lastJobLbl->setObjectName(QStringLiteral("UltimoTrabalho"));
    m_lastJobLbl->setWordWrap(true);

    auto* left = new QVBoxLayout;
    left->addWidget(CatalogueBox());
    left->addWidget(LabelsBox(), 1);
    auto* body = new QHBoxLayout;
    body->addLayout(left, 1);
    body->addWidget(SelectionBox(), 2);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 12, 16, 12);
    layout->addLayout(roadRow);
    layout->addWidget(m_nextLbl);
    layout->addWidget(m_lastJobLbl);
    layout->addLayout(body, 1);
    setTabOrder(m_road[0], m_road[1]);
    setTabOrder(m_road[1], m_road[2]);
    setTabOrder(m_road[2], m_rowsTbl);
}

QPushButton* THomePanel::RoadButton(const QString& objectName, const QString& caption,
                                    QAction* action)
{
    auto* button = new QPushButton(caption);
    button->setObjectName(objectName);
    button->setFont(ScaledFont(1.2));
    button->setMinimumHeight(RoadButtonHeight);
    button->setStyleSheet(QString::fromLatin1(RoadStyle));
    // The menu item itself runs: its handler, and its guard, once.
    if (action != nullptr)
        connect(button, &QPushButton::clicked, action, &QAction::trigger);
    button->installEventFilter(this);
    return button;
}

QGroupBox* THomePanel::CatalogueBox()
{
    QGroupBox* box = Card(QStringLiteral("Catálogo"), QStringLiteral("CatalogoBox"));
    m_produtosLbl = NumberLabel(QStringLiteral("CatalogoNumero"));
    m_catalogueLbl = TextLabel(QStringLiteral("CatalogoTexto"));
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(m_produtosLbl);
    layout->addWidget(m_catalogueLbl);
    return box;
}

QGroupBox* THomePanel::SelectionBox()
{
    QGroupBox* box = Card(QStringLiteral("Seleção"), QStringLiteral("SelecaoBox"));
    m_selecionadosLbl = NumberLabel(QStringLiteral("SelecaoNumero"));
    m_selectionLbl = TextLabel(QStringLiteral("SelecaoTexto"));

    m_rowsTbl = new QTableWidget(0, 3);
    m_rowsTbl->setObjectName(QStringLiteral("SelecaoTabela"));
    m_rowsTbl->setFont(ScaledFont(1));
    m_rowsTbl->setHorizontalHeaderLabels(
        {QStringLiteral("Código"), QStringLiteral("Descrição"), QStringLiteral("Preço")});
    m_rowsTbl->verticalHeader()->hide();
    m_rowsTbl->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_rowsTbl->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_rowsTbl->setSelectionMode(QAbstractItemView::SingleSelection);
    m_rowsTbl->setTabKeyNavigation(false);
    m_rowsTbl->setWordWrap(false);
    m_rowsTbl->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_rowsTbl->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QHeaderView* header = m_rowsTbl->horizontalHeader();
    header->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(1, QHeaderView::Stretch);
    header->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    connect(m_rowsTbl, &QTableWidget::currentCellChanged, this,
            [this](int row) { ShowPreviewOfRow(row); });

    m_preview = new TLabelPreviewView(PreviewRoom);
    m_preview->setObjectName(QStringLiteral("SelecaoPreview"));

    auto* rows = new QHBoxLayout;
    rows->addWidget(m_rowsTbl, 1, Qt::AlignTop);
    rows->addWidget(m_preview, 0, Qt::AlignTop);
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(m_selecionadosLbl);
    layout->addWidget(m_selectionLbl);
    layout->addLayout(rows, 1);
    return box;
}

QGroupBox* THomePanel::LabelsBox()
{
    QGroupBox* box = Card(QStringLiteral("Etiquetas"), QStringLiteral("EtiquetasBox"));
    auto* layout = new QVBoxLayout(box);
    // One line a label shown, and one for what is not.
    for (std::size_t i = 0; i <= LabelsShown; ++i) {
        QLabel* line = TextLabel(QStringLiteral("Etiqueta%1").arg(i));
        line->hide();
        layout->addWidget(line);
        m_labelLbls.push_back(line);
    }
    layout->addStretch(1);
    return box;
}

void THomePanel::Refresh()
{
    try {
        m_status = ReadHomeStatus(m_registries, RowLimit);
    } catch (const std::exception& error) {
        // zev.ini itself unreadable: the panel says so and the menu still works.
        m_status = {};
        m_status.catalogue.error = QString::fromUtf8(error.what());
    }
    ShowCatalogue();
    ShowSelection();
    ShowLabels();
    ShowNextStep();
    ShowLastJob();
}

// What printed last today, when and how it ended: where to look in
// "Impressão › Histórico" when a job stopped.
void THomePanel::ShowLastJob()
{
    m_lastJobLbl->setVisible(m_status.lastJob.has_value());
    if (!m_status.lastJob)
        return;
    const THistoryJob& job = *m_status.lastJob;
    const QDateTime started = QDateTime::fromString(job.inicio, Qt::ISODate);
    QString text = QString::fromUtf8("Última impressão: trabalho %1, %2 às %3, etiqueta %4: %5 "
                                     "de %6 etiqueta(s) enviada(s), %7.")
                       .arg(job.number)
                       .arg(JobKindText(job.kind), started.toString(QStringLiteral("HH:mm")),
                            AnsiToQString(job.label))
                       .arg(job.sent)
                       .arg(job.planned)
                       .arg(JobEndText(job));
    const bool stopped = job.sent < job.planned;
    if (stopped)
        text += QString::fromUtf8(" Para terminá-lo: Impressão › Histórico › Continuar.");
    m_lastJobLbl->setText(text);
    m_lastJobLbl->setStyleSheet(stopped ? QString::fromLatin1(ProblemStyle) : QString());
}

void THomePanel::ShowCatalogue()
{
    const TCatalogueStatus& catalogue = m_status.catalogue;
    m_produtosLbl->setText(catalogue.error.isEmpty() ? Count(catalogue.produtos)
                                                     : QStringLiteral("—"));
    m_catalogueLbl->setText(CatalogueText(catalogue));
    m_catalogueLbl->setStyleSheet(catalogue.error.isEmpty() ? QString()
                                                            : QString::fromLatin1(ProblemStyle));
}

void THomePanel::ShowSelection()
{
    const TSelectionStatus& selection = m_status.selection;
    const bool readable = m_status.catalogue.error.isEmpty();
    m_selecionadosLbl->setText(readable ? Count(selection.count) : QStringLiteral("—"));
    m_selectionLbl->setText(SelectionText(m_status, Today()));

    const QSignalBlocker quiet(m_rowsTbl);
    m_rowsTbl->setRowCount(static_cast<int>(selection.rows.size()));
    for (int row = 0; row < m_rowsTbl->rowCount(); ++row) {
        const THomeRow& item = selection.rows[static_cast<std::size_t>(row)];
        m_rowsTbl->setItem(row, 0, Cell(QString::number(item.key), Qt::AlignRight));
        m_rowsTbl->setItem(row, 1, Cell(AnsiToQString(item.descricao)));
        m_rowsTbl->setItem(row, 2,
                           Cell(AnsiToQString(FormatFloat("%.2f", item.preco)), Qt::AlignRight));
    }
    // As tall as its rows: the panel never scrolls.
    m_rowsTbl->setFixedHeight(m_rowsTbl->horizontalHeader()->sizeHint().height() +
                              m_rowsTbl->verticalHeader()->length() + 2 * m_rowsTbl->frameWidth());
    m_rowsTbl->setVisible(!selection.rows.empty());
    m_preview->setVisible(!selection.rows.empty());
    if (selection.rows.empty())
        return;
    const int current = std::clamp(m_rowsTbl->currentRow(), 0, m_rowsTbl->rowCount() - 1);
    m_rowsTbl->setCurrentCell(current, 0);
    ShowPreviewOfRow(current);
}

void THomePanel::ShowPreviewOfRow(int row)
{
    const std::vector<THomeRow>& rows = m_status.selection.rows;
    if (row < 0 || static_cast<std::size_t>(row) >= rows.size()) {
        m_preview->Clear();
        return;
    }
    const std::string& labelName = m_status.defaultLabel;
    if (labelName.empty()) {
        m_preview->SetReason(QStringLiteral("Sem etiqueta padrão: escolha uma em Ferramentas › "
                                            "Configuração para vê-la aqui."));
        return;
    }
    if (!m_registries.Labels || !m_registries.Labels->LabelHash.Exists(labelName)) {
        m_preview->SetReason(QStringLiteral("A etiqueta padrão %1 não está na pasta dos modelos.")
                                 .arg(AnsiToQString(labelName)));
        return;
    }
    // The product as the catalogue has it now, drawn as the job would send it.
    try {
        const std::unique_ptr<TConnection> connection = OpenDatabase();
        const std::unique_ptr<TProduto> produto =
            FindProdutoByKey(*connection, rows[static_cast<std::size_t>(row)].key);
        if (!produto) {
            m_preview->SetReason(QStringLiteral("O produto saiu do catálogo."));
            return;
        }
        m_preview->SetPicture(PreviewProduto(m_registries.Labels->LabelHash.Item(labelName),
                                             *produto, m_status.selection.date));
    } catch (const std::exception& error) {
        m_preview->SetReason(QString::fromUtf8(error.what()));
    }
}

void THomePanel::ShowLabels()
{
    std::vector<std::pair<QString, bool>> lines; // text, whether it tells a problem
    const std::vector<THomeLabel>& labels = m_status.labels;
    for (std::size_t i = 0; i < std::min(labels.size(), LabelsShown); ++i)
        lines.emplace_back(LabelText(labels[i]), !labels[i].problem.isEmpty());
    if (labels.empty())
        lines.emplace_back(QStringLiteral("Nenhuma etiqueta tem porta: escolha as portas em "
                                          "Ferramentas › Configuração, aba Etiquetas."),
                           true);
    else if (labels.size() > LabelsShown)
        lines.emplace_back(QStringLiteral("e mais %1: veja em Ferramentas › Configuração.")
                               .arg(labels.size() - LabelsShown),
                           false);
    for (std::size_t i = 0; i < m_labelLbls.size(); ++i) {
        QLabel* const line = m_labelLbls[i];
        line->setVisible(i < lines.size());
        if (i >= lines.size())
            continue;
        const auto& [text, problem] = lines[i];
        line->setText(text);
        line->setProperty("problem", problem);
        line->setStyleSheet(problem ? QString::fromLatin1(ProblemStyle) : QString());
    }
}

void THomePanel::ShowNextStep()
{
    QPushButton* const next = m_road[static_cast<std::size_t>(m_status.next)];
    for (QPushButton* button : m_road) {
        button->setProperty("next", button == next);
        button->style()->unpolish(button);
        button->style()->polish(button);
    }
    m_nextLbl->setText(NextStepText(m_status.next));
    if (!m_rowsTbl->hasFocus())
        next->setFocus(Qt::OtherFocusReason);
}

bool THomePanel::eventFilter(QObject* watched, QEvent* event)
{
    // Enter presses the focused step, as Space does.
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        auto* button = qobject_cast<QPushButton*>(watched);
        if (button != nullptr && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
            button->click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace zev
