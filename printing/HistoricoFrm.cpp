#include "printing/HistoricoFrm.h"

#include "app/Operator.h"
#include "catalogue/Database.h"
#include "platform/AnsiText.h"
#include "platform/Regional.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <exception>

namespace zev {

namespace {

constexpr int ShownJobs = 1000;

QTableWidget* NewTable(const char* name, const QStringList& headers)
{
    auto* table = new QTableWidget(0, static_cast<int>(headers.size()));
    table->setObjectName(QString::fromUtf8(name));
    table->setHorizontalHeaderLabels(headers);
    table->verticalHeader()->hide();
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

void SetRow(QTableWidget& table, int row, const QStringList& cells)
{
    for (int column = 0; column < cells.size(); ++column)
        table.setItem(row, column, new QTableWidgetItem(cells[column]));
}

} // namespace

THistoricoFrm::THistoricoFrm(TOperator& op, QWidget* parent) : QDialog(parent), m_operator(op)
{
    setObjectName(QStringLiteral("HistoricoFrm"));
    setWindowTitle(QString::fromUtf8("Histórico de impressão"));
    resize(900, 560);

    m_trabalhos =
        NewTable("Trabalhos", {QString::fromUtf8("Nº"), QString::fromUtf8("Início"),
                               QString::fromUtf8("Usuário"), QStringLiteral("Tipo"),
                               QStringLiteral("Etiqueta"), QStringLiteral("Porta"),
                               QStringLiteral("Etiquetas"), QString::fromUtf8("Situação")});
    m_trabalhos->installEventFilter(this);
    connect(m_trabalhos, &QTableWidget::currentCellChanged, this,
            &THistoricoFrm::CurrentJobChanged);
    connect(m_trabalhos, &QTableWidget::cellDoubleClicked, this, &THistoricoFrm::ShowItems);

    m_itens = NewTable("Itens", {QStringLiteral("Item"), QString::fromUtf8("Código"),
                                 QString::fromUtf8("Descrição"), QStringLiteral("Etiquetas"),
                                 QStringLiteral("Enviadas")});
    m_itens->installEventFilter(this);
    auto* itensCaption =
        new QLabel(QString::fromUtf8("&Itens do trabalho (Enter na lista acima):"));
    itensCaption->setBuddy(m_itens);

    m_novamente = new QPushButton(QStringLiteral("Imprimir &novamente"));
    m_novamente->setObjectName(QStringLiteral("ImprimirNovamente"));
    m_continuar = new QPushButton(QStringLiteral("&Continuar"));
    m_continuar->setObjectName(QStringLiteral("Continuar"));
    auto* fechar = new QPushButton(QStringLiteral("&Fechar"));
    fechar->setObjectName(QStringLiteral("Fechar"));
    for (QPushButton* button : {m_novamente, m_continuar, fechar})
        button->setAutoDefault(false);
    connect(m_novamente, &QPushButton::clicked, this, [this] { Choose(false); });
    connect(m_continuar, &QPushButton::clicked, this, [this] { Choose(true); });
    connect(fechar, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_novamente);
    buttons->addWidget(m_continuar);
    buttons->addWidget(fechar);

    auto* caption = new QLabel(QString::fromUtf8("&Trabalhos, o mais novo primeiro:"));
    caption->setBuddy(m_trabalhos);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(caption);
    layout->addWidget(m_trabalhos, 3);
    layout->addWidget(itensCaption);
    layout->addWidget(m_itens, 2);
    layout->addLayout(buttons);
}

std::optional<TReprintChoice> THistoricoFrm::Execute()
{
    m_choice.reset();
    LoadJobs();
    m_trabalhos->setFocus();
    exec();
    return m_choice;
}

void THistoricoFrm::LoadJobs()
{
    m_jobs.clear();
    m_itens->setRowCount(0);
    try {
        m_jobs = ReadHistory(*OpenDatabase(), ShownJobs);
    } catch (const std::exception& error) {
        m_operator.ShowError(QString::fromUtf8(error.what()));
    }
    m_trabalhos->setRowCount(static_cast<int>(m_jobs.size()));
    for (int row = 0; row < m_trabalhos->rowCount(); ++row) {
        const THistoryJob& job = m_jobs[static_cast<std::size_t>(row)];
        SetRow(*m_trabalhos, row,
               {QString::number(job.number), HistoryTimeText(job.inicio), job.usuario,
                JobKindText(job.kind), AnsiToQString(job.label), AnsiToQString(job.port),
                JobCountsText(job), JobEndText(job)});
    }
    m_trabalhos->resizeColumnsToContents();
    if (!m_jobs.empty())
        m_trabalhos->setCurrentCell(0, 0);
    CurrentJobChanged();
}

const THistoryJob* THistoricoFrm::CurrentJob() const
{
    const int row = m_trabalhos->currentRow();
    if (row < 0 || row >= static_cast<int>(m_jobs.size()))
        return nullptr;
    return &m_jobs[static_cast<std::size_t>(row)];
}

// Continuar is offered while a job has labels it did not send.
void THistoricoFrm::CurrentJobChanged()
{
    const THistoryJob* job = CurrentJob();
    m_novamente->setEnabled(job != nullptr && job->planned > 0);
    m_continuar->setEnabled(job != nullptr && job->sent < job->planned);
    m_itens->setRowCount(0);
}

void THistoricoFrm::ShowItems()
{
    const THistoryJob* job = CurrentJob();
    if (job == nullptr)
        return;
    try {
        const auto connection = OpenDatabase();
        const std::optional<THistoryDetail> detail = ReadHistoryJob(*connection, job->number);
        if (!detail)
            return;
        const TReadTransaction view(*connection);
        m_itens->setRowCount(static_cast<int>(detail->items.size()));
        for (int row = 0; row < m_itens->rowCount(); ++row) {
            const THistoryItem& item = detail->items[static_cast<std::size_t>(row)];
            SetRow(*m_itens, row,
                   {QString::number(row + 1), ItemCodeText(job->kind, item),
                    ItemDescricao(*connection, job->kind, item), QString::number(item.etiquetas),
                    QString::number(detail->SentOf(row))});
        }
        m_itens->resizeColumnsToContents();
        if (m_itens->rowCount() > 0)
            m_itens->setCurrentCell(0, 0);
        m_itens->setFocus();
    } catch (const std::exception& error) {
        m_operator.ShowError(QString::fromUtf8(error.what()));
    }
}

void THistoricoFrm::Choose(bool fromStop)
{
    if (const THistoryJob* job = CurrentJob()) {
        m_choice = TReprintChoice{job->number, fromStop, job->label};
        accept();
    }
}

// Enter on a job lists its items; Escape in the items goes back to the jobs.
bool THistoricoFrm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (watched == m_trabalhos && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
            ShowItems();
            return true;
        }
        if (watched == m_itens && key == Qt::Key_Escape) {
            m_trabalhos->setFocus();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace zev
