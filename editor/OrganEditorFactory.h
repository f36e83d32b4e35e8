#pragma once

namespace brumalux
{

class AudioFilterEditor;
class Brumalux;

// The organ's editor, bound to its filter: the factory that whoever builds a Brumalux with an editor
// hands to its constructor. Null when the editor cannot be created. Message thread.
AudioFilterEditor* CreateOrganEditor(Brumalux& filter);

} // namespace brumalux
