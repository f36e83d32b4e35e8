#include "userfiles/StandaloneSettings.h"

#include "userfiles/UserFolders.h"

namespace brumalux
{

namespace
{
// The names of JUCE's properties file layout.
const char* const rootTag = "PROPERTIES";
const char* const valueTag = "VALUE";
const char* const nameAttribute = "name";
const char* const valueAttribute = "val";

using Values = std::vector<std::pair<juce::String, juce::String>>;

// A value that is XML itself (the audio setup) is kept as an element, the others as an
// attribute.
TextReading<Values> ParseValues(const juce::String& text)
{
    juce::XmlDocument document(text);
    const auto root = document.getDocumentElement();
    if (root == nullptr)
        return {std::nullopt, {0, "not a Brumalux settings file (" + document.getLastParseError() + ")"}};
    if (!root->hasTagName(rootTag))
        return {std::nullopt,
                {0, "not a Brumalux settings file (its outer element is <" + root->getTagName() + ">)"}};
    Values values;
    for (const auto* entry : root->getChildWithTagNameIterator(valueTag))
    {
        const auto name = entry->getStringAttribute(nameAttribute);
        if (name.isEmpty())
            continue;
        const auto* element = entry->getFirstChildElement();
        values.emplace_back(
            name, element != nullptr
                      ? element->toString(juce::XmlElement::TextFormat().singleLine().withoutHeader())
                      : entry->getStringAttribute(valueAttribute));
    }
    return {std::move(values), {}};
}
} // namespace

juce::File StandaloneSettings::DefaultLocation()
{
#if JUCE_WINDOWS
    return UserFolders::Settings().getChildFile("Brumalux.settings");
#else
    return UserFolders::Settings().getSiblingFile("Brumalux.settings");
#endif
}

StandaloneSettings::StandaloneSettings(juce::File fileToUse) : file(std::move(fileToUse))
{
    if (!file.exists())
        return;
    const auto read = PlayerTextFile::Read<Values>(file, kind, ParseValues);
    if (!read.value)
    {
        problem = read.error;
        writable = false;
        return;
    }
    for (const auto& [name, value] : *read.value)
        getAllProperties().set(name, value);
}

juce::String StandaloneSettings::ToXml()
{
    juce::XmlElement root(rootTag);
    const auto& values = getAllProperties();
    for (int i = 0; i < values.size(); ++i)
    {
        auto* entry = root.createNewChildElement(valueTag);
        entry->setAttribute(nameAttribute, values.getAllKeys()[i]);
        if (auto element = juce::parseXML(values.getAllValues()[i]))
            entry->addChildElement(element.release());
        else
            entry->setAttribute(valueAttribute, values.getAllValues()[i]);
    }
    return root.toString();
}

juce::Result StandaloneSettings::Save()
{
    if (!writable || !changed)
        return juce::Result::ok();
    auto written = PlayerTextFile::WriteText(file, ToXml());
    changed = written.failed();
    return written;
}

} // namespace brumalux
