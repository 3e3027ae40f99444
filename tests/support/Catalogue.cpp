#include "tests/support/Catalogue.h"

#include "catalogue/Database.h"
#include "platform/AnsiText.h"

namespace zev::test {

namespace {

std::string Quoted(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("''") : std::string(1, c);
    return quoted + "'";
}

// SQL's own number syntax, whatever the regional settings.
std::string Number(double value)
{
    return QString::number(value, 'g', 17).toStdString();
}

std::string Nullable(const std::optional<int>& value)
{
    return value ? std::to_string(*value) : std::string("null");
}

std::string Level(const char* table, int key, const std::optional<int>& parent,
                  const std::string& nome, char prefix)
{
    const std::string name = nome.empty() ? prefix + std::to_string(key) : nome;
    return std::string("insert or ignore into ") + table + " values (" + std::to_string(key) +
           (parent ? ", " + std::to_string(*parent) : std::string()) + ", " + Quoted(name) + ");";
}

} // namespace

void Sql(std::string_view sql)
{
    OpenDatabase()->Execute(sql);
}

long long ScalarInt(std::string_view sql)
{
    const auto connection = OpenDatabase();
    TQuery& query = connection->Query(sql);
    query.Exec();
    return query.Next() ? query.Int(0) : 0;
}

QString ScalarText(std::string_view sql)
{
    const auto connection = OpenDatabase();
    TQuery& query = connection->Query(sql);
    query.Exec();
    return query.Next() ? AnsiToQString(query.Text(0)) : QString();
}

std::vector<int> IntColumn(std::string_view sql)
{
    const auto connection = OpenDatabase();
    TQuery& query = connection->Query(sql);
    std::vector<int> values;
    for (query.Exec(); query.Next();)
        values.push_back(query.Int(0));
    return values;
}

void AddBranch(const TBranch& b)
{
    Sql(Level("depto", b.depto, std::nullopt, b.deptoNome, 'D') +
        Level("secao", b.secao, b.depto, b.secaoNome, 'S') +
        Level("grupo", b.grupo, b.secao, b.grupoNome, 'G') +
        Level("sub_grupo", b.subGrupo, b.grupo, b.subGrupoNome, 'U'));
}

void AddProduto(const TProdutoRow& row)
{
    std::string sql =
        "insert into produto (produto_key, descricao, sub_grupo_key, preco_normal, "
        "quantidade_etiquetas, caixa, pai, fator_preco) values (" +
        std::to_string(row.key) + ", " + Quoted(row.descricao) + ", " + Nullable(row.subGrupo) +
        ", " + Number(row.preco) + ", " + std::to_string(row.etiquetas) + ", " +
        (row.pai ? "1, " : "0, ") + Nullable(row.pai) + ", " +
        (row.fatorPreco ? Number(*row.fatorPreco) : std::string("null")) + ");";
    for (const std::string& barra : row.barras)
        sql += "insert into item values (" + Quoted(barra) + ", " + std::to_string(row.key) + ");";
    Sql(sql);
}

} // namespace zev::test
