#include "LoadMobilantModel.h"

#include <cstdio>

#include "LoadMobilantJSONData.h"
#include "ValidateMobilantModel.h"

namespace MobilantModule {

ModelCheck LoadMobilantModel(const char* fileName, JsonDocument& document) {
    const JsonStatus status = LoadMobilantJSONData(fileName, document);
    if (status != JsonStatus::Ok) {
        document.clear();
        return {ModelError::ParseFailed, {}};
    }
    ModelCheck check = ValidateMobilantModel(document.getRoot());
    if (!check.Ok()) {
        std::printf("%s\n", check.Line().c_str());
        std::fflush(stdout);
        document.clear();
    }
    return check;
}

}  // namespace MobilantModule
