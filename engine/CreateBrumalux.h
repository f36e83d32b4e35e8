#pragma once

class AudioFilterBase;

// The factory the plug-in's entry point calls: a new organ filter, or null when it
// cannot be created.
AudioFilterBase* CreateBrumalux();
