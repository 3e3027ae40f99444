#include "output/SelectLabelFrm.h"

#include "app/DialogButtons.h"
#include "app/GuiOperator.h"
#include "app/Registries.h"
#include "app/Settings.h"
#include "platform/AnsiText.h"
#include "platform/Profile.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace zev {

TSelectLabelForm::TSelectLabelForm(const TRegistries& registries, QWidget* parent)
    : QDialog(parent), m_registries(registries)
{
    setObjectName(QStringLiteral("SelectLabelForm"));
    setWindowTitle(QString::fromUtf8("Seleção"));

    m_selectLst = new QListWidget;
    m_selectLst->setObjectName(QStringLiteral("SelectLst"));
    m_selectLst->setSelectionMode(QAbstractItemView::SingleSelection);
    m_selectLst->setMinimumWidth(280);
    auto* group = new QGroupBox(QStringLiteral("Tipo de Etiqueta"));
    group->setObjectName(QStringLiteral("GroupBox1"));
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(m_selectLst);

    // At the counter a double click is the quickest way to print.
    connect(m_selectLst, &QListWidget::itemDoubleClicked, this, &QDialog::accept);

    m_visualizarBtn = new QPushButton(QStringLiteral("&Visualizar"));
    m_visualizarBtn->setObjectName(QStringLiteral("VisualizarBtn"));
    m_visualizarBtn->setAutoDefault(false);
    m_visualizarBtn->setVisible(false);
    connect(m_visualizarBtn, &QPushButton::clicked, this, &TSelectLabelForm::VisualizarClick);
    connect(m_selectLst, &QListWidget::itemSelectionChanged, this,
            [this] { m_visualizarBtn->setEnabled(!m_selectLst->selectedItems().isEmpty()); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    auto* previewRow = new QHBoxLayout;
    previewRow->addWidget(m_visualizarBtn);
    previewRow->addStretch();
    layout->addLayout(previewRow);
    AddDialogButtons(*this, *layout);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TSelectLabelForm::SetJobPreview(TJobPreview preview)
{
    m_jobPreview = std::move(preview);
    m_visualizarBtn->setVisible(static_cast<bool>(m_jobPreview));
}

void TSelectLabelForm::FillLabels(const std::string& proposed)
{
    m_configured = LoadConfiguredLabels(SettingsPath());
    const TConfiguredLabelList& configured = m_configured;
    const bool proposedListed =
        std::any_of(configured.begin(), configured.end(),
                    [&](const TConfiguredLabel& entry) { return entry.LabelName == proposed; });
    const std::string defaultLabel =
        proposedListed ? proposed : ReadSetting(TIniFile(SettingsPath()), settings::LabelDefault);
    const TLabelRegistry& labels = m_registries.LabelRegistry();
    m_selectLst->clear();
    int selected = -1;
    for (std::size_t i = 0; i < configured.size(); ++i) {
        m_selectLst->addItem(
            AnsiToQString(labels.LabelHash.Item(configured[i].LabelName).GetDescription()));
        if (configured[i].LabelName == defaultLabel)
            selected = static_cast<int>(i);
    }
    m_selectLst->setCurrentRow(selected);
    if (selected < 0)
        m_selectLst->clearSelection();
    m_visualizarBtn->setEnabled(selected >= 0);
}

void TSelectLabelForm::done(int result)
{
    if (result == QDialog::Accepted && LabelAtSelection().empty()) {
        // OK without a label would print nothing and say nothing.
        const bool none = m_selectLst->count() == 0;
        QMessageBox box(QMessageBox::Warning, QString::fromUtf8(ZevTitle),
                        none ? QString::fromUtf8("Nenhuma etiqueta está configurada: associe uma "
                                                 "etiqueta a uma porta em Ferramentas › "
                                                 "Configuração.")
                             : QStringLiteral("Escolha uma etiqueta."),
                        QMessageBox::Ok, this);
        box.exec();
        if (!none) {
            m_selectLst->setFocus();
            return;
        }
        result = QDialog::Rejected;
    }
    FormClose();
    QDialog::done(result);
}

void TSelectLabelForm::FormClose()
{
    m_selectedLabel = LabelAtSelection();
}

std::string TSelectLabelForm::LabelAtSelection() const
{
    const TConfiguredLabelList& configured = m_configured;
    const QListWidgetItem* item = m_selectLst->currentItem();
    const int selected = item != nullptr && item->isSelected() ? m_selectLst->currentRow() : -1;
    return selected >= 0 && static_cast<std::size_t>(selected) < configured.size()
               ? configured[static_cast<std::size_t>(selected)].LabelName
               : std::string();
}

void TSelectLabelForm::VisualizarClick()
{
    const std::string label = LabelAtSelection();
    if (label.empty() || !m_jobPreview)
        return;
    if (m_jobPreview(label))
        accept();
}

} // namespace zev
