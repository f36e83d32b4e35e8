#pragma once

#include <cstdint>

namespace brumalux
{

// The plug-in's editor as its instance sees it: the way values the organ changed by itself reach
// the host's control ports (the host owns them: only the editor may write them). Called on the
// host's user-interface thread, inside the editor's calls.
class Lv2PortWriter
{
public:
    virtual void WritePort(uint32_t port, float value) = 0;
    // Brackets the writes of one gesture, so a host records them as touched automation.
    virtual void TouchPort(uint32_t port, bool grabbed) = 0;
    // The instance goes away before its editor: the editor closes and lets it go.
    virtual void InstanceGone() = 0;

protected:
    ~Lv2PortWriter() = default;
};

} // namespace brumalux
