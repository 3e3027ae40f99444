#include "printing/DatePicker.h"

#include "platform/Regional.h"

#include <QCalendarWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionComboBox>

namespace zev {

TDatePicker::TDatePicker(const QString& objectName)
{
    setObjectName(objectName);
    setCalendarPopup(true);
    setDisplayFormat(QtDateFormat());
    // Its hiding gives the keys back.
    m_calendar = calendarWidget()->window();
    m_calendar->installEventFilter(this);
}

void TDatePicker::OpenCalendar()
{
    // Qt opens the calendar only from a press on the arrow; the arrow is
    // where the style draws the drop-down list's.
    QStyleOptionComboBox option;
    option.initFrom(this);
    option.editable = true;
    option.subControls = QStyle::SC_All;
    const QPoint arrow =
        style()
            ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, this)
            .center();
    QMouseEvent press(QEvent::MouseButtonPress, arrow, mapToGlobal(arrow), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QDateEdit::mousePressEvent(&press);
}

void TDatePicker::keyPressEvent(QKeyEvent* event)
{
    const bool altDown = event->key() == Qt::Key_Down && event->modifiers() == Qt::AltModifier;
    const bool f4 = event->key() == Qt::Key_F4 && event->modifiers() == Qt::NoModifier;
    if (altDown || f4) {
        OpenCalendar();
        return;
    }
    QDateEdit::keyPressEvent(event);
}

bool TDatePicker::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Hide && watched == m_calendar) {
        // Typing goes on in the picker, a section at a time as at the start.
        activateWindow();
        setFocus(Qt::OtherFocusReason);
        setSelectedSection(currentSection());
    }
    return QDateEdit::eventFilter(watched, event);
}

QDateEdit* NewDatePicker(const QString& objectName)
{
    return new TDatePicker(objectName);
}

} // namespace zev
