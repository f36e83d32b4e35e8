#include "AudioFilterEditor.h"

#include "AudioFilterBase.h"

namespace brumalux
{

AudioFilterEditor::~AudioFilterEditor()
{
    owner.EditorBeingDeleted(this);
}

} // namespace brumalux
