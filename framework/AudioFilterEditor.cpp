#include "AudioFilterEditor.h"

#include "AudioFilterBase.h"

AudioFilterEditor::~AudioFilterEditor()
{
    owner.EditorBeingDeleted(this);
}
