#include "bench/CatalogueGenerator.h"

#include "catalogue/Database.h"
#include "platform/AnsiText.h"

#include <array>
#include <cmath>
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

class Generator
{
public:
    Generator(TConnection& connection, const TCatalogueShape& shape)
        : m_connection(connection), m_shape(shape), m_random(shape.seed)
    {
    }

    TCatalogueSummary Run()
    {
        TTransaction transaction(m_connection);
        for (const char* table :
             {"selecao", "selecao_barra", "produto_antigo", "item", "produto", "sub_grupo", "grupo",
              "secao", "depto"})
            m_connection.Execute(std::string("delete from ") + table);
        AddTree();
        AddProdutos();
        transaction.Commit();
        return m_summary;
    }

private:
    int Uniform(int low, int high) { return std::uniform_int_distribution(low, high)(m_random); }
    bool Chance(double probability) { return std::bernoulli_distribution(probability)(m_random); }

    void AddTree()
    {
        TQuery& depto = m_connection.Query("insert into depto values (?, ?)");
        TQuery& secao = m_connection.Query("insert into secao values (?, ?, ?)");
        TQuery& grupo = m_connection.Query("insert into grupo values (?, ?, ?)");
        TQuery& subGrupo = m_connection.Query("insert into sub_grupo values (?, ?, ?)");
        int deptoKey = 0;
        for (const char* nome : Departamentos) {
            ++deptoKey;
            depto.Bind(0, deptoKey).BindText(1, Ansi(nome)).Exec();
            for (int s = 1; s <= 3; ++s) {
                const int secaoKey = deptoKey * 10 + s;
                secao.Bind(0, secaoKey).Bind(1, deptoKey)
                    .BindText(2, Ansi(nome) + " SE\xC7\xC3O " + std::to_string(s)).Exec();
                for (int g = 1; g <= 3; ++g) {
                    const int grupoKey = secaoKey * 10 + g;
                    grupo.Bind(0, grupoKey).Bind(1, secaoKey)
                        .BindText(2, "GRUPO " + std::to_string(grupoKey)).Exec();
                    for (int sg = 1; sg <= 2; ++sg) {
                        const int subGrupoKey = grupoKey * 10 + sg;
                        subGrupo.Bind(0, subGrupoKey).Bind(1, grupoKey)
                            .BindText(2, "SUBGRUPO " + std::to_string(subGrupoKey)).Exec();
                        m_subGrupos.push_back(subGrupoKey);
                    }
                }
            }
        }
    }

    void AddProdutos()
    {
        TQuery& produto = m_connection.Query("insert into produto (produto_key, descricao, pai, fator_preco, data_alteracao, "
            "preco_normal, data_inicial, data_final, preco_oferta, sub_grupo_key, compra, "
            "divisor_preco, divisor_preco_descricao, preco_normal_key, preco_oferta_key, "
            "quantidade_etiquetas, embalagem_key, dias_validade, embalagem_padrao_key, "
            "embalagem_padrao_fator, caixa) "
            "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        TQuery& item = m_connection.Query("insert into item values (?, ?)");

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

            std::string descricao;
            double precoNormal;
            int subGrupo;
            if (caixa) {
                descricao = ("CX " + std::to_string(fator) + " " + unit->descricao).substr(0, 80);
                precoNormal = Cents(unit->preco * fator * 0.95);
                subGrupo = unit->subGrupo;
            } else {
                // One draw after the other: the order of draws inside one
                // expression would depend on the compiler.
                const char* item = Itens[static_cast<std::size_t>(
                    Uniform(0, static_cast<int>(Itens.size()) - 1))];
                const char* marca = Marcas[static_cast<std::size_t>(
                    Uniform(0, static_cast<int>(Marcas.size()) - 1))];
                descricao = Ansi(item) + " " + Ansi(marca) + " " + tamanho.texto;
                precoNormal = Uniform(99, 9999) / 100.0;
                subGrupo = m_subGrupos[static_cast<std::size_t>(
                    Uniform(0, static_cast<int>(m_subGrupos.size()) - 1))];
            }

            produto.Bind(0, key).BindText(1, descricao);
            caixa ? produto.Bind(2, unit->key) : produto.BindNull(2);
            produto.Bind(3, static_cast<double>(fator));
            produto.BindDate(4, m_shape.today - Uniform(0, 30));
            produto.Bind(5, precoNormal);
            if (Chance(0.1)) {
                produto.BindDate(6, m_shape.today - Uniform(0, 5));
                produto.BindDate(7, m_shape.today + Uniform(0, 10));
                produto.Bind(8, Cents(precoNormal * 0.85));
                ++m_summary.ofertas;
            } else {
                produto.BindNull(6).BindNull(7).Bind(8, 0.0);
            }
            produto.Bind(9, subGrupo).Bind(10, Chance(0.5) ? 1 : 0);
            Chance(0.9) ? produto.Bind(11, 100) : produto.BindNull(11);
            produto.BindText(12, "UNIDADE").Bind(13, key).Bind(14, key);
            produto.Bind(15, Chance(0.9) ? 1 : 2);
            produto.BindText(16, caixa ? "CX" : "UN");
            produto.Bind(17, Uniform(0, 365));
            if (!caixa && tamanho.fator > 0) {
                produto.BindText(18, tamanho.embalagemPadrao).Bind(19, tamanho.fator);
            } else {
                produto.BindNull(18).BindNull(19);
            }
            produto.Bind(20, caixa ? 1 : 0);
            produto.Exec();

            AddBarras(item, key, caixa);
            if (caixa)
                ++m_summary.caixas;
            else
                units.push_back(Unit{key, descricao, precoNormal, subGrupo});
            ++m_summary.produtos;
        }
    }

    void AddBarras(TQuery& item, std::int32_t key, bool caixa)
    {
        // Derived from the key, so no two products share a barcode.
        std::vector<std::string> barras = {GeneratedEan13(key)};
        if (Chance(0.3))
            barras.push_back(caixa ? WithCheckDigit("1789" + FormatInt("%.9d", key))
                                   : WithCheckDigit("780" + FormatInt("%.9d", key)));
        if (Chance(0.15))
            barras.push_back(std::to_string(2000000 + key));
        for (const std::string& barra : barras) {
            item.BindText(0, barra).Bind(1, key).Exec();
            ++m_summary.barras;
        }
    }

    TConnection& m_connection;
    const TCatalogueShape m_shape;
    std::mt19937 m_random;
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
    return Generator(connection, shape).Run();
}

} // namespace zev
