#include "printing/DateDlg.h"

#include "platform/Regional.h"
#include "printing/DatePicker.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace zev {

TDateDialog::TDateDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("DateDialog"));
    setWindowTitle(QStringLiteral("ZEV 4.0"));

    m_dateTimePicker = NewDatePicker(QStringLiteral("DateTimePicker"));
    auto* label = new QLabel(QStringLiteral("Data:"));
    label->setBuddy(m_dateTimePicker);

    auto* bitBtn1 = new QPushButton(QStringLiteral("OK"));
    bitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    bitBtn1->setDefault(true);
    auto* bitBtn2 = new QPushButton(QStringLiteral("Cancela"));
    bitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    connect(bitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(bitBtn2, &QPushButton::clicked, this, &QDialog::reject);

    auto* date = new QHBoxLayout;
    date->addWidget(label);
    date->addWidget(m_dateTimePicker);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(bitBtn1);
    buttons->addWidget(bitBtn2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(date);
    layout->addLayout(buttons);
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
