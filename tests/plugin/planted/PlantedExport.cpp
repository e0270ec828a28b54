// Planted into a copy of the plug-in: an export the plug-in's .def does not name.
extern "C" __declspec(dllexport) int PlantedExport() {
    return 1;
}
