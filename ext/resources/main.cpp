// mobilant-resources DIRECTORY: writes the plug-in's resource script (mobilant.rc), its pictures
// and its data resource into DIRECTORY, from the resource table.
#include <cstdio>
#include <exception>

#include "ResourceScript.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: mobilant-resources DIRECTORY\n");
        return 2;
    }
    try {
        WriteResourceFiles(argv[1]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "mobilant-resources: %s\n", error.what());
        return 1;
    }
    return 0;
}
