#pragma once

#include <cstddef>
#include <memory>
#include <new>

// A fixed-size, zero-filled float array whose first element sits on a 64-byte boundary, so that
// vector loads of whole blocks never straddle cache lines. Move-only.
class meshAlignedFloats {
public:
    static constexpr std::size_t alignment = 64;

    meshAlignedFloats() = default;
    // count zero-filled floats.
    explicit meshAlignedFloats(std::size_t count);

    float* data() { return values.get(); }
    const float* data() const { return values.get(); }
    std::size_t size() const { return count; }
    float& operator[](std::size_t i) { return values[i]; }
    float operator[](std::size_t i) const { return values[i]; }

private:
    struct Release {
        void operator()(float* p) const { ::operator delete[](p, std::align_val_t{alignment}); }
    };
    std::unique_ptr<float[], Release> values;
    std::size_t count = 0;
};
