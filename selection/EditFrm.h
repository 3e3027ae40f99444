#pragma once

// "Editar Seleção": the selection with each product's price on "Selecao
// Data"; a product is added by its code or barcode (Enter or BtnMais) and
// removed with its grid row (BtnMenos or Delete). Escape closes it.
//
// An error while adding or removing ends that action with the error shown;
// the dialog stays open.

#include "selection/EditSelection.h"

#include <QDialog>

#include <cstdint>

class QLineEdit;
class QPushButton;
class QTableWidget;

namespace zev {

class TOperator;

class TEditForm final : public QDialog
{
    Q_OBJECT

public:
    explicit TEditForm(TOperator& op, QWidget* parent = nullptr);

    // Lists the selection and shows the dialog modally. Database errors
    // propagate before the dialog shows.
    void Execute();

protected:
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FillGrid();
    int OtherColumnsWidth() const;
    void FitDescricao();
    // Scrolls to the product's row and makes it the current one.
    void ShowAdded(std::int32_t key);
    void BtnMaisClick();
    void BtnMenosClick();

    TOperator& m_operator;
    QLineEdit* m_codEdit = nullptr;
    QPushButton* m_btnMais = nullptr;
    QPushButton* m_btnMenos = nullptr;
    QTableWidget* m_grid = nullptr;
    TSelectedItems m_items; // the last listing, while shown
};

} // namespace zev
