#include "bench/CatalogueGenerator.h"

#include "catalogue/Database.h"
#include "platform/AnsiText.h"
#include "platform/Error.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace zev {

namespace {

// Texts are written here in UTF-8 and converted: the catalogue carries
// Windows-1252 bytes, as a store's package does.
std::string Ansi(const char* utf8)
{
    return Utf8ToAnsi(utf8);
}

const std::array Departamentos = {"MERCEARIA", "BEBIDAS",   "HORTIFRÚTI", "AÇOUGUE",
                                  "PADARIA",   "LATICÍNIOS", "LIMPEZA",   "HIGIENE E BELEZA"};
const std::array Itens = {"AÇÚCAR CRISTAL",    "CAFÉ TORRADO E MOÍDO", "FEIJÃO CARIOCA",
                          "ARROZ TIPO 1",      "MACARRÃO ESPAGUETE",   "ÓLEO DE SOJA",
                          "SABÃO EM PÓ",       "REQUEIJÃO CREMOSO",    "PÊSSEGO EM CALDA",
                          "BISCOITO RECHEADO", "ÁGUA MINERAL S/ GÁS",  "CERVEJA PILSEN",
                          "LEITE UHT INTEGRAL", "MAÇÃ GALA",           "PÃO DE FORMA",
                          "DETERGENTE LÍQUIDO", "AMACIANTE DE ROUPAS", "CREME DENTAL",
                          "FARINHA DE MANDIOCA", "LINGUIÇA TOSCANA",   "QUEIJO MUÇARELA",
                          "SUCO DE MARACUJÁ",  "CHOCOLATE AO LEITE",   "PAPEL HIGIÊNICO"};
const std::array Marcas = {"SÃO JOÃO", "BOA VISTA", "TRÊS CORAÇÕES", "DONA NENÊ", "IPÊ",
                           "CAMPO BOM", "ESTRELA",  "ÁGUIA",         "PIRACANJUBA", "NOSSA"};
struct Tamanho
{
    const char* texto;
    const char* embalagemPadrao;
    double fator;
};
const std::array Tamanhos = {Tamanho{"1KG", "KG", 1},    Tamanho{"500G", "KG", 0.5},
                             Tamanho{"5KG", "KG", 5},    Tamanho{"350ML", "LT", 0.35},
                             Tamanho{"2L", "LT", 2},     Tamanho{"1L", "LT", 1},
                             Tamanho{"200G", "KG", 0.2}, Tamanho{"UN", "", 0}};
const std::array CaixaFatores = {6, 12, 24};

int CheckDigit(const std::string& digits)
{
    int sum = 0;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        const int digit = digits[digits.size() - 1 - i] - '0';
        sum += digit * (i % 2 == 0 ? 3 : 1);
    }
    return (10 - sum % 10) % 10;
}

std::string WithCheckDigit(const std::string& digits)
{
    return digits + static_cast<char>('0' + CheckDigit(digits));
}

double Cents(double value)
{
    return std::round(value * 100) / 100;
}

// One catalogue row after the other, wherever they go.
struct TProdutoRow
{
    std::int32_t key = 0;
    std::string descricao;
    std::optional<std::int32_t> pai;
    double fator = 1;
    double dataAlteracao = 0;
    double precoNormal = 0;
    std::optional<double> dataInicial;
    std::optional<double> dataFinal;
    double precoOferta = 0;
    int subGrupo = 0;
    bool compra = false;
    std::optional<int> divisor;
    int etiquetas = 1;
    std::string embalagem;
    int diasValidade = 0;
    std::optional<std::string> embalagemPadrao;
    double embalagemPadraoFator = 0;
    bool caixa = false;
};

class TSink
{
public:
    virtual ~TSink() = default;
    // type 1 depto (parent 0), 2 secao, 3 grupo, 4 sub_grupo
    virtual void Tree(int type, int key, int parent, const std::string& nome) = 0;
    virtual void Produto(const TProdutoRow& row) = 0;
    virtual void Item(const std::string& barra, std::int32_t key) = 0;
};

class TDatabaseSink final : public TSink
{
public:
    explicit TDatabaseSink(TConnection& connection)
        : m_depto(connection.Query("insert into depto values (?, ?)")),
          m_secao(connection.Query("insert into secao values (?, ?, ?)")),
          m_grupo(connection.Query("insert into grupo values (?, ?, ?)")),
          m_subGrupo(connection.Query("insert into sub_grupo values (?, ?, ?)")),
          m_produto(connection.Query(
              "insert into produto (produto_key, descricao, pai, fator_preco, data_alteracao, "
              "preco_normal, data_inicial, data_final, preco_oferta, sub_grupo_key, compra, "
              "divisor_preco, divisor_preco_descricao, preco_normal_key, preco_oferta_key, "
              "quantidade_etiquetas, embalagem_key, dias_validade, embalagem_padrao_key, "
              "embalagem_padrao_fator, caixa) "
              "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")),
          m_item(connection.Query("insert into item values (?, ?)"))
    {
    }

    void Tree(int type, int key, int parent, const std::string& nome) override
    {
        if (type == 1) {
            m_depto.Bind(0, key).BindText(1, nome).Exec();
            return;
        }
        TQuery& query = type == 2 ? m_secao : type == 3 ? m_grupo : m_subGrupo;
        query.Bind(0, key).Bind(1, parent).BindText(2, nome).Exec();
    }

    void Produto(const TProdutoRow& row) override
    {
        TQuery& produto = m_produto;
        produto.Bind(0, row.key).BindText(1, row.descricao);
        row.pai ? produto.Bind(2, *row.pai) : produto.BindNull(2);
        produto.Bind(3, row.fator).BindDate(4, row.dataAlteracao).Bind(5, row.precoNormal);
        row.dataInicial ? produto.BindDate(6, *row.dataInicial) : produto.BindNull(6);
        row.dataFinal ? produto.BindDate(7, *row.dataFinal) : produto.BindNull(7);
        produto.Bind(8, row.precoOferta).Bind(9, row.subGrupo).Bind(10, row.compra ? 1 : 0);
        row.divisor ? produto.Bind(11, *row.divisor) : produto.BindNull(11);
        produto.BindText(12, "UNIDADE").Bind(13, row.key).Bind(14, row.key);
        produto.Bind(15, row.etiquetas).BindText(16, row.embalagem).Bind(17, row.diasValidade);
        if (row.embalagemPadrao)
            produto.BindText(18, *row.embalagemPadrao).Bind(19, row.embalagemPadraoFator);
        else
            produto.BindNull(18).BindNull(19);
        produto.Bind(20, row.caixa ? 1 : 0).Exec();
    }

    void Item(const std::string& barra, std::int32_t key) override
    {
        m_item.BindText(0, barra).Bind(1, key).Exec();
    }

private:
    TQuery& m_depto;
    TQuery& m_secao;
    TQuery& m_grupo;
    TQuery& m_subGrupo;
    TQuery& m_produto;
    TQuery& m_item;
};

// The store's package: one line per row, as its back office writes them.
class TPackageSink final : public TSink
{
public:
    explicit TPackageSink(const QString& path) : m_file(path.toStdString(), std::ios::binary)
    {
        if (!m_file)
            throw EZevError("Não foi possível criar " + path.toStdString());
        Line("0;5");
    }

    void Close()
    {
        m_file.close();
        if (!m_file)
            throw EZevError("Não foi possível gravar o pacote");
    }

    void Tree(int type, int key, int parent, const std::string& nome) override
    {
        std::string line = std::to_string(type) + ";" + std::to_string(key) + ";";
        if (type != 1)
            line += std::to_string(parent) + ";";
        Line(line + Field(nome));
    }

    void Produto(const TProdutoRow& row) override
    {
        std::string line = "5;" + std::to_string(row.key) + ";" + Field(row.descricao) + ";";
        line += (row.pai ? std::to_string(*row.pai) : "") + ";";
        line += Number(row.fator) + ";" + DateToStr(row.dataAlteracao) + ";";
        line += Number(row.precoNormal) + ";";
        line += (row.dataInicial ? DateToStr(*row.dataInicial) : "") + ";";
        line += (row.dataFinal ? DateToStr(*row.dataFinal) : "") + ";";
        line += Number(row.precoOferta) + ";" + std::to_string(row.subGrupo) + ";";
        line += std::string(row.compra ? "1" : "0") + ";";
        line += (row.divisor ? std::to_string(*row.divisor) : "") + ";UNIDADE;";
        line += std::to_string(row.key) + ";" + std::to_string(row.key) + ";";
        line += std::to_string(row.etiquetas) + ";" + row.embalagem + ";";
        line += std::to_string(row.diasValidade) + ";";
        line += row.embalagemPadrao ? *row.embalagemPadrao + ";" + Number(row.embalagemPadraoFator)
                                    : std::string(";");
        line += row.caixa ? ";1" : ";0";
        Line(line);
    }

    void Item(const std::string& barra, std::int32_t key) override
    {
        // Some back offices write the EAN-13 as a 14-digit GTIN.
        const bool gtin = key % 7 == 0 && barra.size() == 13;
        Line("6;" + std::string(gtin ? "0" : "") + barra + ";" + std::to_string(key));
    }

private:
    void Line(const std::string& text) { m_file << text << "\r\n"; }

    static std::string Number(double value)
    {
        char buffer[32];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
        return std::string(buffer, result.ptr);
    }

    // A text holding the separator or a quote goes in quotes.
    static std::string Field(const std::string& text)
    {
        if (text.find_first_of(";\"") == std::string::npos)
            return text;
        std::string quoted = "\"";
        for (const char c : text)
            quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
        return quoted + "\"";
    }

    std::ofstream m_file;
};

class Generator
{
public:
    Generator(TSink& sink, const TCatalogueShape& shape)
        : m_sink(sink), m_shape(shape), m_random(shape.seed),
          m_segundaBarra(std::clamp((shape.barrasPorProduto - 1) * 2 / 3, 0.0, 1.0)),
          m_terceiraBarra(std::clamp((shape.barrasPorProduto - 1) / 3, 0.0, 1.0))
    {
    }

    TCatalogueSummary Run()
    {
        AddTree();
        AddProdutos();
        return m_summary;
    }

private:
    int Uniform(int low, int high) { return std::uniform_int_distribution(low, high)(m_random); }
    bool Chance(double probability) { return std::bernoulli_distribution(probability)(m_random); }

    void AddTree()
    {
        int deptoKey = 0;
        for (const char* nome : Departamentos) {
            ++deptoKey;
            m_sink.Tree(1, deptoKey, 0, Ansi(nome));
            for (int s = 1; s <= 3; ++s) {
                const int secaoKey = deptoKey * 10 + s;
                m_sink.Tree(2, secaoKey, deptoKey,
                            Ansi(nome) + " SE\xC7\xC3O " + std::to_string(s));
                for (int g = 1; g <= 3; ++g) {
                    const int grupoKey = secaoKey * 10 + g;
                    m_sink.Tree(3, grupoKey, secaoKey, "GRUPO " + std::to_string(grupoKey));
                    for (int sg = 1; sg <= 2; ++sg) {
                        const int subGrupoKey = grupoKey * 10 + sg;
                        m_sink.Tree(4, subGrupoKey, grupoKey,
                                    "SUBGRUPO " + std::to_string(subGrupoKey));
                        m_subGrupos.push_back(subGrupoKey);
                    }
                }
            }
        }
    }

    void AddProdutos()
    {
        struct Unit
        {
            std::int32_t key;
            std::string descricao;
            double preco;
            int subGrupo;
        };
        std::vector<Unit> units;
        for (std::int32_t key = 1; key <= m_shape.produtos; ++key) {
            const bool caixa = !units.empty() && Chance(0.08);
            const Unit* unit = caixa ? &units[static_cast<std::size_t>(
                                           Uniform(0, static_cast<int>(units.size()) - 1))]
                                     : nullptr;
            const int fator = caixa ? CaixaFatores[static_cast<std::size_t>(Uniform(0, 2))] : 1;
            const Tamanho& tamanho = Tamanhos[static_cast<std::size_t>(
                Uniform(0, static_cast<int>(Tamanhos.size()) - 1))];

            TProdutoRow row;
            row.key = key;
            row.caixa = caixa;
            row.fator = fator;
            if (caixa) {
                row.descricao = ("CX " + std::to_string(fator) + " " + unit->descricao).substr(0, 80);
                row.precoNormal = Cents(unit->preco * fator * 0.95);
                row.subGrupo = unit->subGrupo;
                row.pai = unit->key;
            } else {
                // One draw after the other: the order of draws inside one
                // expression would depend on the compiler.
                const char* item = Itens[static_cast<std::size_t>(
                    Uniform(0, static_cast<int>(Itens.size()) - 1))];
                const char* marca = Marcas[static_cast<std::size_t>(
                    Uniform(0, static_cast<int>(Marcas.size()) - 1))];
                row.descricao = Ansi(item) + " " + Ansi(marca) + " " + tamanho.texto;
                row.precoNormal = Uniform(99, 9999) / 100.0;
                row.subGrupo = m_subGrupos[static_cast<std::size_t>(
                    Uniform(0, static_cast<int>(m_subGrupos.size()) - 1))];
            }
            row.dataAlteracao = m_shape.today - Uniform(0, 30);
            if (Chance(0.1)) {
                row.dataInicial = m_shape.today - Uniform(0, 5);
                row.dataFinal = m_shape.today + Uniform(0, 10);
                row.precoOferta = Cents(row.precoNormal * 0.85);
                ++m_summary.ofertas;
            }
            row.compra = Chance(0.5);
            if (Chance(0.9))
                row.divisor = 100;
            row.etiquetas = Chance(0.9) ? 1 : 2;
            row.embalagem = caixa ? "CX" : "UN";
            row.diasValidade = Uniform(0, 365);
            if (!caixa && tamanho.fator > 0) {
                row.embalagemPadrao = tamanho.embalagemPadrao;
                row.embalagemPadraoFator = tamanho.fator;
            }
            m_sink.Produto(row);

            AddBarras(key, caixa);
            if (caixa)
                ++m_summary.caixas;
            else
                units.push_back(Unit{key, row.descricao, row.precoNormal, row.subGrupo});
            ++m_summary.produtos;
        }
    }

    void AddBarras(std::int32_t key, bool caixa)
    {
        // Derived from the key, so no two products share a barcode.
        std::vector<std::string> barras = {GeneratedEan13(key)};
        if (Chance(m_segundaBarra))
            barras.push_back(caixa ? WithCheckDigit("1789" + FormatInt("%.9d", key))
                                   : WithCheckDigit("780" + FormatInt("%.9d", key)));
        if (Chance(m_terceiraBarra))
            barras.push_back(std::to_string(2000000 + key));
        for (const std::string& barra : barras) {
            m_sink.Item(barra, key);
            ++m_summary.barras;
        }
    }

    TSink& m_sink;
    const TCatalogueShape m_shape;
    std::mt19937 m_random;
    const double m_segundaBarra;
    const double m_terceiraBarra;
    std::vector<int> m_subGrupos;
    TCatalogueSummary m_summary;
};

} // namespace

std::string GeneratedEan13(std::int32_t key)
{
    return WithCheckDigit("789" + FormatInt("%.9d", key));
}

TCatalogueSummary GenerateCatalogue(TConnection& connection, const TCatalogueShape& shape)
{
    TTransaction transaction(connection);
    for (const char* table : {"selecao", "selecao_barra", "produto_antigo", "item", "produto",
                              "sub_grupo", "grupo", "secao", "depto"})
        connection.Execute(std::string("delete from ") + table);
    TDatabaseSink sink(connection);
    const TCatalogueSummary summary = Generator(sink, shape).Run();
    transaction.Commit();
    return summary;
}

TCatalogueSummary GeneratePackage(const QString& path, const TCatalogueShape& shape)
{
    TPackageSink sink(path);
    const TCatalogueSummary summary = Generator(sink, shape).Run();
    sink.Close();
    return summary;
}

} // namespace zev
