#pragma once

// The products the label and preview tests print.

#include "catalogue/Produto.h"
#include "platform/Regional.h"

#include <memory>
#include <string>

namespace zev::test {

// ARROZ TIPO 1 LONGO 5KG, key 7: 21,90, on offer at 19,50 from 1 to 5
// December 2026; a 5 kg standard package; one EAN-13.
inline std::unique_ptr<TProduto> Arroz()
{
    auto produto = std::make_unique<TProduto>();
    produto->key = 7;
    produto->descricao = "ARROZ TIPO 1 LONGO 5KG";
    produto->precoNormal = 21.90;
    produto->precoOferta = 19.50;
    produto->dataInicial = EncodeDate(2026, 12, 1);
    produto->dataFinal = EncodeDate(2026, 12, 5);
    produto->barras = {"7891234567895"};
    produto->embalagem = "UN";
    produto->embalagemPadrao = "KG";
    produto->embalagemPadraoFator = 5;
    return produto;
}

// A box of 12 (key 1234567) whose unit product is `unit`: 59,90, on offer at
// 54,00 from 1 to 5 December 2026.
inline std::unique_ptr<TProduto> CaixaDeLeite(TProduto& unit)
{
    auto caixa = std::make_unique<TProduto>();
    caixa->key = 1234567;
    caixa->descricao = "CX LEITE INTEGRAL COM 12 UN";
    caixa->precoNormal = 59.90;
    caixa->precoOferta = 54.00;
    caixa->dataInicial = EncodeDate(2026, 12, 1);
    caixa->dataFinal = EncodeDate(2026, 12, 5);
    caixa->fatorPreco = 12;
    caixa->barra = "123456";
    caixa->barras = {"17891000100109"};
    caixa->embalagem = "CX";
    caixa->pai = &unit;
    return caixa;
}

} // namespace zev::test
