#include <CLI/CLI.hpp>
#include <clocale>

#include "cli/CommandLine.h"

int main(int argc, char** argv) {
    // The logger's texts are bytes in the locale's character set; numbers keep the C locale.
    std::setlocale(LC_CTYPE, "");

    CLI::App app{"veltra-cli: configure and inspect temperature and humidity loggers"};
    veltra::cli::CommandRun run;
    veltra::cli::addCommands(app, run);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int code = app.exit(error);
        return code == 0 ? 0 : veltra::cli::ExitInvalid;
    }
    return run ? run() : veltra::cli::ExitInvalid;
}
