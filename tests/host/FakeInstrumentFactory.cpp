// The factory the test plug-in's entry point calls in place of the organ's.

#include "FakeInstrument.h"
#include "host/PluginFilterFactory.h"

AudioFilterBase* CreateBrumalux()
{
    FakeInstrument::Options options;
    options.withEditor = true;
    return new FakeInstrument(options);
}
