#pragma once

// The date picker of the small dialogs: date only, regional short format.

class QDateEdit;
class QString;

namespace zev {

// A date picker named `objectName`: date only, in the regional short date
// format, with a drop-down calendar. The caller's layout takes ownership.
QDateEdit* NewDatePicker(const QString& objectName);

} // namespace zev
