// The LV2 editor through its descriptor, as a host embeds it: in a window of the host's, on the
// instance it reads directly, driven by idle calls. The host records what the editor writes to
// its ports and touches: a drawbar dragged with the mouse (XTEST) is one touched gesture of
// writes; a port the host moves (port_event) moves the editor's control. Skipped without a
// display or without XTEST.

#include "LilvHost.h"
#include "tests/support/TemporaryHome.h"
#include "tests/support/X11TestDisplay.h"

#include <lv2/atom/atom.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>
#include <vector>

namespace brumalux
{

namespace
{
// The host's window, where no other test's window lies.
constexpr int windowX = 600;
constexpr int windowY = 220;
// Drawbars k in the editor: the group at 10, 130, each slider at 10 + 45 k, 20 in it, 35 x 150.
constexpr int DrawbarX(int k)
{
    return 10 + 10 + 45 * k + 17;
}
constexpr int drawbarTop = 130 + 20;
constexpr int drawbarHeight = 150;
constexpr uint32_t drawbar0Port = 11; // the ports: 5 fixed, then the parameters from "Osc" on
constexpr uint32_t drawbar3Port = 14;

// What the editor asked of the host, in order.
struct Request
{
    enum Kind
    {
        write,
        touchBegin,
        touchEnd,
        resize
    } kind;
    uint32_t port;
    float value;
};

class RecordingHost
{
public:
    static void Write(LV2UI_Controller controller, uint32_t port, uint32_t size, uint32_t format,
                      const void* buffer)
    {
        if (size == sizeof(float) && format == 0)
            static_cast<RecordingHost*>(controller)
                ->requests.push_back({Request::write, port, *static_cast<const float*>(buffer)});
    }
    static void Touch(LV2UI_Feature_Handle handle, uint32_t port, bool grabbed)
    {
        static_cast<RecordingHost*>(handle)->requests.push_back(
            {grabbed ? Request::touchBegin : Request::touchEnd, port, 0.0f});
    }
    static int Resize(LV2UI_Feature_Handle handle, int width, int height)
    {
        static_cast<RecordingHost*>(handle)->requests.push_back(
            {Request::resize, static_cast<uint32_t>(width), static_cast<float>(height)});
        return 0;
    }

    std::vector<Request> requests;
};

class Lv2Editor : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (std::getenv("DISPLAY") == nullptr)
            GTEST_SKIP() << "no X display";
        display = X11TestDisplay::Shared();
        ASSERT_NE(display, nullptr);
        if (!display->MovePointer(0, 0))
            GTEST_SKIP() << "no XTEST";
        ASSERT_NE(organ, nullptr);
        ASSERT_TRUE(organ->IsInstantiated());
        // The same binary the host's lilv loaded: the editor's descriptor lives beside the plug-in's.
        library = dlopen((std::string(BRUMALUX_LV2_BUNDLE) + "/Brumalux.so").c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << dlerror();
        const auto descriptorOf =
            reinterpret_cast<const LV2UI_Descriptor* (*)(uint32_t)>(dlsym(library, "lv2ui_descriptor"));
        ASSERT_NE(descriptorOf, nullptr);
        descriptor = descriptorOf(0);
        ASSERT_NE(descriptor, nullptr);
        EXPECT_EQ(std::string(descriptor->URI), std::string(lv2PluginUri) + ":UI");
        idle = static_cast<const LV2UI_Idle_Interface*>(descriptor->extension_data(LV2_UI__idleInterface));
        ASSERT_NE(idle, nullptr);
        window = display->CreateTopLevelWindow(700, 700, "Lv2EditorTest", windowX, windowY);
    }

    void TearDown() override
    {
        if (editor != nullptr)
            descriptor->cleanup(editor);
        if (window != 0)
            display->DestroyWindow(window);
        if (library != nullptr)
            dlclose(library);
    }

    // With the host's scale for the editor, as the ui:scaleFactor option.
    void Open(float hostScale = 1.0f)
    {
        scale = hostScale;
        auto& urids = bundle.Urids();
        options = {LV2_Options_Option{LV2_OPTIONS_INSTANCE, 0, urids.Map(LV2_UI__scaleFactor), sizeof(float),
                                      urids.Map(LV2_ATOM__Float), &scale},
                   LV2_Options_Option{LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr}};
        const LV2_Feature parent{LV2_UI__parent, reinterpret_cast<void*>(window)};
        const LV2_Feature instanceAccess{LV2_INSTANCE_ACCESS_URI, organ->Handle()};
        const LV2_Feature map{LV2_URID__map, urids.MapFeature()};
        const LV2_Feature touchFeature{LV2_UI__touch, &touch};
        const LV2_Feature resizeFeature{LV2_UI__resize, &resize};
        const LV2_Feature optionsFeature{LV2_OPTIONS__options, options.data()};
        const LV2_Feature* features[] = {&parent,        &instanceAccess, &map,   &touchFeature,
                                         &resizeFeature, &optionsFeature, nullptr};
        LV2UI_Widget widget = nullptr;
        editor = descriptor->instantiate(descriptor, lv2PluginUri, BRUMALUX_LV2_BUNDLE, &RecordingHost::Write,
                                         &host, &widget, features);
        ASSERT_NE(editor, nullptr);
        EXPECT_NE(widget, nullptr);
    }

    // The host's idle calls, one a millisecond, with the instance running as its audio thread would.
    void Idle(int milliseconds)
    {
        for (int i = 0; i < milliseconds; ++i)
        {
            EXPECT_EQ(idle->idle(editor), 0);
            organ->Render();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    bool IdleUntil(const std::function<bool()>& condition)
    {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!condition() && std::chrono::steady_clock::now() < until)
            Idle(5);
        return condition();
    }

    // The colours down the middle of a drawbar.
    std::vector<std::uint32_t> DrawbarPicture(int k)
    {
        const auto organWindow = display->ChildrenOf(window);
        std::vector<std::uint32_t> picture;
        for (const auto child : organWindow)
            for (int y = drawbarTop; y < drawbarTop + drawbarHeight; y += 2)
                picture.push_back(display->PixelAt(child, DrawbarX(k), y));
        return picture;
    }

    const TemporaryHome home; // the player's zoom: 100 %
    Lv2Bundle bundle{BRUMALUX_LV2_BUNDLE};
    std::unique_ptr<Lv2Organ> organ = std::make_unique<Lv2Organ>(bundle);
    X11TestDisplay* display = nullptr;
    void* library = nullptr;
    const LV2UI_Descriptor* descriptor = nullptr;
    const LV2UI_Idle_Interface* idle = nullptr;
    X11TestDisplay::WindowId window = 0;
    RecordingHost host;
    // Feature data lives as long as the editor.
    LV2UI_Touch touch{&host, &RecordingHost::Touch};
    LV2UI_Resize resize{&host, &RecordingHost::Resize};
    float scale = 1.0f;
    std::array<LV2_Options_Option, 2> options{};
    LV2UI_Handle editor = nullptr;
};

// The host's scale times the player's zoom (100 % in a fresh home): the size the host is asked for.
TEST_F(Lv2Editor, AsksTheHostForItsSizeAtTheHostsScale)
{
    Open(2.0f);
    ASSERT_FALSE(host.requests.empty());
    EXPECT_EQ(host.requests.back().kind, Request::resize);
    EXPECT_EQ(host.requests.back().port, 880u) << "the editor's width at 200 %";
    EXPECT_EQ(host.requests.back().value, 970.0f);
}

TEST_F(Lv2Editor, ADragIsOneTouchedGestureOfPortWrites)
{
    Open();
    ASSERT_FALSE(host.requests.empty());
    EXPECT_EQ(host.requests.front().kind, Request::resize);
    EXPECT_EQ(host.requests.front().port, 440u) << "the editor's width at 100 %";
    EXPECT_EQ(host.requests.front().value, 485.0f);
    ASSERT_TRUE(IdleUntil([&] { return !DrawbarPicture(3).empty() && DrawbarPicture(3)[0] != 0xffffffff; }));
    Idle(150);
    host.requests.clear();

    const int x = windowX + DrawbarX(3);
    const int y = windowY + drawbarTop + 40;
    display->MovePointer(x, y);
    Idle(20);
    display->SetMouseButton(true);
    for (int step = 1; step <= 30; ++step)
    {
        display->MovePointer(x, y + step);
        Idle(3);
    }
    display->SetMouseButton(false);
    Idle(100);

    ASSERT_GE(host.requests.size(), 3u) << "the drag reached the host";
    EXPECT_EQ(host.requests.front().kind, Request::touchBegin);
    EXPECT_EQ(host.requests.back().kind, Request::touchEnd);
    float last = 1.0f;
    for (const auto& request : host.requests)
    {
        EXPECT_EQ(request.port, drawbar3Port) << "only the dragged drawbar's port";
        if (request.kind == Request::write)
            last = request.value;
    }
    EXPECT_LT(last, 0.8f) << "pushed in";
    EXPECT_GT(last, 0.0f);
}

TEST_F(Lv2Editor, TheEditorFollowsThePortsTheHostMoves)
{
    Open();
    ASSERT_TRUE(IdleUntil([&] { return !DrawbarPicture(0).empty() && DrawbarPicture(0)[0] != 0xffffffff; }));
    Idle(150);
    const auto drawbar0 = DrawbarPicture(0);
    const auto drawbar1 = DrawbarPicture(1);
    host.requests.clear();

    // As a host moves a port: its value for the next block, and the news to the editor.
    const float pushedIn = 0.0f;
    organ->SetControl("drawbar0", pushedIn);
    descriptor->port_event(editor, drawbar0Port, sizeof(float), 0, &pushedIn);
    EXPECT_TRUE(IdleUntil([&] { return DrawbarPicture(0) != drawbar0; })) << "the drawbar moved";
    EXPECT_EQ(DrawbarPicture(1), drawbar1) << "its neighbour did not";
    EXPECT_TRUE(host.requests.empty()) << "the host's own move is not written back to it";
}
} // namespace

} // namespace brumalux
