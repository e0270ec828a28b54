// The process-wide table of parsed model files, shared by every object instance under small ids.
#pragma once

#include <cstdint>
#include <memory>

#include "JsonDocument.h"

// 255 slots, ids 0 to 254, each empty or holding the document of one model file. An instance
// builds its model and clips from a slot's document (SetMobilantData, InitAnimation) and keeps
// nothing that refers into it, so a slot may be reloaded or released while instances play.
class MobilantPool {
public:
    static constexpr std::uint32_t kSlots = 255;

    // The model document in slot `id`; null for an id outside 0 to 254, an empty slot, or a
    // slot whose file did not parse or was refused by the model checks (its root is null).
    static const MobilantModule::JsonDocument* Document(int id);

    // Reads, parses and checks the model file `fileName` into slot `id`, releasing the slot's
    // earlier document first. The slot holds a document afterwards whatever the outcome; a file
    // that cannot be read or parsed writes "LoadMobilantJSONData() - Error parsing JSON!" to
    // standard output, a refused model its fault, and leaves a document with a null root, which
    // counts as empty. A file name with a character the narrow file API cannot spell is read as
    // a missing file. Ids outside 0 to 254 are ignored.
    static void Load(int id, const wchar_t* fileName);

    // Frees slot `id`'s document and empties the slot; nothing for an empty slot or an id
    // outside 0 to 254.
    static void Release(int id);

    // Releases every slot; the table stays usable.
    static void ReleaseAll();

private:
    static std::unique_ptr<MobilantModule::JsonDocument> slots[kSlots];
};

// The pool's operations under the names the actions and entry points use.

// As MobilantPool::Load.
void LoadMobilantPool(int id, const wchar_t* fileName);
// As MobilantPool::Release.
void ReleaseMobilantPool(int id);
