#pragma once

class AudioFilterEditor;
class Brumalux;

// The organ's editor, bound to its filter; defined by the editor, which the engine does not include.
// Message thread.
AudioFilterEditor* CreateOrganEditor(Brumalux& filter);
