#include "EditorCompWrapper.h"

#include "EnclosingWindowResizer.h"
#include "framework/AudioFilterEditor.h"

namespace brumalux
{

EditorCompWrapper::EditorCompWrapper(std::unique_ptr<AudioFilterEditor> editorToHold,
                                     EditorWindowHost& hostToUse)
    : editor(std::move(editorToHold)),
      host(hostToUse)
{
    setOpaque(true);
    editor->setOpaque(true);
    editor->setTopLeftPosition(0, 0);
    addAndMakeVisible(*editor);
    setSize(editor->getWidth(), editor->getHeight());
}

EditorCompWrapper::~EditorCompWrapper()
{
    cancelPendingUpdate();
    removeChildComponent(editor.get());
}

void EditorCompWrapper::AttachToHostWindow(void* hostWindow)
{
    setVisible(false);
    setTopLeftPosition(0, 0);
    addToDesktop(0, hostWindow);
    setVisible(true);
    TellHostTheSize();
}

NativeWindowLayer::WindowId EditorCompWrapper::GetNativeWindow() const
{
    auto* peer = getPeer();
    return peer != nullptr ? reinterpret_cast<NativeWindowLayer::WindowId>(peer->getNativeHandle()) : 0;
}

void EditorCompWrapper::childBoundsChanged(juce::Component* child)
{
    if (child != editor.get())
        return;
    editor->setTopLeftPosition(0, 0);
    if (editor->getWidth() == getWidth() && editor->getHeight() == getHeight())
        return;
    setSize(editor->getWidth(), editor->getHeight());
    // The repaint that comes with a resize is clipped to the window's old size: paint the new one whole.
    repaint();
    if (IsAttached())
        TellHostTheSize();
}

void EditorCompWrapper::TellHostTheSize()
{
    if (host.ResizeHostWindow(getWidth(), getHeight()))
        return;
    auto* windows = host.GetNativeWindowLayer();
    if (const auto ownWindow = GetNativeWindow(); windows != nullptr && ownWindow != 0)
        ResizeEnclosingWindows(*windows, ownWindow, {getWidth(), getHeight()});
}

void EditorCompWrapper::paintOverChildren(juce::Graphics&)
{
    triggerAsyncUpdate();
}

void EditorCompWrapper::handleAsyncUpdate()
{
    host.RunIdleRule();
}

} // namespace brumalux
