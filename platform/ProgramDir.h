#pragma once

// The program's directory: where zev.ini, zev.mdb and the import's "tmp"
// folder live. It is the data folder the build was given (an installed
// package's shared folder under /var/lib), else the executable's directory,
// unless start-up was told otherwise (zev-cli --home, tests); it is set
// before any operation runs.

#include <QString>

namespace zev {

QString ProgramDir();
void SetProgramDir(const QString& directory);
// Joins the program's directory and a file name with the system's separator.
QString ProgramFilePath(const QString& fileName);

// The data folder this build was configured with; empty when it keeps its
// files beside the executable.
QString BuiltInDataDir();

// The group that shares the program's directory: the folder's group when
// the folder has the setgid bit (so every file made in it gets that group);
// empty otherwise.
QString SharingGroup();

// In a folder shared by its group, the files made from now on (zev.ini,
// zev.mdb, the history) are writable by the group too, whatever the
// person's umask, so every user of the store can go on with them.
void ShareNewFilesWithGroup();

// The same for a file made with permissions of its own (the database engine
// makes its files 0644 whatever the umask): in a folder shared by its group,
// a file of ours that its owner may write becomes writable by the group.
void ShareFileWithGroup(const QString& path);

} // namespace zev
