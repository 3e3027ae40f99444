#pragma once

// "Agrupamento": the department tree, for choosing the branch whose
// products are selected. The tree is read anew at every showing; OK is
// possible only while a node is selected, so an earlier choice never stands
// for a branch of a catalogue imported since.

#include "app/Operator.h"
#include "selection/Arvore.h"

#include <QDialog>

#include <cstdint>
#include <optional>

class QPushButton;
class QTreeWidget;

namespace zev {

class TArvoreForm final : public QDialog
{
    Q_OBJECT

public:
    explicit TArvoreForm(QWidget* parent = nullptr);

    // Reads the tree from the database and shows the dialog modally; the
    // branch confirmed with OK, or nothing. Database errors propagate
    // before the dialog shows.
    std::optional<TArvoreChoice> Execute();

    // The branch confirmed the last time, kept between showings.
    std::int32_t SelectedKey() const { return m_selectedKey; }
    char SelectedNivel() const { return m_selectedNivel; }

private:
    void LoadTree();
    void UpdateOk();
    void BitBtn1Click();

    QTreeWidget* m_tree = nullptr;
    QPushButton* m_ok = nullptr;
    TArvore m_arvore;
    std::int32_t m_selectedKey = 0;
    char m_selectedNivel = 0;
};

} // namespace zev
