#pragma once

// "Configuração" of a network printer port: a frame titled with the port's
// name holding the printer's host name or address and its TCP port number;
// for a new port ("Nova impressora de rede") the name is typed too. The port
// (output/Networkd.h) checks and stores what was typed, and removes the port
// when "Remover" is pressed; the dialog only shows and returns.

#include "app/Operator.h"

#include <QDialog>

class QGroupBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace zev {

class TNetworkConfigForm final : public QDialog
{
    Q_OBJECT

public:
    explicit TNetworkConfigForm(QWidget* parent = nullptr);

    // Shows the dialog modally on `choice`; on Confirmed, with what was
    // typed written back.
    TNetworkPortAnswer Execute(TNetworkPortChoice& choice);

    void Load(const TNetworkPortChoice& choice);
    TNetworkPortChoice Choice() const;

private:
    QGroupBox* m_groupBox = nullptr;
    QLineEdit* m_nomeEdt = nullptr;
    QLineEdit* m_hostEdt = nullptr;
    QSpinBox* m_portaEdt = nullptr;
    QPushButton* m_removerBtn = nullptr;
    bool m_newPort = false;
    bool m_removable = false;
};

} // namespace zev
