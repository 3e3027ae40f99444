// What every kind of port does with a job (the kinds: OutputTestSupport.h).

#include "output/StartedPort.h"
#include "tests/output/OutputTestSupport.h"

#include <gmock/gmock.h>

#include <numeric>

using namespace zev;
using namespace zev::test;
using namespace std::chrono_literals;

namespace {

template <typename Kind> class PortSuiteTest : public OutputTest
{
protected:
    void SetUp() override
    {
        if (!Kind::Available())
            GTEST_SKIP() << "cupsd is not installed";
        kind = std::make_unique<Kind>(*this);
        port = kind->Port(300ms);
    }

    // A whole job; true when every step succeeded.
    bool Job(const std::vector<std::string>& blocks)
    {
        kind->Prepare();
        bool ok = port->StartData(Ini());
        for (const std::string& block : blocks)
            ok = port->SendData(block) && ok;
        return port->EndData() && ok;
    }

    std::unique_ptr<Kind> kind;
    std::unique_ptr<TPrinterPort> port;
};

using TKinds = testing::Types<TFileKind, TParallelKind, TSerialKind, TNetworkKind, TSpoolerKind>;
TYPED_TEST_SUITE(PortSuiteTest, TKinds);

// Control bytes, an empty block, a large one; the next job's device holds its bytes only.
TYPED_TEST(PortSuiteTest, TheBytesArriveUnchanged)
{
    const std::vector<std::string> blocks = {"^XA^PW800^XZ\r\n", EveryByte(), "",
                                             "\x02L\r\nH10\rE\r\n", std::string(1 << 20, 'Z')};
    const std::string sent = std::accumulate(blocks.begin(), blocks.end(), std::string());
    EXPECT_TRUE(this->Job(blocks));
    EXPECT_TRUE(this->kind->Arrived() == sent) << "not what was sent";
    EXPECT_TRUE(this->Job({"segundo"}));
    EXPECT_EQ(this->kind->Arrived(), "segundo");
    EXPECT_TRUE(this->op.Messages().empty());
}

// A second start is refused and the job goes on; a job its guard lets go of
// is ended by it; idle steps fail.
TYPED_TEST(PortSuiteTest, ASecondStartIsRefusedAndSendAndEndWhileIdleFail)
{
    if (!TypeParam::Tracked)
        GTEST_SKIP() << "keeps no job";
    TPrinterPort& port = *this->port;
    const auto idle = [&] {
        EXPECT_TRUE(Fails([&] { return port.SendData("x"); }));
        EXPECT_TRUE(Fails([&] { return port.EndData(); }));
    };
    idle();
    this->op.ClearMessages();
    this->kind->Prepare();
    ASSERT_TRUE(port.StartData(this->Ini()));
    {
        const TStartedPort started(port);
        EXPECT_TRUE(port.SendData("^XA"));
        EXPECT_FALSE(port.StartData(this->Ini()));
        EXPECT_EQ(this->op.Messages(), TypeParam::SecondStartSays());
        EXPECT_TRUE(port.SendData("^XZ"));
    }
    idle();
    EXPECT_EQ(this->kind->Arrived(), "^XA^XZ");
}

// Far longer to take than the bound, it is waited for while it takes bytes.
TYPED_TEST(PortSuiteTest, ASlowDeviceIsWaitedFor)
{
    if (!TypeParam::Slowable)
        GTEST_SKIP() << "cannot be slowed";
    const std::string job = EveryByte(96 * 1024);
    ASSERT_TRUE(this->port->StartData(this->Ini()));
    this->kind->Slow(SIZE_MAX);
    EXPECT_TRUE(this->port->SendData(job));
    EXPECT_TRUE(this->port->EndData());
    EXPECT_TRUE(this->kind->Taken() == job);
    EXPECT_TRUE(this->op.Messages().empty());
}

// One that stops taking data is given up at the bound; the next job starts afresh.
TYPED_TEST(PortSuiteTest, AStalledDeviceIsGivenUpAtTheBound)
{
    if (!TypeParam::Slowable)
        GTEST_SKIP() << "cannot be slowed";
    ASSERT_TRUE(this->port->StartData(this->Ini()));
    this->kind->Slow(40 * 1024);
    std::string said;
    const auto step = [&](const std::function<bool()>& action) {
        try {
            return action();
        } catch (const EInOutError& error) {
            said += error.what();
            return false;
        }
    };
    {
        TStartedPort started(*this->port);
        // More than the loopback's buffers hold: a network printer stalls in the send.
        const bool sent = step([&] { return this->port->SendData(EveryByte(16 << 20)); });
        const bool rest = step([&] { return this->port->SendData("^XA^XZ"); });
        const bool ended = step([&] { return started.End(); });
        EXPECT_FALSE(sent && rest && ended);
        if (TypeParam::Tracked) {
            EXPECT_FALSE(ended) << "a job with data not taken never ends as sent";
            EXPECT_EQ(this->op.Messages().size(), 1u) << "told once";
        }
    }
    for (const TOperatorMessage& message : this->op.Messages())
        said += message.text.toStdString();
    EXPECT_THAT(said, testing::HasSubstr("não recebeu os dados em 0,3 segundos"));
    this->kind->Taken();
    if (!TypeParam::Tracked)
        return;
    this->op.ClearMessages();
    EXPECT_TRUE(this->Job({"^XA^XZ"}));
    EXPECT_EQ(this->kind->Arrived(), "^XA^XZ");
    EXPECT_TRUE(this->op.Messages().empty());
}

} // namespace
