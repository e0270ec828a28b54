#include "ResourcePools.h"

#include "MobilantPool.h"
#include "TexturePool.h"

void ReleaseAllPool() {
    TexturePool::ReleaseAll();
    MobilantPool::ReleaseAll();
}

void StartAppPools() {}

void EndAppPools() {
    ReleaseAllPool();
}
