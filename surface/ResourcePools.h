// The operations that concern both pools at once: release-all and the application's start and
// end, which the host's StartApp and EndApp entry points call.
#pragma once

// Releases every texture slot, then every model slot; both tables stay usable.
void ReleaseAllPool();

// The application starts: the pools are ready. Their tables are static and live for the whole
// process, so there is nothing to create; a second start changes nothing.
void StartAppPools();

// The application ends: every slot of both pools is released (textures before models), so no
// texture outlives the host's device. The tables themselves stay, so addresses of texture slots
// that renderers may still hold remain valid; the pools are usable again after StartAppPools.
void EndAppPools();
