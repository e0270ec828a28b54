// Reference counting shared by every object a SoftwareDevice creates.
//
// Counting follows Direct3D 9: an object starts with one public reference, every
// public reference also keeps the device alive, and the device's own bindings
// (stream sources, textures, render targets...) keep an object's contents alive
// after its last public Release, exactly as the real runtime's internal
// references do. A released object stays allocated, empty, until its device is
// destroyed, so that a call through a stale pointer is refused with
// D3DERR_INVALIDCALL instead of touching freed memory.
#pragma once

#include <d3d9.h>

class SoftwareDevice;

class SoftwareObject {
public:
    SoftwareObject(SoftwareDevice& device, const char* kind);
    SoftwareObject(const SoftwareObject&) = delete;
    SoftwareObject& operator=(const SoftwareObject&) = delete;
    virtual ~SoftwareObject() = default;

    // The device that created this object; it outlives every object.
    SoftwareDevice& Device() const { return device_; }

    // "VertexBuffer#3": kind and creation number, as the call log names objects.
    const char* Name() const { return name_; }

    // True once the last public reference is gone: public calls are refused.
    bool IsReleased() const { return publicRefs_ == 0 && !deviceOwned_; }

    // True while the contents exist: held publicly, bound, or owned by the device.
    bool IsAlive() const { return publicRefs_ > 0 || bindings_ > 0 || deviceOwned_; }

    ULONG PublicReferences() const { return publicRefs_; }

    // A device binding (stream source, texture stage, render target...).
    void Bind();
    void Unbind();

    // Marks an object its owner keeps alive (the implicit render target, a
    // texture's level): it has no public reference of its own.
    void MakeDeviceOwned();

    ULONG AddPublicReference();
    ULONG ReleasePublicReference();

protected:
    // Frees the contents once the object is neither referenced nor bound.
    virtual void DropContents() = 0;

private:
    void DropContentsIfUnused();

    SoftwareDevice& device_;
    ULONG publicRefs_ = 1;
    ULONG bindings_ = 0;
    bool deviceOwned_ = false;
    char name_[40];
};

// Implements IUnknown for an interface on top of SoftwareObject.
template <class Interface>
class SoftwareCom : public Interface, public SoftwareObject {
public:
    SoftwareCom(SoftwareDevice& device, const char* kind) : SoftwareObject(device, kind) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** ppvObject) override {
        if (ppvObject != nullptr) *ppvObject = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return AddPublicReference(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleasePublicReference(); }
};
