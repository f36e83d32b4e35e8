// The LV2 bundle as Linux hosts (Ardour, Carla, jalv) load it, through Debian's lilv: its ports
// and presets as they are described, its state saved and restored, states and presets of the
// form's first build, who owns a control port's value, and its sound, all held against the VST 2
// plug-in.

#include "LilvHost.h"
#include "vst2host/PluginInstance.h"
#include "vst2host/PluginLibrary.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/midi/midi.h>
#include <lv2/port-groups/port-groups.h>
#include <lv2/ui/ui.h>
#include <lv2/units/units.h>
#include <lv2/urid/urid.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <map>
#include <set>
#include <thread>

namespace brumalux
{

using brumalux::vst2host::PluginInstance;
using brumalux::vst2host::PluginLibrary;

namespace
{
constexpr int numParameters = 27;
constexpr int numPrograms = 10;
constexpr int unusedIndex = 18; // no port: it has no effect
constexpr int blockSize = Lv2Bundle::blockSize;

// The control ports: a contract with hosts and players (jalv -c symbol=value, host presets).
struct ControlPort
{
    const char* symbol;
    int parameter;
    float minimum, maximum;
    const char* unit; // "hz", "ms" or none
    enum Kind
    {
        plain,
        shapes,
        toggle
    } kind;
};
// clang-format off
constexpr ControlPort controlPorts[] = {
    {"osc", 0, 0, 6, "", ControlPort::shapes},
    {"perc_lvl", 1, 0, 1, "", ControlPort::plain},
    {"adsr_att", 2, 5, 500, "ms", ControlPort::plain},
    {"adsr_dec", 3, 5, 500, "ms", ControlPort::plain},
    {"adsr_sus", 4, 0, 1, "", ControlPort::plain},
    {"adsr_rel", 5, 5, 1000, "ms", ControlPort::plain},
    {"drawbar0", 6, 0, 1, "", ControlPort::plain}, {"drawbar1", 7, 0, 1, "", ControlPort::plain},
    {"drawbar2", 8, 0, 1, "", ControlPort::plain}, {"drawbar3", 9, 0, 1, "", ControlPort::plain},
    {"drawbar4", 10, 0, 1, "", ControlPort::plain}, {"drawbar5", 11, 0, 1, "", ControlPort::plain},
    {"drawbar6", 12, 0, 1, "", ControlPort::plain}, {"drawbar7", 13, 0, 1, "", ControlPort::plain},
    {"drawbar8", 14, 0, 1, "", ControlPort::plain},
    {"vibrato", 15, 0, 1, "", ControlPort::plain},
    {"tone", 16, 100, 12000, "hz", ControlPort::plain},
    {"distortion", 17, 1, 10, "", ControlPort::plain},
    {"spkr_on", 19, 0, 1, "", ControlPort::toggle},
    {"spkr1spd", 20, 0.1f, 7, "hz", ControlPort::plain}, {"spkr2spd", 21, 0.1f, 7, "hz", ControlPort::plain},
    {"fspkr1spd", 22, 0.1f, 7, "hz", ControlPort::plain}, {"fspkr2spd", 23, 0.1f, 7, "hz", ControlPort::plain},
    {"spkrdpth", 24, 0, 1, "", ControlPort::plain},
    {"spkrwdth", 25, 0, 1, "", ControlPort::plain},
    {"clck_lvl", 26, 0, 1, "", ControlPort::plain},
};
// clang-format on
constexpr uint32_t firstControlPort = 5;

const char* SymbolOf(int parameter)
{
    for (const auto& port : controlPorts)
        if (port.parameter == parameter)
            return port.symbol;
    return nullptr;
}

// The organ as the VST 2 plug-in shows it: the program selected, and every value in its own units.
struct Organ
{
    int program = -1;
    std::vector<float> values;
};

class LilvPlugin : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE(bundle.Plugin(), nullptr) << "no plug-in " << lv2PluginUri << " in " << BRUMALUX_LV2_BUNDLE;
        ASSERT_TRUE(vst2Library.IsLoaded()) << vst2Library.Error();
    }

    std::unique_ptr<Lv2Organ> Instantiate()
    {
        auto organ = std::make_unique<Lv2Organ>(bundle);
        return organ->IsInstantiated() ? std::move(organ) : nullptr;
    }

    static Organ Read(const PluginInstance& vst2)
    {
        Organ organ{vst2.CurrentProgram(), {}};
        for (int i = 0; i < numParameters; ++i)
            organ.values.push_back(std::stof(vst2.CheckedText(vst2::effGetParamDisplay, i, 64)));
        return organ;
    }

    // The organ that state bytes hold, as the VST 2 plug-in reads them.
    Organ Read(const juce::MemoryBlock& stateBytes)
    {
        PluginInstance vst2(vst2Library.Entry());
        vst2.LoadState({stateBytes.begin(), stateBytes.end()});
        return Read(vst2);
    }

    Organ Program(int number)
    {
        PluginInstance vst2(vst2Library.Entry());
        vst2.SelectProgram(number);
        return Read(vst2);
    }

    Lv2Bundle bundle{BRUMALUX_LV2_BUNDLE};
    PluginLibrary vst2Library{BRUMALUX_PLUGIN};
};

void ExpectSameOrgan(const Organ& expected, const Organ& actual, const char* what)
{
    EXPECT_EQ(expected.program, actual.program) << what;
    ASSERT_EQ(expected.values.size(), actual.values.size()) << what;
    for (size_t i = 0; i < expected.values.size(); ++i)
    {
        if (i != unusedIndex)
        {
            EXPECT_NEAR(expected.values[i], actual.values[i],
                        1e-4f * std::max(1.0f, std::abs(expected.values[i])))
                << what << ", parameter " << i;
        }
    }
}

// One block of the same MIDI through both forms, which must play every sample alike. Answers the
// block's loudest sample, or a negative number when the forms differ.
float PlayBlockInBoth(Lv2Organ& organ, PluginInstance& vst2, const std::vector<Lv2Organ::MidiEvent>& events)
{
    std::vector<PluginInstance::MidiEvent> vst2Events;
    for (const auto& event : events)
        vst2Events.push_back(
            {static_cast<int>(event.frame), {event.bytes[0], event.bytes[1], event.bytes[2]}});
    organ.Render(events);
    vst2.SendMidi(vst2Events);
    vst2.Render(blockSize);
    float loudest = 0.0f;
    for (int channel = 0; channel < 2; ++channel)
        for (int i = 0; i < blockSize; ++i)
        {
            const auto wanted = vst2.Outputs()[static_cast<size_t>(channel)][i];
            const auto played = organ.Output(channel)[static_cast<size_t>(i)];
            if (std::abs(played - wanted) > 1e-6f)
            {
                ADD_FAILURE() << "channel " << channel << ", sample " << i << ": " << played << ", not "
                              << wanted;
                return -1.0f;
            }
            loudest = std::max(loudest, std::abs(wanted));
        }
    return loudest;
}

std::string NodeText(const LilvNode* node)
{
    return node != nullptr ? lilv_node_as_string(node) : "";
}

std::set<std::string> Uris(const LilvNodes* nodes)
{
    std::set<std::string> uris;
    LILV_FOREACH(nodes, i, nodes)
    uris.insert(lilv_node_as_uri(lilv_nodes_get(nodes, i)));
    return uris;
}

TEST_F(LilvPlugin, PortsDescribeEveryParameterInItsOwnUnits)
{
    const auto* plugin = bundle.Plugin();
    ASSERT_EQ(lilv_plugin_get_num_ports(plugin), firstControlPort + std::size(controlPorts))
        << "no latency, bypass or \"Unused\" port";
    struct Fixed
    {
        const char* symbol;
        const char* type;
        bool input;
    };
    const Fixed fixed[] = {{"audio_out_1", LV2_CORE__AudioPort, false},
                           {"audio_out_2", LV2_CORE__AudioPort, false},
                           {"in", LV2_ATOM__AtomPort, true},
                           {"out", LV2_ATOM__AtomPort, false},
                           {"freeWheeling", LV2_CORE__ControlPort, true}};
    const auto input = bundle.Uri(LV2_CORE__InputPort);
    for (uint32_t index = 0; index < std::size(fixed); ++index)
    {
        const auto* port = lilv_plugin_get_port_by_index(plugin, index);
        EXPECT_EQ(NodeText(lilv_port_get_symbol(plugin, port)), fixed[index].symbol);
        EXPECT_TRUE(lilv_port_is_a(plugin, port, bundle.Uri(fixed[index].type).get())) << fixed[index].symbol;
        EXPECT_EQ(lilv_port_is_a(plugin, port, input.get()), fixed[index].input) << fixed[index].symbol;
    }
    EXPECT_TRUE(lilv_port_supports_event(plugin, lilv_plugin_get_port_by_index(plugin, 2),
                                         bundle.Uri(LV2_MIDI__MidiEvent).get()));

    const auto program0 = Program(0);
    const auto unit = bundle.Uri(LV2_UNITS__unit);
    const auto render = bundle.Uri(LV2_UNITS__render);
    const auto group = bundle.Uri(LV2_PORT_GROUPS__group);
    for (uint32_t index = firstControlPort; index < lilv_plugin_get_num_ports(plugin); ++index)
    {
        const auto& expected = controlPorts[index - firstControlPort];
        SCOPED_TRACE(expected.symbol);
        const auto* port = lilv_plugin_get_port_by_index(plugin, index);
        EXPECT_EQ(NodeText(lilv_port_get_symbol(plugin, port)), expected.symbol);
        EXPECT_TRUE(lilv_port_is_a(plugin, port, bundle.Uri(LV2_CORE__ControlPort).get()));
        EXPECT_TRUE(lilv_port_is_a(plugin, port, input.get()));
        LilvNode *defaultValue = nullptr, *minimum = nullptr, *maximum = nullptr;
        lilv_port_get_range(plugin, port, &defaultValue, &minimum, &maximum);
        EXPECT_EQ(lilv_node_as_float(minimum), expected.minimum);
        EXPECT_EQ(lilv_node_as_float(maximum), expected.maximum);
        EXPECT_EQ(lilv_node_as_float(defaultValue), program0.values[static_cast<size_t>(expected.parameter)])
            << "program 0's value";
        lilv_node_free(defaultValue);
        lilv_node_free(minimum);
        lilv_node_free(maximum);

        LilvNodes* units = lilv_port_get_value(plugin, port, unit.get());
        const auto* unitNode = units != nullptr ? lilv_nodes_get_first(units) : nullptr;
        if (std::string(expected.unit) == "hz")
        {
            EXPECT_EQ(NodeText(unitNode), LV2_UNITS__hz);
        }
        else if (std::string(expected.unit) == "ms")
        {
            ASSERT_NE(unitNode, nullptr);
            const LilvNodePtr format(lilv_world_get(bundle.World(), unitNode, render.get(), nullptr),
                                     &lilv_node_free);
            EXPECT_EQ(NodeText(format.get()), "%.0f ms") << "its unit inline, for hosts without lv2-dev";
        }
        else
        {
            EXPECT_EQ(unitNode, nullptr);
        }
        lilv_nodes_free(units);

        const bool enumeration =
            lilv_port_has_property(plugin, port, bundle.Uri(LV2_CORE__enumeration).get());
        const bool toggled = lilv_port_has_property(plugin, port, bundle.Uri(LV2_CORE__toggled).get());
        EXPECT_EQ(enumeration, expected.kind == ControlPort::shapes);
        EXPECT_EQ(toggled, expected.kind == ControlPort::toggle);
        LilvScalePoints* points = lilv_port_get_scale_points(plugin, port);
        std::map<float, std::string> labels;
        LILV_FOREACH(scale_points, i, points)
        {
            const auto* point = lilv_scale_points_get(points, i);
            labels[lilv_node_as_float(lilv_scale_point_get_value(point))] =
                NodeText(lilv_scale_point_get_label(point));
        }
        lilv_scale_points_free(points);
        if (expected.kind == ControlPort::shapes)
        {
            EXPECT_EQ(labels, (std::map<float, std::string>{{0, "Sine"},
                                                            {1, "Organ sine"},
                                                            {2, "Hard organ sine"},
                                                            {3, "Triangle"},
                                                            {4, "Rounded triangle"},
                                                            {5, "Saw"},
                                                            {6, "Square"}}));
        }
        else
        {
            EXPECT_TRUE(labels.empty());
        }
        LilvNodes* groups = lilv_port_get_value(plugin, port, group.get());
        EXPECT_EQ(groups != nullptr ? lilv_nodes_size(groups) : 0u, 1u) << "in a group, as in the editor";
        lilv_nodes_free(groups);
    }
}

TEST_F(LilvPlugin, RequiresOnlyWhatEveryHostOffersAndDeclaresARelease)
{
    const auto* plugin = bundle.Plugin();
    LilvNodes* required = lilv_plugin_get_required_features(plugin);
    EXPECT_EQ(Uris(required), std::set<std::string>{LV2_URID__map});
    lilv_nodes_free(required);

    const LilvNodePtr minor(lilv_world_get(bundle.World(), lilv_plugin_get_uri(plugin),
                                           bundle.Uri(LV2_CORE__minorVersion).get(), nullptr),
                            &lilv_node_free);
    ASSERT_NE(minor, nullptr);
    EXPECT_GT(lilv_node_as_int(minor.get()), 0);
    EXPECT_EQ(lilv_node_as_int(minor.get()) % 2, 0) << "odd minor versions are development versions";

    // The editor: embedded in the host's window, reading the instance directly.
    LilvUIs* uis = lilv_plugin_get_uis(plugin);
    ASSERT_EQ(lilv_uis_size(uis), 1u);
    const auto* ui = lilv_uis_get(uis, lilv_uis_begin(uis));
    lilv_world_load_resource(bundle.World(), lilv_ui_get_uri(ui));
    EXPECT_EQ(NodeText(lilv_ui_get_uri(ui)), std::string(lv2PluginUri) + ":UI");
    EXPECT_TRUE(lilv_ui_is_a(ui, bundle.Uri(LV2_UI__X11UI).get()));
    LilvNodes* uiRequired = lilv_world_find_nodes(bundle.World(), lilv_ui_get_uri(ui),
                                                  bundle.Uri(LV2_CORE__requiredFeature).get(), nullptr);
    EXPECT_EQ(Uris(uiRequired),
              (std::set<std::string>{LV2_INSTANCE_ACCESS_URI, LV2_UI__parent, LV2_UI__idleInterface}));
    lilv_nodes_free(uiRequired);
    lilv_uis_free(uis);
}

// Each preset carries its program's values on the ports and the program's number in its
// state; restored, the organ plays that program as the VST 2 plug-in does (with the noise
// sources, vibrato and speaker off in both: their free-running parts never sound the same twice).
TEST_F(LilvPlugin, EveryPresetSetsItsProgramsValuesAndSound)
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
        // Chosen from another program, as from a host's preset menu.
        vst2.SelectProgram((program + 1) % numPrograms);
        vst2.SelectProgram(program);
        const auto expected = Read(vst2);

        auto organ = Instantiate();
        ASSERT_NE(organ, nullptr);
        const auto preset = bundle.StateFromWorld(presets.at(name));
        ASSERT_NE(preset, nullptr);
        organ->RestoreState(preset.get());
        for (const auto& port : controlPorts)
            EXPECT_FLOAT_EQ(organ->Control(port.symbol), expected.values[static_cast<size_t>(port.parameter)])
                << port.symbol << ": the preset's port value";
        organ->Render();
        vst2.Render(blockSize);
        ExpectSameOrgan(expected, Read(organ->StateBytes()), "the organ");

        for (const auto& [index, value] : deterministic)
        {
            organ->SetControl(SymbolOf(index), value);
            vst2.SetParameter(index, value);
        }
        float loudest = 0.0f;
        for (int block = 0; block < 30; ++block)
        {
            std::vector<Lv2Organ::MidiEvent> chord;
            for (const uint8_t note : {57, 64, 69})
                if (block == 0 || block == 20)
                    chord.push_back({note, {static_cast<uint8_t>(block == 0 ? 0x90 : 0x80), note, 100}});
            const float blockLoudest = PlayBlockInBoth(*organ, vst2, chord);
            ASSERT_GE(blockLoudest, 0.0f) << "block " << block;
            loudest = std::max(loudest, blockLoudest);
        }
        EXPECT_GT(loudest, 0.01f) << "the chord sounded";
    }
}

// The demo song through both forms, from the same state: every sample alike. The speaker and
// every noise source are off (see above); the state has edits on two programs.
TEST_F(LilvPlugin, PlaysAMidiFileAsTheVst2PluginDoes)
{
    juce::MidiFile song;
    juce::FileInputStream file(juce::File(BRUMALUX_DEMO_MIDI));
    ASSERT_TRUE(song.readFrom(file));
    song.convertTimestampTicksToSeconds();
    juce::MidiMessageSequence events;
    for (int track = 0; track < song.getNumTracks(); ++track)
        events.addSequence(*song.getTrack(track), 0.0);
    events.sort();

    PluginInstance vst2(vst2Library.Entry());
    vst2.SelectProgram(2);
    for (const auto& [index, value] : std::vector<std::pair<int, float>>{
             {19, 0.0f}, {26, 0.0f}, {1, 0.0f}, {15, 0.0f}, {16, 0.4f}, {9, 0.8f}})
        vst2.SetParameter(index, value);
    const auto state = vst2.State();
    auto organ = Instantiate();
    ASSERT_NE(organ, nullptr);
    organ->RestoreStateBytes(juce::MemoryBlock(state.data(), state.size()));
    organ->Render();
    vst2.Resume(Lv2Bundle::sampleRate, blockSize);
    vst2.Render(blockSize);

    const int numBlocks =
        static_cast<int>(std::min(12.0, events.getEndTime() + 1.0) * Lv2Bundle::sampleRate) / blockSize;
    int next = 0;
    float loudest = 0.0f;
    for (int block = 0; block < numBlocks; ++block)
    {
        std::vector<Lv2Organ::MidiEvent> blockEvents;
        for (; next < events.getNumEvents(); ++next)
        {
            const auto& message = events.getEventPointer(next)->message;
            const auto sample =
                static_cast<int>(message.getTimeStamp() * Lv2Bundle::sampleRate) - block * blockSize;
            if (sample >= blockSize)
                break;
            if (message.getRawDataSize() > 3 || message.isMetaEvent())
                continue;
            Lv2Organ::MidiEvent event{static_cast<uint32_t>(sample), {}};
            std::copy_n(message.getRawData(), message.getRawDataSize(), event.bytes);
            blockEvents.push_back(event);
        }
        const float blockLoudest = PlayBlockInBoth(*organ, vst2, blockEvents);
        ASSERT_GE(blockLoudest, 0.0f) << "block " << block;
        loudest = std::max(loudest, blockLoudest);
    }
    EXPECT_GT(loudest, 0.01f) << "the song sounded";
}

// Saved from one instance, written out as the text a host puts into its project, read back and
// restored into a new instance: once while that one is idle, once while its audio thread renders.
// A state that is no organ's changes nothing.
TEST_F(LilvPlugin, SavedStateRestoresIntoANewInstance)
{
    auto source = Instantiate();
    ASSERT_NE(source, nullptr);
    source->Render({{0, {0xC0, 4, 0}}});
    for (const auto& [symbol, value] : std::vector<std::pair<const char*, float>>{
             {"tone", 2500.0f}, {"drawbar2", 0.75f}, {"adsr_att", 250.0f}})
        source->SetControl(symbol, value);
    source->Render();
    const auto saved = source->SaveState();
    ASSERT_NE(saved, nullptr);
    const auto fromText = bundle.ThroughText(saved.get());
    ASSERT_NE(fromText, nullptr);
    const auto edited = source->StateBytes();
    EXPECT_EQ(Read(edited).program, 4);
    EXPECT_EQ(Read(edited).values[16], 2500.0f);

    for (const bool whileRendering : {false, true})
    {
        SCOPED_TRACE(whileRendering ? "while rendering" : "while idle");
        auto target = Instantiate();
        ASSERT_NE(target, nullptr);
        target->Render();
        std::atomic<bool> stop{false};
        std::atomic<int> blocks{0};
        std::thread audio;
        if (whileRendering)
            audio = std::thread(
                [&]
                {
                    for (uint8_t note = 48; !stop;
                         note = static_cast<uint8_t>(note < 72 ? note + 1 : 48), ++blocks)
                        target->Render({{0, {0x90, note, 100}}, {blockSize / 2, {0x80, note, 0}}});
                });
        while (whileRendering && blocks < 5)
            std::this_thread::yield();
        target->RestoreState(fromText.get());
        stop = true;
        if (audio.joinable())
            audio.join();
        target->Render();
        EXPECT_EQ(target->StateBytes(), edited) << "the restored instance saves what was saved";
    }

    juce::MemoryBlock foreign;
    for (int i = 0; i < 600; ++i)
        foreign.append("junk", 4);
    source->RestoreStateBytes(foreign);
    source->Render();
    EXPECT_EQ(source->StateBytes(), edited);

    // Damaged text, as a damaged project holds it: refused, and nothing changes.
    const auto savedText = edited.toBase64Encoding().toStdString();
    const auto characters = savedText.substr(savedText.find('.'));
    for (const auto& damaged :
         {"-1" + characters, "0" + characters, "4294967295" + characters, "99999999999" + characters,
          std::to_string(edited.getSize() + 10) + characters, "+5" + characters,
          savedText.substr(0, savedText.find('.')), savedText + "\xc3\x28", std::string()})
    {
        SCOPED_TRACE(damaged.substr(0, 24));
        source->RestoreStateText(damaged);
        source->Render();
        EXPECT_EQ(source->StateBytes(), edited);
    }
}

// Projects and presets saved with the form's first build (JUCE's LV2 client) load with nothing
// lost (tests/formats/data/README.md says how they were made).
TEST_F(LilvPlugin, StatesAndPresetsOfTheFirstBuildLoad)
{
    const auto data = juce::File(BRUMALUX_TEST_DATA);
    const auto stateText = data.getChildFile("juce-lv2-state/state.ttl").loadFileAsString();
    juce::MemoryBlock firstBuildBytes;
    ASSERT_TRUE(
        firstBuildBytes.fromBase64Encoding(stateText.fromFirstOccurrenceOf(":StateString> \"", false, false)
                                               .upToFirstOccurrenceOf("\"", false, false)));

    auto organ = Instantiate();
    ASSERT_NE(organ, nullptr);
    const LilvStatePtr state(
        lilv_state_new_from_file(bundle.World(), bundle.Urids().MapFeature(), nullptr,
                                 data.getChildFile("juce-lv2-state/state.ttl").getFullPathName().toRawUTF8()),
        &lilv_state_free);
    ASSERT_NE(state, nullptr);
    organ->RestoreState(state.get());
    organ->Render();
    const auto bytes = organ->StateBytes();
    EXPECT_EQ(bytes, firstBuildBytes) << "saved again as it was";
    // Program 6 chosen by MIDI, ADSR Rel at 0.25 and the speaker off there; program 0's edits kept.
    auto expected = Program(6);
    expected.values[5] = 5.0f + 0.25f * 995.0f;
    expected.values[19] = 0.0f;
    ExpectSameOrgan(expected, Read(bytes), "program 6 as saved");
    PluginInstance vst2(vst2Library.Entry());
    vst2.LoadState({bytes.begin(), bytes.end()});
    vst2.SelectProgram(0);
    EXPECT_FLOAT_EQ(vst2.Parameter(9), 0.125f);
    EXPECT_FLOAT_EQ(vst2.Parameter(16), 0.5f);

    // Its preset "Organ pad": program 3 with its factory values, the other programs as they were.
    organ->Render({{0, {0xC0, 3, 0}}});
    organ->SetControl("drawbar5", 0.0f);
    organ->Render();
    const LilvStatePtr preset(
        lilv_state_new_from_file(bundle.World(), bundle.Urids().MapFeature(),
                                 bundle.Uri("urn:brumalux:juce-lv2-preset").get(),
                                 data.getChildFile("juce-lv2-preset.ttl").getFullPathName().toRawUTF8()),
        &lilv_state_free);
    ASSERT_NE(preset, nullptr);
    organ->RestoreState(preset.get());
    organ->Render();
    ExpectSameOrgan(Program(3), Read(organ->StateBytes()), "program 3 as shipped");
    const auto after = organ->StateBytes();
    vst2.LoadState({after.begin(), after.end()});
    vst2.SelectProgram(0);
    EXPECT_FLOAT_EQ(vst2.Parameter(9), 0.125f) << "program 0 keeps its edit";
}

// The host owns the control ports: a port it moves reaches the organ with the next block; what
// MIDI changes (a Program Change, a mapped controller) sounds at once and holds until the host
// moves that port again.
TEST_F(LilvPlugin, PortsTheHostMovesApplyAndMidiChangesHold)
{
    auto organ = Instantiate();
    ASSERT_NE(organ, nullptr);
    organ->Render();
    organ->SetControl("tone", 5000.0f);
    organ->Render();
    EXPECT_EQ(Read(organ->StateBytes()).values[16], 5000.0f) << "the next block took the port";

    // Controller 70 drives DrawBar0 (the default map); the port stays where the host has it.
    organ->Render({{0, {0xB0, 70, 0}}});
    for (int block = 0; block < 3; ++block)
        organ->Render();
    EXPECT_EQ(Read(organ->StateBytes()).values[6], 0.0f) << "the controller's value holds";
    EXPECT_EQ(organ->Control("drawbar0"), 1.0f);
    organ->SetControl("drawbar0", 0.5f);
    organ->Render();
    EXPECT_EQ(Read(organ->StateBytes()).values[6], 0.5f) << "until the host moves the port";

    organ->Render({{0, {0xC0, 6, 0}}});
    for (int block = 0; block < 3; ++block)
        organ->Render();
    ExpectSameOrgan(Program(6), Read(organ->StateBytes()), "program 6 from MIDI, against stale ports");
    organ->SetControl("tone", 3000.0f);
    organ->Render();
    auto expected = Program(6);
    expected.values[16] = 3000.0f;
    ExpectSameOrgan(expected, Read(organ->StateBytes()), "one port moved on program 6");
}

// A project reopened as hosts reopen one (the ports set from the project, then the state): it
// sounds as saved, after a Program Change made by MIDI with no editor open (the ports the host
// saved are stale) and with automation that holds a port at one value from the start.
TEST_F(LilvPlugin, AReopenedProjectSoundsAsSaved)
{
    struct Session
    {
        const char* what;
        std::vector<Lv2Organ::MidiEvent> midi;
        std::vector<std::pair<const char*, float>> automation;
    };
    for (const auto& session : {Session{"a Program Change from MIDI", {{0, {0xC0, 6, 0}}}, {}},
                                Session{"constant automation", {}, {{"drawbar3", 0.3f}, {"tone", 2000.0f}}}})
    {
        SCOPED_TRACE(session.what);
        auto source = Instantiate();
        ASSERT_NE(source, nullptr);
        auto play = [&session](Lv2Organ& organ)
        {
            for (int block = 0; block < 4; ++block)
            {
                for (const auto& [symbol, value] : session.automation)
                    organ.SetControl(symbol, value);
                organ.Render(block == 0 ? session.midi : std::vector<Lv2Organ::MidiEvent>{});
            }
        };
        play(*source);
        const auto savedBytes = source->StateBytes();
        const auto project = bundle.ThroughText(source->SaveState().get());
        ASSERT_NE(project, nullptr);

        auto reopened = Instantiate();
        ASSERT_NE(reopened, nullptr);
        reopened->RestoreState(project.get());
        play(*reopened);
        EXPECT_EQ(reopened->StateBytes(), savedBytes);
    }
}

// Changes outside the ports (here a Program Change from MIDI, which selects another program of
// the state) reach the host as state:StateChanged, so it takes the project as modified; a
// restored state is the host's own doing and is not reported back.
TEST_F(LilvPlugin, TellsTheHostWhenTheStateChangesBehindItsPorts)
{
    auto organ = Instantiate();
    ASSERT_NE(organ, nullptr);
    auto renderFor = [&](std::chrono::milliseconds span, const std::function<bool()>& done)
    {
        const auto until = std::chrono::steady_clock::now() + span;
        while (!done() && std::chrono::steady_clock::now() < until)
        {
            organ->Render();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return done();
    };
    organ->RestoreState(bundle.StateFromWorld(bundle.Presets().at("Rock Organ")).get());
    renderFor(std::chrono::milliseconds(300), [] { return false; });
    EXPECT_EQ(organ->StateChangesSeen(), 0) << "a restored preset is no change of the user's";

    organ->Render({{0, {0xC0, 5, 0}}});
    EXPECT_TRUE(renderFor(std::chrono::seconds(10), [&] { return organ->StateChangesSeen() > 0; }));
}
} // namespace

} // namespace brumalux
