#include "report/report.h"

#include <csignal>
#include <iostream>

#include <unistd.h>

int main(int argc, char **argv)
{
    std::ios::sync_with_stdio(false);
    // A reader that closes the pipe makes the next write fail, which is
    // reported like a full disk, instead of ending the program unannounced.
    std::signal(SIGPIPE, SIG_IGN);
    ReportTerminal terminal;
    terminal.outIsTerminal = isatty(STDOUT_FILENO) == 1;
    terminal.errIsTerminal = isatty(STDERR_FILENO) == 1;
    return runReport(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr, terminal);
}
