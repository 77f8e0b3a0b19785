#include <CLI/CLI.hpp>
#include <clocale>
#include <csignal>
#include <iostream>

#include "cli/CommandLine.h"

int main(int argc, char** argv) {
    // The logger's texts are bytes in the locale's character set; numbers keep the C locale.
    std::setlocale(LC_CTYPE, "");
#ifdef SIGPIPE
    // A reader that went away is an error to report once the records are kept, not death.
    std::signal(SIGPIPE, SIG_IGN);
#endif

    CLI::App app{"veltra-cli: configure and inspect temperature and humidity loggers"};
    veltra::cli::CommandRun run;
    veltra::cli::addCommands(app, run);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ExtrasError& error) {
        if (const std::string hint = veltra::cli::unknownOptionHint(app); !hint.empty()) {
            std::cerr << "veltra-cli: " << hint << "\n";
            return veltra::cli::ExitInvalid;
        }
        app.exit(error);
        return veltra::cli::ExitInvalid;
    } catch (const CLI::ParseError& error) {
        const int code = app.exit(error);
        return code == 0 ? 0 : veltra::cli::ExitInvalid;
    }
    return run ? run() : veltra::cli::ExitInvalid;
}
