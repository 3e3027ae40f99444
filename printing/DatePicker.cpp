#include "printing/DatePicker.h"

#include "platform/Regional.h"

#include <QDateEdit>

namespace zev {

QDateEdit* NewDatePicker(const QString& objectName)
{
    auto* picker = new QDateEdit;
    picker->setObjectName(objectName);
    picker->setCalendarPopup(true);
    picker->setDisplayFormat(QtDateFormat());
    return picker;
}

} // namespace zev
