#include "output/NetworkConfigFrm.h"

#include "app/DialogButtons.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace zev {

namespace {

// The dialog's result for "Remover", beside Accepted and Rejected.
constexpr int RemoveResult = 2;

} // namespace

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
    m_removerBtn = new QPushButton(QStringLiteral("&Remover"));
    m_removerBtn->setObjectName(QStringLiteral("RemoverBtn"));
    m_removerBtn->setAutoDefault(false);
    // Away from OK, at the start of the button row.
    if (auto* buttons = qobject_cast<QHBoxLayout*>(layout->itemAt(layout->count() - 1)->layout()))
        buttons->insertWidget(0, m_removerBtn);
    connect(m_removerBtn, &QPushButton::clicked, this, [this] { done(RemoveResult); });
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TNetworkConfigForm::Load(const TNetworkPortChoice& choice)
{
    m_newPort = choice.newPort;
    m_removable = choice.removable && !choice.newPort;
    setWindowTitle(choice.newPort ? QStringLiteral("Nova impressora de rede")
                                  : QString::fromUtf8("Configuração"));
    m_groupBox->setTitle(choice.newPort ? QStringLiteral("Nova impressora de rede") : choice.name);
    m_nomeEdt->setText(choice.name);
    // A port's name is the key its labels are assigned by: fixed once made.
    m_nomeEdt->setEnabled(choice.newPort);
    m_hostEdt->setText(choice.host);
    m_portaEdt->setValue(choice.port);
    m_removerBtn->setVisible(m_removable);
    switch (choice.fault) {
    case TNetworkPortField::Name:
        m_nomeEdt->setFocus();
        m_nomeEdt->selectAll();
        break;
    case TNetworkPortField::Host:
        m_hostEdt->setFocus();
        m_hostEdt->selectAll();
        break;
    case TNetworkPortField::Port:
        m_portaEdt->setFocus();
        m_portaEdt->selectAll();
        break;
    case TNetworkPortField::None:
        (choice.newPort ? m_nomeEdt : m_hostEdt)->setFocus();
        break;
    }
}

TNetworkPortChoice TNetworkConfigForm::Choice() const
{
    TNetworkPortChoice choice{m_nomeEdt->text(), m_newPort, m_hostEdt->text(), m_portaEdt->value()};
    choice.removable = m_removable;
    return choice;
}

TNetworkPortAnswer TNetworkConfigForm::Execute(TNetworkPortChoice& choice)
{
    Load(choice);
    switch (exec()) {
    case QDialog::Accepted:
        choice = Choice();
        return TNetworkPortAnswer::Confirmed;
    case RemoveResult:
        return TNetworkPortAnswer::Remove;
    default:
        return TNetworkPortAnswer::Cancelled;
    }
}

} // namespace zev
