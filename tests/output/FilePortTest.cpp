#include "output/Filed.h"
#include "output/Nulld.h"
#include "output/PortRegistry.h"
#include "platform/OutputFile.h"
#include "tests/output/OutputTestSupport.h"

#include <gmock/gmock.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace zev;
using namespace zev::test;

namespace {

using NullPortTest = OutputTest;

TEST_F(NullPortTest, TakesAJobWithoutDialogOrOutput)
{
    const auto registry = BuildPortRegistry(op, Root());
    TPrinterPort& port = registry->Port("NULL:");
    EXPECT_TRUE(port.StartData(Ini()));
    EXPECT_TRUE(port.SendData("^XA^XZ"));
    EXPECT_TRUE(port.SendData(EveryByte()));
    EXPECT_TRUE(port.EndData());
    EXPECT_TRUE(op.Messages().empty());
    EXPECT_TRUE(op.FileRequests().empty());

    port.Configure(Ini());
    EXPECT_EQ(op.Messages(), Notice("Não existe configuração para esta porta!!"));
    EXPECT_EQ(IniContent(), "");
}

class FilePortTest : public OutputTest
{
protected:
    void Job(const QString& path, const std::vector<std::string>& blocks)
    {
        op.QueueFile(path);
        ASSERT_TRUE(port.StartData(Ini()));
        for (const std::string& block : blocks)
            EXPECT_TRUE(port.SendData(block));
        EXPECT_TRUE(port.EndData());
    }

    TFilePort port{op, "FILE:"};
};

TEST_F(FilePortTest, AJobIsTheBlocksByteForByte)
{
    const QString path = home.File("etiquetas.prn");
    const std::vector<std::string> blocks = {"^XA^PW800^XZ\r\n", EveryByte(), "",
                                             "^XA\n^FDÁgua\r^XZ"};
    Job(path, blocks);
    EXPECT_EQ(ReadFileBytes(path), blocks[0] + blocks[1] + blocks[3]);

    // A second job to the same file leaves only its own data.
    Job(path, {"segundo"});
    EXPECT_EQ(ReadFileBytes(path), "segundo");
    EXPECT_TRUE(op.Messages().empty());
}

TEST_F(FilePortTest, TheDefaultNameComesFromConfigureOnly)
{
    // Without a default both dialogs open empty.
    op.QueueCancel();
    port.Configure(Ini());
    op.QueueCancel();
    EXPECT_FALSE(port.StartData(Ini()));
    ASSERT_EQ(op.FileRequests().size(), 2u);
    EXPECT_EQ(op.FileRequests()[0].title, "Nome do arquivo default");
    EXPECT_EQ(op.FileRequests()[0].fileName, "");
    EXPECT_EQ(op.FileRequests()[1].title, ""); // the platform's own title
    EXPECT_EQ(op.FileRequests()[1].fileName, "");
    EXPECT_EQ(IniContent(), "");

    const QString configured = home.File("padrao.prn");
    op.QueueFile(configured);
    port.Configure(Ini());
    EXPECT_EQ(TIniFile(Ini()).ReadString("FILE:", "Filename"), configured.toStdString());

    Job(home.File("outro.prn"), {"x"});
    Job(home.File("mais um.prn"), {"y"});
    ASSERT_EQ(op.FileRequests().size(), 5u);
    EXPECT_EQ(op.FileRequests()[3].fileName, configured);
    EXPECT_EQ(op.FileRequests()[4].fileName, configured);
    EXPECT_EQ(op.FileRequests()[2].fileName, ""); // what Configure proposed before

    op.QueueCancel();
    port.Configure(Ini());
    EXPECT_EQ(TIniFile(Ini()).ReadString("FILE:", "Filename"), configured.toStdString());
    EXPECT_FALSE(QFile::exists(configured));
}

TEST_F(FilePortTest, InputOutputFailuresAreRaisedWithTheSystemsError)
{
    EXPECT_EQ(IoErrorOf([&] { port.SendData("^XA"); }).first, EBADF);
    EXPECT_THROW(port.EndData(), EInOutError);

    // The file is made at the first block: that is where it fails.
    const QString unreachable = home.File("nao/existe/etiquetas.prn");
    op.QueueFile(unreachable);
    ASSERT_TRUE(port.StartData(Ini()));
    const auto [code, text] = IoErrorOf([&] { port.SendData("^XA"); });
    EXPECT_EQ(code, ENOENT);
    EXPECT_TRUE(Contains(text, unreachable.toStdString())) << text;
    EXPECT_TRUE(Contains(text, std::strerror(ENOENT))) << text;
    EXPECT_TRUE(port.EndData());
    EXPECT_TRUE(op.Messages().empty());
}

// A job that printed nothing (an empty selection, the answer No) must not
// cost the store its previous output.
TEST_F(FilePortTest, AJobThatSendsNothingLeavesTheFileAsItWas)
{
    const QString kept = home.File("anterior.prn");
    WriteFileBytes(kept, "^XA^FDontem^XZ");
    const QString absent = home.File("nova.prn");
    for (const QString& path : {kept, absent}) {
        Job(path, {});
        EXPECT_EQ(QFile::exists(path), path == kept);
    }
    EXPECT_EQ(ReadFileBytes(kept), "^XA^FDontem^XZ");
    Job(kept, {"hoje"});
    EXPECT_EQ(ReadFileBytes(kept), "hoje");
}

// A job's output file may be a named pipe: one nobody opened fails at once,
// one nobody reads at the bound, instead of hanging the program.
TEST_F(FilePortTest, ANamedPipeNobodyReadsNeverHangs)
{
    using namespace std::chrono_literals;
    const QByteArray fifo = QFile::encodeName(home.File("fila"));
    ASSERT_EQ(mkfifo(fifo.constData(), 0600), 0);
    const auto failureOfJob = [&] {
        const TOpened<TOutputFile> opened =
            TOutputFile::Open(QString::fromLocal8Bit(fifo), TOutputFile::Mode::Replace, "FILE:", 300ms);
        if (!opened)
            return opened.failure.code;
        EXPECT_EQ(opened.device->Write(std::string(1 << 20, 'Z')), TWriteResult::TimedOut);
        EXPECT_THAT(opened.device->LastError(), testing::HasSubstr("não recebeu os dados"));
        return opened.device->Failure().code;
    };
    EXPECT_EQ(failureOfJob(), ENXIO);
    const int reader = open(fifo.constData(), O_RDONLY | O_NONBLOCK);
    EXPECT_EQ(failureOfJob(), ETIMEDOUT);

    // Asked to stop, a write to a device that takes nothing gives up at
    // once instead of at its bound.
    const TOpened<TOutputFile> stalled =
        TOutputFile::Open(QString::fromLocal8Bit(fifo), TOutputFile::Mode::Replace, "FILE:", 60s);
    ASSERT_TRUE(stalled);
    int asked = 0;
    EXPECT_EQ(stalled.device->Write(std::string(1 << 20, 'Z'), [&] { return ++asked > 1; }),
              TWriteResult::Stopped);
    EXPECT_GE(asked, 2);
    EXPECT_TRUE(stalled.device->Close());
    EXPECT_FALSE(stalled.device->Close()) << "a second close has no file to close";
    close(reader);
}

} // namespace
