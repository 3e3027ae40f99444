#pragma once

// "ZEV 4.0": the date of a date selection. It opens on today's date at
// every showing, whatever was chosen the time before.

#include <QDialog>

class QDateEdit;

namespace zev {

class TDateDialog final : public QDialog
{
    Q_OBJECT

public:
    explicit TDateDialog(QWidget* parent = nullptr);

    // Shows the dialog modally; true on OK.
    bool Execute();
    // The chosen date as a day number, without time of day.
    double GetDate() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QDateEdit* m_dateTimePicker = nullptr;
};

} // namespace zev
