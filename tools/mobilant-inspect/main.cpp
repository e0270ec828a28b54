// mobilant-inspect MODEL.json [options]: what a game author runs on an exported model before
// putting it in a game. See inspectUsage for the options and exit statuses.
#include <cstdio>
#include <string>
#include <vector>

#include "Inspector.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::string out;
    std::string err;
    const int status = runInspector(args, out, err);
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
    std::fwrite(err.data(), 1, err.size(), stderr);
    return status;
}
