#include "OrganProcessorEditor.h"

#include "OrganProcessor.h"
#include "framework/AudioFilterEditor.h"
#include "params/QuellmarkFilterBase.h"

namespace brumalux
{
OrganProcessorEditor::OrganProcessorEditor(OrganProcessor& organToEdit,
                                           std::unique_ptr<AudioFilterEditor> editorToOwn)
    : juce::AudioProcessorEditor(organToEdit),
      organ(organToEdit),
      editor(std::move(editorToOwn))
{
    if (organToEdit.wrapperType == juce::AudioProcessor::wrapperType_Standalone)
    {
        programChooser = std::make_unique<ProgramChooser>(organToEdit);
        addAndMakeVisible(*programChooser);
    }
    addAndMakeVisible(*editor);
    FitToContent();
}

OrganProcessorEditor::~OrganProcessorEditor()
{
    organ.GetFilter().EditorBeingDeleted(editor.get());
    editor.reset();
}

void OrganProcessorEditor::FitToContent()
{
    const auto chooserHeight = programChooser != nullptr ? ProgramChooser::height : 0;
    setSize(editor->getWidth(), chooserHeight + editor->getHeight());
}

void OrganProcessorEditor::resized()
{
    auto area = getLocalBounds();
    if (programChooser != nullptr)
        programChooser->setBounds(area.removeFromTop(ProgramChooser::height));
    editor->setTopLeftPosition(area.getPosition());
}

void OrganProcessorEditor::childBoundsChanged(juce::Component* child)
{
    // The organ's editor decides its own size; the window follows it.
    if (child == editor.get())
        FitToContent();
}
} // namespace brumalux
