#include "printing/DateDlg.h"

#include "app/DialogButtons.h"
#include "platform/Regional.h"
#include "printing/DatePicker.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace zev {

TDateDialog::TDateDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("DateDialog"));
    setWindowTitle(QStringLiteral("ZEV 4.0"));

    m_dateTimePicker = NewDatePicker(QStringLiteral("DateTimePicker"));
    auto* label = new QLabel(QStringLiteral("Data:"));
    label->setBuddy(m_dateTimePicker);

    auto* date = new QHBoxLayout;
    date->addWidget(label);
    date->addWidget(m_dateTimePicker);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(date);
    AddDialogButtons(*this, *layout);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

bool TDateDialog::Execute()
{
    return exec() == QDialog::Accepted;
}

double TDateDialog::GetDate() const
{
    return QDateToDayNumber(m_dateTimePicker->date());
}

void TDateDialog::showEvent(QShowEvent* event)
{
    m_dateTimePicker->setDate(DayNumberToQDate(Today()));
    m_dateTimePicker->setFocus();
    QDialog::showEvent(event);
}

} // namespace zev
