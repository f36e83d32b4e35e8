#pragma once

#include "engine/Brumalux.h"

#include <memory>

namespace brumalux
{

// A new organ for any form, with the player's default controller map when one can be read
// (one that cannot is passed over; the player hears why on choosing a file). The organ
// itself reads no file, so this is the one place a new instance meets the player's folder.
// Any thread but the audio thread; throws std::bad_alloc as new does.
std::unique_ptr<Brumalux> CreateOrgan(Brumalux::EditorFactory editorFactory);

} // namespace brumalux
