#include "selection/Arvore.h"

#include "app/Operator.h"
#include "catalogue/Database.h"
#include "platform/Regional.h"
#include "selection/SelecaoCommand.h"

namespace zev {

namespace {

struct TNivel
{
    char nivel;
    const char* select;
    const char* parentColumn; // nullptr for departments
    const char* keyColumn;
};

constexpr TNivel Deptos{'D', "select * from depto order by nome", nullptr, "depto_key"};
constexpr TNivel Secoes{'S', "select * from secao order by depto_key, nome", "depto_key",
                        "secao_key"};
constexpr TNivel Grupos{'G', "select * from grupo order by secao_key, nome", "secao_key",
                        "grupo_key"};
constexpr TNivel SubGrupos{'U', "select * from sub_grupo order by grupo_key, nome", "grupo_key",
                           "sub_grupo_key"};

// Reads one level; each item's parent is found in the level above.
void LoadNivel(TConnection& connection, const TNivel& nivel, TObjectHash<TArvoreItem>& items,
               const TObjectHash<TArvoreItem>* parents, std::vector<const TArvoreItem*>* list)
{
    TQuery& query = connection.Query(nivel.select);
    const TQueryScope scope(query);
    query.Exec();
    const int key = query.ColumnIndex(nivel.keyColumn);
    const int nome = query.ColumnIndex("nome");
    const int parent = parents != nullptr ? query.ColumnIndex(nivel.parentColumn) : -1;
    while (query.Next()) {
        auto item = std::make_unique<TArvoreItem>();
        item->key = query.Int(key);
        item->nome = query.Text(nome);
        item->nivel = nivel.nivel;
        if (parents != nullptr)
            item->parent = &parents->Item(std::to_string(query.Int(parent)));
        if (list != nullptr)
            list->push_back(item.get());
        const std::string hashKey = std::to_string(item->key);
        items.SetItem(hashKey, std::move(item));
    }
}

void AppendInIterationOrder(TObjectHash<TArvoreItem>& items, std::vector<const TArvoreItem*>& order)
{
    items.Restart();
    while (items.Next())
        order.push_back(&items.Item(items.CurrentKey()));
}

// The products below one branch; each product once, as it has one subgroup.
// The branch's subgroups are gathered first: one pass over the products.
const char* const InsertDepto = "insert into selecao                              \n"
                                "select p.produto_key                             \n"
                                "from   produto p                                 \n"
                                "where  p.sub_grupo_key in (                      \n"
                                "  select sg.sub_grupo_key                        \n"
                                "  from   sub_grupo sg, grupo g, secao s          \n"
                                "  where  sg.grupo_key = g.grupo_key              \n"
                                "    and  g.secao_key = s.secao_key               \n"
                                "    and  s.depto_key = ?)                        ";
const char* const InsertSecao = "insert into selecao                              \n"
                                "select p.produto_key                             \n"
                                "from   produto p                                 \n"
                                "where  p.sub_grupo_key in (                      \n"
                                "  select sg.sub_grupo_key                        \n"
                                "  from   sub_grupo sg, grupo g                   \n"
                                "  where  sg.grupo_key = g.grupo_key              \n"
                                "    and  g.secao_key = ?)                        ";
const char* const InsertGrupo = "insert into selecao                              \n"
                                "select p.produto_key                             \n"
                                "from   produto p                                 \n"
                                "where  p.sub_grupo_key in (                      \n"
                                "  select sg.sub_grupo_key                        \n"
                                "  from   sub_grupo sg                            \n"
                                "  where  sg.grupo_key = ?)                       ";
const char* const InsertSubGrupo = "insert into selecao                           \n"
                                   "select produto_key                            \n"
                                   "from   produto                                \n"
                                   "where  sub_grupo_key = ?                      ";

const char* InsertOf(char nivel)
{
    switch (nivel) {
    case 'D':
        return InsertDepto;
    case 'S':
        return InsertSecao;
    case 'G':
        return InsertGrupo;
    case 'U':
        return InsertSubGrupo;
    default:
        return nullptr;
    }
}

} // namespace

void TArvore::Clear()
{
    m_deptos.clear();
    m_subGrupoHash.Clear();
    m_grupoHash.Clear();
    m_secaoHash.Clear();
    m_deptoHash.Clear();
}

void TArvore::LoadCatalogue()
{
    const std::unique_ptr<TConnection> connection = OpenDatabase();
    Load(*connection);
}

void TArvore::Load(TConnection& connection)
{
    Clear();
    const TReadTransaction read(connection);
    LoadNivel(connection, Deptos, m_deptoHash, nullptr, &m_deptos);
    LoadNivel(connection, Secoes, m_secaoHash, &m_deptoHash, nullptr);
    LoadNivel(connection, Grupos, m_grupoHash, &m_secaoHash, nullptr);
    LoadNivel(connection, SubGrupos, m_subGrupoHash, &m_grupoHash, nullptr);
}

std::vector<const TArvoreItem*> TArvore::AttachOrder()
{
    std::vector<const TArvoreItem*> order = m_deptos;
    AppendInIterationOrder(m_secaoHash, order);
    AppendInIterationOrder(m_grupoHash, order);
    AppendInIterationOrder(m_subGrupoHash, order);
    return order;
}

void SelectFromTree(TOperator& op)
{
    const std::optional<TArvoreChoice> choice = op.ChooseArvore();
    if (!choice)
        return;
    TSelecaoCommand command(op, QStringLiteral("Limpando selecao..."));
    if (const char* insert = InsertOf(choice->nivel))
        command.Query(insert).Bind(0, choice->key).Exec();
    command.Finish(Today());
}

} // namespace zev
