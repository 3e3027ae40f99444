#pragma once

// "Sequencia": the numbers and the date of a sequential print. Two six-digit
// fields, "Inicial" (opens on 000001) and "Final" (000099), and the date,
// today's when the window is made. The window is made once and keeps what
// the person typed from one showing to the next.

#include <QDialog>

#include <cstdint>

class QDateEdit;
class QLineEdit;

namespace zev {

class TSequenciaForm final : public QDialog
{
    Q_OBJECT

public:
    explicit TSequenciaForm(QWidget* parent = nullptr);

    // Shows the window modally; true on OK.
    bool Execute();
    // The fields' integer values; EConvertError for a field left without
    // digits.
    std::int32_t Inicial() const;
    std::int32_t Final() const;
    // The chosen day, as a day number.
    double GetDate() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLineEdit* m_maskEdit1 = nullptr; // Inicial
    QLineEdit* m_maskEdit2 = nullptr; // Final
    QDateEdit* m_dateTimePicker1 = nullptr;
};

} // namespace zev
