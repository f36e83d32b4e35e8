#include "Lv2Editor.h"

#include "Lv2Features.h"
#include "Lv2Instance.h"

#include <lv2/atom/atom.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/options/options.h>

#include <cmath>
#include <cstring>

namespace brumalux
{

namespace
{
// The host's scale for the editor (ui:scaleFactor); 1 when it tells none.
float HostScale(const LV2_Feature* const* features)
{
    const auto* map = Lv2Features::Find<LV2_URID_Map>(features, LV2_URID__map);
    const auto* options = Lv2Features::Find<LV2_Options_Option>(features, LV2_OPTIONS__options);
    if (map == nullptr || options == nullptr)
        return 1.0f;
    const auto scaleFactor = map->map(map->handle, LV2_UI__scaleFactor);
    const auto floatType = map->map(map->handle, LV2_ATOM__Float);
    for (auto* option = options; option->key != 0; ++option)
        if (option->key == scaleFactor && option->type == floatType && option->size == sizeof(float) &&
            option->value != nullptr)
        {
            const float scale = *static_cast<const float*>(option->value);
            if (std::isfinite(scale) && scale > 0.0f)
                return scale;
        }
    return 1.0f;
}
} // namespace

Lv2Editor* Lv2Editor::Create(LV2UI_Write_Function write, LV2UI_Controller controller, LV2UI_Widget* widget,
                             const LV2_Feature* const* features)
{
    auto* instance = Lv2Instance::FromHandle(Lv2Features::Find<void>(features, LV2_INSTANCE_ACCESS_URI));
    auto* parent = Lv2Features::Find<void>(features, LV2_UI__parent);
    if (instance == nullptr || parent == nullptr || write == nullptr || widget == nullptr)
        return nullptr;
    std::unique_ptr<Lv2Editor> made(new Lv2Editor(*instance, write, controller, features));
    auto& hosted = *made->editor;
    hosted.SetHostScale(HostScale(features));
    if (!hosted.Open(reinterpret_cast<NativeWindowLayer::WindowId>(parent)))
        return nullptr;
    *widget = reinterpret_cast<LV2UI_Widget>(hosted.Holder()->GetNativeWindow());
    instance->AttachEditor(made.get());
    return made.release();
}

Lv2Editor::Lv2Editor(Lv2Instance& instanceToShow, LV2UI_Write_Function writeFunction,
                     LV2UI_Controller hostController, const LV2_Feature* const* features)
    : instance(&instanceToShow),
      write(writeFunction),
      controller(hostController),
      resize(Lv2Features::Find<LV2UI_Resize>(features, LV2_UI__resize)),
      touch(Lv2Features::Find<LV2UI_Touch>(features, LV2_UI__touch)),
      editor(std::make_unique<HostedEditor>(instanceToShow.GetFilter(), static_cast<EditorWindowHost&>(*this),
                                            instanceToShow.Reports()))
{
}

Lv2Editor::~Lv2Editor()
{
    if (instance != nullptr)
        instance->AttachEditor(nullptr);
    editor.reset();
}

void Lv2Editor::InstanceGone()
{
    editor.reset();
    instance = nullptr;
}

void Lv2Editor::PortEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer)
{
    if (instance == nullptr || format != 0 || size != sizeof(float) || buffer == nullptr)
        return;
    float value = 0.0f;
    std::memcpy(&value, buffer, sizeof(value));
    instance->TakePortValue(port, value);
}

int Lv2Editor::Idle()
{
    if (editor == nullptr)
        return 1;
    editor->Idle();
    return 0;
}

void Lv2Editor::WritePort(uint32_t port, float value)
{
    write(controller, port, sizeof(float), 0, &value);
}

void Lv2Editor::TouchPort(uint32_t port, bool grabbed)
{
    if (touch != nullptr && touch->touch != nullptr)
        touch->touch(touch->handle, port, grabbed);
}

bool Lv2Editor::ResizeHostWindow(int width, int height)
{
    return resize != nullptr && resize->ui_resize != nullptr &&
           resize->ui_resize(resize->handle, width, height) == 0;
}

} // namespace brumalux
