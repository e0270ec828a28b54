#include "Models.h"

#include <stdexcept>
#include <string>

const std::vector<std::string_view>& modelNames() {
    static const std::vector<std::string_view> names = {"tiny", "character", "stress"};
    return names;
}

GenModel makeModel(std::string_view name) {
    if (name == "tiny") return makeTinyModel();
    if (name == "character") return makeCharacterModel();
    if (name == "stress") return makeStressModel();
    throw std::invalid_argument("unknown model: " + std::string(name));
}
