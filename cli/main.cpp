#include "cli/Cli.h"

#include <QCoreApplication>

#include <exception>
#include <iostream>
#include <string>
#include <vector>

// The one place where an error that left an operation is shown: the
// operation ends, the message goes to the terminal, the status says it failed.
int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    zev::cli::TCliContext context{std::cout, std::cerr};
    int status;
    try {
        status = zev::cli::RunCli(context, arguments);
    } catch (const std::exception& error) {
        std::cerr << "zev-cli: " << error.what() << '\n';
        return zev::cli::Failed;
    }
    // Output that never arrived (a full disk, a closed pipe) is no success.
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "zev-cli: não foi possível escrever a saída\n";
        return zev::cli::Failed;
    }
    return status;
}
