#pragma once

namespace brumalux
{

class AudioFilterBase;

// The filter that every instance of a plug-in binary wraps, or null when it cannot be created. The
// host library does not define it: each plug-in target defines it once, beside the entry point that
// hands it to CreateVst2Instance. Host's control thread.
AudioFilterBase* CreateBrumalux();

} // namespace brumalux
