// kk-vsthost: a command-line host for VST 2.4 plug-ins (see --help).
#include "HostApp.h"

#include <iostream>

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    return vsthost::runCommandLine(args, std::cout, std::cerr);
}
