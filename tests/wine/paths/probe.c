/* A module with nothing in it, to be loaded from folders of chosen depth. */
__declspec(dllexport) int ProbeValue(void) { return 7; }
