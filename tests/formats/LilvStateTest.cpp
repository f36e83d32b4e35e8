// LV2 hosts (Ardour, Carla, jalv) save and restore a plug-in's state, and load its presets,
// through lilv's state interface. The bundle, hosted with Debian's lilv as they host it, held
// against the VST 2 plug-in on the same program.

#include "LilvHost.h"
#include "vst2host/PluginInstance.h"
#include "vst2host/PluginLibrary.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

namespace brumalux
{

using brumalux::vst2host::PluginInstance;
using brumalux::vst2host::PluginLibrary;

namespace
{
constexpr int numParameters = 27;
constexpr int numPrograms = 10;
constexpr int unusedIndex = 18; // rewritten by the engine from "Distortion" at every block
constexpr int blockSize = Lv2Bundle::blockSize;

// A state freed when it goes out of scope.
using State = std::unique_ptr<LilvState, decltype(&lilv_state_free)>;

class LilvHosting : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE(bundle.Plugin(), nullptr) << "no plug-in " << pluginUri << " in " << BRUMALUX_LV2_BUNDLE;
        ASSERT_TRUE(vst2Library.IsLoaded()) << vst2Library.Error();
        // The organ's parameters in the VST 2 plug-in's order, by the names it gives (cut to 8).
        const PluginInstance vst2(vst2Library.Entry());
        for (int i = 0; i < numParameters; ++i)
            for (const auto& parameter : bundle.Parameters())
                if (parameter.label.substr(0, 8) == vst2.CheckedText(vst2::effGetParamName, i, 8))
                    properties.push_back(parameter.property);
        ASSERT_EQ(properties.size(), static_cast<size_t>(numParameters)) << "every organ parameter, by name";
    }

    std::unique_ptr<Lv2Organ> Instantiate()
    {
        auto organ = std::make_unique<Lv2Organ>(bundle);
        return organ->IsInstantiated() ? std::move(organ) : nullptr;
    }

    // The parameters as the LV2 host has them, in the VST 2 plug-in's order, "Unused" left out.
    std::vector<float> HostValues(Lv2Organ& organ)
    {
        const auto view = organ.HostView();
        std::vector<float> values;
        for (int i = 0; i < numParameters; ++i)
            values.push_back(i == unusedIndex ? 0.0f : view.at(properties[static_cast<size_t>(i)]));
        return values;
    }

    static std::vector<float> Vst2Values(const PluginInstance& vst2)
    {
        std::vector<float> values;
        for (int i = 0; i < numParameters; ++i)
            values.push_back(i == unusedIndex ? 0.0f : vst2.Parameter(i));
        return values;
    }

    static constexpr const char* pluginUri = "https://quellmark.music/plugins/brumalux";
    Lv2Bundle bundle{BRUMALUX_LV2_BUNDLE, pluginUri};
    PluginLibrary vst2Library{BRUMALUX_PLUGIN};
    std::vector<LV2_URID> properties; // by VST 2 index
};

void ExpectNear(const std::vector<float>& expected, const std::vector<float>& actual, const char* what)
{
    ASSERT_EQ(expected.size(), actual.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_NEAR(expected[i], actual[i], 1e-6f) << what << ", parameter " << i;
}

// Saved from one instance, written out as the text a host puts into its project, read back
// and restored into a new instance: once while that one is idle, once while its audio
// thread renders.
TEST_F(LilvHosting, SavedStateRestoresIntoANewInstance)
{
    auto source = Instantiate();
    ASSERT_NE(source, nullptr);
    const std::vector<std::pair<int, float>> edits{{16, 0.25f}, {8, 0.75f}, {2, 0.5f}, {26, 0.0f}};
    for (const auto& [index, value] : edits)
        source->SetParameter(properties[static_cast<size_t>(index)], value);
    source->Render();
    source->Render();
    const auto edited = HostValues(*source);

    const State saved(source->SaveState(), &lilv_state_free);
    ASSERT_NE(saved, nullptr);
    auto& urids = bundle.Urids();
    char* text = lilv_state_to_string(bundle.World(), urids.MapFeature(), urids.UnmapFeature(), saved.get(),
                                      "urn:brumalux:test-state", nullptr);
    ASSERT_NE(text, nullptr);
    const State fromText(lilv_state_new_from_string(bundle.World(), urids.MapFeature(), text),
                         &lilv_state_free);
    lilv_free(text);
    ASSERT_NE(fromText, nullptr);

    for (const bool whileRendering : {false, true})
    {
        SCOPED_TRACE(whileRendering ? "while rendering" : "while idle");
        auto target = Instantiate();
        ASSERT_NE(target, nullptr);
        target->Render();
        {
            std::atomic<bool> stop{false};
            std::thread audio;
            if (whileRendering)
                audio = std::thread(
                    [&]
                    {
                        for (uint8_t note = 48; !stop; note = static_cast<uint8_t>(note < 72 ? note + 1 : 48))
                            target->Render({{0, {0x90, note, 100}}, {blockSize / 2, {0x80, note, 0}}});
                    });
            target->RestoreState(fromText.get());
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            stop = true;
            if (audio.joinable())
                audio.join();
        }
        target->Render();
        ExpectNear(edited, HostValues(*target), "as the host sees it");
        const State restored(target->SaveState(), &lilv_state_free);
        EXPECT_TRUE(lilv_state_equals(restored.get(), saved.get()))
            << "the restored instance saves what was saved";
    }
}

// Each preset, loaded by its URI as hosts list them: the host sees the program's values,
// and with the noise sources, vibrato and speaker switched off in both (their random and
// free-running parts never sound the same twice) the organ plays every sample as the VST 2
// plug-in does on that program.
TEST_F(LilvHosting, EveryPresetLoadsItsProgram)
{
    const auto presets = bundle.Presets();
    ASSERT_EQ(presets.size(), static_cast<size_t>(numPrograms));
    const std::vector<std::pair<int, float>> deterministic{{19, 0.0f}, {26, 0.0f}, {1, 0.0f}, {15, 0.0f}};
    for (int program = 0; program < numPrograms; ++program)
    {
        PluginInstance vst2(vst2Library.Entry());
        const auto name = vst2.CheckedText(vst2::effGetProgramNameIndexed, program, 24);
        SCOPED_TRACE(name);
        ASSERT_EQ(presets.count(name), 1u) << "a preset named after the program";
        vst2.Resume(Lv2Bundle::sampleRate, blockSize);
        vst2.SelectProgram(program);

        auto organ = Instantiate();
        ASSERT_NE(organ, nullptr);
        const auto uri = std::unique_ptr<LilvNode, decltype(&lilv_node_free)>(
            lilv_new_uri(bundle.World(), presets.at(name).c_str()), &lilv_node_free);
        const State preset(lilv_state_new_from_world(bundle.World(), bundle.Urids().MapFeature(), uri.get()),
                           &lilv_state_free);
        ASSERT_NE(preset, nullptr);
        organ->RestoreState(preset.get());
        organ->Render();
        vst2.Render(blockSize);
        ExpectNear(Vst2Values(vst2), HostValues(*organ), "the program's values");

        for (const auto& [index, value] : deterministic)
        {
            organ->SetParameter(properties[static_cast<size_t>(index)], value);
            vst2.SetParameter(index, value);
        }
        float loudest = 0.0f;
        for (int block = 0; block < 30; ++block)
        {
            std::vector<Lv2Organ::MidiEvent> lv2Events;
            std::vector<PluginInstance::MidiEvent> vst2Events;
            for (const uint8_t note : {57, 64, 69})
            {
                const uint8_t status = block == 0 ? 0x90 : 0x80;
                if (block == 0 || block == 20)
                {
                    lv2Events.push_back({note, {status, note, 100}});
                    vst2Events.push_back({note, {status, note, 100}});
                }
            }
            organ->Render(lv2Events);
            vst2.SendMidi(vst2Events);
            vst2.Render(blockSize);
            for (int channel = 0; channel < 2; ++channel)
                for (int i = 0; i < blockSize; ++i)
                {
                    const auto expected = vst2.Outputs()[static_cast<size_t>(channel)][i];
                    loudest = std::max(loudest, std::abs(expected));
                    ASSERT_NEAR(organ->Output(channel)[static_cast<size_t>(i)], expected, 1e-6f)
                        << "block " << block << ", channel " << channel << ", sample " << i;
                }
        }
        EXPECT_GT(loudest, 0.01f) << "the chord sounded";
    }
}
} // namespace

} // namespace brumalux
