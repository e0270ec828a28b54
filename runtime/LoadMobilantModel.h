#pragma once

#include "JsonDocument.h"
#include "ModelCheck.h"

namespace MobilantModule {

// Reads, parses and validates a model file into `document`, for a pool slot that keeps the
// document and builds models from it on request. On success the document holds the model and
// the check is Ok. A file that does not parse gives ParseFailed (LoadMobilantJSONData has
// written its line); a document that fails ValidateMobilantModel gets its check's Line on
// standard output. Either way the document is left with a null root, from which a Mobilant
// builds the empty model.
ModelCheck LoadMobilantModel(const char* fileName, JsonDocument& document);

}  // namespace MobilantModule
