#pragma once

// "Busca Produto": finds a product by part of its description for the
// counter window and hands it back. Works on the caller's connection, given
// by PrepareSearch before every showing and forgotten when it hides.

#include <QDialog>

#include <memory>

class QLineEdit;
class QPushButton;
class QTableWidget;

namespace zev {

class TConnection;
class TOperator;
class TProduto;

class TBuscaForm final : public QDialog
{
    Q_OBJECT

public:
    TBuscaForm(TOperator& op, QWidget* parent = nullptr);
    ~TBuscaForm() override;

    void PrepareSearch(TConnection& connection);
    // Shows the dialog modally; the product chosen with OK (it has a
    // barcode), or null.
    std::unique_ptr<TProduto> Execute();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ResetSearch();
    void RunSearch();
    void BitBtnOkClick();

    TOperator& m_operator;
    TConnection* m_connection = nullptr;
    std::unique_ptr<TProduto> m_result;
    QLineEdit* m_produtoEdt = nullptr;
    QTableWidget* m_produtoGrd = nullptr;
    QPushButton* m_bitBtnOk = nullptr;
};

} // namespace zev
