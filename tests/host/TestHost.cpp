#include "TestHost.h"

#include <dirent.h>
#include <dlfcn.h>

#include <cstring>
#include <fstream>

namespace
{
// The host callback has no user pointer; requests are routed by effect record, and those
// sent before the record exists (the version request) go to the host being created.
std::mutex registryMutex;
std::map<vst2::AEffect*, TestHost*> hostsByEffect;
thread_local TestHost* hostBeingCreated = nullptr;

constexpr char sentinel = 0x7f;
} // namespace

PluginLibrary::PluginLibrary(const std::string& path)
{
    handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr)
        error = dlerror();
}

PluginLibrary::~PluginLibrary()
{
    if (handle != nullptr)
        dlclose(handle);
}

vst2::PluginEntryProc PluginLibrary::Entry(const char* name) const
{
    if (handle == nullptr)
        return nullptr;
    return reinterpret_cast<vst2::PluginEntryProc>(dlsym(handle, name));
}

TestHost::TestHost(vst2::PluginEntryProc entry, vst2::VstIntPtr versionAnswerToGive)
    : versionAnswer(versionAnswerToGive),
      inputs(2)
{
    hostBeingCreated = this;
    auto* created = entry != nullptr ? entry(&Callback) : nullptr;
    {
        const std::lock_guard<std::mutex> lock(registryMutex);
        if (created != nullptr)
            hostsByEffect[created] = this;
        effect = created;
    }
    hostBeingCreated = nullptr;
}

TestHost::~TestHost()
{
    Close();
}

void TestHost::Close()
{
    if (effect == nullptr)
        return;
    effect->dispatcher(effect, vst2::effClose, 0, 0, nullptr, 0.0f);
    const std::lock_guard<std::mutex> lock(registryMutex);
    hostsByEffect.erase(effect);
    effect = nullptr;
}

vst2::VstIntPtr TestHost::Callback(vst2::AEffect* effect, vst2::VstInt32 opcode, vst2::VstInt32 index,
                                   vst2::VstIntPtr value, void* ptr, float opt)
{
    TestHost* host = nullptr;
    {
        const std::lock_guard<std::mutex> lock(registryMutex);
        const auto found = hostsByEffect.find(effect);
        host = found != hostsByEffect.end() ? found->second : hostBeingCreated;
    }
    if (host == nullptr)
        return 0;
    HostRequest request{opcode, index, value, opt, {}};
    if (opcode == vst2::audioMasterCanDo && ptr != nullptr)
        request.text = static_cast<const char*>(ptr);
    if (host->requestHook)
        host->requestHook(request);
    {
        const std::lock_guard<std::mutex> lock(host->mutex);
        host->requests.push_back(request);
    }
    return host->Answer(request);
}

vst2::VstIntPtr TestHost::Answer(const HostRequest& request) const
{
    switch (request.opcode)
    {
        case vst2::audioMasterVersion:
            return versionAnswer;
        case vst2::audioMasterCanDo:
        {
            const std::lock_guard<std::mutex> lock(mutex);
            const auto found = canDoAnswers.find(request.text);
            return found != canDoAnswers.end() ? found->second : 0;
        }
        default:
        {
            const std::lock_guard<std::mutex> lock(mutex);
            const auto found = answers.find(request.opcode);
            return found != answers.end() ? found->second : 0;
        }
    }
}

vst2::VstIntPtr TestHost::Dispatch(vst2::VstInt32 opcode, vst2::VstInt32 index, vst2::VstIntPtr value,
                                   void* ptr, float opt)
{
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

std::string TestHost::Text(vst2::VstInt32 opcode, vst2::VstInt32 index, int maxChars)
{
    std::vector<char> buffer(512, sentinel);
    Dispatch(opcode, index, 0, buffer.data());
    const auto* end =
        static_cast<const char*>(std::memchr(buffer.data(), 0, static_cast<size_t>(maxChars) + 1));
    if (end == nullptr)
        return "<no zero within the limit>";
    for (auto i = static_cast<size_t>(end - buffer.data()) + 1; i < buffer.size(); ++i)
        if (buffer[i] != sentinel)
            return "<written past the zero>";
    return std::string(static_cast<const char*>(buffer.data()), end);
}

void TestHost::Resume(float sampleRate, int blockSize)
{
    Dispatch(vst2::effSetSampleRate, 0, 0, nullptr, sampleRate);
    Dispatch(vst2::effSetBlockSize, 0, blockSize);
    Dispatch(vst2::effMainsChanged, 0, 1);
}

vst2::VstIntPtr TestHost::SendMidi(const std::vector<MidiEvent>& events)
{
    std::vector<vst2::VstMidiEvent> records(events.size());
    std::vector<vst2::VstIntPtr> list(2 + events.size()); // numEvents, reserved, pointers
    auto* header = reinterpret_cast<vst2::VstEvents*>(list.data());
    header->numEvents = static_cast<vst2::VstInt32>(events.size());
    auto** pointers = reinterpret_cast<vst2::VstEvent**>(list.data() + 2);
    for (size_t i = 0; i < events.size(); ++i)
    {
        records[i] = {};
        records[i].type = vst2::kVstMidiType;
        records[i].byteSize = sizeof(vst2::VstMidiEvent);
        records[i].deltaFrames = events[i].deltaFrames;
        std::memcpy(records[i].midiData, events[i].bytes, 3);
        pointers[i] = reinterpret_cast<vst2::VstEvent*>(&records[i]);
    }
    return Dispatch(vst2::effProcessEvents, 0, 0, header);
}

void TestHost::Process(vst2::ProcessProc process, Channels& outputs, int numFrames)
{
    for (auto& channel : inputs)
        channel.assign(static_cast<size_t>(std::max(numFrames, 0)), 0.0f);
    std::vector<float*> inputPointers{inputs[0].data(), inputs[1].data()};
    std::vector<float*> outputPointers;
    for (auto& channel : outputs)
        outputPointers.push_back(channel.data());
    process(effect, inputPointers.data(), outputPointers.data(), numFrames);
}

void TestHost::ProcessReplacing(Channels& outputs, int numFrames)
{
    Process(effect->processReplacing, outputs, numFrames);
}

void TestHost::ProcessAccumulating(Channels& outputs, int numFrames)
{
    Process(effect->process, outputs, numFrames);
}

std::vector<HostRequest> TestHost::Requests() const
{
    const std::lock_guard<std::mutex> lock(mutex);
    return requests;
}

int TestHost::CountRequests(vst2::VstInt32 opcode) const
{
    const std::lock_guard<std::mutex> lock(mutex);
    int count = 0;
    for (const auto& request : requests)
        count += request.opcode == opcode ? 1 : 0;
    return count;
}

void TestHost::ClearRequests()
{
    const std::lock_guard<std::mutex> lock(mutex);
    requests.clear();
}

void TestHost::SetCanDoAnswer(const std::string& query, vst2::VstIntPtr answer)
{
    const std::lock_guard<std::mutex> lock(mutex);
    canDoAnswers[query] = answer;
}

void TestHost::SetAnswer(vst2::VstInt32 opcode, vst2::VstIntPtr answer)
{
    const std::lock_guard<std::mutex> lock(mutex);
    answers[opcode] = answer;
}

int CountThreads()
{
    int count = 0;
    if (auto* directory = opendir("/proc/self/task"))
    {
        while (auto* entry = readdir(directory))
            count += entry->d_name[0] != '.' ? 1 : 0;
        closedir(directory);
    }
    return count;
}

bool IsMapped(const std::string& pathPart)
{
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line))
        if (line.find(pathPart) != std::string::npos)
            return true;
    return false;
}
