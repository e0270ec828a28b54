#include "PlacedObject.h"

#include <algorithm>
#include <cstdint>

#include "HostRecords.h"

namespace E = HostRecords::EditRecord;

std::int32_t ClampObjectSize(std::int64_t size) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(size, 1, kMaxObjectSize));
}

void* NewPlacedObject(GeneralEditFunction callFunction, void* editData) {
    if (callFunction == nullptr) return nullptr;
    const LRESULT block = callFunction(editData, HostRecords::Editor::kReallocEditData,
                                       reinterpret_cast<LPARAM>(editData),
                                       static_cast<LPARAM>(E::kSize), 0);
    void* record = reinterpret_cast<void*>(block);
    if (record == nullptr) return nullptr;
    E::Width::Set(record, kDefaultObjectWidth);
    E::Height::Set(record, kDefaultObjectHeight);
    return record;
}

std::int32_t PlacedObjectWidth(const void* editData) {
    return ClampObjectSize(E::Width::Get(editData));
}

std::int32_t PlacedObjectHeight(const void* editData) {
    return ClampObjectSize(E::Height::Get(editData));
}

void SetPlacedObjectSize(void* editData, std::int64_t width, std::int64_t height) {
    E::Width::Set(editData, ClampObjectSize(width));
    E::Height::Set(editData, ClampObjectSize(height));
}

RECT PlacedObjectRect(LONG left, LONG top, const void* editData) {
    // Saturated, so an object placed near the end of the coordinate range does not wrap.
    const auto end = [](LONG start, std::int32_t size) {
        return static_cast<LONG>(std::min<std::int64_t>(std::int64_t{start} + size, INT32_MAX));
    };
    return {left, top, end(left, PlacedObjectWidth(editData)),
            end(top, PlacedObjectHeight(editData))};
}
