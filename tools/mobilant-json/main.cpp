// mobilant-json FILE
//
// Parses FILE and prints the parser's status name and end offset on the first line and, when
// the status is Ok, the tree as compact JSON on the second. Exit status: 0 on Ok, 1 when the
// text does not parse, 2 when the file cannot be read.
#include <cstdio>
#include <string>

#include "JsonDocument.h"
#include "JsonStatus.h"
#include "JsonTreePrinter.h"
#include "ReadWholeFile.h"

using namespace MobilantModule;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: mobilant-json FILE\n");
        return 2;
    }
    std::string bytes;
    if (!readWholeFile(argv[1], bytes)) {
        std::fprintf(stderr, "mobilant-json: cannot read %s\n", argv[1]);
        return 2;
    }
    JsonDocument document;
    std::size_t endOffset = 0;
    const JsonStatus status = document.parseText(bytes, &endOffset);
    std::string out = jsonStatusName(status);
    out += ' ';
    out += std::to_string(endOffset);
    out += '\n';
    if (status == JsonStatus::Ok) {
        JsonTreePrinter::print(document.getRoot(), out);
        out += '\n';
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return status == JsonStatus::Ok ? 0 : 1;
}
