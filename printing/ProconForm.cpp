#include "printing/ProconForm.h"

#include "app/DialogButtons.h"
#include "app/GuiOperator.h"
#include "platform/Regional.h"
#include "printing/DatePicker.h"

#include <QDateEdit>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QVBoxLayout>

#include <algorithm>

namespace zev {

namespace {

// '_' marks a digit still to type.
constexpr QChar CnpjBlank = u'_';
// A supplier's name as wide as the clerk usually types it.
constexpr const char* NomeTipico = "DISTRIBUIDORA DE ALIMENTOS SAO PAULO LTDA";

// Wide enough to show `sample` whole, in the edit's font and style.
int WidthToShow(const QLineEdit& edit, const QString& sample)
{
    QStyleOptionFrame option;
    option.initFrom(&edit);
    option.lineWidth = edit.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &edit);
    // QLineEdit keeps two pixels clear on each side of its text, and the
    // cursor after it.
    constexpr int TextMargins = 2 * 2 + 1;
    const QMargins text = edit.textMargins() + edit.contentsMargins();
    const QSize contents(edit.fontMetrics().horizontalAdvance(sample) + TextMargins + text.left() +
                             text.right(),
                         edit.fontMetrics().height());
    return edit.style()->sizeFromContents(QStyle::CT_LineEdit, &option, contents, &edit).width();
}

} // namespace

TProconFrm::TProconFrm(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ProconFrm"));
    setWindowTitle(QStringLiteral("ProconFrm"));

    m_nome = new QLineEdit;
    m_nome->setObjectName(QStringLiteral("Nome"));
    m_cnpj = new QLineEdit;
    m_cnpj->setObjectName(QStringLiteral("CNPJ"));
    // Fourteen digits with their separators.
    m_cnpj->setInputMask(QStringLiteral("99.999.999/9999-99;") + CnpjBlank);
    m_cnpj->setMinimumWidth(WidthToShow(*m_cnpj, QStringLiteral("00.000.000/0000-00")));
    m_nome->setMinimumWidth(WidthToShow(*m_nome, QString::fromLatin1(NomeTipico)));
    m_data = NewDatePicker(QStringLiteral("Data"));
    m_data->setDate(DayNumberToQDate(Today()));

    auto* box = new QGroupBox(QStringLiteral("Dados da Etiqueta"));
    auto* fields = new QFormLayout(box);
    fields->addRow(QStringLiteral("Nome:"), m_nome);
    fields->addRow(QStringLiteral("CNPJ:"), m_cnpj);
    fields->addRow(QStringLiteral("Fabricação:"), m_data);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(box);
    AddDialogButtons(*this, *layout);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

bool TProconFrm::Execute()
{
    return exec() == QDialog::Accepted;
}

QString TProconFrm::NomeText() const
{
    return m_nome->text();
}

// text() drops the unfilled positions and would shift the digits typed;
// the shown text keeps every position in its place.
QString TProconFrm::CnpjText() const
{
    QString text = m_cnpj->displayText();
    text.replace(CnpjBlank, u' ');
    return text;
}

double TProconFrm::DataValue() const
{
    return QDateToDayNumber(m_data->date());
}

// A CNPJ is all fourteen digits or none: a partly typed one would print a
// supplier nobody can look up.
void TProconFrm::accept()
{
    const QString shown = m_cnpj->displayText();
    const auto digits =
        std::count_if(shown.begin(), shown.end(), [](QChar c) { return c.isDigit(); });
    if (digits != 0 && digits != 14) {
        QMessageBox::warning(this, QString::fromUtf8(ZevTitle),
                             QString::fromUtf8("CNPJ incompleto: digite os 14 dígitos ou deixe o "
                                               "campo em branco."));
        m_cnpj->setFocus();
        return;
    }
    QDialog::accept();
}

void TProconFrm::showEvent(QShowEvent* event)
{
    m_nome->setFocus();
    QDialog::showEvent(event);
}

} // namespace zev
