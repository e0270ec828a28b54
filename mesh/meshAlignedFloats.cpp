#include "meshAlignedFloats.h"

#include <algorithm>

meshAlignedFloats::meshAlignedFloats(std::size_t count) : count(count) {
    if (count == 0) return;
    values.reset(
        static_cast<float*>(::operator new[](count * sizeof(float), std::align_val_t{alignment})));
    std::fill_n(values.get(), count, 0.0f);
}
