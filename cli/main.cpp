#include "cli/Cli.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <csignal>
#include <exception>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {

// Pictures need the GUI application; every other command keeps the core one.
// Without a display it draws offscreen.
std::unique_ptr<QCoreApplication> MakeApplication(int& argc, char** argv,
                                                  const std::vector<std::string>& arguments)
{
    if (!zev::cli::NeedsGuiApplication(arguments))
        return std::make_unique<QCoreApplication>(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QGuiApplication>(argc, argv);
}

} // namespace

// The one place where an error that left an operation is shown: the
// operation ends, the message goes to the terminal, the status says it failed.
int main(int argc, char** argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const std::unique_ptr<QCoreApplication> application = MakeApplication(argc, argv, arguments);
    // A printer pipe or a reader that went away is an error to report, not a
    // signal that ends the program silently.
    std::signal(SIGPIPE, SIG_IGN);
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
