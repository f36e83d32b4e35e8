#pragma once

#include "NativeWindowLayer.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace brumalux
{

class AudioFilterEditor;

// What the editor holder asks of the instance that owns it, always on the message thread
// (requests to the host then go out on whichever thread holds that role).
class EditorWindowHost
{
public:
    // Asks the host to give its window this size; false when the host does not do it.
    virtual bool ResizeHostWindow(int width, int height) = 0;
    // The window layer for resizing enclosing windows ourselves; null without one.
    virtual NativeWindowLayer* GetNativeWindowLayer() = 0;
    // The idle rule: may ask the host for an idle call while the mouse is held.
    virtual void RunIdleRule() = 0;

protected:
    ~EditorWindowHost() = default;
};

// The component that holds a filter's editor inside the host's window: it keeps the editor
// at 0, 0, takes its size, and passes every change of that size on to the host. It owns
// the editor. Message thread (or a host thread acting as it).
class EditorCompWrapper : public juce::Component, private juce::AsyncUpdater
{
public:
    EditorCompWrapper(std::unique_ptr<AudioFilterEditor> editor, EditorWindowHost& host);
    ~EditorCompWrapper() override;

    AudioFilterEditor& GetEditor() const noexcept { return *editor; }

    // Makes this component's native window a child of the host's window and shows it.
    void AttachToHostWindow(void* hostWindow);
    bool IsAttached() const { return isOnDesktop(); }
    NativeWindowLayer::WindowId GetNativeWindow() const;

    void childBoundsChanged(juce::Component* child) override;
    void paintOverChildren(juce::Graphics&) override;

private:
    void handleAsyncUpdate() override;
    void TellHostTheSize();

    const std::unique_ptr<AudioFilterEditor> editor;
    EditorWindowHost& host;

    JUCE_DECLARE_NON_COPYABLE(EditorCompWrapper)
};

} // namespace brumalux
