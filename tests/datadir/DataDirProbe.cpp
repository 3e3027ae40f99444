// Prints the folder the program keeps its files in: the one given as the
// only argument (as zev-cli --home gives it), else the build's own choice.
#include "platform/ProgramDir.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    const QCoreApplication application(argc, argv);
    if (argc > 1)
        zev::SetProgramDir(QString::fromLocal8Bit(argv[1]));
    std::printf("%s\n", zev::ProgramDir().toLocal8Bit().constData());
    return 0;
}
