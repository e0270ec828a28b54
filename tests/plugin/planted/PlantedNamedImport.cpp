// Planted into a copy of the plug-in: an import from MMFS2.dll by name, which a host's library
// need not have under that name (its services are found by ordinal only).
extern "C" void PlantedService();

extern "C" void PlantedNamedCall() {
    PlantedService();
}
