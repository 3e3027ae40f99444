#include "cli/Cli.h"

#include <QCoreApplication>

#include <csignal>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

// The one place where an error that left an operation is shown: the
// operation ends, the message goes to the terminal, the status says it failed.
int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    // A printer pipe or a reader that went away is an error to report, not a
    // signal that ends the program silently.
    std::signal(SIGPIPE, SIG_IGN);
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
