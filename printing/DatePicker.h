#pragma once

// The date picker of the small dialogs: date only, regional short format,
// with a drop-down calendar that the keyboard opens too (Alt+Down or F4, as
// on a drop-down list). When the calendar closes, the keys go back to the
// date being typed.

#include <QDateEdit>
#include <QPointer>

class QString;

namespace zev {

class TDatePicker final : public QDateEdit
{
    Q_OBJECT

public:
    explicit TDatePicker(const QString& objectName);

    // The drop-down calendar, as a click on its arrow opens it.
    void OpenCalendar();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_calendar; // the drop-down's own window
};

// A date picker named `objectName`. The caller's layout takes ownership.
QDateEdit* NewDatePicker(const QString& objectName);

} // namespace zev
