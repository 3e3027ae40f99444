#include "selection/ArvoreFrm.h"

#include "app/DialogButtons.h"
#include "platform/AnsiText.h"

#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <unordered_map>

namespace zev {

namespace {

constexpr int NivelRole = Qt::UserRole;
constexpr int KeyRole = Qt::UserRole + 1;

} // namespace

TArvoreForm::TArvoreForm(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ArvoreForm"));
    setWindowTitle(QStringLiteral("Agrupamento"));

    m_tree = new QTreeWidget;
    m_tree->setObjectName(QStringLiteral("Tree"));
    m_tree->setHeaderHidden(true);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setMinimumSize(320, 400);
    connect(m_tree, &QTreeWidget::itemSelectionChanged, this, &TArvoreForm::UpdateOk);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tree);
    m_ok = AddDialogButtons(*this, *layout, false).ok;
    connect(m_ok, &QPushButton::clicked, this, &TArvoreForm::BitBtn1Click);
}

std::optional<TArvoreChoice> TArvoreForm::Execute()
{
    LoadTree();
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return TArvoreChoice{m_selectedNivel, m_selectedKey};
}

void TArvoreForm::LoadTree()
{
    m_arvore.LoadCatalogue();
    m_tree->setUpdatesEnabled(false);
    m_tree->clear();
    std::unordered_map<const TArvoreItem*, QTreeWidgetItem*> nodes;
    for (const TArvoreItem* item : m_arvore.AttachOrder()) {
        auto* node = item->parent != nullptr ? new QTreeWidgetItem(nodes.at(item->parent))
                                             : new QTreeWidgetItem(m_tree);
        node->setText(0, AnsiToQString(item->nome));
        node->setData(0, NivelRole, QChar::fromLatin1(item->nivel));
        node->setData(0, KeyRole, item->key);
        nodes.emplace(item, node);
    }
    m_tree->setUpdatesEnabled(true);
    m_tree->setFocus();
    UpdateOk();
}

void TArvoreForm::UpdateOk()
{
    m_ok->setEnabled(!m_tree->selectedItems().isEmpty());
}

void TArvoreForm::BitBtn1Click()
{
    const QList<QTreeWidgetItem*> selected = m_tree->selectedItems();
    if (selected.isEmpty())
        return;
    m_selectedNivel = selected.front()->data(0, NivelRole).toChar().toLatin1();
    m_selectedKey = selected.front()->data(0, KeyRole).toInt();
    accept();
}

} // namespace zev
