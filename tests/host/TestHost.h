#pragma once

#include "host/Vst2Interface.h"

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

// A plug-in binary loaded as a host loads it: dlopen, then the exported entry point.
class PluginLibrary
{
public:
    explicit PluginLibrary(const std::string& path);
    ~PluginLibrary();

    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    bool IsLoaded() const { return handle != nullptr; }
    const std::string& Error() const { return error; }
    // The entry point by name ("VSTPluginMain" or "main"); null when not exported.
    vst2::PluginEntryProc Entry(const char* name = "VSTPluginMain") const;

private:
    void* handle = nullptr;
    std::string error;
};

// One request the plug-in sent through the host callback.
struct HostRequest
{
    vst2::VstInt32 opcode;
    vst2::VstInt32 index;
    vst2::VstIntPtr value;
    float opt;
    std::string text; // the query of a can-do request
};

// A small VST 2 host for tests: creates one instance through an entry point, records
// every request the instance sends back, and wraps the calls a DAW makes. Requests may
// arrive on any thread (the plug-in's message loop included); recording is locked.
class TestHost
{
public:
    static constexpr vst2::VstIntPtr defaultVersionAnswer = 2400;

    explicit TestHost(vst2::PluginEntryProc entry, vst2::VstIntPtr versionAnswer = defaultVersionAnswer);
    ~TestHost();

    TestHost(const TestHost&) = delete;
    TestHost& operator=(const TestHost&) = delete;

    vst2::AEffect* Effect() const { return effect; }
    bool HasInstance() const { return effect != nullptr; }

    vst2::VstIntPtr Dispatch(vst2::VstInt32 opcode, vst2::VstInt32 index = 0, vst2::VstIntPtr value = 0,
                             void* ptr = nullptr, float opt = 0.0f);
    // A text request into a large buffer; also checks that the text ends with a zero
    // within maxChars + 1 bytes and that nothing was written past it.
    std::string Text(vst2::VstInt32 opcode, vst2::VstInt32 index, int maxChars);
    void Close();

    void Open() { Dispatch(vst2::effOpen); }
    void Resume(float sampleRate = 44100.0f, int blockSize = 512);
    void Suspend() { Dispatch(vst2::effMainsChanged, 0, 0); }

    // MIDI events as (delta frames, bytes) pairs, delivered in this order.
    struct MidiEvent
    {
        int deltaFrames;
        unsigned char bytes[3];
    };
    vst2::VstIntPtr SendMidi(const std::vector<MidiEvent>& events);

    // Audio on stereo buffers that the host owns.
    using Channels = std::vector<std::vector<float>>;
    void ProcessReplacing(Channels& outputs, int numFrames);
    void ProcessAccumulating(Channels& outputs, int numFrames);

    std::vector<HostRequest> Requests() const;
    int CountRequests(vst2::VstInt32 opcode) const;
    void ClearRequests();
    void SetCanDoAnswer(const std::string& query, vst2::VstIntPtr answer);
    // The answer to every request of this kind (other than version and can-do); 0 unless set.
    void SetAnswer(vst2::VstInt32 opcode, vst2::VstIntPtr answer);
    // Called with every request, on the thread that sent it, before it is recorded (a host's
    // own locking, say). Set it before the plug-in may call back.
    void SetRequestHook(std::function<void(const HostRequest&)> hook) { requestHook = std::move(hook); }

private:
    static vst2::VstIntPtr Callback(vst2::AEffect* effect, vst2::VstInt32 opcode, vst2::VstInt32 index,
                                    vst2::VstIntPtr value, void* ptr, float opt);
    vst2::VstIntPtr Answer(const HostRequest& request) const;
    void Process(vst2::ProcessProc process, Channels& outputs, int numFrames);

    vst2::AEffect* effect = nullptr;
    vst2::VstIntPtr versionAnswer;
    mutable std::mutex mutex;
    std::vector<HostRequest> requests;
    std::map<std::string, vst2::VstIntPtr> canDoAnswers;
    std::map<vst2::VstInt32, vst2::VstIntPtr> answers;
    Channels inputs;
    std::function<void(const HostRequest&)> requestHook;
};

// Threads of this process right now (entries of /proc/self/task).
int CountThreads();
// Whether a library whose path contains this text is mapped into the process.
bool IsMapped(const std::string& pathPart);
