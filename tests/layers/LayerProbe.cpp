// Compiled by the layer checks with one layer's include folders only; see
// pelto5_layer_probe in cmake/Layers.cmake.
#include PROBE_HEADER

int main() { return 0; }
