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

std::string ReadFileBytes(const QString& path);
void WriteFileBytes(const QString& path, const std::string& bytes);

} // namespace zev::test
