#include "ModelCheck.h"

namespace MobilantModule {

std::string ModelCheck::Line() const {
    std::string line = "LoadMobilantJSONData() - ";
    line += ModelErrorMessage(error);
    if (!where.empty()) {
        line += ": ";
        line += where;
    }
    return line;
}

}  // namespace MobilantModule
