#include "SoftwareObject.h"

#include <cstdio>

#include "SoftwareDevice.h"

SoftwareObject::SoftwareObject(SoftwareDevice& device, const char* kind) : device_(device) {
    // The device takes the reference of the first public reference once the
    // object is fully made (SoftwareDevice::Adopt).
    std::snprintf(name_, sizeof name_, "%s#%u", kind, device.NextObjectNumber());
}

void SoftwareObject::Bind() {
    ++bindings_;
}

void SoftwareObject::Unbind() {
    if (bindings_ > 0) --bindings_;
    DropContentsIfUnused();
}

void SoftwareObject::MakeDeviceOwned() {
    deviceOwned_ = true;
    publicRefs_ = 0;
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
