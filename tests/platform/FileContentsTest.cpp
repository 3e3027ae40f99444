#include "platform/FileContents.h"

#include "platform/Error.h"
#include "platform/Profile.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>

using namespace zev;
using testing::HasSubstr;
using testing::Not;
using zev::test::ReadFileBytes;
using zev::test::WriteFileBytes;

namespace {

enum class TStep
{
    Create,
    Write,
    Sync,
    Close,
    Rename,
};

// The real calls, but one step fails as the system would report it.
class TFailingCalls final : public TFileCalls
{
public:
    TFailingCalls(TStep step, int code, bool shortWriteFirst)
        : m_step(step), m_code(code), m_shortWriteFirst(shortWriteFirst)
    {}

    int Create(const char* path) override
    {
        return m_step == TStep::Create ? Fail() : TFileCalls::Create(path);
    }
    ssize_t Write(int fd, const char* data, std::size_t size) override
    {
        if (m_step != TStep::Write)
            return TFileCalls::Write(fd, data, size);
        // A disk that fills up takes part of a block before it refuses.
        if (std::exchange(m_shortWriteFirst, false))
            return TFileCalls::Write(fd, data, size / 2);
        return m_code == 0 ? 0 : Fail();
    }
    int Sync(int fd) override { return m_step == TStep::Sync ? Fail() : TFileCalls::Sync(fd); }
    int Close(int fd) override
    {
        const int closed = TFileCalls::Close(fd);
        return m_step == TStep::Close ? Fail() : closed;
    }
    int Rename(const char* from, const char* to) override
    {
        return m_step == TStep::Rename ? Fail() : TFileCalls::Rename(from, to);
    }

private:
    int Fail() const
    {
        errno = m_code;
        return -1;
    }

    TStep m_step;
    int m_code;
    bool m_shortWriteFirst;
};

class FileContentsTest : public testing::Test
{
protected:
    QString Path() const { return dir.filePath("zev.ini"); }

    QTemporaryDir dir;
};

TEST_F(FileContentsTest, AFailedStepSaysWhyAndLeavesTheFileAndTheFolderAsTheyWere)
{
    struct TCase
    {
        TStep step;
        int code;
        bool shortWriteFirst;
        const char* reason;
    };
    const TCase cases[] = {
        {TStep::Create, EACCES, false, "permissão negada (ao criar um arquivo na pasta"},
        {TStep::Create, EROFS, false, "o disco só permite leitura"},
        {TStep::Write, ENOSPC, true,
         "o disco está cheio. O arquivo não foi alterado. Libere espaço"},
        {TStep::Write, 0, false, "o disco está cheio"},
        {TStep::Write, EDQUOT, false, "a cota de disco do usuário acabou"},
        {TStep::Sync, EIO, false, "erro de entrada/saída no disco (ao gravar no disco)"},
        {TStep::Close, ENOSPC, false, "o disco está cheio (ao fechar o arquivo)"},
        {TStep::Rename, EBUSY, false, "o arquivo ou o disco está em uso (ao substituir o arquivo)"},
    };
    const std::string before = "[Geral]\r\nA=1\r\n" + std::string(64 * 1024, ';') + "\r\n";
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.reason);
        WriteFileBytes(Path(), before);
        TFailingCalls calls(c.step, c.code, c.shortWriteFirst);
        TIniFile ini(Path(), calls);
        EXPECT_THAT([&] { ini.WriteString("Geral", "B", "2"); },
                    testing::ThrowsMessage<EInOutError>(
                        testing::AllOf(HasSubstr("\"" + Path().toStdString() + "\""),
                                       HasSubstr(c.reason), Not(HasSubstr("outro programa")))));
        EXPECT_EQ(ReadFileBytes(Path()), before);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"zev.ini"});
    }
}

TEST_F(FileContentsTest, AFolderThatCannotHoldTheFileIsNamedNotTakenForAnotherProgram)
{
    // Permission bits do not stop root, who runs the tests; a file where the
    // folder should be stops everyone.
    WriteFileBytes(dir.filePath("loja"), "");
    const QString path = dir.filePath("loja/zev.ini");
    EXPECT_THAT([&] { TIniFile(path).WriteString("Geral", "A", "1"); },
                testing::ThrowsMessage<EInOutError>(
                    testing::AllOf(HasSubstr("\"" + path.toStdString() + "\""),
                                   HasSubstr("o caminho passa por um arquivo que não é uma pasta"),
                                   HasSubstr("Verifique se a pasta \"" +
                                             dir.filePath("loja").toStdString() + "\" existe"))));
}

TEST_F(FileContentsTest, ALinkStaysALinkAndTheFileKeepsItsPermissions)
{
    const QString target = dir.filePath("compartilhado.ini");
    WriteFileBytes(target, "[Geral]\r\nA=1\r\n");
    ASSERT_EQ(chmod(QFile::encodeName(target).constData(), 0640), 0);
    ASSERT_TRUE(QFile::link(target, Path()));

    TIniFile(Path()).WriteString("Geral", "B", "2");
    EXPECT_TRUE(QFileInfo(Path()).isSymLink());
    EXPECT_EQ(ReadFileBytes(target), "[Geral]\r\nA=1\r\nB=2\r\n");
    struct stat status
    {};
    ASSERT_EQ(stat(QFile::encodeName(target).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
}

} // namespace
