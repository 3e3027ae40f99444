// Damaged files from outside reach zev-cli: each is refused in the program's
// own words, naming where the damage is, and none makes the toolkit write
// its own warnings to standard error.

#include "tests/cli/RunCli.h"
#include "tests/support/TestSupport.h"

#include <QByteArray>
#include <QDir>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

using namespace zev::test;

namespace {

void Put16(std::string& bytes, std::size_t at, std::uint16_t value)
{
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>(value >> 8);
}

void Put32(std::string& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A paletted 8 × 2 bitmap whose data starts at `dataOffset` and whose
// header counts `colors` palette entries (the palette written has as many).
std::string Bitmap(std::uint16_t bits, std::uint32_t colors, std::uint32_t dataOffset)
{
    const std::size_t palette = colors * 4;
    std::string bytes(14 + 40 + palette + 8, '\0');
    bytes[0] = 'B';
    bytes[1] = 'M';
    Put32(bytes, 2, static_cast<std::uint32_t>(bytes.size()));
    Put32(bytes, 10, dataOffset);
    Put32(bytes, 14, 40);
    Put32(bytes, 18, 8);
    Put32(bytes, 22, 2);
    Put16(bytes, 26, 1);
    Put16(bytes, 28, bits);
    Put32(bytes, 46, colors);
    return bytes;
}

std::string LabelWithPicture(const std::string& bitmap)
{
    const QByteArray base64 = QByteArray::fromStdString(bitmap).toBase64();
    std::string text = "[geral]\r\nname=quebrada\r\n[normal]\r\n1=X\r\n[image]\r\n";
    for (qsizetype at = 0, line = 1001; at < base64.size(); at += 76, ++line)
        text += std::to_string(line) + "=" + base64.mid(at, 76).toStdString() + "\r\n";
    return text;
}

TEST(CliBadInput, DamagedFilesAreRefusedByNameWithoutTheToolkitsWarnings)
{
    const std::string nul(1, '\0');
    struct Case
    {
        const char* name;
        std::string ini;       // before the templates folder
        std::string labelFile; // quebrada.lbl, when not empty
        QStringList arguments;
        int status;
        std::string named; // in the error
    };
    const Case cases[] = {
        {"picture data past its end",
         "",
         LabelWithPicture(Bitmap(8, 256, 100000)),
         {"labels"},
         1,
         "quebrada.lbl"},
        {"palette larger than its depth",
         "",
         LabelWithPicture(Bitmap(1, 16, 14 + 40 + 64)),
         {"labels"},
         1,
         "quebrada.lbl"},
        {"templates folder with a NUL byte",
         "[Geral]\r\nPath Modelos=/tmp/a" + nul + "b\r\n",
         "",
         {"labels"},
         1,
         "Path Modelos"},
        {"port file with a NUL byte",
         "[FILE:]\r\nFilename=/tmp/a" + nul + "b\r\n",
         "",
         {"send", "FILE:", "JOB"},
         1,
         "Filename"},
        {"port device with a NUL byte",
         "[Portas]\r\nLPT7:=/tmp" + nul + "/x\r\n",
         "",
         {"ports"},
         0,
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TProgramDirFixture home;
        QDir(home.Path()).mkdir("modelos");
        if (!c.labelFile.empty())
            WriteFileBytes(home.File("modelos/quebrada.lbl"), c.labelFile);
        // The first of two equal keys counts: a case's own templates folder wins.
        WriteFileBytes(home.File("zev.ini"), c.ini + "[Geral]\r\nPath Modelos=" +
                                                 home.File("modelos").toStdString() + "\r\n");
        QStringList arguments = c.arguments;
        arguments.replaceInStrings("JOB", home.File("zev.ini"));
        const Result result = RunCli(QStringList{"--home", home.Path()} + arguments);
        EXPECT_EQ(result.status, c.status) << result.err;
        EXPECT_TRUE(Contains(result.err, c.named)) << result.err;
        for (const char* warning : {"QBuffer", "QImage", "Broken filename"})
            EXPECT_FALSE(Contains(result.err, warning)) << result.err;
        EXPECT_FALSE(Contains(result.out, "LPT7:")) << result.out;
    }
}

} // namespace
