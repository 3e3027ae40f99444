#pragma once

// Parts the small dialogs share, so they look and answer alike.

class QDateEdit;
class QDialog;
class QHBoxLayout;
class QPushButton;
class QString;

namespace zev {

// A date picker named `objectName`: date only, in the regional short date
// format, with a drop-down calendar. The caller's layout takes ownership.
QDateEdit* NewDatePicker(const QString& objectName);

struct TOkCancela
{
    QHBoxLayout* row; // for the caller's layout, which takes ownership
    QPushButton* ok;
};

// "OK" (default, accepts) and "Cancela" (rejects, as Escape does) at the
// right, named BitBtn1 and BitBtn2.
TOkCancela NewOkCancela(QDialog* dialog);

} // namespace zev
