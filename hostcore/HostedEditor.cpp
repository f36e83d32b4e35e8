#include "HostedEditor.h"

#include "HostIdleState.h"
#include "HostReports.h"
#include "QueuedWindowEvents.h"
#include "framework/AudioFilterBase.h"
#include "framework/AudioFilterEditor.h"

namespace brumalux
{

HostedEditor::HostedEditor(AudioFilterBase& filterToShow, EditorWindowHost& host, HostReports& hostReports)
    : filter(filterToShow),
      windowHost(host),
      reports(hostReports)
{
}

HostedEditor::~HostedEditor()
{
    Close();
}

EditorCompWrapper* HostedEditor::Prepare()
{
    if (holder == nullptr)
    {
        // Before the editor's widgets first reach JUCE's window system.
        OpenWindowSystem();
        Hold();
    }
    return holder.get();
}

bool HostedEditor::Open(NativeWindowLayer::WindowId hostWindow)
{
    Close();
    if (!OpenWindowSystem() || !windows->IsWindow(hostWindow) || !Hold())
        return false;
    const ScopedWindowSystemErrorsIgnored hostWindowMayVanish;
    holder->AttachToHostWindow(reinterpret_cast<void*>(hostWindow));
    return true;
}

bool HostedEditor::OpenWindowSystem()
{
    if (windows == nullptr)
        windows = HostWindowSystem::Open();
    return windows != nullptr;
}

bool HostedEditor::Hold()
{
    std::unique_ptr<AudioFilterEditor> editor(filter.CreateEditorAndMakeActive());
    if (editor == nullptr)
        return false;
    editor->SetHostScale(hostScale);
    hostDrivenLoop.emplace();
    holder = std::make_unique<EditorCompWrapper>(std::move(editor), windowHost);
    return true;
}

void HostedEditor::Close()
{
    if (holder == nullptr)
        return;
    const HostIdleState::ScopedNesting nesting;
    filter.EditorBeingDeleted(&holder->GetEditor());
    // Hosts often destroy their window first, and JUCE's window inside it with it.
    const ScopedWindowSystemErrorsIgnored hostWindowMayBeGone;
    holder.reset();
    hostDrivenLoop.reset();
}

void HostedEditor::SetHostScale(float scale)
{
    hostScale = scale;
    if (holder != nullptr)
        holder->GetEditor().SetHostScale(hostScale);
}

void HostedEditor::Idle()
{
    if (HostIdleState::IsNesting())
        return;
    const HostIdleState::ScopedNesting nesting;
    reports.SendQueued();
    juce::Timer::callPendingTimersSynchronously();
    SharedMessageThread::DispatchPendingMessages();
    WakeForQueuedWindowEvents();
}

} // namespace brumalux
