#pragma once

// The merchandise tree as its dialog shows it: departments, sections,
// groups and subgroups, one keyed table per level (key: the row's key in
// decimal). Departments come in name order; the children of a node come in
// their level's table iteration order, not by name: the hash of the keys
// decides where the operator sees them.

#include "app/Hashes.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zev {

class TConnection;
class TOperator;

struct TArvoreItem
{
    std::int32_t key = 0;
    std::string nome;
    char nivel = 0;                      // 'D' department, 'S' section, 'G' group, 'U' subgroup
    const TArvoreItem* parent = nullptr; // the item of the level above; none for a department
};

class TArvore
{
public:
    // Replaces what was loaded before with the tree the database holds now.
    void Load(TConnection& connection);
    // The same, from the catalogue on a connection of its own.
    void LoadCatalogue();
    void Clear();

    // Every item in the order its node is attached: the departments in name
    // order, then every section, every group and every subgroup, each level
    // in its table's iteration order, so a parent always comes before its
    // children.
    std::vector<const TArvoreItem*> AttachOrder();

private:
    std::vector<const TArvoreItem*> m_deptos; // owned by m_deptoHash
    TObjectHash<TArvoreItem> m_deptoHash;
    TObjectHash<TArvoreItem> m_secaoHash;
    TObjectHash<TArvoreItem> m_grupoHash;
    TObjectHash<TArvoreItem> m_subGrupoHash;
};

// "A&grupamento": every product below the branch chosen in the department
// tree dialog. "Selecao Data" becomes today.
void SelectFromTree(TOperator& op);

} // namespace zev
