#pragma once

#include <QString>
#include <QTemporaryDir>

#include <string>

namespace zev::test {

// A fresh program directory (zev.ini, zev.mdb) for one test, removed after it.
class TProgramDirFixture
{
public:
    TProgramDirFixture();
    ~TProgramDirFixture();
    TProgramDirFixture(const TProgramDirFixture&) = delete;
    TProgramDirFixture& operator=(const TProgramDirFixture&) = delete;

    QString Path() const { return m_dir.path(); }
    QString File(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

// What every test program does first: a broken pipe is an error to report,
// as in the programs, not a signal that ends the run; and no test reaches
// the machine's own print spooler unless it starts one of its own.
void PrepareTestProcess();

std::string ReadFileBytes(const QString& path);
void WriteFileBytes(const QString& path, const std::string& bytes);

inline bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

} // namespace zev::test
