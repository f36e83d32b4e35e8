#pragma once

#include "FakeInstrument.h"
#include "host/JuceVSTWrapper.h"
#include "host/SharedMessageThread.h"

#include <mutex>
#include <vector>

// Records host requests from instances created in this process. One recorder at a time.
struct RecordedRequests
{
    struct Request
    {
        vst2::VstInt32 opcode;
        vst2::VstInt32 index;
        vst2::VstIntPtr value;
        float opt;
    };

    static vst2::VstIntPtr Callback(vst2::AEffect*, vst2::VstInt32 opcode, vst2::VstInt32 index,
                                    vst2::VstIntPtr value, void*, float opt)
    {
        const std::lock_guard<std::mutex> lock(mutex);
        requests.push_back({opcode, index, value, opt});
        return opcode == vst2::audioMasterVersion ? 2400 : 0;
    }

    static int Count(vst2::VstInt32 opcode)
    {
        const std::lock_guard<std::mutex> lock(mutex);
        int count = 0;
        for (const auto& request : requests)
            count += request.opcode == opcode ? 1 : 0;
        return count;
    }

    static void Clear()
    {
        const std::lock_guard<std::mutex> lock(mutex);
        requests.clear();
    }

    static inline std::mutex mutex;
    static inline std::vector<Request> requests;
};

// A wrapper around a fake instrument with the given options, created and closed as the
// entry point and effClose do.
inline vst2::AEffect* CreateWrapped(FakeInstrument::Options options)
{
    const ScopedHostMessageThread messageThread;
    auto* wrapper =
        new JuceVSTWrapper(&RecordedRequests::Callback, std::make_unique<FakeInstrument>(options));
    return wrapper->GetEffect();
}

inline vst2::VstIntPtr Dispatch(vst2::AEffect* effect, vst2::VstInt32 opcode, vst2::VstInt32 index = 0,
                                vst2::VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f)
{
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

inline void Close(vst2::AEffect* effect)
{
    Dispatch(effect, vst2::effClose);
}
