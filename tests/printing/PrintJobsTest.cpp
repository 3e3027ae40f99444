#include "printing/PrintJobs.h"

#include "app/Hashes.h"
#include "labels/FileLabel.h"
#include "platform/Regional.h"
#include "tests/printing/PrintTestSupport.h"

#include <functional>

using namespace zev;
using namespace zev::test;

namespace {

const QString CannotSend = QString::fromUtf8("Não foi possível enviar dados");
const QString NothingSelected = QString::fromUtf8("Não há etiquetas selecionadas !!!");

enum class TJob
{
    Selecao,
    Arquivo,
    Sequencia,
};

TEST_F(PrintTest, SelectionPrintsInTheOrderAndWithTheFiltersOfTheSettings)
{
    Sql(Loja);
    const struct
    {
        const char* geral;
        const char* labels;
    } cases[] = {
        {"", "F9 N2 N3 N3 N3 N1 N7"},
        {"Agrupado=0\r\nAgrupado Por=2\r\n", "F9 N2 N3 N3 N3 N1 N7"},
        {"Agrupado=1\r\nAgrupado Por=0\r\n", "F9 N1 N2 N3 N3 N3 N7"},
        {"Agrupado=1\r\nAgrupado Por=1\r\n", "F2 N3 N3 N3 N7 N9 N1"},
        // Every copy of the first product is a first label.
        {"Agrupado=1\r\nAgrupado Por=2\r\n", "F3 F3 F3 N7 N9 N1 N2"},
        {"Agrupado=1\r\nAgrupado Por=3\r\n", "F9 N2 N3 N3 N3 N7 N1"},
        {"Atacado=1\r\n", "F9 N2 N3 N3 N3 N1 N4 N7"},
        // Numbers compare, whatever their leading zeros; a barcode that is no
        // number is no scale code.
        {"Min Balanca=0001000\r\n", "F2 N3 N3 N3 N1 N7"},
        {"Min Balanca=1501\r\n", "F2 N7"},
        // GOMA comes first and prints no copy: the first label was its.
        {"Agrupado=1\r\nAgrupado Por=0\r\nMin Balanca=1001\r\n", "N2 N3 N3 N3 N7"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.geral);
        program.WriteSettings(std::string("[Labels]\r\nmarca=FILE:\r\n[Geral]\r\n") + c.geral);
        const QString output = Output();
        op().QueueYesNo(true);
        EXPECT_TRUE(PrintSelecao(op(), registries(), "marca").Complete());
        EXPECT_EQ(ReadFileBytes(output), Marks(c.labels));
        // The products dropped by the joins and the filters are counted.
        EXPECT_EQ(op().Messages().back().text,
                  QString::fromUtf8("Confirma impressão das etiquetas selecionadas (9) ?"));
    }
}

TEST_F(PrintTest, EveryWayOutOfEveryJobEndsThePortItStarted)
{
    Sql(Loja);
    const QString plu = program.TemplatesDir() + "/PLU.TXT";
    const QString vazio = program.TemplatesDir() + "/VAZIO.TXT";
    WriteFileBytes(plu, "7891000000011\r\nX\r\n1000\r\n");
    WriteFileBytes(vazio, "");
    QString barcodeFile;

    struct TWayOut
    {
        const char* name;
        std::function<void(TScriptedOperator&)> arrange;
        // Header included; nothing: the header and every label of the job.
        std::optional<std::size_t> blocks = std::nullopt;
        // Besides the question; "%1" stands for the job's label count.
        std::vector<TOperatorMessage> told = {};
        TPrintOutcome outcome = TPrintOutcome::NotPrinted;
        bool throws = false;
        bool yes = true;
        const char* label = "marca";
    };
    const TWayOut common[] = {
        {.name = "start refused",
         .arrange = [&](auto&) { port->refuseStart = true; },
         .blocks = 0,
         .told = {{"error", CannotSend}}},
        {.name = "header refused",
         .arrange = [&](auto&) { port->refused = {0}; },
         .blocks = 1,
         .told = {{"error", CannotSend}}},
        {.name = "cancelled",
         .arrange = [](TScriptedOperator& o) { o.CancelProgressAt(2); },
         .blocks = 3,
         .told = {{"notice", QString::fromUtf8("Impressão cancelada: 2 etiqueta(s) enviada(s).")}},
         .outcome = TPrintOutcome::Cancelled},
        // One message, whatever went wrong.
        {.name = "cancelled after a refused label",
         .arrange =
             [&](TScriptedOperator& o) {
                 o.CancelProgressAt(2);
                 port->refused = {2};
             },
         .blocks = 3,
         .told = {{"error", QString::fromUtf8("Impressão cancelada: 1 etiqueta(s) enviada(s).\r"
                                              "A porta não aceitou 1 de 2 etiqueta(s).")}},
         .outcome = TPrintOutcome::Cancelled},
        {.name = "port failed half-way",
         .arrange = [&](auto&) { port->failAt = 2; },
         .blocks = 3,
         .throws = true},
        {.name = "labels refused",
         .arrange =
             [&](auto&) {
                 port->refused = {1, 3};
             },
         .told = {{"error", QString::fromUtf8("A porta não aceitou 2 de %1 etiqueta(s).")}},
         .outcome = TPrintOutcome::Printed},
        {.name = "complete", .arrange = [](auto&) {}, .outcome = TPrintOutcome::Printed},
    };
    std::vector<std::pair<TJob, TWayOut>> rows;
    for (const TJob job : {TJob::Selecao, TJob::Arquivo, TJob::Sequencia})
        for (const TWayOut& way : common)
            rows.emplace_back(job, way);
    rows.emplace_back(TJob::Selecao, TWayOut{.name = "nothing selected",
                                             .arrange = [](auto&) { Sql("delete from selecao"); },
                                             .blocks = 0,
                                             .told = {{"notice", NothingSelected}}});
    rows.emplace_back(TJob::Arquivo, TWayOut{.name = "empty file",
                                             .arrange = [&](auto&) { barcodeFile = vazio; },
                                             .blocks = 0,
                                             .told = {{"notice", NothingSelected}}});
    rows.emplace_back(
        TJob::Selecao,
        TWayOut{.name = "answered No", .arrange = [](auto&) {}, .blocks = 0, .yes = false});
    // A box whose factor is zero cannot be rendered; it comes after ACUCAR,
    // ARROZ, BOLO three times and CAFE.
    rows.emplace_back(
        TJob::Selecao,
        TWayOut{.name = "label error",
                .arrange =
                    [&](auto&) {
                        Sql("update produto set fator_preco = 0 where produto_key = 4");
                        SetSetting(settings::Geral, settings::Atacado, "1");
                    },
                .blocks = 7,
                .throws = true,
                .label = "linha"});

    const std::size_t labels[] = {7, 3, 4};
    for (const auto& [job, way] : rows) {
        const auto index = static_cast<std::size_t>(job);
        SCOPED_TRACE(testing::Message() << "job " << index << ": " << way.name);
        Sql("delete from selecao; insert into selecao select produto_key from produto;"
            "update produto set fator_preco = 6 where produto_key = 4");
        program.WriteSettings("[Labels]\r\nmarca=TESTE:\r\nlinha=TESTE:\r\n");
        barcodeFile = plu;
        *port = TTestPort();
        TScriptedOperator o;
        way.arrange(o);

        std::optional<TPrintResult> result;
        const auto run = [&] {
            switch (job) {
            case TJob::Selecao:
                o.QueueYesNo(way.yes);
                result = PrintSelecao(o, registries(), way.label);
                break;
            case TJob::Arquivo:
                o.QueueFile(barcodeFile);
                result = PrintArquivo(o, registries(), way.label);
                break;
            case TJob::Sequencia:
                result = PrintSequencia(o, registries(), way.label, 1, 4, 0);
                break;
            }
        };
        if (way.throws) {
            EXPECT_THROW(run(), EZevError);
        } else {
            run();
            ASSERT_TRUE(result);
            EXPECT_EQ(result->outcome, way.outcome);
            EXPECT_EQ(result->Complete(), std::string_view(way.name) == "complete");
        }

        const bool started = !port->refuseStart;
        EXPECT_EQ(port->starts, 1);
        EXPECT_EQ(port->ends, started ? 1 : 0);
        EXPECT_EQ(port->blocks.size(), way.blocks.value_or(labels[index] + 1));
        if (started) {
            ASSERT_FALSE(o.StatusTexts().empty());
            EXPECT_EQ(o.StatusTexts().back(), "");
            EXPECT_GE(o.ProgressEnds(), 1);
        }
        std::vector<TOperatorMessage> told;
        for (const TOperatorMessage& message : o.Messages())
            if (message.kind != "question")
                told.push_back(message);
        std::vector<TOperatorMessage> expected = way.told;
        for (TOperatorMessage& message : expected)
            if (message.text.contains("%1"))
                message.text = message.text.arg(labels[index]);
        EXPECT_EQ(told, expected);
    }
}

TEST_F(PrintTest, AMissingLabelOrPortStopsTheJobBeforeThePortStarts)
{
    const struct
    {
        const char* labels;
        const char* label;
        const char* missing;
    } cases[] = {
        {"[Labels]\r\nmarca=TESTE:\r\n", "nenhuma", "nenhuma"},
        {"[Labels]\r\nmarca=COM9:\r\n", "marca", "COM9:"},
        // No entry in "Labels": the label's is the one missing.
        {"[Labels]\r\nlinha=TESTE:\r\n", "marca", "marca"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.labels);
        program.WriteSettings(c.labels);
        for (const TJob job : {TJob::Selecao, TJob::Arquivo, TJob::Sequencia}) {
            if (job == TJob::Arquivo)
                op().QueueFile(program.TemplatesDir() + "/linha.lbl");
            try {
                if (job == TJob::Selecao)
                    PrintSelecao(op(), registries(), c.label);
                else if (job == TJob::Arquivo)
                    PrintArquivo(op(), registries(), c.label);
                else
                    PrintSequencia(op(), registries(), c.label, 1, 2, 0);
                ADD_FAILURE() << "no error";
            } catch (const EHashFindError& error) {
                EXPECT_EQ(error.what(), "Key \"" + std::string(c.missing) + "\" not found");
            }
        }
        EXPECT_EQ(port->starts, 0);
        EXPECT_TRUE(op().Messages().empty());
    }
}

TEST_F(PrintTest, StatusShowsEveryTenthRowLineOrNumberAndProgressCountsAgainstTheTotal)
{
    Sql("insert into depto values (1, 'D'); insert into secao values (1, 1, 'S');"
        "insert into grupo values (1, 1, 'G'); insert into sub_grupo values (1, 1, 'U');"
        "with recursive n(k) as (select 1 union all select k + 1 from n where k < 25) "
        "insert into produto (produto_key, descricao, sub_grupo_key, quantidade_etiquetas) "
        "select k, 'P' || (100 + k), 1, 1 from n;"
        "insert into item select produto_key, produto_key from produto;"
        "insert into selecao select produto_key from produto");
    // Row 5 has no barcode: skipped, yet counted.
    Sql("delete from item where produto_key = 5");
    std::string lines;
    for (int i = 1; i <= 25; ++i)
        lines += std::to_string(i) + "\r\n";
    const QString plu = program.TemplatesDir() + "/PLU.TXT";
    WriteFileBytes(plu, lines);
    program.WriteSettings("[Labels]\r\nmarca=TESTE:\r\n");

    const struct
    {
        TJob job;
        std::vector<QString> status;
        std::size_t labels;
    } cases[] = {
        {TJob::Selecao,
         {"Preparando...", "Selecionando...", "Imprimindo...", "Imprimindo...10", "Imprimindo...20",
          ""},
         24},
        // The position of the line, from 0.
        {TJob::Arquivo,
         {"Preparando...", "Imprimindo...", "Imprimindo...9", "Imprimindo...19", ""},
         25},
        {TJob::Sequencia, {"Imprimindo...10", "Imprimindo...20", ""}, 25},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.job));
        *port = TTestPort();
        TScriptedOperator o;
        if (c.job == TJob::Selecao) {
            o.QueueYesNo(true);
            PrintSelecao(o, registries(), "marca");
        } else if (c.job == TJob::Arquivo) {
            o.QueueFile(plu);
            PrintArquivo(o, registries(), "marca");
        } else {
            PrintSequencia(o, registries(), "marca", 1, 25, 0);
        }
        EXPECT_EQ(o.StatusTexts(), c.status);
        EXPECT_EQ(port->blocks.size(), c.labels + 1);
        // Asked before every row, line or number, skipped ones included.
        ASSERT_EQ(o.Progress().size(), 25u);
        EXPECT_EQ(o.Progress().back().total, 25);
        EXPECT_EQ(o.Progress().back().done, 24);
    }
}

TEST_F(PrintTest, BarcodeFileAndSequencePrintWhatTheTemplateMakesOfTheirRecords)
{
    Sql(Loja);
    program.WriteSettings("[Labels]\r\nlinha=FILE:\r\n[Geral]\r\nSelecao Data=01/03/2026\r\n");
    const QString plu = program.TemplatesDir() + "/PLU.TXT";
    // A code with leading zeros finds CAFE, on offer on the 1st of March,
    // which prints its own barcode; an empty line and an unknown code print
    // as not registered.
    WriteFileBytes(plu, "7891000000011\r\n\r\n0001000\r\n55555\r\n");
    op().QueueFile(plu);
    const QString output = Output();
    EXPECT_TRUE(PrintArquivo(op(), registries(), "linha").Complete());
    EXPECT_EQ(ReadFileBytes(output),
              "H\r\n"
              "000002 ARROZ 5,50 01/03/2026 07891000000011\r\n.\r\n"
              "000000 PRODUTO NAO CADASTRADO 0,00 01/03/2026 00000000\r\n.\r\n"
              "000001 CAFE 10,00 01/03/2026 00001000\r\n.\r\n"
              "000000 PRODUTO NAO CADASTRADO 0,00 01/03/2026 00055555\r\n.\r\n");

    const struct
    {
        std::int32_t first, last;
        std::string printed;
    } sequences[] = {
        {9, 11,
         "H\r\n000009   1,00 05/03/2026 00000000\r\n.\r\n000010   1,00 05/03/2026 00000000\r\n.\r\n"
         "000011   1,00 05/03/2026 00000000\r\n.\r\n"},
        {1234567, 1234567, "H\r\n1234567   1,00 05/03/2026 00000000\r\n.\r\n"},
        {12, 11, "H\r\n"},
    };
    for (const auto& s : sequences) {
        SCOPED_TRACE(s.first);
        const QString file = Output();
        EXPECT_TRUE(
            PrintSequencia(op(), registries(), "linha", s.first, s.last, EncodeDate(2026, 3, 5))
                .Complete());
        EXPECT_EQ(ReadFileBytes(file), s.printed);
    }
    EXPECT_TRUE(op().Messages().empty());
}

} // namespace
