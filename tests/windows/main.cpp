// The Windows tests, run under Wine by scripts/test-windows.sh:
//
//   brumalux-windows-tests <path of brumalux.dll> <VST3 module> <standalone program>
//
// Prints one line per check and closes with "N passed, M failed"; exits non-zero when
// anything failed.

#include "TestRun.h"

int main(int argc, char** argv)
{
    using namespace brumalux;
    if (argc != 4)
    {
        std::fprintf(stderr, "usage: %s <path of brumalux.dll> <VST3 module> <standalone program>\n",
                     argv[0]);
        return 2;
    }
    TestRun run;
    CheckWin32WindowLayer(run);
    CheckPluginDll(run, argv[1]);
    CheckVst3Module(run, argv[2]);
    CheckStandaloneProgram(run, argv[3]);
    return run.Finish();
}
