#pragma once

// "Configuração": the serial port's settings dialog. A frame titled with the
// port's name and its device, and five lists that take only their own
// items. The port (output/Seriald.h) decides what the positions mean; the
// dialog only shows and returns them.

#include "app/Operator.h"

#include <QDialog>

class QComboBox;
class QGroupBox;

namespace zev {

class TSerialConfigForm final : public QDialog
{
    Q_OBJECT

public:
    explicit TSerialConfigForm(QWidget* parent = nullptr);

    // Shows the dialog modally on `choice`; true on OK, with the positions
    // chosen written back (-1 where a list has no selection).
    bool Execute(const QString& portName, const QString& devicePath, TSerialLineChoice& choice);

    void Load(const QString& portName, const QString& devicePath, const TSerialLineChoice& choice);
    TSerialLineChoice Choice() const;

private:
    QGroupBox* m_groupBox = nullptr;
    QComboBox* m_baudCmb = nullptr;
    QComboBox* m_dataCmb = nullptr;
    QComboBox* m_stopCmb = nullptr;
    QComboBox* m_parityCmb = nullptr;
    QComboBox* m_flowCmb = nullptr;
};

} // namespace zev
