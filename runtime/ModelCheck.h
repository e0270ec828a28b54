#pragma once

#include <string>

#include "ModelError.h"

namespace MobilantModule {

// The outcome of checking a model document or a clip: an error code and, when it is not Ok,
// where the fault is and what was found there (for example: region "arm": "indices"[7] is 12,
// the mesh has 10 points).
struct ModelCheck {
    ModelError error = ModelError::Ok;
    std::string where;

    bool Ok() const { return error == ModelError::Ok; }

    // What is wrong and where: message + ": " + where (just the message when where is empty).
    std::string Reason() const;

    // The standard-output line reporting the fault, without line end:
    // "LoadMobilantJSONData() - " + Reason().
    std::string Line() const;
};

}  // namespace MobilantModule
