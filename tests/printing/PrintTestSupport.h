#pragma once

// The print job tests' registries: the template "linha" (data/), a label
// "marca" whose text tells which render made it ("F" First, "N" Next...)
// and the key, and a port "TESTE:" that can fail each way and counts.

#include "app/Settings.h"
#include "catalogue/Database.h"
#include "catalogue/Produto.h"
#include "labels/PrinterLabel.h"
#include "output/PrinterDriver.h"
#include "platform/Error.h"
#include "platform/Profile.h"
#include "printing/ItemSession.h"
#include "tests/support/ProgramFixture.h"

#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <ranges>
#include <set>
#include <string>
#include <vector>

namespace zev::test {

class TMarkLabel final : public TBaseLabel
{
public:
    TMarkLabel() : TBaseLabel("marca", "", QImage(), "H\r\n", "Marca", "1") {}
    // clang-format off
    void RenderFirst(const TProduto& p, std::string& t, double) const override { t = Mark('F', p); }
    void RenderNext(const TProduto& p, std::string& t, double) const override { t = Mark('N', p); }
    void RenderSingle(const TProduto& p, std::string& t, double) const override { t = Mark('S', p); }
    void RenderLast(const TProduto& p, std::string& t, double) const override { t = Mark('L', p); }
    // clang-format on

private:
    static std::string Mark(char kind, const TProduto& p)
    {
        return kind + std::to_string(p.key) + "\r\n";
    }
};

class TTestPort final : public TPrinterPort
{
public:
    std::string GetName() const override { return "TESTE:"; }
    void Configure(const QString&) override {}
    bool StartData(const QString&) override { return ++starts, !refuseStart; }
    bool EndData() override { return ++ends, !refuseEnd; }
    bool SendData(const std::string& data) override
    {
        blocks.push_back(data);
        if (failAt == blocks.size() - 1)
            throw EInOutError(5, "Erro de entrada/saída");
        return !refused.contains(blocks.size() - 1);
    }
    bool Confirm() override { return !unconfirmed.contains(blocks.size() - 1); }
    std::optional<std::int64_t> DeliveredBytes() const override { return delivered; }

    bool refuseStart = false, refuseEnd = false;
    std::set<std::size_t> refused; // by position, the header's 0
    std::set<std::size_t> unconfirmed;     // taken, then not confirmed
    std::optional<std::int64_t> delivered; // what reached the printer, header included
    std::optional<std::size_t> failAt;
    int starts = 0;
    int ends = 0;
    std::vector<std::string> blocks;
};

class TTestDriver final : public TPrinterDriver
{
public:
    std::string GetName() const override { return "Test Driver"; }
    TPortKind Kind() const override { return TPortKind::Arquivo; }
    std::string GetVersion() const override { return "1"; }
    TPrinterPortList GetPorts() override
    {
        TPrinterPortList ports;
        ports.push_back(std::make_unique<TTestPort>());
        return ports;
    }
};

// Answers the modes' questions in order; "-" is Cancela.
class TAnswers final : public TItemQuestions
{
public:
    std::deque<std::string> counts;
    std::deque<std::optional<TProconData>> procons;
    int asked = 0;

    std::optional<TProconData> AskProcon() override { return Next(procons); }
    std::optional<QString> AskCount() override
    {
        const std::string answer = Next(counts);
        return answer == "-" ? std::nullopt : std::optional(QString::fromStdString(answer));
    }

private:
    template <typename T> T Next(std::deque<T>& answers)
    {
        ++asked;
        EXPECT_FALSE(answers.empty());
        T answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

class PrintTest : public testing::Test
{
protected:
    PrintTest() : program({QStringLiteral("tests/printing/data/linha.lbl")})
    {
        CreateDatabase();
        program.Registries().Labels->LabelHash.SetItem("marca", std::make_unique<TMarkLabel>());
        program.Registries().Ports->AddDriver(std::make_unique<TTestDriver>());
        port = &dynamic_cast<TTestPort&>(program.Registries().Ports->Port("TESTE:"));
    }

    static void Sql(std::string_view sql) { OpenDatabase()->Execute(sql); }
    // The FILE: port's file for the next job.
    QString Output()
    {
        const QString path =
            program.TemplatesDir() + QStringLiteral("/saida%1.prn").arg(++m_outputs);
        op().QueueFile(path);
        return path;
    }
    TScriptedOperator& op() { return program.Operator(); }
    const TRegistries& registries() { return program.Registries(); }

    TProgramFixture program;
    TTestPort* port = nullptr;

private:
    int m_outputs = 0;
};

// The store's tree, from department to subgroup, with keys that order the
// products differently at each level (names play no part):
//   depto 1: secao 20: grupo 200: sub_grupo 500 ACUCAR, 3000 CAFE GOMA
//   depto 2: secao 10: grupo 100: sub_grupo 2000 BOLO FARINHA DOCE
//                      grupo 300: sub_grupo 1000 ARROZ, CX ARROZ
// ERVA has no subgroup; DOCE no barcode; GOMA prints no copy; BOLO three;
// FARINHA's barcode is no number; CAFE's first barcode is 1000, its
// second 99999. Every product is selected.
inline const char* const Loja =
    "insert into depto values (1, 'Z'), (2, 'A');"
    "insert into secao values (10, 2, 'S10'), (20, 1, 'S20');"
    "insert into grupo values (100, 10, 'G100'), (200, 20, 'G200'), (300, 10, 'G300');"
    "insert into sub_grupo values (500, 200, 'U500'), (1000, 300, 'U1000'), "
    "  (2000, 100, 'U2000'), (3000, 200, 'U3000');"
    "insert into produto (produto_key, descricao, sub_grupo_key, quantidade_etiquetas, caixa, pai, "
    "  fator_preco, preco_normal) values "
    "  (9, 'ACUCAR', 500, 1, 0, null, null, 4), (2, 'ARROZ', 1000, 1, 0, null, null, 5.5), "
    "  (3, 'BOLO', 2000, 3, 0, null, null, 7), (1, 'CAFE', 3000, 1, 0, null, null, 12), "
    "  (7, 'FARINHA', 2000, 1, 0, null, null, 3), (8, 'GOMA', 3000, 0, 0, null, null, 2), "
    "  (5, 'DOCE', 2000, 1, 0, null, null, 1), (6, 'ERVA', null, 1, 0, null, null, 1), "
    "  (4, 'CX ARROZ', 1000, 1, 1, 2, 6, 30);"
    "update produto set preco_oferta = 10, data_inicial = '2026-03-01', data_final = '2026-03-05' "
    "  where produto_key = 1;"
    "insert into item values ('0000999', 9), ('7891000000011', 2), ('0001500', 3), ('1000', 1), "
    "  ('99999', 1), ('ABC', 7), ('8888', 8), ('66', 6), ('17891000000028', 4);"
    "insert into selecao select produto_key from produto";

// "F9 N2" as the job writes it: the mark label's header, then each label.
inline std::string Marks(const std::string& labels)
{
    std::string text = "H\r\n";
    for (const auto label : std::views::split(labels, ' '))
        text += std::string(label.begin(), label.end()) + "\r\n";
    return text;
}

} // namespace zev::test
