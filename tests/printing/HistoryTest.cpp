#include "printing/History.h"

#include "printing/JobRecord.h"
#include "printing/PrintJobs.h"
#include "tests/printing/PrintTestSupport.h"
#include "tests/support/Catalogue.h"

using namespace zev;
using namespace zev::test;

namespace {

class HistoryTest : public PrintTest
{
protected:
    HistoryTest() { program.WriteSettings("[Labels]\r\nmarca=TESTE:\r\n"); }

    static THistoryDetail LastJob()
    {
        const auto connection = OpenDatabase();
        const std::vector<THistoryJob> jobs = ReadHistory(*connection, 1);
        EXPECT_EQ(jobs.size(), 1u);
        if (jobs.empty())
            throw std::runtime_error("no job recorded");
        return *ReadHistoryJob(*connection, jobs.front().number);
    }

    static long long Jobs() { return ScalarInt("select count(*) from historico"); }
    // The job printed again through the FILE: port: what it wrote.
    std::string Reprint(std::int64_t job, bool fromStop)
    {
        program.WriteSettings("[Labels]\r\nmarca=FILE:\r\n");
        const QString output = Output();
        op().QueueYesNo(true);
        const TPrintResult result = ReprintJob(op(), registries(), "marca", job, fromStop);
        EXPECT_EQ(result.outcome, TPrintOutcome::Printed);
        return ReadFileBytes(output);
    }
};

// The store's whole selection prints "F9 N2 N3 N3 N3 N1 N7": DOCE, without a
// barcode, is left out when reached and GOMA plans no label.
TEST_F(HistoryTest, EveryWayAJobEndsIsRecordedAndContinuarPrintsExactlyTheLabelsNotSent)
{
    Sql(Loja);
    // planned: DOCE's label until the job reaches it; notSent: what Continuar prints. A port
    // that could not finish (a spooler refused the document) printed nothing for sure.
    // clang-format off
    struct TCase { const char* name; int cancelAt; std::optional<std::size_t> failAt; std::set<std::size_t> refuse; bool refuseEnd; TJobEnding ending; std::int64_t sent, refused, planned; const char* notSent; std::int64_t notSentCount; const char* message; };
    const TCase cases[] = {
        {"to its end", 1000, {}, {}, false, TJobEnding::Concluido, 7, 0, 7, "", 0, ""},
        {"cancelled before CAFE", 3, {}, {}, false, TJobEnding::Cancelado, 5, 0, 8, "N1 N7", 3, "Impressão cancelada: 5 etiqueta(s) enviada(s)."},
        {"device failed at BOLO's second copy", 1000, 4, {}, false, TJobEnding::Falhou, 3, 0, 8, "N3 N3 N1 N7", 5, "Erro de entrada/saída"},
        {"ARROZ refused", 1000, {}, {2}, false, TJobEnding::Concluido, 6, 1, 7, "N2", 1, "A porta não aceitou 1 de 7 etiqueta(s)."},
        {"end refused", 1000, {}, {}, true, TJobEnding::Falhou, 7, 0, 7, "", 0, "A porta não terminou a impressão."},
    };
    // clang-format on
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        program.WriteSettings("[Labels]\r\nmarca=TESTE:\r\n");
        *port = TTestPort();
        port->refused = c.refuse;
        port->failAt = c.failAt;
        port->refuseEnd = c.refuseEnd;
        op().CancelProgressAt(c.cancelAt);
        op().QueueYesNo(true);
        const TPrintResult printed = PrintSelecao(op(), registries(), "marca");
        op().CancelProgressAt(1000);

        const THistoryDetail job = LastJob();
        EXPECT_EQ(std::tuple(job.job.kind, job.job.ending, job.job.label, job.job.port),
                  std::tuple(TJobKind::Selecao, c.ending, "marca", "TESTE:"));
        EXPECT_EQ(std::tuple(job.job.planned, job.job.sent, printed.sent, job.job.refused),
                  std::tuple(c.planned, c.sent, c.sent, c.refused));
        EXPECT_EQ(job.items.size(), 7u); // the rows the job read, in print order
        if (*c.message != '\0') {
            EXPECT_TRUE(job.job.message.contains(QString::fromUtf8(c.message))) << c.message;
        } else {
            EXPECT_TRUE(job.job.message.isEmpty()) << job.job.message.toStdString();
        }
        EXPECT_EQ(job.NotSentCount(), c.notSentCount);

        if (*c.notSent != '\0') {
            EXPECT_EQ(Reprint(job.job.number, true), Marks(c.notSent));
            const THistoryDetail continued = LastJob();
            EXPECT_EQ(std::tuple(continued.job.origem, continued.job.continuacao,
                                 continued.job.ending, continued.NotSentCount()),
                      std::tuple(job.job.number, true, TJobEnding::Concluido, 0));
        }
        EXPECT_EQ(Reprint(job.job.number, false), Marks("F9 N2 N3 N3 N3 N1 N7"));
    }
}

TEST_F(HistoryTest, ASequenceContinuesWithTheNumbersItDidNotSend)
{
    port->refused = {2}; // the number 11
    op().CancelProgressAt(4);
    PrintSequencia(op(), registries(), "marca", 10, 15, 46000);
    const THistoryDetail job = LastJob();
    EXPECT_EQ(std::tuple(job.job.ending, job.job.planned, job.job.sent),
              std::tuple(TJobEnding::Cancelado, 6, 3));
    EXPECT_EQ(Reprint(job.job.number, true), Marks("F11 F14 F15"));
    EXPECT_EQ(LastJob().job.date, 46000);
}

TEST_F(HistoryTest, AReprintPricesTheLabelsFromTodaysCatalogueAndCountsProductsGone)
{
    Sql(Loja);
    program.WriteSettings("[Labels]\r\nlinha=FILE:\r\n");
    Output();
    op().QueueYesNo(true);
    ASSERT_TRUE(PrintSelecao(op(), registries(), "linha").Complete());
    const std::int64_t number = LastJob().job.number;

    // The next import: new prices, and FARINHA no longer sold.
    Sql("update produto set preco_normal = 6.25 where produto_key = 2;"
        "delete from selecao; delete from item where produto_key = 7;"
        "delete from produto where produto_key = 7");
    const QString after = Output();
    op().QueueYesNo(true);
    const TPrintResult result = ReprintJob(op(), registries(), "linha", number, false);
    const std::string labels = ReadFileBytes(after);
    EXPECT_TRUE(Contains(labels, "2 ARROZ 6,25")) << labels;
    EXPECT_FALSE(Contains(labels, "FARINHA"));
    EXPECT_EQ(std::tuple(result.sent, result.missing, result.Complete()), std::tuple(6, 1, false));
    EXPECT_TRUE(op().Messages().back().text.contains(QStringLiteral("não está mais no cadastro")));
    const THistoryDetail reprint = LastJob();
    // FARINHA is not sent, should it come back.
    EXPECT_EQ(std::tuple(reprint.job.missing, reprint.job.origem, reprint.job.continuacao,
                         reprint.NotSentCount()),
              std::tuple(1, number, false, 1));
}

TEST_F(HistoryTest, ACounterSessionIsOneJobOfTheProductsPrintedInIt)
{
    Sql(Loja);
    port->refused = {2}; // the second of CAFE's labels
    TAnswers counts;
    counts.counts = {"2", "3", "1"};
    {
        TItemSession session(op(), registries(), "marca", {true, false});
        session.Enter("1000", counts); // CAFE: one taken, one refused
        session.Enter("7891000000011", counts);
        session.Enter("nada", counts); // not found: nothing
        // The window closes.
    }
    const THistoryDetail job = LastJob();
    EXPECT_EQ(std::tuple(job.job.kind, job.job.ending, job.job.planned, job.job.sent,
                         job.job.refused, job.SentOf(0)),
              std::tuple(TJobKind::Multipla, TJobEnding::Concluido, 5, 4, 1, 1));
    ASSERT_EQ(job.items.size(), 2u);
    EXPECT_EQ(std::tuple(job.items[0].produtoKey, job.items[0].barra, job.items[0].etiquetas,
                         job.items[1].etiquetas),
              std::tuple(1, "1000", 2, 3));
    // The counter's labels render as the counter renders them.
    EXPECT_EQ(Reprint(job.job.number, true), Marks("S1"));
}

TEST_F(HistoryTest, OldJobsGoWhenANewOneIsRecorded)
{
    // Kept of the jobs 100 and 10 days old, and the new one.
    const std::pair<const char*, int> cases[] = {
        {"", 2}, {"Dias Historico=5", 1}, {"Dias Historico=x", 2}, {"Dias Historico=200", 3}};
    for (const auto& [geral, kept] : cases) {
        SCOPED_TRACE(geral);
        Sql("delete from historico");
        for (const char* days : {"-100 days", "-10 days"})
            Sql("insert into historico (inicio, usuario, tipo, etiqueta, porta, data) values ("
                "strftime('%Y-%m-%dT%H:%M:%S', 'now', 'localtime', '" +
                std::string(days) +
                "'), 'ana', 'selecao', 'marca', 'TESTE:', '2026-01-01');"
                "insert into historico_item values (last_insert_rowid(), 0, 1, null, null, null, "
                "null, 1)");
        program.WriteSettings(std::string("[Labels]\r\nmarca=TESTE:\r\n[Geral]\r\n") + geral);
        PrintSequencia(op(), registries(), "marca", 1, 1, 46000);
        EXPECT_EQ(Jobs(), kept);
        EXPECT_EQ(ScalarInt("select count(*) from historico_item"), kept); // items go with it
    }
}

TEST_F(HistoryTest, AJobPrintsWhileItsRecordFailsAndSaysSoOnceAtItsEnd)
{
    Sql(Loja);
    // Another program writes to the database for the whole job.
    TConnection other(DatabaseConnectionString(), TConnection::OpenMode::ExistingFile);
    other.Execute("begin immediate");
    other.SetBusyTimeout(0);
    op().QueueYesNo(true);
    const TPrintResult result = PrintSelecao(op(), registries(), "marca");
    other.Execute("rollback");
    EXPECT_TRUE(result.Complete());
    EXPECT_EQ(port->blocks.size(), 8u);
    int told = 0;
    for (const TOperatorMessage& message : op().Messages())
        told += message.text.contains(QStringLiteral("não pôde ser registrada no histórico"));
    EXPECT_EQ(told, 1);
    EXPECT_EQ(Jobs(), 0);
}

TEST_F(HistoryTest, AJobThatNeverEndedIsInterruptedAndContinuesFromItsLastSave)
{
    Sql(Loja);
    {
        // The program stops after the third label was saved.
        TJobRecord record(TJobStart(TJobKind::Sequencial, "marca", "TESTE:", 46000),
                          {THistoryItem{{}, {}, 1, {}, 0, 5}}); // the number 1, five labels
        for (std::int32_t copy = 0; copy < 3; ++copy)
            record.Taken({0, copy});
        record.Save();
        record.Taken({0, 3}); // never saved
    }
    const THistoryDetail job = LastJob();
    const std::int64_t number = job.job.number;
    EXPECT_EQ(std::tuple(JobEndingText(job.job.ending), job.job.fim, job.job.sent),
              std::tuple(QStringLiteral("interrompido"), QString(), 3));
    EXPECT_EQ(Reprint(number, true), Marks("F4 F5"));
}

TEST_F(HistoryTest, AJobNotInTheHistoryOrWithNothingLeftPrintsNothing)
{
    EXPECT_EQ(ReprintJob(op(), registries(), "marca", 99, false).outcome,
              TPrintOutcome::NotPrinted);
    EXPECT_EQ(port->starts, 0);

    PrintSequencia(op(), registries(), "marca", 1, 2, 46000);
    const std::int64_t number = LastJob().job.number;
    EXPECT_EQ(ReprintJob(op(), registries(), "marca", number, true).outcome,
              TPrintOutcome::NotPrinted);
    EXPECT_EQ(port->starts, port->ends);
    EXPECT_EQ(Jobs(), 1);
}

} // namespace
