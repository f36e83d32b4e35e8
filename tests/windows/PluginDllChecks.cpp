// The plug-in DLL as a Windows host sees it, checked through our VST 2 host library (its
// Win32 loader): it loads the DLL, creates an instance through the exported entry point and checks
// the exports, identity, capabilities, a rendered note, the state chunk, programs and the
// editor embedded in a window of the host, then closes it and unloads the library.

#include "ExportTable.h"
#include "TestRun.h"
#include "host/Vst2Interface.h"
#include "vst2host/PluginInstance.h"
#include "vst2host/PluginLibrary.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace brumalux
{

namespace
{
using namespace vst2;
using brumalux::vst2host::PluginInstance;
using brumalux::vst2host::PluginLibrary;

constexpr int blockSize = 512;
constexpr int editorWidth = 440;
constexpr int editorHeight = 485;

VstIntPtr CanDo(const PluginInstance& plugin, const char* query)
{
    return plugin.Dispatch(effCanDo, 0, 0, const_cast<char*>(query));
}

// Renders blocks of silence in, answers the loudest sample out of both channels.
float RenderPeak(PluginInstance& plugin, int numBlocks)
{
    PluginInstance::Channels outputs(2, std::vector<float>(blockSize));
    float peak = 0.0f;
    for (int block = 0; block < numBlocks; ++block)
    {
        plugin.ProcessReplacing(outputs, blockSize);
        for (const auto& channel : outputs)
            for (float sample : channel)
                peak = std::max(peak, std::fabs(sample));
    }
    return peak;
}

// Runs the host's side of the message loop for a while, with the editor idle calls a
// host makes, so that the plug-in's posted messages, timers and paints are handled.
void PumpMessages(const PluginInstance* plugin, int milliseconds)
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
        if (plugin != nullptr && plugin->HasInstance())
            plugin->Dispatch(effEditIdle);
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

void CheckIdentity(Expectations& e, const PluginInstance& plugin)
{
    const AEffect& effect = *plugin.Effect();
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

void CheckCapabilities(Expectations& e, const PluginInstance& plugin)
{
    const std::pair<const char*, VstIntPtr> answers[] = {
        {"receiveVstEvents", 1},  {"receiveVstMidiEvents", 1}, {"sendVstEvents", -1},
        {"sendVstMidiEvent", -1}, {"receiveVstTimeInfo", 1},   {"conformsToWindowRules", 1},
        {"sizeWindow", 0},        {"receiveVstEvent", 0},      {"receiveVstMidiEvents ", 0},
    };
    for (const auto& [query, answer] : answers)
        e.Expect(CanDo(plugin, query) == answer,
                 std::string("can do \"") + query + "\" answers " + std::to_string(CanDo(plugin, query)));
}

// Plays one note at sample 100 of the first block: the plug-in must overwrite the
// host's buffers with silence before the note and sound from its offset on.
void CheckRenderedNote(Expectations& e, PluginInstance& plugin)
{
    constexpr int noteOffset = 100;
    constexpr int numBlocks = 4;
    plugin.Resume(44100.0, blockSize);
    e.Expect(plugin.SendMidi({{noteOffset, {0x90, 60, 100}}}) == 1, "effProcessEvents answers 1");

    std::vector<float> left, right;
    for (int block = 0; block < numBlocks; ++block)
    {
        PluginInstance::Channels outputs(2, std::vector<float>(blockSize, 0.5f));
        plugin.ProcessReplacing(outputs, blockSize);
        left.insert(left.end(), outputs[0].begin(), outputs[0].end());
        right.insert(right.end(), outputs[1].begin(), outputs[1].end());
    }
    plugin.Suspend();

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

void CheckFactoryBank(Expectations& e, const PluginInstance& plugin)
{
    const auto chunk = plugin.State();
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
void CheckStateRestore(Expectations& e, PluginInstance& plugin)
{
    const auto saved = plugin.State();
    const float original = plugin.Parameter(0);
    plugin.SetParameter(0, original < 0.5f ? 0.9f : 0.1f);
    e.Expect(plugin.State() != saved, "a changed parameter changes the saved bank");

    e.Expect(plugin.LoadState(saved) == 0, "effSetChunk answers 0");
    e.Expect(plugin.Parameter(0) == original, "parameter 0 restored");
    e.Expect(plugin.State() == saved, "the restored bank saves as it was saved");
}

void CheckPrograms(Expectations& e, PluginInstance& plugin)
{
    plugin.Callbacks().ClearRequests();
    plugin.Dispatch(effSetProgram, 0, 3);
    e.Expect(plugin.Dispatch(effGetProgram) == 3, "program 3 selected");
    const int automated = plugin.Callbacks().CountRequests(audioMasterAutomate);
    e.Expect(automated == 27, Describe("automate requests on a program switch", automated));
    e.Expect(plugin.Text(effGetProgramName) == "Organ pad", "program name " + plugin.Text(effGetProgramName));
    plugin.Dispatch(effSetProgram, 0, 10);
    e.Expect(plugin.Dispatch(effGetProgram) == 3, "program 10 is ignored");
}

void CheckEditorRect(Expectations& e, const PluginInstance& plugin)
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
void CheckKeyboardPlaysNote(Expectations& e, PluginInstance& plugin, HWND hostWindow)
{
    plugin.Dispatch(effMainsChanged, 0, 1);
    e.Expect(plugin.Dispatch(effEditOpen, 0, 0, hostWindow) == 1, "effEditOpen answers 1");
    PumpMessages(&plugin, 100);
    HWND editor = GetWindow(hostWindow, GW_CHILD);
    e.Expect(editor != nullptr, "no editor window");
    if (editor == nullptr)
        return;
    // The first block connects the open editor's keyboard to the organ.
    e.Expect(RenderPeak(plugin, 1) < 1e-6f, "sound before a key was pressed");
    const LPARAM lowWhiteKey = MAKELPARAM(18, editorHeight - 15);
    PostMessageA(editor, WM_LBUTTONDOWN, MK_LBUTTON, lowWhiteKey);
    PumpMessages(&plugin, 100);
    e.Expect(RenderPeak(plugin, 4) > 1e-3f, "no sound while the key is held");
    PostMessageA(editor, WM_LBUTTONUP, 0, lowWhiteKey);
    PumpMessages(&plugin, 100);
    plugin.Dispatch(effEditClose);
    plugin.Dispatch(effMainsChanged, 0, 0);
}
} // namespace

void CheckPluginDll(TestRun& run, const char* dllPath)
{
    PluginLibrary library(dllPath);
    run.Check("loads the library", [&](Expectations& e) { e.Expect(library.IsLoaded(), library.Error()); });
    if (!library.IsLoaded())
        return;

    const auto entry = library.Entry("main");
    const auto vstPluginMain = library.Entry("VSTPluginMain");
    run.Check("exports main and VSTPluginMain and nothing else",
              [&](Expectations& e)
              {
                  e.Expect(entry != nullptr && vstPluginMain != nullptr, "both entry points found");
                  auto table = ReadExportTable(static_cast<HMODULE>(library.NativeHandle()));
                  std::sort(table.names.begin(), table.names.end());
                  e.Expect(table.names == std::vector<std::string>{"VSTPluginMain", "main"},
                           Describe("number of exported names", static_cast<long long>(table.names.size())));
                  e.Expect(table.numFunctions == 2,
                           Describe("number of exported functions", table.numFunctions));
              });
    if (entry == nullptr || vstPluginMain == nullptr)
        return;

    run.Check("answers null to a host without a VST version", [&](Expectations& e)
              { e.Expect(!PluginInstance(entry, 0).HasInstance(), "main answered an instance"); });

    auto plugin = std::make_unique<PluginInstance>(entry);
    run.Check("creates an instance that asks for MIDI",
              [&](Expectations& e)
              {
                  e.Expect(plugin->HasInstance(), "main answered null");
                  const int wantMidi = plugin->Callbacks().CountRequests(audioMasterWantMidi);
                  e.Expect(wantMidi == 1, Describe("want-MIDI requests", wantMidi));
              });
    if (!plugin->HasInstance())
        return;
    plugin->Open();

    run.Check("identity", [&](Expectations& e) { CheckIdentity(e, *plugin); });
    run.Check("capabilities", [&](Expectations& e) { CheckCapabilities(e, *plugin); });
    run.Check("renders a note from its offset on", [&](Expectations& e) { CheckRenderedNote(e, *plugin); });
    run.Check("saves the factory bank", [&](Expectations& e) { CheckFactoryBank(e, *plugin); });
    run.Check("restores a saved bank", [&](Expectations& e) { CheckStateRestore(e, *plugin); });
    run.Check("selects programs", [&](Expectations& e) { CheckPrograms(e, *plugin); });

    HWND hostWindow = CreateHostWindow();
    run.Check("reports the editor's size", [&](Expectations& e) { CheckEditorRect(e, *plugin); });
    run.Check("opens the editor as a child of the host's window",
              [&](Expectations& e)
              {
                  e.Expect(plugin->Dispatch(effEditOpen, 0, 0, hostWindow) == 1, "effEditOpen answers 1");
                  PumpMessages(plugin.get(), 300);
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
                  plugin->Dispatch(effEditIdle);
                  e.Expect(GetUpdateRect(editor, nullptr, FALSE) == FALSE,
                           "the idle call left the editor unpainted");
              });
    run.Check("closes the editor",
              [&](Expectations& e)
              {
                  plugin->Dispatch(effEditClose);
                  PumpMessages(plugin.get(), 100);
                  e.Expect(GetWindow(hostWindow, GW_CHILD) == nullptr, "a child window is left");
              });
    run.Check("closes an instance with its editor open",
              [&](Expectations& e)
              {
                  e.Expect(plugin->Dispatch(effEditOpen, 0, 0, hostWindow) == 1, "effEditOpen answers 1");
                  PumpMessages(plugin.get(), 100);
                  e.Expect(GetWindow(hostWindow, GW_CHILD) != nullptr, "no editor window");
                  plugin.reset();
                  PumpMessages(nullptr, 100);
                  e.Expect(GetWindow(hostWindow, GW_CHILD) == nullptr,
                           "the editor window outlived its instance");
              });
    run.Check("unloads",
              [&](Expectations& e)
              {
                  e.Expect(library.Unload(), "FreeLibrary failed");
                  e.Expect(GetModuleHandleA(dllPath) == nullptr, "the library is still mapped");
                  PumpMessages(nullptr, 100);
              });
    PluginLibrary again(dllPath);
    std::unique_ptr<PluginInstance> second;
    run.Check("loads again and creates an instance",
              [&](Expectations& e)
              {
                  e.Expect(again.IsLoaded(), "LoadLibrary failed the second time: " + again.Error());
                  second = std::make_unique<PluginInstance>(again.Entry("VSTPluginMain"));
                  e.Expect(second->HasInstance(), "VSTPluginMain answered null");
              });
    if (second->HasInstance())
    {
        second->Open();
        run.Check("plays a note from the editor's keyboard",
                  [&](Expectations& e) { CheckKeyboardPlaysNote(e, *second, hostWindow); });
        second.reset();
    }
    if (again.IsLoaded())
        run.Check("unloads again", [&](Expectations& e) { e.Expect(again.Unload(), "FreeLibrary failed"); });
    DestroyWindow(hostWindow);
}

} // namespace brumalux
