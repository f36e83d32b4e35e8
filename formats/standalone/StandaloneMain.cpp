// The standalone program's entry. On Linux the program owns main: the command line is
// answered and the display checked before JUCE starts, as JUCE would otherwise fail after
// it has started on a machine without a screen. On Windows JUCE's own entry starts it.

#include "StandaloneApp.h"

#include <juce_events/juce_events.h>

#if JUCE_LINUX
#include "DisplayCheck.h"
#include "JackSetup.h"

#include <iostream>

namespace
{
brumalux::StartOptions startOptions;

juce::JUCEApplicationBase* CreateApp()
{
    return brumalux::CreateStandaloneApp(startOptions);
}
} // namespace

int main(int argc, char* argv[])
{
    using namespace brumalux;
    JackSetup::SilenceLibjack();
    try
    {
        startOptions = ParseStartOptions(std::vector<std::string>(argv + 1, argv + argc));
    }
    catch (const UsageError& error)
    {
        std::cerr << StartUsageText(error.what());
        return 2;
    }
    if (startOptions.help || startOptions.version)
    {
        std::cout << (startOptions.help ? StartHelpText() : "brumalux " JucePlugin_VersionString "\n");
        return 0;
    }
    if (const auto why = startOptions.noGui ? std::string() : WhyNoDisplay(); !why.empty())
    {
        std::cerr << "brumalux: " << why
                  << ": to play without a window, start brumalux --no-gui; to render MIDI files, use "
                     "brumalux-render\n";
        return 1;
    }
    juce::JUCEApplicationBase::createInstance = &CreateApp;
    return juce::JUCEApplicationBase::main(argc, const_cast<const char**>(argv));
}
#else
juce::JUCEApplicationBase* juce_CreateApplication();
juce::JUCEApplicationBase* juce_CreateApplication()
{
    return brumalux::CreateStandaloneApp({});
}
#endif
