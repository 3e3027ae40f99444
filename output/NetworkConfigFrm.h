#pragma once

// "Configuração" of a network printer port: a frame titled with the port's
// name holding the printer's host name or address and its TCP port number;
// for a new port the name is typed too. The port (output/Networkd.h) checks
// and stores what was typed; the dialog only shows and returns it.

#include "app/Operator.h"

#include <QDialog>

class QGroupBox;
class QLineEdit;
class QSpinBox;

namespace zev {

class TNetworkConfigForm final : public QDialog
{
    Q_OBJECT

public:
    explicit TNetworkConfigForm(QWidget* parent = nullptr);

    // Shows the dialog modally on `choice`; true on OK, with what was typed
    // written back.
    bool Execute(TNetworkPortChoice& choice);

    void Load(const TNetworkPortChoice& choice);
    TNetworkPortChoice Choice() const;

private:
    QGroupBox* m_groupBox = nullptr;
    QLineEdit* m_nomeEdt = nullptr;
    QLineEdit* m_hostEdt = nullptr;
    QSpinBox* m_portaEdt = nullptr;
    bool m_newPort = false;
};

} // namespace zev
