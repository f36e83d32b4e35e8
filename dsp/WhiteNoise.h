#pragma once

// A uniformly distributed value in [0, 1], in steps of 1/32767.
// Safe to call from any number of audio threads at once: each thread draws from its own generator, which
// needs no lock and no allocation. Every thread starts the same fixed sequence, so renders repeat exactly.
float WhiteNoise();
