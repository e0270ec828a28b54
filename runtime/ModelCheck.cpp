#include "ModelCheck.h"

namespace MobilantModule {

std::string ModelCheck::Reason() const {
    std::string reason = ModelErrorMessage(error);
    if (!where.empty()) {
        reason += ": ";
        reason += where;
    }
    return reason;
}

std::string ModelCheck::Line() const {
    return "LoadMobilantJSONData() - " + Reason();
}

}  // namespace MobilantModule
