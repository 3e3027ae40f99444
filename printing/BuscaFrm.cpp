#include "printing/BuscaFrm.h"

#include "app/DialogButtons.h"
#include "app/CommandGuard.h"
#include "app/Operator.h"
#include "catalogue/Produto.h"
#include "platform/AnsiText.h"
#include "platform/Regional.h"
#include "printing/Busca.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include <exception>

namespace zev {

namespace {

constexpr int ColumnWidths[] = {80, 280, 80};
constexpr int RowHeight = 16;

} // namespace

TBuscaForm::TBuscaForm(TOperator& op, QWidget* parent) : QDialog(parent), m_operator(op)
{
    setObjectName(QStringLiteral("BuscaForm"));
    setWindowTitle(QStringLiteral("Busca Produto"));

    auto* group = new QGroupBox(QStringLiteral("Busca Produto"));
    m_produtoEdt = new QLineEdit;
    m_produtoEdt->setObjectName(QStringLiteral("ProdutoEdt"));
    m_produtoEdt->installEventFilter(this);
    auto* caption = new QLabel(QString::fromUtf8("Descrição (F5):"));
    caption->setBuddy(m_produtoEdt);
    auto* edit = new QHBoxLayout(group);
    edit->addWidget(caption);
    edit->addWidget(m_produtoEdt);

    m_produtoGrd = new QTableWidget(1, 3);
    m_produtoGrd->setObjectName(QStringLiteral("ProdutoGrd"));
    m_produtoGrd->setHorizontalHeaderLabels(
        {QString::fromUtf8("Código"), QString::fromUtf8("Descrição"), QString::fromUtf8("Preço")});
    m_produtoGrd->verticalHeader()->hide();
    m_produtoGrd->verticalHeader()->setDefaultSectionSize(RowHeight);
    m_produtoGrd->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_produtoGrd->setSelectionMode(QAbstractItemView::SingleSelection);
    m_produtoGrd->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_produtoGrd->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_produtoGrd->installEventFilter(this);
    int width = 0;
    for (int column = 0; column < 3; ++column) {
        m_produtoGrd->setColumnWidth(column, ColumnWidths[column]);
        width += ColumnWidths[column];
    }
    m_produtoGrd->setMinimumWidth(width + m_produtoGrd->verticalScrollBar()->sizeHint().width() +
                                  2 * m_produtoGrd->frameWidth());

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(m_produtoGrd);
    const TDialogButtons buttons = AddDialogButtons(*this, *layout, false);
    m_bitBtnOk = buttons.ok;
    m_bitBtnOk->setObjectName(QStringLiteral("BitBtnOk"));
    buttons.cancel->setObjectName(QStringLiteral("BitBtn2"));
    connect(m_bitBtnOk, &QPushButton::clicked, this, &TBuscaForm::BitBtnOkClick);
}

TBuscaForm::~TBuscaForm() = default;

void TBuscaForm::PrepareSearch(TConnection& connection)
{
    m_connection = &connection;
}

std::unique_ptr<TProduto> TBuscaForm::Execute()
{
    m_result.reset();
    if (exec() != QDialog::Accepted)
        m_result.reset();
    return std::move(m_result);
}

void TBuscaForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    ResetSearch();
}

void TBuscaForm::hideEvent(QHideEvent* event)
{
    m_connection = nullptr;
    QDialog::hideEvent(event);
}

bool TBuscaForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (watched == m_produtoEdt && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
        GuardCommand(m_operator, [this] { RunSearch(); });
        return true;
    }
    if (watched == m_produtoGrd && key == Qt::Key_F5) {
        ResetSearch();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TBuscaForm::ResetSearch()
{
    m_produtoGrd->clearContents();
    m_produtoGrd->setRowCount(1);
    m_produtoEdt->clear();
    m_produtoEdt->setFocus();
    m_bitBtnOk->setDefault(false);
    m_bitBtnOk->setAutoDefault(false);
}

void TBuscaForm::RunSearch()
{
    if (m_produtoEdt->text().isEmpty() || m_connection == nullptr)
        return;
    const TBuscaResult found = SearchProdutos(*m_connection, m_produtoEdt->text(), Today());
    if (found.TooMany()) {
        m_operator.ShowWarning(TooManyMessage(found.count));
        ResetSearch();
        return;
    }
    if (found.rows.empty()) {
        ResetSearch();
        return;
    }
    m_produtoGrd->clearContents();
    m_produtoGrd->setRowCount(static_cast<int>(found.rows.size()));
    for (int row = 0; row < static_cast<int>(found.rows.size()); ++row) {
        const TBuscaRow& produto = found.rows[static_cast<std::size_t>(row)];
        m_produtoGrd->setItem(row, 0, new QTableWidgetItem(QString::number(produto.key)));
        m_produtoGrd->setItem(row, 1, new QTableWidgetItem(AnsiToQString(produto.descricao)));
        m_produtoGrd->setItem(row, 2, new QTableWidgetItem(PrecoText(produto.preco)));
    }
    m_produtoGrd->setCurrentCell(0, 0);
    m_produtoGrd->setFocus();
    m_bitBtnOk->setDefault(true);
}

void TBuscaForm::BitBtnOkClick()
{
    const QTableWidgetItem* cell =
        m_produtoGrd->currentRow() >= 0 ? m_produtoGrd->item(m_produtoGrd->currentRow(), 0)
                                        : nullptr;
    if (cell != nullptr && m_connection != nullptr) {
        GuardCommand(m_operator, [&] {
            m_result = FindProdutoByKey(*m_connection, cell->text().toInt());
        });
        if (!m_result || m_result->barras.empty()) {
            m_result.reset();
            m_operator.ShowWarning(QString::fromUtf8("Este produto não possui códigos de barra"));
        }
    }
    accept();
}

} // namespace zev
