#include "printing/SequenciaFrm.h"

#include "app/DialogButtons.h"
#include "platform/AnsiText.h"
#include "platform/Conversions.h"
#include "platform/Regional.h"
#include "printing/DatePicker.h"

#include <QDateEdit>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QVBoxLayout>

namespace zev {

namespace {

QLineEdit* NewNumberEdit(const char* name, const char* initial)
{
    auto* edit = new QLineEdit;
    edit->setObjectName(QString::fromLatin1(name));
    // Six digit places, "_" where none is typed.
    edit->setInputMask(QStringLiteral("000000;_"));
    edit->setText(QString::fromLatin1(initial));
    return edit;
}

std::int32_t IntegerOf(const QLineEdit& edit)
{
    return StrToInt(QStringToAnsi(edit.text()));
}

} // namespace

TSequenciaForm::TSequenciaForm(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("SequenciaForm"));
    setWindowTitle(QStringLiteral("Sequencia"));

    m_maskEdit1 = NewNumberEdit("MaskEdit1", "000001");
    m_maskEdit2 = NewNumberEdit("MaskEdit2", "000099");
    m_dateTimePicker1 = NewDatePicker(QStringLiteral("DateTimePicker1"));
    // Once, here: a date chosen for one run stays for the next.
    m_dateTimePicker1->setDate(DayNumberToQDate(Today()));

    auto* group = new QGroupBox(QString::fromUtf8("Sequencia de Impressão"));
    group->setObjectName(QStringLiteral("GroupBox1"));
    auto* fields = new QFormLayout(group);
    fields->addRow(QStringLiteral("Inicial"), m_maskEdit1);
    fields->addRow(QStringLiteral("Final"), m_maskEdit2);
    fields->addRow(QStringLiteral("Data"), m_dateTimePicker1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    AddDialogButtons(*this, *layout);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

bool TSequenciaForm::Execute()
{
    return exec() == QDialog::Accepted;
}

std::int32_t TSequenciaForm::Inicial() const
{
    return IntegerOf(*m_maskEdit1);
}

std::int32_t TSequenciaForm::Final() const
{
    return IntegerOf(*m_maskEdit2);
}

double TSequenciaForm::GetDate() const
{
    return QDateToDayNumber(m_dateTimePicker1->date());
}

void TSequenciaForm::showEvent(QShowEvent* event)
{
    m_maskEdit1->setFocus();
    m_maskEdit1->selectAll();
    QDialog::showEvent(event);
}

} // namespace zev
