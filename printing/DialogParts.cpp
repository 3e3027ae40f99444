#include "printing/DialogParts.h"

#include "platform/Regional.h"

#include <QDateEdit>
#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>

namespace zev {

QDateEdit* NewDatePicker(const QString& objectName)
{
    auto* picker = new QDateEdit;
    picker->setObjectName(objectName);
    picker->setCalendarPopup(true);
    picker->setDisplayFormat(QtDateFormat());
    return picker;
}

TOkCancela NewOkCancela(QDialog* dialog)
{
    auto* bitBtn1 = new QPushButton(QStringLiteral("OK"));
    bitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    bitBtn1->setDefault(true);
    auto* bitBtn2 = new QPushButton(QStringLiteral("Cancela"));
    bitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    QObject::connect(bitBtn1, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(bitBtn2, &QPushButton::clicked, dialog, &QDialog::reject);

    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(bitBtn1);
    row->addWidget(bitBtn2);
    return {row, bitBtn1};
}

} // namespace zev
