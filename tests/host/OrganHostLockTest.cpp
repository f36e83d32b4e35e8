// The organ under a host that serialises everything with one lock: its UI thread holds one recursive
// mutex across every dispatcher call it makes, and every callback it handles takes the same mutex,
// whatever thread it comes from. The UI thread idles the editor every millisecond while a drawbar is
// dragged with the mouse (XTEST) and an audio thread plays notes; or, with no editor open, the organ
// reports what mapped controllers and Program Changes do while the UI thread opens and closes the
// editor. Nothing may deadlock, and every request the editor makes reaches the host on the thread that
// calls effEditIdle. Skipped without a display or without XTEST.

#include "tests/support/ProcessProbes.h"
#include "tests/support/Watchdog.h"
#include "tests/support/X11TestDisplay.h"
#include "vst2host/PluginInstance.h"
#include "vst2host/PluginLibrary.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <thread>

namespace brumalux
{

using brumalux::vst2host::HostRequest;
using brumalux::vst2host::PluginInstance;
using brumalux::vst2host::PluginLibrary;

namespace
{
// The host's window, where no other test's window lies.
constexpr int windowX = 580;
constexpr int windowY = 260;
// Drawbar 3 (parameter 9) in the editor: its box at 10, 130, the slider at 145, 20 in it, 35 x 130
// of track above its text box.
constexpr int drawbarIndex = 9;
constexpr int drawbarX = 10 + 145 + 17;
constexpr int dragStartY = 130 + 20 + 40;
constexpr int dragPixels = 30;

// A request as the locked host saw it, with whether it came on its UI thread.
struct SeenRequest
{
    vst2::VstInt32 opcode;
    vst2::VstInt32 index;
    bool onUiThread;
};

class LockedHost
{
public:
    explicit LockedHost(vst2::PluginEntryProc entry) : host(entry)
    {
        host.Callbacks().SetHook(
            [this](const HostRequest& request) -> std::optional<vst2::VstIntPtr>
            {
                const std::lock_guard<std::recursive_mutex> lock(hostLock);
                seen.push_back({request.opcode, request.index, std::this_thread::get_id() == uiThread});
                return std::nullopt;
            });
    }

    // The UI thread's dispatcher calls, all under the host's lock.
    vst2::VstIntPtr Ui(vst2::VstInt32 opcode, vst2::VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f)
    {
        const std::lock_guard<std::recursive_mutex> lock(hostLock);
        return host.Dispatch(opcode, 0, value, ptr, opt);
    }

    void OpenAndResume()
    {
        Ui(vst2::effOpen);
        Ui(vst2::effSetSampleRate, 0, nullptr, 44100.0f);
        Ui(vst2::effSetBlockSize, 128);
        Ui(vst2::effMainsChanged, 1);
    }

    // A dispatcher call after the host has held its lock for a while, busy with its own work.
    vst2::VstIntPtr UiAfterOwnWork(std::chrono::milliseconds work, vst2::VstInt32 opcode, void* ptr)
    {
        const std::lock_guard<std::recursive_mutex> lock(hostLock);
        std::this_thread::sleep_for(work);
        return host.Dispatch(opcode, 0, 0, ptr);
    }

    int RequestsSeen(vst2::VstInt32 opcode)
    {
        const std::lock_guard<std::recursive_mutex> lock(hostLock);
        int count = 0;
        for (const auto& request : seen)
            count += request.opcode == opcode ? 1 : 0;
        return count;
    }

    std::vector<SeenRequest> EditRequests()
    {
        const std::lock_guard<std::recursive_mutex> lock(hostLock);
        std::vector<SeenRequest> edits;
        for (const auto& request : seen)
            if (request.opcode == vst2::audioMasterAutomate || request.opcode == vst2::audioMasterBeginEdit ||
                request.opcode == vst2::audioMasterEndEdit)
                edits.push_back(request);
        return edits;
    }

    PluginInstance host;
    const std::thread::id uiThread = std::this_thread::get_id();

private:
    std::recursive_mutex hostLock;
    std::vector<SeenRequest> seen;
};

class OrganUnderAHostLock : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (std::getenv("DISPLAY") == nullptr)
            GTEST_SKIP() << "no X display";
        display = X11TestDisplay::Shared();
        ASSERT_NE(display, nullptr);
        ASSERT_TRUE(library.IsLoaded()) << library.Error();
        if (!display->MovePointer(0, 0))
            GTEST_SKIP() << "no XTEST";
    }

    // One drag of the drawbar, the UI thread idling the editor every millisecond throughout.
    void DragWhileIdling(LockedHost& host)
    {
        const int x = windowX + drawbarX;
        const int y = windowY + dragStartY;
        const auto idle = [&](int milliseconds)
        {
            for (int i = 0; i < milliseconds; ++i)
            {
                host.Ui(vst2::effEditIdle);
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        };
        idle(150); // the editor shows
        display->MovePointer(x, y);
        idle(20);
        display->SetMouseButton(true);
        for (int step = 1; step <= dragPixels; ++step)
        {
            display->MovePointer(x, y + step);
            idle(3);
        }
        display->SetMouseButton(false);
        idle(100);
    }

    X11TestDisplay* display = nullptr;
    PluginLibrary library{BRUMALUX_PLUGIN};
};

TEST_F(OrganUnderAHostLock, DraggingADrawbarWhileIdlingAndPlayingNeverDeadlocks)
{
    constexpr int runs = 5;
    for (int run = 0; run < runs; ++run)
    {
        SCOPED_TRACE("run " + std::to_string(run));
        const Watchdog watchdog(std::chrono::seconds(60), "the host's threads");
        LockedHost host(library.Entry());
        ASSERT_TRUE(host.host.HasInstance());
        host.OpenAndResume();
        const auto window = display->CreateTopLevelWindow(440, 485, "BrumaluxTestHost", windowX, windowY);
        ASSERT_EQ(host.Ui(vst2::effEditOpen, 0, reinterpret_cast<void*>(window)), 1);

        std::atomic<bool> playing{true};
        std::thread audio(
            [&]
            {
                PluginInstance::Channels out(2, std::vector<float>(128));
                for (unsigned char note = 36; playing;
                     note = static_cast<unsigned char>(note < 96 ? note + 1 : 36))
                {
                    host.host.SendMidi({{0, {0x90, note, 100}}, {64, {0x80, note, 0}}});
                    host.host.ProcessReplacing(out, 128);
                    std::this_thread::sleep_for(std::chrono::microseconds(500));
                }
            });
        DragWhileIdling(host);
        playing = false;
        audio.join();
        host.Ui(vst2::effEditClose);
        host.Ui(vst2::effMainsChanged, 0);
        display->DestroyWindow(window);

        const auto edits = host.EditRequests();
        ASSERT_GE(edits.size(), 3u) << "the drag reached the drawbar";
        EXPECT_EQ(edits.front().opcode, vst2::audioMasterBeginEdit);
        EXPECT_EQ(edits.back().opcode, vst2::audioMasterEndEdit);
        int automated = 0;
        for (const auto& request : edits)
        {
            EXPECT_EQ(request.index, drawbarIndex) << "only the dragged drawbar's parameter";
            EXPECT_TRUE(request.onUiThread) << "on the thread that calls effEditIdle";
            automated += request.opcode == vst2::audioMasterAutomate ? 1 : 0;
        }
        EXPECT_EQ(automated + 2, static_cast<int>(edits.size())) << "one begin and one end";
    }
}

// With no editor open the organ's reports come from its own thread, not the host's. Opening the
// editor makes a host thread JUCE's message thread, which needs that thread to stop: it must never
// wait for a report that waits for the host's lock.
TEST_F(OrganUnderAHostLock, ReportsWithNoEditorOpenNeverBlockOpeningTheEditor)
{
    const Watchdog watchdog(std::chrono::seconds(60), "the host's threads");
    LockedHost host(library.Entry());
    ASSERT_TRUE(host.host.HasInstance());
    host.OpenAndResume();
    const auto window = display->CreateTopLevelWindow(440, 485, "BrumaluxTestHost", windowX, windowY);

    std::atomic<bool> playing{true};
    std::thread audio(
        [&]
        {
            PluginInstance::Channels out(2, std::vector<float>(128));
            for (int block = 0; playing; ++block)
            {
                const auto value = static_cast<unsigned char>(block % 128);
                const auto program = static_cast<unsigned char>(block / 16 % 3);
                host.host.SendMidi({{0, {0xB0, 70, value}}, {64, {0xC0, program}}});
                host.host.ProcessReplacing(out, 128);
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        });
    for (int cycle = 0; cycle < 40; ++cycle)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(10)); // the organ reports
        ASSERT_EQ(host.UiAfterOwnWork(std::chrono::milliseconds(40), vst2::effEditOpen,
                                      reinterpret_cast<void*>(window)),
                  1);
        host.Ui(vst2::effEditIdle);
        host.Ui(vst2::effEditClose);
    }
    playing = false;
    audio.join();
    host.Ui(vst2::effMainsChanged, 0);
    display->DestroyWindow(window);
    EXPECT_GT(host.RequestsSeen(vst2::audioMasterAutomate), 0) << "the mapped drawbar reached the host";
    EXPECT_GT(host.RequestsSeen(vst2::audioMasterUpdateDisplay), 0) << "so did the programs";
}
} // namespace

} // namespace brumalux
