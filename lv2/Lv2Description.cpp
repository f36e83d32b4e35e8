#include "Lv2Description.h"

#include "Lv2Identity.h"
#include "Lv2Ports.h"
#include "hostcore/ProductIdentity.h"
#include "params/FactoryPrograms.h"
#include "params/LittleEndian.h"
#include "params/ParameterPresentation.h"
#include "params/QuellmarkFilterBase.h"

#include <array>
#include <charconv>

namespace brumalux
{

namespace Lv2Description
{
namespace
{
using Style = ParameterPresentation::Style;
namespace P = ParameterIndex;

constexpr const char* prefixes = R"(@prefix atom:  <http://lv2plug.in/ns/ext/atom#> .
@prefix bufsz: <http://lv2plug.in/ns/ext/buf-size#> .
@prefix doap:  <http://usefulinc.com/ns/doap#> .
@prefix foaf:  <http://xmlns.com/foaf/0.1/> .
@prefix lv2:   <http://lv2plug.in/ns/lv2core#> .
@prefix midi:  <http://lv2plug.in/ns/ext/midi#> .
@prefix opts:  <http://lv2plug.in/ns/ext/options#> .
@prefix pg:    <http://lv2plug.in/ns/ext/port-groups#> .
@prefix pprop: <http://lv2plug.in/ns/ext/port-props#> .
@prefix pset:  <http://lv2plug.in/ns/ext/presets#> .
@prefix rdf:   <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .
@prefix rdfs:  <http://www.w3.org/2000/01/rdf-schema#> .
@prefix state: <http://lv2plug.in/ns/ext/state#> .
@prefix ui:    <http://lv2plug.in/ns/extensions/ui#> .
@prefix units: <http://lv2plug.in/ns/extensions/units#> .
@prefix urid:  <http://lv2plug.in/ns/ext/urid#> .
@prefix xsd:   <http://www.w3.org/2001/XMLSchema#> .

)";

struct Group
{
    const char* symbol;
    const char* name;
};

// The port groups, as the editor groups its controls.
constexpr std::array<Group, 5> groups{{{"voice", "Voice"},
                                       {"envelope", "Envelope"},
                                       {"drawbars", "Drawbars"},
                                       {"overdrive", "Overdrive and vibrato"},
                                       {"speaker", "Speaker"}}};

const Group& GroupOf(int parameter)
{
    if (parameter >= P::attack && parameter <= P::release)
        return groups[1];
    if (parameter >= P::drawbar0 && parameter <= P::drawbar8)
        return groups[2];
    if (parameter >= P::vibrato && parameter <= P::distortion)
        return groups[3];
    if (parameter >= P::speakerOn && parameter <= P::speakerWidth)
        return groups[4];
    return groups[0];
}

// The shortest text that reads back as the same float, with a "." whatever the locale, always a
// decimal (Turtle reads a number without a point or an exponent as an integer).
std::string Number(float value)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof(text), value);
    std::string number(text, result.ptr);
    if (number.find_first_of(".e") == std::string::npos)
        number += ".0";
    return number;
}

std::string Quoted(const std::string& text)
{
    std::string quoted = "\"";
    for (const char character : text)
    {
        if (character == '"' || character == '\\')
            quoted += '\\';
        quoted += character;
    }
    return quoted + "\"";
}

std::string Uri(const std::string& uri)
{
    return "<" + uri + ">";
}

std::string GroupUri(const Group& group)
{
    return Uri(std::string(Lv2Identity::groupUriPrefix) + group.symbol);
}

std::string PresetUri(int program)
{
    return Uri(Lv2Identity::presetUriPrefix + std::to_string(program + 1));
}

std::string Symbol(QuellmarkFilterBase& organ, int parameter)
{
    return ParameterPresentation::Symbol(organ.GetParameterName(parameter)).toStdString();
}

// The unit, as hosts without the units ontology (players do not install lv2-dev) can still read
// it: hertz by its well-known URI, anything else inline with its render format.
std::string UnitOf(int parameter)
{
    switch (ParameterPresentation::StyleOf(parameter))
    {
        case Style::hertz:
            return "\t\tunits:unit units:hz ;\n";
        case Style::milliseconds:
            return "\t\tunits:unit [ a units:Unit ; rdfs:label \"milliseconds\" ; units:symbol \"ms\" ; "
                   "units:render \"%.0f ms\" ] ;\n";
        default:
            return {};
    }
}

std::string PropertiesOf(int parameter)
{
    switch (ParameterPresentation::StyleOf(parameter))
    {
        case Style::shape:
        {
            std::string text = "\t\tlv2:portProperty lv2:integer , lv2:enumeration ;\n";
            for (int shape = 0; shape < ParameterPresentation::numShapes; ++shape)
                text += "\t\tlv2:scalePoint [ rdfs:label " + Quoted(ParameterPresentation::ShapeName(shape)) +
                        " ; rdf:value " + std::to_string(shape) + " ] ;\n";
            return text;
        }
        case Style::onOff:
            return "\t\tlv2:portProperty lv2:toggled ;\n";
        default:
            return {};
    }
}

std::string ControlPort(QuellmarkFilterBase& organ, uint32_t port)
{
    const int parameter = Lv2Ports::ParameterOf(port);
    const auto& manager = organ.GetParameterManager();
    return "\t[\n\t\ta lv2:InputPort , lv2:ControlPort ;\n\t\tlv2:index " + std::to_string(port) +
           " ;\n\t\tlv2:symbol " + Quoted(Symbol(organ, parameter)) + " ;\n\t\tlv2:name " +
           Quoted(organ.GetParameterName(parameter).toStdString()) + " ;\n\t\tlv2:default " +
           Number(manager.GetValue(parameter)) + " ;\n\t\tlv2:minimum " +
           Number(Lv2Ports::MinimumOf(manager, parameter)) + " ;\n\t\tlv2:maximum " +
           Number(Lv2Ports::MaximumOf(manager, parameter)) + " ;\n" + UnitOf(parameter) +
           PropertiesOf(parameter) + "\t\tpg:group " + GroupUri(GroupOf(parameter)) + " ;\n\t]";
}

std::string OutputGroupUri()
{
    return Uri(std::string(Lv2Identity::groupUriPrefix) + "output");
}

std::string AudioOutput(uint32_t port, const char* side)
{
    const auto number = std::to_string(port + 1);
    return "\t[\n\t\ta lv2:OutputPort , lv2:AudioPort ;\n\t\tlv2:index " + std::to_string(port) +
           " ;\n\t\tlv2:symbol \"audio_out_" + number + "\" ;\n\t\tlv2:name \"Audio Out " + number +
           "\" ;\n\t\tpg:group " + OutputGroupUri() + " ;\n\t\tlv2:designation pg:" + side + " ;\n\t]";
}

constexpr const char* eventAndFreeWheelingPorts = R"(	[
		a lv2:InputPort , atom:AtomPort ;
		lv2:index 2 ;
		lv2:symbol "in" ;
		lv2:name "In" ;
		atom:bufferType atom:Sequence ;
		atom:supports midi:MidiEvent ;
		lv2:designation lv2:control ;
	] , [
		a lv2:OutputPort , atom:AtomPort ;
		lv2:index 3 ;
		lv2:symbol "out" ;
		lv2:name "Out" ;
		atom:bufferType atom:Sequence ;
		lv2:designation lv2:control ;
	] , [
		a lv2:InputPort , lv2:ControlPort ;
		lv2:index 4 ;
		lv2:symbol "freeWheeling" ;
		lv2:name "Free Wheeling" ;
		lv2:designation lv2:freeWheeling ;
		lv2:default 0 ;
		lv2:minimum 0 ;
		lv2:maximum 1 ;
		lv2:portProperty lv2:toggled , lv2:connectionOptional , pprop:notOnGUI ;
	])";

std::string PortGroups()
{
    std::string text = OutputGroupUri() +
                       "\n\ta pg:OutputGroup , pg:StereoGroup ;\n\tlv2:symbol \"output\" ;\n"
                       "\tlv2:name \"Output\" .\n\n";
    for (const auto& group : groups)
        text += GroupUri(group) + "\n\ta pg:Group ;\n\tlv2:symbol " + Quoted(group.symbol) +
                " ;\n\tlv2:name " + Quoted(group.name) + " .\n\n";
    return text;
}
} // namespace

std::string Manifest(QuellmarkFilterBase& organ)
{
    const std::string plugin = Uri(Lv2Identity::pluginUri);
    const std::string binary = Uri(Lv2Identity::binaryFile);
    std::string text =
        std::string(prefixes) + plugin + "\n\ta lv2:Plugin , lv2:InstrumentPlugin ;\n\tlv2:binary " + binary +
        " ;\n\trdfs:seeAlso " + Uri(pluginFile) + " .\n\n" + Uri(Lv2Identity::uiUri) +
        "\n\ta ui:X11UI ;\n\tui:binary " + binary + " ;\n\trdfs:seeAlso " + Uri(editorFile) + " .\n";
    for (int program = 0; program < organ.GetNumPrograms(); ++program)
        text += "\n" + PresetUri(program) + "\n\ta pset:Preset ;\n\tlv2:appliesTo " + plugin +
                " ;\n\trdfs:label " + Quoted(FactoryProgramName(program)) + " ;\n\trdfs:seeAlso " +
                Uri(presetsFile) + " .\n";
    return text;
}

std::string Plugin(QuellmarkFilterBase& organ)
{
    std::string text = std::string(prefixes) + PortGroups() + Uri(Lv2Identity::pluginUri) +
                       "\n\ta lv2:Plugin , lv2:InstrumentPlugin ;\n\tdoap:name " +
                       Quoted(ProductIdentity::name) + " ;\n\trdfs:comment " +
                       Quoted(ProductIdentity::description) + " ;\n\tdoap:maintainer [\n\t\tfoaf:name " +
                       Quoted(ProductIdentity::vendor) + " ;\n\t\tfoaf:homepage " +
                       Uri(ProductIdentity::homepage) + " ;\n\t\tfoaf:mbox " +
                       Uri(std::string("mailto:") + ProductIdentity::vendorEmail) +
                       " ;\n\t] ;\n\tdoap:release [ doap:revision " + Quoted(ProductIdentity::version) +
                       " ] ;\n\tlv2:minorVersion " + std::to_string(Lv2Identity::minorVersion) +
                       " ;\n\tlv2:microVersion " + std::to_string(Lv2Identity::microVersion) +
                       " ;\n\tlv2:requiredFeature urid:map ;\n"
                       "\tlv2:optionalFeature lv2:hardRTCapable , opts:options , bufsz:boundedBlockLength ;\n"
                       "\topts:supportedOption bufsz:nominalBlockLength , bufsz:maxBlockLength ;\n"
                       "\tlv2:extensionData state:interface ;\n\tui:ui " +
                       Uri(Lv2Identity::uiUri) + " ;\n\tpg:mainOutput " + OutputGroupUri() +
                       " ;\n\tlv2:port\n" + AudioOutput(Lv2Ports::audioOutLeft, "left") + " ,\n" +
                       AudioOutput(Lv2Ports::audioOutRight, "right") + " ,\n" + eventAndFreeWheelingPorts;
    for (uint32_t port = Lv2Ports::firstControl; port < Lv2Ports::numPorts; ++port)
        text += " ,\n" + ControlPort(organ, port);
    return text + " .\n";
}

std::string Editor()
{
    return std::string(prefixes) + Uri(Lv2Identity::uiUri) +
           "\n\tlv2:requiredFeature ui:parent , ui:idleInterface , "
           "<http://lv2plug.in/ns/ext/instance-access> ;\n"
           "\tlv2:optionalFeature ui:resize , ui:noUserResize , ui:touch , urid:map , opts:options ;\n"
           "\tlv2:extensionData ui:idleInterface ;\n\topts:supportedOption ui:scaleFactor .\n";
}

std::string Presets(QuellmarkFilterBase& organ)
{
    std::string text = prefixes;
    for (int program = 0; program < organ.GetNumPrograms(); ++program)
    {
        const auto* values = organ.GetProgramStore().GetProgramValues(program);
        text += PresetUri(program) + "\n\ta pset:Preset ;\n\tlv2:appliesTo " + Uri(Lv2Identity::pluginUri) +
                " ;\n\trdfs:label " + Quoted(FactoryProgramName(program)) + " ;\n\tstate:state [\n\t\t" +
                Uri(Lv2Identity::programUri) + " \"" + std::to_string(program) +
                "\"^^xsd:int\n\t] ;\n\tlv2:port";
        for (uint32_t port = Lv2Ports::firstControl; port < Lv2Ports::numPorts; ++port)
        {
            const int parameter = Lv2Ports::ParameterOf(port);
            const auto value = LittleEndian::ReadFloat(static_cast<const uint8_t*>(values->getData()) +
                                                       std::ptrdiff_t{4} * parameter);
            text += std::string(port == Lv2Ports::firstControl ? " " : " , ") + "[\n\t\tlv2:symbol " +
                    Quoted(Symbol(organ, parameter)) + " ;\n\t\tpset:value " + Number(value) + "\n\t]";
        }
        text += " .\n\n";
    }
    return text;
}
} // namespace Lv2Description

} // namespace brumalux
