#include "selection/EditFrm.h"

#include "app/CommandGuard.h"
#include "app/Operator.h"
#include "platform/AnsiText.h"
#include "platform/Conversions.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>

namespace zev {

namespace {

constexpr int ColumnWidths[] = {73, 206, 56, 46};
// Takes what the window gives beyond the other columns' widths.
constexpr int DescricaoColumn = 1;

QPushButton* NewButton(const char* name, const char* caption, const char* hint)
{
    auto* button = new QPushButton(QString::fromLatin1(caption));
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(QString::fromUtf8(hint));
    // Enter belongs to the code field, not to a default button.
    button->setAutoDefault(false);
    return button;
}

} // namespace

TEditForm::TEditForm(TOperator& op, QWidget* parent) : QDialog(parent), m_operator(op)
{
    setObjectName(QStringLiteral("EditForm"));
    setWindowTitle(QStringLiteral("Editar Seleção"));
    // The program's font: the grid's column widths are measured for it.
    setFont(QFont(QStringLiteral("Tahoma"), 8));

    m_codEdit = new QLineEdit;
    m_codEdit->setObjectName(QStringLiteral("CodEdit"));
    auto* label = new QLabel(QStringLiteral("Código/Barra"));
    label->setObjectName(QStringLiteral("Label1"));
    label->setBuddy(m_codEdit);
    m_btnMais = NewButton("BtnMais", "+", "Incluir código");
    m_btnMenos = NewButton("BtnMenos", "-", "Excluir código");

    m_grid = new QTableWidget(0, static_cast<int>(std::size(ColumnWidths)));
    m_grid->setObjectName(QStringLiteral("Grid"));
    const std::array<QString, 4> header = SelectedItemHeader();
    m_grid->setHorizontalHeaderLabels(QStringList(header.begin(), header.end()));
    for (int column = 0; column < m_grid->columnCount(); ++column)
        m_grid->setColumnWidth(column, ColumnWidths[column]);
    m_grid->verticalHeader()->hide();
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setMinimumHeight(300);
    m_grid->horizontalHeader()->setStretchLastSection(false);
    m_grid->installEventFilter(this);
    m_grid->viewport()->installEventFilter(this);

    auto* code = new QHBoxLayout;
    code->addWidget(label);
    code->addWidget(m_codEdit, 1);
    code->addWidget(m_btnMais);
    code->addWidget(m_btnMenos);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(code);
    layout->addWidget(m_grid, 1);

    connect(m_codEdit, &QLineEdit::returnPressed, this, &TEditForm::BtnMaisClick);
    connect(m_btnMais, &QPushButton::clicked, this, &TEditForm::BtnMaisClick);
    connect(m_btnMenos, &QPushButton::clicked, this, &TEditForm::BtnMenosClick);
}

void TEditForm::Execute()
{
    FillGrid();
    m_codEdit->clear();
    m_codEdit->setFocus();
    exec();
}

void TEditForm::hideEvent(QHideEvent* event)
{
    m_items.clear();
    QDialog::hideEvent(event);
}

bool TEditForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_grid->viewport() && event->type() == QEvent::Resize)
        FitDescricao();
    if (watched == m_grid && event->type() == QEvent::KeyRelease) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Delete && !key->isAutoRepeat()) {
            BtnMenosClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TEditForm::FillGrid()
{
    m_grid->setRowCount(0);
    m_items = ListSelection();
    m_grid->setRowCount(static_cast<int>(m_items.size()));
    for (int row = 0; row < m_grid->rowCount(); ++row) {
        const std::array<QString, 4> texts =
            SelectedItemTexts(m_items[static_cast<std::size_t>(row)]);
        for (int column = 0; column < m_grid->columnCount(); ++column)
            m_grid->setItem(row, column,
                            new QTableWidgetItem(texts[static_cast<std::size_t>(column)]));
    }
    // A font standing in for Tahoma may be wider: the code, date and price
    // get the room their text needs, never less than their own width.
    for (const int column : {0, 2, 3}) {
        m_grid->resizeColumnToContents(column);
        m_grid->setColumnWidth(column, std::max(m_grid->columnWidth(column), ColumnWidths[column]));
    }
    // Wide enough for every column at its own width, the scroll bar beside.
    m_grid->setMinimumWidth(OtherColumnsWidth() + ColumnWidths[DescricaoColumn] +
                            2 * m_grid->frameWidth() +
                            m_grid->verticalScrollBar()->sizeHint().width());
    FitDescricao();
    if (m_grid->rowCount() > 0)
        m_grid->setCurrentCell(0, 0);
}

int TEditForm::OtherColumnsWidth() const
{
    int width = 0;
    for (int column = 0; column < m_grid->columnCount(); ++column)
        if (column != DescricaoColumn)
            width += m_grid->columnWidth(column);
    return width;
}

// A wider window gives the description room, so it stays on one line.
void TEditForm::FitDescricao()
{
    m_grid->setColumnWidth(
        DescricaoColumn,
        std::max(ColumnWidths[DescricaoColumn], m_grid->viewport()->width() - OtherColumnsWidth()));
}

void TEditForm::ShowAdded(const std::int32_t key)
{
    const QString code = QString::number(key);
    for (int row = 0; row < m_grid->rowCount(); ++row) {
        if (m_grid->item(row, 0)->text() == code) {
            m_grid->setCurrentCell(row, 0);
            m_grid->scrollToItem(m_grid->item(row, 0));
            return;
        }
    }
}

void TEditForm::BtnMaisClick()
{
    GuardCommand(m_operator, [this] {
        std::vector<std::string> listed;
        for (int row = 0; row < m_grid->rowCount(); ++row)
            listed.push_back(QStringToAnsi(m_grid->item(row, 0)->text()));
        const std::optional<std::int32_t> added =
            AddCodeToSelection(m_operator, QStringToAnsi(m_codEdit->text()), listed);
        if (!added) {
            // The next scan replaces the refused code instead of joining it.
            m_codEdit->setFocus();
            m_codEdit->selectAll();
            return;
        }
        FillGrid();
        ShowAdded(*added);
        m_codEdit->clear();
    });
}

void TEditForm::BtnMenosClick()
{
    GuardCommand(m_operator, [this] {
        const int row = m_grid->currentRow();
        if (row < 0 || row >= m_grid->rowCount())
            return;
        const std::optional<std::int32_t> key =
            TryStrToInt(QStringToAnsi(m_grid->item(row, 0)->text()));
        if (!key)
            return;
        RemoveFromSelection(*key);
        m_grid->removeRow(row);
    });
}

} // namespace zev
