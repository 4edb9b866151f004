// kk-peerbench: a plug-in's CPU time beside a peer's (see --help).
#include "PeerBench.h"

#include "platform/Module.h"

#include <iostream>

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    peerbench::Options options;
    std::string error;
    if (!peerbench::parseCommandLine(args, options, error)) {
        std::cerr << "kk-peerbench: " << error << "\n" << peerbench::usageText();
        return 2;
    }
    std::string self;
    platform::getExecutablePath(self);
    return peerbench::run(options, self, std::cout, std::cerr);
}
