// The window system on X11 against real windows (skipped without a display).

#include "hostcore/HostWindowSystem.h"
#include "tests/support/X11TestDisplay.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace brumalux
{

namespace
{
class HostWindowSystemX11 : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (std::getenv("DISPLAY") == nullptr)
            GTEST_SKIP() << "no X display";
        display = X11TestDisplay::Shared();
        layer = HostWindowSystem::Open();
        ASSERT_NE(display, nullptr);
        ASSERT_NE(layer, nullptr);
    }

    X11TestDisplay* display = nullptr;
    std::unique_ptr<HostWindowSystem> layer;
};

TEST_F(HostWindowSystemX11, SeesTheWindowTree)
{
    const auto outer = display->CreateTopLevelWindow(500, 600, "OuterClass");
    const auto inner = display->CreateChildWindow(outer, 100, 50, 2);
    EXPECT_EQ(layer->ParentOf(inner), outer);
    EXPECT_EQ(layer->ParentOf(outer), 0u) << "a top-level window has no parent of ours";
    EXPECT_EQ(layer->ClassNameOf(outer), "OuterClass");
    EXPECT_EQ(layer->ClassNameOf(inner), "");
    const auto size = layer->OuterSizeOf(inner);
    EXPECT_EQ(size.width, 104);
    EXPECT_EQ(size.height, 54);

    layer->SetOuterSize(inner, {204, 104});
    EXPECT_EQ(display->SizeOf(inner), std::make_pair(200, 100));
    EXPECT_EQ(layer->DialogFrameWidth(), 0);
    display->DestroyWindow(outer);
}

TEST_F(HostWindowSystemX11, WindowIdsThatNameNoWindow)
{
    const auto window = display->CreateTopLevelWindow(10, 10, "Gone");
    EXPECT_TRUE(layer->IsWindow(window));
    display->DestroyWindow(window);
    EXPECT_FALSE(layer->IsWindow(window));
    EXPECT_FALSE(layer->IsWindow(0));
    EXPECT_FALSE(layer->IsWindow(0x3fffff01));
    EXPECT_EQ(layer->ParentOf(window), 0u);
    EXPECT_EQ(layer->ClassNameOf(window), "");
    EXPECT_EQ(layer->OuterSizeOf(window).width, 0);
    layer->SetOuterSize(window, {10, 10});
}
} // namespace

} // namespace brumalux
