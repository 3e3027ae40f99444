#pragma once

// "ProconFrm": the supplier and the manufacture date printed on Procon
// labels. Filled only when it is made (empty name and CNPJ, today's date), so
// what the operator typed is offered again at every later showing.

#include <QDialog>

class QDateEdit;
class QLineEdit;

namespace zev {

class TProconFrm final : public QDialog
{
    Q_OBJECT

public:
    explicit TProconFrm(QWidget* parent = nullptr);

    // Shows the dialog modally; true on OK.
    bool Execute();
    QString NomeText() const;
    // Always the full "00.000.000/0000-00" pattern: the dots, slash and dash,
    // and a blank where no digit was typed.
    QString CnpjText() const;
    // The manufacture date as a day number, without time of day.
    double DataValue() const;

public slots:
    // Refused, with a warning, while the CNPJ is only partly typed.
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLineEdit* m_nome = nullptr;
    QLineEdit* m_cnpj = nullptr;
    QDateEdit* m_data = nullptr;
};

} // namespace zev
