#include "SoftwareObject.h"

#include <cstdio>

#include "SoftwareDevice.h"

SoftwareObject::SoftwareObject(SoftwareDevice& device, const char* kind) : device_(device) {
    std::snprintf(name_, sizeof name_, "%s#%u", kind, device.NextObjectNumber());
    device_.AddRef();  // the first public reference keeps the device alive
}

void SoftwareObject::Bind() {
    ++bindings_;
}

void SoftwareObject::Unbind() {
    if (bindings_ > 0) --bindings_;
    DropContentsIfUnused();
}

void SoftwareObject::MakeDeviceOwned() {
    // The device's own object holds no public reference and so no device reference.
    deviceOwned_ = true;
    if (publicRefs_ > 0) {
        publicRefs_ = 0;
        device_.ReleaseInternal();
    }
}

ULONG SoftwareObject::AddPublicReference() {
    if (!IsAlive()) {
        device_.Misuse(Name(), "AddRef after the last Release");
        return 0;
    }
    if (publicRefs_++ == 0) device_.AddRef();
    return publicRefs_;
}

ULONG SoftwareObject::ReleasePublicReference() {
    if (publicRefs_ == 0) {
        device_.Misuse(Name(), "Release after the last Release");
        return 0;
    }
    if (--publicRefs_ > 0) return publicRefs_;
    DropContentsIfUnused();
    // Last statement: this may destroy the device and every object with it.
    device_.Release();
    return 0;
}

void SoftwareObject::DropContentsIfUnused() {
    if (!IsAlive()) DropContents();
}
