#include "tests/output/OutputTestSupport.h"

#include <gmock/gmock.h>

#include <cerrno>
#include <cstring>

using namespace zev;
using namespace zev::test;
using testing::HasSubstr;

namespace {

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

// Configure's choice is what each job proposes; a job's choice or a cancel changes nothing.
TEST_F(FilePortTest, TheDefaultNameComesFromConfigureOnly)
{
    op.QueueCancel();
    port.Configure(Ini());
    op.QueueCancel();
    EXPECT_FALSE(port.StartData(Ini()));
    EXPECT_EQ(IniContent(), "");
    const QString configured = home.File("padrao.prn");
    op.QueueFile(configured);
    port.Configure(Ini());
    Job(home.File("outro.prn"), {"x"});
    op.QueueCancel();
    port.Configure(Ini());

    std::vector<std::pair<QString, QString>> asked;
    for (const TFileRequest& request : op.FileRequests())
        asked.emplace_back(request.title, request.fileName);
    const QString title = "Nome do arquivo default";
    EXPECT_EQ(asked, (std::vector<std::pair<QString, QString>>{
                         {title, ""}, {"", ""}, {title, ""}, {"", configured}, {title, configured}}));
}

// The file is made at the first block: that is where it fails.
TEST_F(FilePortTest, InputOutputFailuresAreRaisedWithTheSystemsError)
{
    const QString unreachable = home.File("nao/existe/etiquetas.prn");
    op.QueueFile(unreachable);
    ASSERT_TRUE(port.StartData(Ini()));
    const auto [code, text] = IoErrorOf([&] { port.SendData("^XA"); });
    EXPECT_EQ(code, ENOENT);
    EXPECT_THAT(text, AllOf(HasSubstr(unreachable.toStdString()), HasSubstr(std::strerror(ENOENT))));
    EXPECT_TRUE(port.EndData());
    EXPECT_TRUE(op.Messages().empty());
}

// A job that printed nothing must not cost the store its previous output.
TEST_F(FilePortTest, AJobThatSendsNothingLeavesTheFileAsItWas)
{
    const QString kept = home.File("anterior.prn");
    WriteFileBytes(kept, "^XA^FDontem^XZ");
    const QString absent = home.File("nova.prn");
    Job(kept, {});
    Job(absent, {});
    EXPECT_FALSE(QFile::exists(absent));
    EXPECT_EQ(ReadFileBytes(kept), "^XA^FDontem^XZ");
}

} // namespace
