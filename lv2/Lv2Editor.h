#pragma once

#include "Lv2PortWriter.h"
#include "hostcore/HostedEditor.h"

#include <lv2/core/lv2.h>
#include <lv2/ui/ui.h>

#include <memory>

namespace brumalux
{

class Lv2Instance;

// The plug-in's editor as an LV2 host embeds it (ui:X11UI in the window ui:parent names), on the
// instance it reads directly (instance-access). The host drives JUCE's messages through idle(),
// and learns of every change the editor makes to a control port's value through write_function
// inside ui:touch; port_event brings it the host's own moves.
//
// Threads: every call comes on the host's user-interface thread and runs inside a
// ScopedHostMessageThread.
class Lv2Editor final : private EditorWindowHost, public Lv2PortWriter
{
public:
    // Null when the host gives no window to embed in or no instance of ours, or the editor
    // cannot open.
    static Lv2Editor* Create(LV2UI_Write_Function write, LV2UI_Controller controller, LV2UI_Widget* widget,
                             const LV2_Feature* const* features);
    ~Lv2Editor();

    void PortEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer);
    // 0 while the editor is there; 1 once its instance has gone.
    int Idle();

    // Lv2PortWriter
    void WritePort(uint32_t port, float value) override;
    void TouchPort(uint32_t port, bool grabbed) override;
    void InstanceGone() override;

private:
    Lv2Editor(Lv2Instance& instance, LV2UI_Write_Function write, LV2UI_Controller controller,
              const LV2_Feature* const* features);

    // EditorWindowHost: the host sizes its window by ui:resize; the editor draws its own size.
    bool ResizeHostWindow(int width, int height) override;
    NativeWindowLayer* GetNativeWindowLayer() override
    {
        return editor != nullptr ? editor->Windows() : nullptr;
    }
    void RunIdleRule() override {}

    Lv2Instance* instance;
    const LV2UI_Write_Function write;
    const LV2UI_Controller controller;
    const LV2UI_Resize* const resize;
    const LV2UI_Touch* const touch;
    std::unique_ptr<HostedEditor> editor;
};

} // namespace brumalux
