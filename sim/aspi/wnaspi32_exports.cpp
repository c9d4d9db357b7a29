// The two entry points of the simulated wnaspi32.dll, exported undecorated by wnaspi32.def.
#include "sim_aspi_layer.h"

extern "C" DWORD __cdecl GetASPI32SupportInfo() {
    return sim::AspiSupportInfo();
}

extern "C" DWORD __cdecl SendASPI32Command(void* request) {
    return sim::AspiSendCommand(request);
}
