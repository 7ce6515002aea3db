#pragma once
// Tagged diagnostic trace ("VNMAIN: Initialising engine...\n").
// Lines go to standard error unless VANTORIA_TRACE=0; tests may install a sink to read them.
#include <cstdarg>

using PLAT_TraceSink = void (*)(const char* line, void* user);

void PLAT_Trace(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void PLAT_TraceV(const char* fmt, va_list args);
// Installs a sink that receives every formatted trace line (none restores standard error).
void PLAT_SetTraceSink(PLAT_TraceSink sink, void* user);
