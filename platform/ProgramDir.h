#pragma once

// The program's directory: where zev.ini, zev.mdb and the import's "tmp"
// folder live. It is the executable's directory unless start-up was told
// otherwise (zev-cli --home, tests); it is set before any operation runs.

#include <QString>

namespace zev {

QString ProgramDir();
void SetProgramDir(const QString& directory);
// Joins the program's directory and a file name with the system's separator.
QString ProgramFilePath(const QString& fileName);

} // namespace zev
