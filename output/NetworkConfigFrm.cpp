#include "output/NetworkConfigFrm.h"

#include "app/DialogButtons.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

namespace zev {

TNetworkConfigForm::TNetworkConfigForm(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("NetworkConfigForm"));
    setWindowTitle(QStringLiteral("Configuração"));

    m_groupBox = new QGroupBox;
    m_groupBox->setObjectName(QStringLiteral("GroupBox"));
    m_nomeEdt = new QLineEdit;
    m_nomeEdt->setObjectName(QStringLiteral("NomeEdt"));
    m_nomeEdt->setPlaceholderText(QStringLiteral("ZEBRA1:"));
    m_hostEdt = new QLineEdit;
    m_hostEdt->setObjectName(QStringLiteral("HostEdt"));
    m_hostEdt->setPlaceholderText(QStringLiteral("192.168.0.50"));
    m_hostEdt->setMinimumWidth(220);
    m_portaEdt = new QSpinBox;
    m_portaEdt->setObjectName(QStringLiteral("PortaEdt"));
    m_portaEdt->setRange(1, 65535);

    auto* form = new QFormLayout(m_groupBox);
    form->addRow(QStringLiteral("&Nome:"), m_nomeEdt);
    form->addRow(QString::fromUtf8("&Endereço:"), m_hostEdt);
    form->addRow(QStringLiteral("&Porta TCP:"), m_portaEdt);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_groupBox);
    AddDialogButtons(*this, *layout);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TNetworkConfigForm::Load(const TNetworkPortChoice& choice)
{
    m_newPort = choice.newPort;
    m_groupBox->setTitle(choice.newPort ? QStringLiteral("Nova impressora de rede") : choice.name);
    m_nomeEdt->setText(choice.name);
    // A port's name is the key its labels are assigned by: fixed once made.
    m_nomeEdt->setEnabled(choice.newPort);
    m_hostEdt->setText(choice.host);
    m_portaEdt->setValue(choice.port);
    (choice.newPort ? m_nomeEdt : m_hostEdt)->setFocus();
}

TNetworkPortChoice TNetworkConfigForm::Choice() const
{
    return {m_nomeEdt->text(), m_newPort, m_hostEdt->text(), m_portaEdt->value()};
}

bool TNetworkConfigForm::Execute(TNetworkPortChoice& choice)
{
    Load(choice);
    if (exec() != QDialog::Accepted)
        return false;
    choice = Choice();
    return true;
}

} // namespace zev
