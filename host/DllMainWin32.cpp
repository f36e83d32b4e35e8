// Windows calls DllMain when a host loads the plug-in. JUCE registers its window classes
// and looks up its resources with the module handle it is given here; without it JUCE
// would take the host executable's, and its window classes would outlive an unloaded
// plug-in.

#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <juce_core/juce_core.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        juce::Process::setCurrentModuleInstanceHandle(instance);
    return TRUE;
}
