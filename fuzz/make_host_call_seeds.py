#!/usr/bin/env python3
"""Writes the seed inputs of fuzz_host_calls into fuzz/seeds/fuzz_host_calls/.

Each seed is a short, meaningful host session (program requests, state chunks, MIDI and
audio) encoded the way fuzz_host_calls decodes its input through libFuzzer's
FuzzedDataProvider: integers, booleans and probabilities are taken from the end of the
input (most significant byte first), texts and byte strings from the front. Keep the
calls below in the order in which HostSession consumes its input.
"""

import pathlib
import re

HERE = pathlib.Path(__file__).resolve().parent
SOURCE = (HERE / "fuzz_host_calls.cpp").read_text()
MAX_FRAMES = int(re.search(r"constexpr int maxFrames = (\d+);", SOURCE).group(1))
OPCODES = re.findall(r"vst2::(eff\w+)", SOURCE[SOURCE.index("opcodes{") : SOURCE.index("};", SOURCE.index("opcodes{"))])


class Input:
    def __init__(self):
        self.front = bytearray()
        self.back = bytearray()  # in the order the provider reads it

    def in_range(self, low, high, value):
        span, result = high - low, value - low
        assert 0 <= result <= span
        count = 0
        while count < 8 and (span >> (8 * count)) > 0:
            count += 1
        self.back += result.to_bytes(count, "big") if count else b""

    def integral(self, bits, value, signed=True):
        low = -(1 << (bits - 1)) if signed else 0
        self.in_range(low, low + (1 << bits) - 1, value)

    def boolean(self, value):
        self.integral(8, 1 if value else 0, signed=False)

    def probability(self, high):
        # 0.0 below every threshold the session uses, or 1.0 above them.
        self.integral(32, 0xFFFFFFFF if high else 0, signed=False)

    def zero_float(self):
        self.boolean(True)
        self.integral(32, 0, signed=False)

    def text(self, value):
        self.front += value.encode("ascii") + b"\\x"

    def data(self):
        return bytes(self.front) + bytes(reversed(self.back))


class Session(Input):
    def dispatch(self, name, index=0, value=0):
        self.in_range(0, 5, 4)
        self.boolean(True)
        self.in_range(0, len(OPCODES) - 1, OPCODES.index(name))
        self.integral(32, index)
        self.integral(64, value)
        self.zero_float()
        self.probability(high=True)  # a pointer, not null

    def process(self, frames, accumulate=False):
        self.in_range(0, 5, 2)
        self.boolean(accumulate)
        self.in_range(0, 255, 1)  # a short block
        self.in_range(1, 8, frames)
        self.boolean(True)
        self.boolean(True)
        self.probability(high=True)
        self.probability(high=True)

    def program(self, number):
        self.dispatch("effSetProgram", value=number)

    def rename(self, name):
        self.dispatch("effSetProgramName")
        self.text(name)

    def state_back(self, size, damage=None, at=0, byte=0):
        """effSetChunk with the organ's own state of the given size, whole or damaged
        ("cut", "change")."""
        self.dispatch("effSetChunk")
        self.boolean(False)
        kind = {"cut": 0, "change": 1, None: 2}[damage]
        self.in_range(0, 3, kind)
        if damage == "cut":
            self.in_range(0, size - 1, at)
        elif damage == "change":
            self.in_range(0, size - 1, at)
            self.integral(8, byte, signed=False)
        self.boolean(True)  # the chunk's own size

    def foreign_state(self, chunk):
        self.dispatch("effSetChunk")
        self.boolean(True)
        self.in_range(0, 2048, len(chunk))
        self.front += chunk
        self.boolean(True)

    def midi(self, events):
        self.dispatch("effProcessEvents")
        self.in_range(0, 64, len(events))
        for delta, message in events:
            self.boolean(True)  # a MIDI event
            self.integral(32, 32)
            self.boolean(True)
            self.in_range(0, MAX_FRAMES - 1, delta)
            for byte in message + bytes(4 - len(message)):
                self.integral(8, (byte + 128) % 256 - 128)
            self.probability(high=True)  # present
        self.boolean(True)  # every event counted


def program_requests():
    s = Session()
    for number in (3, 7, 0, 9):
        s.program(number)
        s.dispatch("effGetProgram")
        s.dispatch("effGetProgramName")
    s.rename("Seeded organ")
    for number in range(11):
        s.dispatch("effGetProgramNameIndexed", index=number)
    s.program(12)
    s.program(-1)
    return s


def state_chunks():
    s = Session()
    s.rename("Saved")
    s.dispatch("effGetChunk")
    s.program(4)
    renamed_bank = 1262 - len("A little churchy") + len("Saved")
    s.state_back(renamed_bank)
    s.state_back(renamed_bank, "cut", at=600)
    s.state_back(renamed_bank, "change", at=0, byte=3)  # a whole bank of the first three
    three_programs = 4 + sum(len(name) + 1 + 4 + 108 for name in ("Saved", "Mellow Doubt", "Rock Organ"))
    s.state_back(three_programs, "change", at=21, byte=0xFF)
    s.foreign_state(b"\x01\x00\x00\x00Tiny\x00\x08\x00\x00\x00\x00\x00\x80\x3f\x00\x00\x00\x3f")
    s.dispatch("effGetProgramName")
    s.dispatch("effGetChunk")
    return s


def midi_and_audio():
    s = Session()
    s.dispatch("effMainsChanged", value=1)
    s.midi([(0, b"\x90\x3c\x64"), (10, b"\x91\x40\x50"), (20, b"\xb0\x40\x7f"), (30, b"\xe0\x00\x60"),
            (40, b"\xb0\x01\x7f"), (50, b"\xd0\x40")])
    s.process(8)
    s.midi([(5, b"\x80\x3c\x00"), (6, b"\x91\x40\x00"), (7, b"\xb0\x40\x00")])
    s.process(5, accumulate=True)
    s.midi([(0, b"\x90\x30\x7f"), (100, b"\xb0\x7b\x00")])
    s.process(8)
    return s


if __name__ == "__main__":
    folder = HERE / "seeds" / "fuzz_host_calls"
    for name, session in (("program-requests", program_requests()), ("state-chunks", state_chunks()),
                          ("midi-and-audio", midi_and_audio())):
        (folder / name).write_bytes(session.data())
        print(name, len(session.data()), "bytes")
