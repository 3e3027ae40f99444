#include "printing/TipoFrm.h"

#include "app/DialogButtons.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

namespace zev {

namespace {

struct TTipoItem
{
    int result;
    const char* text;
};

constexpr TTipoItem TipoItems[] = {
    {TTipoForm::Todos, "Todos"},
    {TTipoForm::PrecosNormais, "Preços Normais"},
    {TTipoForm::Ofertas, "Ofertas"},
};

} // namespace

TTipoForm::TTipoForm(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TipoForm"));
    setWindowTitle(QStringLiteral("Tipo"));

    auto* box = new QGroupBox(QStringLiteral("Selecione o Tipo"));
    box->setObjectName(QStringLiteral("RadioGroup"));
    auto* items = new QVBoxLayout(box);
    m_radioGroup = new QButtonGroup(this);
    for (const TTipoItem& item : TipoItems) {
        auto* radio = new QRadioButton(QString::fromUtf8(item.text));
        items->addWidget(radio);
        m_radioGroup->addButton(radio, item.result);
    }
    m_radioGroup->button(Todos)->setChecked(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(box);
    AddDialogButtons(*this, *layout);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

int TTipoForm::Execute()
{
    // Every way out but OK (Cancela, Escape, the close box) is a rejection.
    if (exec() != QDialog::Accepted)
        return Cancelado;
    return m_radioGroup->checkedId();
}

} // namespace zev
