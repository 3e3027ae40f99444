#pragma once

// The date pickers of the small dialogs: date only, in the regional short
// date format, with a drop-down calendar.

class QDateEdit;
class QString;

namespace zev {

// A new picker named `objectName`; the caller's layout takes ownership.
QDateEdit* NewDatePicker(const QString& objectName);

} // namespace zev
