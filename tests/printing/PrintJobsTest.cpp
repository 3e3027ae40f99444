#include "printing/PrintJobs.h"

#include "app/Hashes.h"
#include "platform/Regional.h"
#include "tests/printing/PrintTestSupport.h"

using namespace zev;
using namespace zev::test;

namespace {

enum TJob
{
    Selecao,
    Arquivo,
    Sequencia,
};

// What the job told, questions left out: "E:" an error, "N:" a notice.
std::vector<QString> Told(const TScriptedOperator& o)
{
    std::vector<QString> told;
    for (const TOperatorMessage& message : o.Messages())
        if (message.kind != "question")
            told.push_back((message.kind == "error" ? "E:" : "N:") + message.text);
    return told;
}

TEST_F(PrintTest, EveryWayOutOfEveryJobEndsThePortItStarted)
{
    Sql(Loja);
    const QString plu = program.TemplatesDir() + "/PLU.TXT";
    const QString vazio = program.TemplatesDir() + "/VAZIO.TXT";
    WriteFileBytes(plu, "7891000000011\r\nX\r\n1000\r\n");
    WriteFileBytes(vazio, "");
    program.WriteSettings("[Labels]\r\nmarca=TESTE:\r\n");
    const std::size_t labels[] = {7, 3, 4};

    // job -1: every job; block 0 is the header; failAt -1, cancelAt 0: never; blocks with the
    // header, -1 the whole job; told: "E:" an error, "N:" a notice, "%1" the job's labels.
    // clang-format off
    struct TWayOut { int job; const char* name; bool starts; std::set<std::size_t> refused; int failAt, cancelAt, blocks; const char* told; };
    const TWayOut ways[] = {
        {-1, "start refused", false, {}, -1, 0, 0, "E:Não foi possível enviar dados"},
        {-1, "header refused", true, {0}, -1, 0, 1, "E:Não foi possível enviar dados"},
        {-1, "cancelled", true, {}, -1, 2, 3, "N:Impressão cancelada: 2 etiqueta(s) enviada(s)."},
        {-1, "cancel, refused", true, {2}, -1, 2, 3, "E:Impressão cancelada: 1 etiqueta(s) enviada(s).\rA porta não aceitou 1 de 2 etiqueta(s)."},
        {-1, "device failed at the header", true, {}, 0, 0, 1, "E:Erro de entrada/saída"},
        {-1, "device failed half-way", true, {}, 2, 0, 3, "E:Erro de entrada/saída\rImpressão interrompida: 1 etiqueta(s) enviada(s)."},
        {-1, "refused", true, {1, 3}, -1, 0, -1, "E:A porta não aceitou 2 de %1 etiqueta(s)."},
        // Every label sent, but a port that did not finish printed nothing for sure.
        {-1, "end refused", true, {}, -1, 0, -1, ""},
        {-1, "complete", true, {}, -1, 0, -1, ""},
        {Selecao, "nothing selected", true, {}, -1, 0, 0, "N:Não há etiquetas selecionadas !!!"},
        {Selecao, "answered No", true, {}, -1, 0, 0, ""},
        {Arquivo, "empty file", true, {}, -1, 0, 0, "N:Não há etiquetas selecionadas !!!"},
    };
    // clang-format on
    for (const TWayOut& way : ways) {
        for (const int job : {Selecao, Arquivo, Sequencia}) {
            if (way.job != -1 && way.job != job)
                continue;
            SCOPED_TRACE(testing::Message() << "job " << job << ": " << way.name);
            const std::string_view name = way.name;
            Sql("delete from selecao; insert into selecao select produto_key from produto");
            if (name == "nothing selected")
                Sql("delete from selecao");
            *port = TTestPort();
            port->refuseStart = !way.starts;
            port->refuseEnd = name == "end refused";
            port->refused = way.refused;
            if (way.failAt >= 0)
                port->failAt = static_cast<std::size_t>(way.failAt);
            TScriptedOperator o;
            if (way.cancelAt > 0)
                o.CancelProgressAt(way.cancelAt);
            o.QueueYesNo(name != "answered No");
            o.QueueFile(name == "empty file" ? vazio : plu);

            const TPrintResult result = job == Selecao ? PrintSelecao(o, registries(), "marca")
                                        : job == Arquivo
                                            ? PrintArquivo(o, registries(), "marca")
                                            : PrintSequencia(o, registries(), "marca", 1, 4, 0);
            EXPECT_EQ(result.Complete(), name == "complete");
            EXPECT_EQ(port->starts, 1);
            EXPECT_EQ(port->ends, way.starts ? 1 : 0);
            EXPECT_EQ(port->blocks.size(), way.blocks < 0 ? labels[job] + 1 : way.blocks);
            if (way.starts) {
                EXPECT_EQ(o.StatusTexts().back(), "");
                EXPECT_GE(o.ProgressEnds(), 1);
            }
            QString told = QString::fromUtf8(way.told);
            told.replace("%1", QString::number(labels[job]));
            EXPECT_EQ(Told(o), told.isEmpty() ? std::vector<QString>{} : std::vector{told});
        }
    }
}

TEST_F(PrintTest, AMissingLabelOrPortStopsTheJobBeforeThePortStarts)
{
    // The label unknown, its port unknown, no entry for it in "Labels".
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"marca=TESTE:", "nenhuma", "nenhuma"},
        {"marca=COM9:", "marca", "COM9:"},
        {"linha=TESTE:", "marca", "marca"},
    };
    for (const auto& [labels, label, missing] : cases) {
        program.WriteSettings(std::string("[Labels]\r\n") + labels + "\r\n");
        try {
            PrintSequencia(op(), registries(), label, 1, 2, 0);
            ADD_FAILURE() << "no error for " << label;
        } catch (const EHashFindError& error) {
            EXPECT_TRUE(Contains(error.what(), "\"" + std::string(missing) + "\"")) << error.what();
        }
    }
    EXPECT_EQ(port->starts, 0);
    EXPECT_TRUE(op().Messages().empty());
}

TEST_F(PrintTest, BarcodeFileAndSequencePrintWhatTheTemplateMakesOfTheirRecords)
{
    Sql(Loja);
    program.WriteSettings("[Labels]\r\nlinha=FILE:\r\n[Geral]\r\nSelecao Data=01/03/2026\r\n");
    const QString plu = program.TemplatesDir() + "/PLU.TXT";
    // Leading zeros find ARROZ (its own barcode printed) and CAFE, on offer on
    // the 1st of March; an empty line and an unknown code: not registered.
    WriteFileBytes(plu, "007891000000011\r\n\r\n0001000\r\n55555\r\n");
    op().QueueFile(plu);
    const QString output = Output();
    EXPECT_TRUE(PrintArquivo(op(), registries(), "linha").Complete());
    EXPECT_EQ(ReadFileBytes(output),
              "H\r\n"
              "000002 ARROZ 5,50 01/03/2026 07891000000011\r\n.\r\n"
              "000000 PRODUTO NAO CADASTRADO 0,00 01/03/2026 00000000\r\n.\r\n"
              "000001 CAFE 10,00 01/03/2026 00001000\r\n.\r\n"
              "000000 PRODUTO NAO CADASTRADO 0,00 01/03/2026 00055555\r\n.\r\n");

    const std::string number = "   1,00 05/03/2026 00000000\r\n.\r\n";
    const std::tuple<std::int32_t, std::int32_t, std::string> sequences[] = {
        {9, 11, "H\r\n000009" + number + "000010" + number + "000011" + number},
        {12, 11, "H\r\n"},
    };
    for (const auto& [first, last, printed] : sequences) {
        const QString file = Output();
        EXPECT_TRUE(PrintSequencia(op(), registries(), "linha", first, last, EncodeDate(2026, 3, 5))
                        .Complete());
        EXPECT_EQ(ReadFileBytes(file), printed) << first;
    }
    EXPECT_TRUE(op().Messages().empty());
}

// Of the labels the port took, those the printer never got were not sent:
// a cancel drops them, any other ending counts them refused. The header is
// 3 bytes, each number's label 4.
TEST_F(PrintTest, OnlyTheLabelsThePrinterGotCountAsSent)
{
    program.WriteSettings("[Labels]\r\nmarca=TESTE:\r\n");
    struct TCase { std::int64_t delivered; int cancelAt; std::int64_t sent, refused; const char* told; };
    const TCase cases[] = {
        {19, 0, 4, 0, ""},
        {11, 0, 2, 2, "E:A porta não aceitou 2 de 4 etiqueta(s)."},
        {10, 0, 1, 3, "E:A porta não aceitou 3 de 4 etiqueta(s)."},
        {7, 2, 1, 0, "N:Impressão cancelada: 1 etiqueta(s) enviada(s)."},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.delivered);
        *port = TTestPort();
        port->delivered = c.delivered;
        TScriptedOperator o;
        if (c.cancelAt > 0)
            o.CancelProgressAt(c.cancelAt);
        const TPrintResult result = PrintSequencia(o, registries(), "marca", 1, 4, 0);
        EXPECT_EQ(result.sent, c.sent);
        EXPECT_EQ(result.refused, c.refused);
        const QString told = QString::fromUtf8(c.told);
        EXPECT_EQ(Told(o), told.isEmpty() ? std::vector<QString>{} : std::vector{told});
    }
}

} // namespace
