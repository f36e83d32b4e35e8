// The plug-in DLL as a Windows host sees it, checked by a host as small as a host can
// be: it loads the DLL, creates an instance through the exported entry point and checks
// the exports, identity, capabilities, a rendered note, the state chunk, programs and the
// editor embedded in a window of the host, then closes it and unloads the library.

#include "ExportTable.h"
#include "TestRun.h"
#include "host/Vst2Interface.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace
{
using namespace vst2;

constexpr int blockSize = 512;
constexpr int editorWidth = 440;
constexpr int editorHeight = 485;

// What the plug-in asked of the host. The host answers the version request with a
// configurable number and says no to every can-do query (so the plug-in sizes the
// host's windows itself).
struct HostRecord
{
    VstIntPtr versionAnswer = 2400;
    int wantMidiRequests = 0;
    int automateRequests = 0;
} host;

VstIntPtr AnswerPlugin(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr value, void*, float)
{
    switch (opcode)
    {
        case audioMasterVersion:
            return host.versionAnswer;
        case audioMasterWantMidi:
            host.wantMidiRequests += value == 1 ? 1 : 0;
            return 1;
        case audioMasterAutomate:
            ++host.automateRequests;
            return 0;
        case audioMasterGetSampleRate:
            return 44100;
        case audioMasterGetBlockSize:
            return blockSize;
        default:
            return 0;
    }
}

struct Plugin
{
    AEffect* effect = nullptr;

    VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f) const
    {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }

    std::string Text(VstInt32 opcode, VstInt32 index = 0) const
    {
        char text[256] = {};
        Dispatch(opcode, index, 0, text);
        return text;
    }

    VstIntPtr CanDo(const char* query) const { return Dispatch(effCanDo, 0, 0, const_cast<char*>(query)); }

    // Renders blocks of silence in, answers the loudest sample out of both channels.
    float RenderPeak(int numBlocks) const
    {
        std::vector<float> silence(blockSize, 0.0f);
        std::vector<float> left(blockSize);
        std::vector<float> right(blockSize);
        float peak = 0.0f;
        for (int block = 0; block < numBlocks; ++block)
        {
            float* inputs[] = {silence.data(), silence.data()};
            float* outputs[] = {left.data(), right.data()};
            effect->processReplacing(effect, inputs, outputs, blockSize);
            for (int i = 0; i < blockSize; ++i)
                peak = std::max({peak, std::fabs(left[i]), std::fabs(right[i])});
        }
        return peak;
    }

    std::vector<unsigned char> Chunk() const
    {
        void* data = nullptr;
        const auto size = Dispatch(effGetChunk, 0, 0, &data);
        if (data == nullptr || size <= 0)
            return {};
        const auto* bytes = static_cast<const unsigned char*>(data);
        return {bytes, bytes + size};
    }
};

// Runs the host's side of the message loop for a while, with the editor idle calls a
// host makes, so that the plug-in's posted messages, timers and paints are handled.
void PumpMessages(const Plugin& plugin, int milliseconds)
{
    const DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds);
    while (static_cast<LONG>(end - GetTickCount()) > 0)
    {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (plugin.effect != nullptr)
            plugin.Dispatch(effEditIdle);
        Sleep(10);
    }
}

HWND CreateHostWindow()
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "BrumaluxTestHostWindow";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, windowClass.lpszClassName, "Brumalux test host", WS_OVERLAPPEDWINDOW,
                                  CW_USEDEFAULT, CW_USEDEFAULT, 600, 600, nullptr, nullptr,
                                  windowClass.hInstance, nullptr);
    ShowWindow(window, SW_SHOW);
    return window;
}

void CheckIdentity(Expectations& e, const Plugin& plugin)
{
    const AEffect& effect = *plugin.effect;
    e.Expect(effect.magic == kEffectMagic, Describe("magic", effect.magic));
    e.Expect(effect.uniqueID == 0x5A72346D, Describe("unique ID", effect.uniqueID));
    e.Expect(effect.flags == 305, Describe("flags", effect.flags));
    e.Expect(effect.numParams == 27, Describe("number of parameters", effect.numParams));
    e.Expect(effect.numPrograms == 10, Describe("number of programs", effect.numPrograms));
    e.Expect(effect.numInputs == 2 && effect.numOutputs == 2, "two inputs and two outputs");
    e.Expect(effect.initialDelay == 0, Describe("initial delay", effect.initialDelay));
    e.Expect(effect.processReplacing != nullptr && effect.process != nullptr, "both process functions");
    e.Expect(plugin.Dispatch(effGetVstVersion) == 2300, "VST version 2300");
    e.Expect(plugin.Dispatch(effGetPlugCategory) == kPlugCategSynth, "synthesizer category");
    e.Expect(plugin.Text(effGetEffectName) == "Brumalux", "effect name " + plugin.Text(effGetEffectName));
    e.Expect(plugin.Text(effGetProductString) == "Brumalux", "product " + plugin.Text(effGetProductString));
    e.Expect(plugin.Text(effGetVendorString) == "Quellmark music",
             "vendor " + plugin.Text(effGetVendorString));
    e.Expect(plugin.Dispatch(effGetVendorVersion) == 1000, "vendor version 1000");
    e.Expect(plugin.Text(effGetParamName, 17) == "Distorti",
             "name of parameter 17 " + plugin.Text(effGetParamName, 17));
}

void CheckCapabilities(Expectations& e, const Plugin& plugin)
{
    const std::pair<const char*, VstIntPtr> answers[] = {
        {"receiveVstEvents", 1},  {"receiveVstMidiEvents", 1}, {"sendVstEvents", -1},
        {"sendVstMidiEvent", -1}, {"receiveVstTimeInfo", 1},   {"conformsToWindowRules", 1},
        {"sizeWindow", 0},        {"receiveVstEvent", 0},      {"receiveVstMidiEvents ", 0},
    };
    for (const auto& [query, answer] : answers)
        e.Expect(plugin.CanDo(query) == answer,
                 std::string("can do \"") + query + "\" answers " + std::to_string(plugin.CanDo(query)));
}

// Plays one note at sample 100 of the first block: the plug-in must overwrite the
// host's buffers with silence before the note and sound from its offset on.
void CheckRenderedNote(Expectations& e, const Plugin& plugin)
{
    constexpr int noteOffset = 100;
    constexpr int numBlocks = 4;
    plugin.Dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
    plugin.Dispatch(effSetBlockSize, 0, blockSize);
    plugin.Dispatch(effMainsChanged, 0, 1);

    VstMidiEvent note{};
    note.type = kVstMidiType;
    note.byteSize = sizeof(VstMidiEvent);
    note.deltaFrames = noteOffset;
    note.midiData[0] = static_cast<char>(0x90);
    note.midiData[1] = 60;
    note.midiData[2] = 100;
    VstEvents events{};
    events.numEvents = 1;
    events.events[0] = reinterpret_cast<VstEvent*>(&note);
    e.Expect(plugin.Dispatch(effProcessEvents, 0, 0, &events) == 1, "effProcessEvents answers 1");

    std::vector<float> silence(blockSize, 0.0f);
    std::vector<float> left(numBlocks * blockSize, 0.5f);
    std::vector<float> right(numBlocks * blockSize, 0.5f);
    for (int block = 0; block < numBlocks; ++block)
    {
        float* inputs[] = {silence.data(), silence.data()};
        float* outputs[] = {left.data() + block * blockSize, right.data() + block * blockSize};
        plugin.effect->processReplacing(plugin.effect, inputs, outputs, blockSize);
    }
    plugin.Dispatch(effMainsChanged, 0, 0);

    for (const auto* channel : {&left, &right})
    {
        const auto peakOf = [&](int from, int to)
        {
            float peak = 0.0f;
            for (int i = from; i < to; ++i)
                peak = std::isfinite((*channel)[i]) ? std::max(peak, std::fabs((*channel)[i])) : 1e30f;
            return peak;
        };
        const float before = peakOf(0, noteOffset);
        const float after = peakOf(noteOffset, numBlocks * blockSize);
        e.Expect(before < 1e-6f, "peak before the note's offset is " + std::to_string(before));
        e.Expect(after > 1e-3f && after < 1e3f, "peak from the note's offset on is " + std::to_string(after));
    }
}

void CheckFactoryBank(Expectations& e, const Plugin& plugin)
{
    const auto chunk = plugin.Chunk();
    e.Expect(chunk.size() == 1262,
             Describe("size of the factory bank", static_cast<long long>(chunk.size())));
    const char head[] = "\x0A\x00\x00\x00"
                        "A little churchy\x00"
                        "\x6C\x00\x00\x00";
    e.Expect(chunk.size() >= sizeof(head) - 1 && std::memcmp(chunk.data(), head, sizeof(head) - 1) == 0,
             "the bank starts with 10 programs and \"A little churchy\"");
}

// A host saves the bank with its project and restores it when the project is opened
// again, after whatever the user changed in between.
void CheckStateRestore(Expectations& e, const Plugin& plugin)
{
    const auto saved = plugin.Chunk();
    const float original = plugin.effect->getParameter(plugin.effect, 0);
    plugin.effect->setParameter(plugin.effect, 0, original < 0.5f ? 0.9f : 0.1f);
    e.Expect(plugin.Chunk() != saved, "a changed parameter changes the saved bank");

    auto copy = saved;
    e.Expect(plugin.Dispatch(effSetChunk, 0, static_cast<VstIntPtr>(copy.size()), copy.data()) == 0,
             "effSetChunk answers 0");
    e.Expect(plugin.effect->getParameter(plugin.effect, 0) == original, "parameter 0 restored");
    e.Expect(plugin.Chunk() == saved, "the restored bank saves as it was saved");
}

void CheckPrograms(Expectations& e, const Plugin& plugin)
{
    host.automateRequests = 0;
    plugin.Dispatch(effSetProgram, 0, 3);
    e.Expect(plugin.Dispatch(effGetProgram) == 3, "program 3 selected");
    e.Expect(host.automateRequests == 27,
             Describe("automate requests on a program switch", host.automateRequests));
    e.Expect(plugin.Text(effGetProgramName) == "Organ pad", "program name " + plugin.Text(effGetProgramName));
    plugin.Dispatch(effSetProgram, 0, 10);
    e.Expect(plugin.Dispatch(effGetProgram) == 3, "program 10 is ignored");
}

void CheckEditorRect(Expectations& e, const Plugin& plugin)
{
    ERect* rect = nullptr;
    e.Expect(plugin.Dispatch(effEditGetRect, 0, 0, &rect) != 0 && rect != nullptr,
             "effEditGetRect answers a rectangle");
    if (rect != nullptr)
        e.Expect(rect->top == 0 && rect->left == 0 && rect->right == editorWidth &&
                     rect->bottom == editorHeight,
                 "rectangle " + std::to_string(rect->right) + " x " + std::to_string(rect->bottom));
}

void CheckEditorIsChildOf(Expectations& e, HWND hostWindow)
{
    HWND editor = GetWindow(hostWindow, GW_CHILD);
    e.Expect(editor != nullptr, "a child window in the host's window");
    if (editor == nullptr)
        return;
    e.Expect(GetParent(editor) == hostWindow, "its parent is the host's window");
    const LONG_PTR style = GetWindowLongPtrA(editor, GWL_STYLE);
    e.Expect((style & WS_CHILD) != 0 && (style & WS_POPUP) == 0, "child style without popup style");
    e.Expect(IsWindowVisible(editor) != FALSE, "visible");
    RECT bounds{};
    GetWindowRect(editor, &bounds);
    const int width = bounds.right - bounds.left;
    const int height = bounds.bottom - bounds.top;
    e.Expect(width == editorWidth && height == editorHeight,
             "editor window " + std::to_string(width) + " x " + std::to_string(height));
}
// The on-screen keyboard's notes travel to the organ as posted messages, which on Windows
// the host's own message loop delivers; they sound from the next block on.
void CheckKeyboardPlaysNote(Expectations& e, const Plugin& plugin, HWND hostWindow)
{
    plugin.Dispatch(effMainsChanged, 0, 1);
    e.Expect(plugin.Dispatch(effEditOpen, 0, 0, hostWindow) == 1, "effEditOpen answers 1");
    PumpMessages(plugin, 100);
    HWND editor = GetWindow(hostWindow, GW_CHILD);
    e.Expect(editor != nullptr, "no editor window");
    if (editor == nullptr)
        return;
    // The first block connects the open editor's keyboard to the organ.
    e.Expect(plugin.RenderPeak(1) < 1e-6f, "sound before a key was pressed");
    const LPARAM lowWhiteKey = MAKELPARAM(18, editorHeight - 15);
    PostMessageA(editor, WM_LBUTTONDOWN, MK_LBUTTON, lowWhiteKey);
    PumpMessages(plugin, 100);
    e.Expect(plugin.RenderPeak(4) > 1e-3f, "no sound while the key is held");
    PostMessageA(editor, WM_LBUTTONUP, 0, lowWhiteKey);
    PumpMessages(plugin, 100);
    plugin.Dispatch(effEditClose);
    plugin.Dispatch(effMainsChanged, 0, 0);
}
} // namespace

void CheckPluginDll(TestRun& run, const char* dllPath)
{
    HMODULE module = LoadLibraryA(dllPath);
    run.Check("loads the library", [&](Expectations& e)
              { e.Expect(module != nullptr, Describe("LoadLibrary error", GetLastError())); });
    if (module == nullptr)
        return;

    const auto entry =
        reinterpret_cast<PluginEntryProc>(reinterpret_cast<void*>(GetProcAddress(module, "main")));
    const auto vstPluginMain =
        reinterpret_cast<PluginEntryProc>(reinterpret_cast<void*>(GetProcAddress(module, "VSTPluginMain")));
    run.Check("exports main and VSTPluginMain and nothing else",
              [&](Expectations& e)
              {
                  e.Expect(entry != nullptr && vstPluginMain != nullptr, "both entry points found");
                  auto table = ReadExportTable(module);
                  std::sort(table.names.begin(), table.names.end());
                  e.Expect(table.names == std::vector<std::string>{"VSTPluginMain", "main"},
                           Describe("number of exported names", static_cast<long long>(table.names.size())));
                  e.Expect(table.numFunctions == 2,
                           Describe("number of exported functions", table.numFunctions));
              });
    if (entry == nullptr || vstPluginMain == nullptr)
        return;

    run.Check("answers null to a host without a VST version",
              [&](Expectations& e)
              {
                  host.versionAnswer = 0;
                  e.Expect(entry(AnswerPlugin) == nullptr, "main answered an instance");
                  host.versionAnswer = 2400;
              });

    Plugin plugin;
    run.Check("creates an instance that asks for MIDI",
              [&](Expectations& e)
              {
                  plugin.effect = entry(AnswerPlugin);
                  e.Expect(plugin.effect != nullptr, "main answered null");
                  e.Expect(host.wantMidiRequests == 1, Describe("want-MIDI requests", host.wantMidiRequests));
              });
    if (plugin.effect == nullptr)
        return;
    plugin.Dispatch(effOpen);

    run.Check("identity", [&](Expectations& e) { CheckIdentity(e, plugin); });
    run.Check("capabilities", [&](Expectations& e) { CheckCapabilities(e, plugin); });
    run.Check("renders a note from its offset on", [&](Expectations& e) { CheckRenderedNote(e, plugin); });
    run.Check("saves the factory bank", [&](Expectations& e) { CheckFactoryBank(e, plugin); });
    run.Check("restores a saved bank", [&](Expectations& e) { CheckStateRestore(e, plugin); });
    run.Check("selects programs", [&](Expectations& e) { CheckPrograms(e, plugin); });

    HWND hostWindow = CreateHostWindow();
    run.Check("reports the editor's size", [&](Expectations& e) { CheckEditorRect(e, plugin); });
    run.Check("opens the editor as a child of the host's window",
              [&](Expectations& e)
              {
                  e.Expect(plugin.Dispatch(effEditOpen, 0, 0, hostWindow) == 1, "effEditOpen answers 1");
                  PumpMessages(plugin, 300);
                  CheckEditorIsChildOf(e, hostWindow);
              });
    // A busy host's queue holds back paint messages; the idle call must paint the editor
    // whatever else is waiting.
    run.Check("paints the editor on an idle call",
              [&](Expectations& e)
              {
                  HWND editor = GetWindow(hostWindow, GW_CHILD);
                  e.Expect(editor != nullptr, "no editor window");
                  if (editor == nullptr)
                      return;
                  InvalidateRect(editor, nullptr, FALSE);
                  e.Expect(GetUpdateRect(editor, nullptr, FALSE) != FALSE,
                           "nothing to paint after InvalidateRect");
                  plugin.Dispatch(effEditIdle);
                  e.Expect(GetUpdateRect(editor, nullptr, FALSE) == FALSE,
                           "the idle call left the editor unpainted");
              });
    run.Check("closes the editor",
              [&](Expectations& e)
              {
                  plugin.Dispatch(effEditClose);
                  PumpMessages(plugin, 100);
                  e.Expect(GetWindow(hostWindow, GW_CHILD) == nullptr, "a child window is left");
              });
    run.Check("closes an instance with its editor open",
              [&](Expectations& e)
              {
                  e.Expect(plugin.Dispatch(effEditOpen, 0, 0, hostWindow) == 1, "effEditOpen answers 1");
                  PumpMessages(plugin, 100);
                  e.Expect(GetWindow(hostWindow, GW_CHILD) != nullptr, "no editor window");
                  plugin.Dispatch(effClose);
                  plugin.effect = nullptr;
                  PumpMessages(plugin, 100);
                  e.Expect(GetWindow(hostWindow, GW_CHILD) == nullptr,
                           "the editor window outlived its instance");
              });
    run.Check("unloads",
              [&](Expectations& e)
              {
                  e.Expect(FreeLibrary(module) != FALSE, "FreeLibrary failed");
                  e.Expect(GetModuleHandleA(dllPath) == nullptr, "the library is still mapped");
                  PumpMessages(plugin, 100);
              });
    Plugin second;
    run.Check("loads again and creates an instance",
              [&](Expectations& e)
              {
                  module = LoadLibraryA(dllPath);
                  e.Expect(module != nullptr, "LoadLibrary failed the second time");
                  const auto again = module != nullptr
                                         ? reinterpret_cast<PluginEntryProc>(reinterpret_cast<void*>(
                                               GetProcAddress(module, "VSTPluginMain")))
                                         : nullptr;
                  second.effect = again != nullptr ? again(AnswerPlugin) : nullptr;
                  e.Expect(second.effect != nullptr, "VSTPluginMain answered null");
              });
    if (second.effect != nullptr)
    {
        second.Dispatch(effOpen);
        run.Check("plays a note from the editor's keyboard",
                  [&](Expectations& e) { CheckKeyboardPlaysNote(e, second, hostWindow); });
        second.Dispatch(effClose);
    }
    if (module != nullptr)
        run.Check("unloads again",
                  [&](Expectations& e) { e.Expect(FreeLibrary(module) != FALSE, "FreeLibrary failed"); });
    DestroyWindow(hostWindow);
}
