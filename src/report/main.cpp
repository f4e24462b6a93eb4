#include "report/report.h"

#include <iostream>
#include <string_view>

int main(int argc, char **argv)
{
    std::ios::sync_with_stdio(false);
    // Only a command line that is exactly --version asks for it, as in the
    // window; a file of that name is reported as ./--version.
    if (argc == 2 && std::string_view(argv[1]) == "--version") {
        std::cout << "sismavue-report " SISMAVUE_VERSION "\n";
        return 0;
    }
    return runReport(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
