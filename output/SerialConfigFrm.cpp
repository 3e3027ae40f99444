#include "output/SerialConfigFrm.h"

#include "app/DialogButtons.h"
#include "output/Seriald.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QVBoxLayout>

namespace zev {

namespace {

QComboBox* AddList(QFormLayout* form, const char* label, const char* name, const QStringList& items)
{
    auto* list = new QComboBox;
    list->setObjectName(QString::fromLatin1(name));
    list->setEditable(false);
    list->addItems(items);
    form->addRow(QString::fromUtf8(label), list);
    return list;
}

template <typename Table> QStringList Texts(const Table& table)
{
    QStringList texts;
    for (const auto& item : table) {
        if constexpr (std::is_same_v<std::decay_t<decltype(item)>, int>)
            texts << QString::number(item);
        else
            texts << QString::fromUtf8(item);
    }
    return texts;
}

// A position outside the list leaves it without a selection.
void Select(QComboBox* list, int position)
{
    list->setCurrentIndex(position >= 0 && position < list->count() ? position : -1);
}

} // namespace

TSerialConfigForm::TSerialConfigForm(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("SerialConfigForm"));
    setWindowTitle(QStringLiteral("Configuração"));

    m_groupBox = new QGroupBox;
    m_groupBox->setObjectName(QStringLiteral("GroupBox"));
    auto* form = new QFormLayout(m_groupBox);
    m_baudCmb = AddList(form, "BAUD:", "BaudCmb", Texts(SerialBaudRates));
    m_dataCmb = AddList(form, "Data Bits:", "DataCmb", Texts(SerialDataBits));
    m_stopCmb = AddList(form, "Stop Bits:", "StopCmb", Texts(SerialStopBitsTexts));
    m_parityCmb = AddList(form, "Parity:", "ParityCmb", Texts(SerialParityNames));
    m_flowCmb = AddList(form, "Flow Control:", "FlowCmb", Texts(SerialFlowNames));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_groupBox);
    AddDialogButtons(*this, *layout);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TSerialConfigForm::Load(const QString& portName, const QString& devicePath,
                             const TSerialLineChoice& choice)
{
    m_groupBox->setTitle(devicePath.isEmpty() ? portName
                                              : portName + QStringLiteral("  ") + devicePath);
    Select(m_baudCmb, choice.baud);
    Select(m_dataCmb, choice.data);
    Select(m_stopCmb, choice.stop);
    Select(m_parityCmb, choice.parity);
    Select(m_flowCmb, choice.flow);
}

TSerialLineChoice TSerialConfigForm::Choice() const
{
    return {m_baudCmb->currentIndex(), m_dataCmb->currentIndex(), m_stopCmb->currentIndex(),
            m_parityCmb->currentIndex(), m_flowCmb->currentIndex()};
}

bool TSerialConfigForm::Execute(const QString& portName, const QString& devicePath,
                                TSerialLineChoice& choice)
{
    Load(portName, devicePath, choice);
    if (exec() != QDialog::Accepted)
        return false;
    choice = Choice();
    return true;
}

} // namespace zev
