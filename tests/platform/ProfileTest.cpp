#include "platform/Profile.h"

#include "platform/Error.h"
#include "platform/FileContents.h"
#include "platform/Regional.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

using namespace zev;
using testing::AllOf;
using testing::HasSubstr;
using testing::Not;
using testing::ThrowsMessage;
using zev::test::ReadFileBytes;
using zev::test::WriteFileBytes;

namespace {

enum class TStep
{
    Create,
    Write,
    Sync,
    Close,
    Rename
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
        return At(TStep::Create) ? Fail() : TFileCalls::Create(path);
    }
    ssize_t Write(int fd, const char* data, std::size_t size) override
    {
        if (!At(TStep::Write))
            return TFileCalls::Write(fd, data, size);
        // A disk that fills up takes part of a block before it refuses.
        if (std::exchange(m_shortWriteFirst, false))
            return TFileCalls::Write(fd, data, size / 2);
        return Fail();
    }
    int Sync(int fd) override { return At(TStep::Sync) ? Fail() : TFileCalls::Sync(fd); }
    int Close(int fd) override
    {
        const int closed = TFileCalls::Close(fd);
        return At(TStep::Close) ? Fail() : closed;
    }
    int Rename(const char* from, const char* to) override
    {
        return At(TStep::Rename) ? Fail() : TFileCalls::Rename(from, to);
    }

private:
    bool At(TStep step) const { return m_step == step; }
    int Fail() const
    {
        errno = m_code;
        return -1;
    }

    TStep m_step;
    int m_code;
    bool m_shortWriteFirst;
};

class ProfileTest : public testing::Test
{
protected:
    QString Path() const { return dir.filePath("zev.ini"); }
    std::string Content() const { return ReadFileBytes(Path()); }
    void SetContent(const std::string& bytes) const { WriteFileBytes(Path(), bytes); }
    QStringList Files() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden); }

    QTemporaryDir dir;
};

// A file as a store's technician leaves it after editing by hand.
const std::string HandEdited =
    "; configuração da loja\r\n[Geral]\r\n"
    "  Label Default =  'Gondola ZPL'  \r\nagrupado=2\r\nAGRUPADO = 0\r\n"
    "Path Modelos=\"  /srv/modelos  \"\r\nSelecao Data= 05/03/2026\r\n"
    "Imp Autom=12abc\r\n\r\n[ labels ]\r\ngondola=COM1:\r\n"
    "linha sem igual\r\n;comentario=nao e chave\r\npreco=\"\r\n"
    "Empty=\r\nQuoted=''\r\n";

TEST_F(ProfileTest, ReadsAHandEditedFileAsTheProgramExpects)
{
    SetContent(HandEdited);
    const TIniFile ini(Path());

    // Mismatched quotes stay; comments and lines without "=" are no keys.
    const std::tuple<const char*, const char*, const char*> strings[] = {
        {"GERAL", "label default", "Gondola ZPL"},
        {"Geral", "Path Modelos", "  /srv/modelos  "},
        {"labels", "preco", "\""},
        {"Labels", "Quoted", ""},
        {"Geral", "Missing", "fallback"},
        {"Labels", ";comentario", "fallback"},
        {"Labels", "linha sem igual", "fallback"}};
    for (const auto& [section, key, expected] : strings)
        EXPECT_EQ(ini.ReadString(section, key, "fallback"), expected) << section << "/" << key;

    EXPECT_EQ(ini.ReadInteger("Geral", "Agrupado", 9), 2) << "the first of two equal keys wins";
    EXPECT_EQ(ini.ReadInteger("Geral", "Imp Autom", 7), 7);
    // Any non-zero integer is true; anything else keeps the fallback.
    EXPECT_TRUE(ini.ReadBool("Geral", "Agrupado", false));
    EXPECT_TRUE(ini.ReadBool("Geral", "Imp Autom", true));
    EXPECT_FALSE(ini.ReadBool("Geral", "Imp Autom", false));
    EXPECT_EQ(ini.ReadDate("Geral", "Selecao Data", 0), EncodeDate(2026, 3, 5));

    EXPECT_EQ(ini.ReadSectionKeys("geral"),
              (std::vector<std::string>{"Label Default", "agrupado", "AGRUPADO", "Path Modelos",
                                        "Selecao Data", "Imp Autom"}));
    // Values read in one pass agree with ReadString, duplicates included.
    std::vector<std::pair<std::string, std::string>> oneByOne;
    for (const std::string& key : ini.ReadSectionKeys("geral"))
        oneByOne.emplace_back(key, ini.ReadString("geral", key));
    EXPECT_EQ(ini.ReadSectionValues("geral"), oneByOne);
    EXPECT_TRUE(ini.ValueExists("labels", "empty"));
}

TEST_F(ProfileTest, AMissingFileReadsAsDefaultsAndIsCreatedOnTheFirstWrite)
{
    TIniFile ini(Path());
    EXPECT_EQ(ini.ReadString("Geral", "Label Default", "x"), "x");
    ini.DeleteKey("Geral", "Agrupado Por");
    EXPECT_FALSE(QFile::exists(Path())) << "reading and removing create nothing";

    ini.WriteBool("Geral", "Agrupado", true);
    EXPECT_EQ(Content(), "[Geral]\r\nAgrupado=1\r\n");
}

TEST_F(ProfileTest, WritesChangeOnlyWhatTheyWrite)
{
    const std::string original = "; loja 12\n[Geral]\nLabel Default = gondola\nAgrupado=0\n\n"
                                 "[Labels]\ngondola=COM1:\n\n"
                                 "[COM1:]\nBAUD=9600\n";
    // Each write must give the original with one span replaced, nothing else.
    using I = TIniFile&;
    const std::tuple<const char*, std::function<void(I)>, std::string, std::string> cases[] = {
        {"replace a value", [](I ini) { ini.WriteInteger("GERAL", "agrupado", 1); }, "Agrupado=0\n",
         "Agrupado=1\n"},
        {"add a key at the end of its section",
         [](I ini) { ini.WriteInteger("Geral", "Agrupado Por", 2); }, "Agrupado=0\n",
         "Agrupado=0\nAgrupado Por=2\n"},
        {"add a section", [](I ini) { ini.WriteString("FILE:", "Filename", "/tmp/etiquetas.prn"); },
         "BAUD=9600\n", "BAUD=9600\n\n[FILE:]\nFilename=/tmp/etiquetas.prn\n"},
        {"delete a key", [](I ini) { ini.DeleteKey("geral", "LABEL DEFAULT"); },
         "Label Default = gondola\n", ""},
        {"rewrite a section in a new order",
         [](I ini) {
             ini.ReplaceSection("labels", {{"null", "NUL:"}, {"gondola", "LPT1:"}});
         },
         "[Labels]\ngondola=COM1:\n\n[COM1:]\nBAUD=9600\n",
         "[COM1:]\nBAUD=9600\n\n[labels]\nnull=NUL:\ngondola=LPT1:\n"},
        {"rewrite a section as empty", [](I ini) { ini.ReplaceSection("Labels", {}); },
         "[Labels]\ngondola=COM1:\n\n", ""},
    };
    for (const auto& [what, write, span, replacement] : cases) {
        SCOPED_TRACE(what);
        SetContent(original);
        TIniFile ini(Path());
        write(ini);
        std::string expected = original;
        expected.replace(expected.find(span), span.size(), replacement);
        EXPECT_EQ(Content(), expected);
        EXPECT_EQ(Files(), QStringList{"zev.ini"}) << "no temporary file is left behind";
    }
}

TEST_F(ProfileTest, BytesAreNeverConverted)
{
    const std::string ansi = "G\xD4NDOLA A\xC7\xDA"
                             "CAR \x80\x9D\xFF";
    SetContent("[Labels]\r\n" + ansi + "=COM1:\r\n");
    TIniFile ini(Path());
    EXPECT_EQ(ini.ReadSectionKeys("Labels"), std::vector<std::string>{ansi});
    EXPECT_EQ(ini.ReadString("labels", "g\xF4ndola a\xE7\xFA"
                                       "car \x80\x9D\x9F"),
              "COM1:")
        << "accented letters match without regard to case";
}

TEST_F(ProfileTest, ATimelyReadSeesEveryEarlierWrite)
{
    TIniFile first(Path());
    TIniFile second(Path());
    first.WriteString("Geral", "A", "1");
    second.WriteString("Geral", "B", "2"); // reloads: keeps A
    EXPECT_EQ(Content(), "[Geral]\r\nA=1\r\nB=2\r\n");
    EXPECT_EQ(second.ReadString("Geral", "A"), "1");
}

TEST_F(ProfileTest, NamesAndValuesThatWouldPlantOtherKeysAreRefused)
{
    SetContent("[Geral]\r\nA=1\r\n");
    TIniFile ini(Path());
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"Geral", "B", "x\ny=1"},
        {"Geral", "B=C", "x"},
        {"Ger]al", "B", "x"},
    };
    for (const auto& [section, key, value] : cases) {
        EXPECT_THROW(ini.WriteString(section, key, value), EZevError)
            << section << "/" << key << "/" << value;
        // A section rewritten whole is refused before anything is written.
        EXPECT_THROW(ini.ReplaceSection(section, {{"Ok", "1"}, {key, value}}), EZevError);
        EXPECT_EQ(Content(), "[Geral]\r\nA=1\r\n");
    }
}

TEST_F(ProfileTest, EveryValueReadsBackAsItWasWritten)
{
    for (const char* value : {"  padded  ", "'quoted'", "\"x\"", "a'", ""}) {
        TIniFile(Path()).WriteString("FILE:", "Filename", value);
        EXPECT_EQ(TIniFile(Path()).ReadString("FILE:", "Filename", "fallback"), value)
            << "[" << value << "] stored as " << Content();
    }
}

TEST_F(ProfileTest, AByteOrderMarkAndTheLineEndingsOfTheFileAreKept)
{
    SetContent("\xEF\xBB\xBF[Geral]\r\nA=1\r\n");
    TIniFile ini(Path());
    EXPECT_EQ(ini.ReadString("Geral", "A"), "1") << "the mark does not hide the first section";
    ini.WriteString("Geral", "B", "2");
    EXPECT_EQ(Content(), "\xEF\xBB\xBF[Geral]\r\nA=1\r\nB=2\r\n");
}

TEST_F(ProfileTest, AFileThatCannotBeReadIsNotTakenForAnEmptyOne)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir("zev.ini"));
    EXPECT_THAT([&] { TIniFile(Path()).WriteString("Geral", "A", "1"); },
                ThrowsMessage<EZevError>(HasSubstr(Path().toStdString())));
}

TEST_F(ProfileTest, AFailedStepSaysWhyAndLeavesTheFileAndTheFolderAsTheyWere)
{
    using enum TStep;
    const std::tuple<TStep, int, bool, const char*> cases[] = {
        {Create, EACCES, false, "permissão negada (ao criar um arquivo na pasta"},
        {Write, ENOSPC, true, "o disco está cheio. O arquivo não foi alterado. Libere espaço"},
        {Sync, EIO, false, "erro de entrada/saída no disco (ao gravar no disco)"},
        {Close, ENOSPC, false, "o disco está cheio (ao fechar o arquivo)"},
        {Rename, EBUSY, false, "o arquivo ou o disco está em uso (ao substituir o arquivo)"},
    };
    const std::string before = "[Geral]\r\nA=1\r\n" + std::string(64 * 1024, ';') + "\r\n";
    for (const auto& [step, code, shortWriteFirst, reason] : cases) {
        SCOPED_TRACE(reason);
        SetContent(before);
        TFailingCalls calls(step, code, shortWriteFirst);
        TIniFile ini(Path(), calls);
        EXPECT_THAT(
            [&] { ini.WriteString("Geral", "B", "2"); },
            ThrowsMessage<EInOutError>(AllOf(HasSubstr("\"" + Path().toStdString() + "\""),
                                             HasSubstr(reason), Not(HasSubstr("outro programa")))));
        EXPECT_EQ(Content(), before);
        EXPECT_EQ(Files(), QStringList{"zev.ini"});
    }
}

TEST_F(ProfileTest, ALinkStaysALinkAndTheFileKeepsItsPermissions)
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
