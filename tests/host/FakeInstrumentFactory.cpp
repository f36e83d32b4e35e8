// The factory the test plug-in's entry point calls in place of the organ's; built as an effect
// too, for a host that must refuse effects.

#include "FakeInstrument.h"
#include "hostcore/PluginFilterFactory.h"

namespace brumalux
{

AudioFilterBase* CreateBrumalux()
{
    FakeInstrument::Options options;
    options.withEditor = true;
#ifdef FAKE_INSTRUMENT_AS_EFFECT
    options.isInstrument = false;
#endif
    return new FakeInstrument(options);
}

} // namespace brumalux
