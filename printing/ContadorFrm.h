#pragma once

// "ContadorForm": how many labels to print. Value takes one to three digits
// and opens on "1", selected, at every showing; the spin buttons UpDown1 and
// the Up/Down keys in Value step it between 1 and 100. A number typed by hand
// stays as typed, 0 included: the caller decides what it means.

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace zev {

class TContadorForm final : public QDialog
{
    Q_OBJECT

public:
    explicit TContadorForm(QWidget* parent = nullptr);

    // Shows the dialog modally; true on OK, which needs at least one digit.
    bool Execute();
    QString ValueText() const;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* NewUpDown();
    void Step(int delta);
    void EnableOk();

    QLineEdit* m_value = nullptr;
    QPushButton* m_bitBtn1 = nullptr; // OK
};

} // namespace zev
