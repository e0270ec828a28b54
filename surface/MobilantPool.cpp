#include "MobilantPool.h"

#include <string>

#include "LoadMobilantModel.h"
#include "WideStrings.h"

std::unique_ptr<MobilantModule::JsonDocument> MobilantPool::slots[MobilantPool::kSlots];

namespace {

bool inRange(int id) {
    return static_cast<std::uint32_t>(id) < MobilantPool::kSlots;
}

}  // namespace

const MobilantModule::JsonDocument* MobilantPool::Document(int id) {
    if (!inRange(id)) return nullptr;
    const MobilantModule::JsonDocument* document = slots[static_cast<std::uint32_t>(id)].get();
    if (document == nullptr || document->getRoot().is(MobilantModule::JsonTag::Null)) return nullptr;
    return document;
}

void MobilantPool::Load(int id, const wchar_t* fileName) {
    if (!inRange(id)) return;
    Release(id);
    auto& slot = slots[static_cast<std::uint32_t>(id)];
    slot = std::make_unique<MobilantModule::JsonDocument>();
    // A name the locale cannot spell would open some other file; it opens none instead.
    std::string name;
    if (!NarrowFileName(fileName, name)) name.clear();
    MobilantModule::LoadMobilantModel(name.c_str(), *slot);
}

void MobilantPool::Release(int id) {
    if (!inRange(id)) return;
    slots[static_cast<std::uint32_t>(id)].reset();
}

void MobilantPool::ReleaseAll() {
    for (auto& slot : slots)
        slot.reset();
}

void LoadMobilantPool(int id, const wchar_t* fileName) {
    MobilantPool::Load(id, fileName);
}

void ReleaseMobilantPool(int id) {
    MobilantPool::Release(id);
}
