#include "VirtualPiano.h"

namespace brumalux
{

namespace
{
constexpr int keysPerOctave = 12;
constexpr int whiteKeysPerOctave = 7;
constexpr int blackKeysPerOctave = 5;
constexpr float blackRowShare = 0.65f;

constexpr bool isBlackInOctave[keysPerOctave] = {false, true,  false, true,  false, false,
                                                 true,  false, true,  false, true,  false};
// White keys in the octave below each key: a white key's index within its octave, and
// for a black key the boundary it stands on.
constexpr int whiteKeysBelowInOctave[keysPerOctave] = {0, 1, 1, 2, 2, 3, 4, 4, 5, 5, 6, 6};
constexpr int whiteKeyOffsets[whiteKeysPerOctave] = {0, 2, 4, 5, 7, 9, 11};
constexpr int blackKeyOffsets[blackKeysPerOctave] = {1, 3, 6, 8, 10};

const juce::Colour backgroundColour(0xff7fffd4);
const juce::Colour whiteKeyUpColour(0xfffffff0);
const juce::Colour whiteKeyDownColour(juce::Colour::fromRGB(220, 220, 200));
const juce::Colour keyEdgeColour(0xffa52a2a);
const juce::Colour blackKeyUpColour(juce::Colour::fromRGB(160, 160, 160));
const juce::Colour blackKeyDownColour(juce::Colour::fromRGB(128, 128, 128));

// Integer division and remainder both truncate toward zero, so a negative index keeps its
// octave at 0 and gets a negative remainder, which maps to offset 0.
int NoteFromIndex(int octaveBase, int index, int keysPerGroup, const int* offsets)
{
    const int remainder = index % keysPerGroup;
    const int offset = remainder >= 0 ? offsets[remainder] : 0;
    return (octaveBase + index / keysPerGroup) * keysPerOctave + offset;
}
} // namespace

VirtualPiano::VirtualPiano(int keyCountToUse, int lowestOctaveToUse) : lowestOctave(lowestOctaveToUse)
{
    setName("VirtualPiano");
    SetKeyCount(keyCountToUse);
    setBufferedToImage(true);
    setOpaque(true);
    startTimerHz(repaintPollsPerSecond);
}

VirtualPiano::~VirtualPiano()
{
    stopTimer();
}

void VirtualPiano::SetKeyCount(int count)
{
    if (count < 1)
        return;
    const juce::ScopedLock lock(keyLock);
    keyCount = count;
    keyStates.assign(static_cast<size_t>(count), KeyState());
    keysToDraw.assign(static_cast<size_t>(count), KeyState());
    redrawNeeded = true;
}

void VirtualPiano::AddNoteTarget(juce::MessageListener* target)
{
    if (target == nullptr)
        return;
    // Made before it is published in the list, so that readers of the list only ever
    // share an existing weak-reference anchor and never race to create it.
    juce::WeakReference<juce::MessageListener> reference(target);
    const juce::ScopedLock lock(targetLock);
    for (const auto& existing : noteTargets)
        if (existing.get() == target)
            return;
    noteTargets.add(std::move(reference));
}

void VirtualPiano::SendNoteMessage(int noteNumber, int status)
{
    for (int i = 0;; ++i)
    {
        juce::MessageListener* target = nullptr;
        {
            const juce::ScopedLock lock(targetLock);
            if (i >= noteTargets.size())
                return;
            target = noteTargets.getReference(i).get();
        }
        if (target != nullptr)
            target->postMessage(new KeyboardNoteMessage(status, noteNumber, this));
    }
}

int VirtualPiano::NoteAt(float x, float y) const
{
    const auto blackKey = BlackKeyAt(x, y);
    const float w = WhiteKeyWidth();
    const int note = blackKey ? BlackKeyNote(*blackKey) : WhiteKeyNote(static_cast<int>(x / w));
    return juce::jlimit(0, lowestOctave * keysPerOctave + keyCount - 1, note);
}

std::optional<int> VirtualPiano::BlackKeyAt(float x, float y) const
{
    if (y > blackRowShare * static_cast<float>(getHeight()))
        return std::nullopt;
    const float w = WhiteKeyWidth();
    // The boundary index: white keys left of the nearest boundary, so the zone of a black
    // key is one white-key width centred on its boundary.
    const int boundary = static_cast<int>((x - w / 2) / w);
    int position = boundary % whiteKeysPerOctave;
    if (position == 2 || position == 6)
        return std::nullopt; // E-F and B-C have no black key
    if (position > 1)
        --position;
    return position + blackKeysPerOctave * (boundary / whiteKeysPerOctave);
}

int VirtualPiano::BlackKeyNote(int blackKeyIndex) const
{
    return NoteFromIndex(lowestOctave, blackKeyIndex, blackKeysPerOctave, blackKeyOffsets);
}

int VirtualPiano::WhiteKeyNote(int whiteKeyIndex) const
{
    return NoteFromIndex(lowestOctave, whiteKeyIndex, whiteKeysPerOctave, whiteKeyOffsets);
}

bool VirtualPiano::IsKeyDown(int noteNumber) const
{
    const int key = noteNumber - lowestOctave * keysPerOctave;
    const juce::ScopedLock lock(keyLock);
    return key >= 0 && key < keyCount && keyStates[static_cast<size_t>(key)].down;
}

void VirtualPiano::mouseDown(const juce::MouseEvent& event)
{
    heldNote = NoteAt(event.position.x, event.position.y);
    SendNoteMessage(heldNote, KeyboardNoteMessage::noteOnStatus);
}

void VirtualPiano::mouseDrag(const juce::MouseEvent& event)
{
    const int note = NoteAt(event.position.x, event.position.y);
    if (note == heldNote)
        return;
    if (heldNote != -1)
        SendNoteMessage(heldNote, KeyboardNoteMessage::noteOffStatus);
    heldNote = note;
    SendNoteMessage(heldNote, KeyboardNoteMessage::noteOnStatus);
}

void VirtualPiano::mouseUp(const juce::MouseEvent&)
{
    ReleaseHeldNote();
}

void VirtualPiano::mouseExit(const juce::MouseEvent&)
{
    ReleaseHeldNote();
}

void VirtualPiano::ReleaseHeldNote()
{
    if (heldNote != -1)
        SendNoteMessage(heldNote, KeyboardNoteMessage::noteOffStatus);
    heldNote = -1;
}

void VirtualPiano::SetKeyState(int noteNumber, bool down)
{
    const int key = noteNumber - lowestOctave * keysPerOctave;
    const juce::ScopedLock lock(keyLock);
    if (key < 0 || key >= keyCount)
        return;
    keyStates[static_cast<size_t>(key)].down = down;
    MarkForRedraw(key);
    if (!IsDrawnBlack(key))
        MarkNeighboursOfWhiteKey(key);
    redrawNeeded = true;
}

void VirtualPiano::ReleaseAllKeys()
{
    const juce::ScopedLock lock(keyLock);
    for (int key = 0; key < keyCount; ++key)
        SetKeyState(lowestOctave * keysPerOctave + key, false);
}

void VirtualPiano::RequestRepaint()
{
    // Posting a message from the audio thread would take the message queue's lock and may
    // allocate; a flag costs one store, and requests between two polls coalesce.
    repaintRequested.store(true, std::memory_order_release);
}

void VirtualPiano::timerCallback()
{
    if (repaintRequested.exchange(false, std::memory_order_acquire))
        handleCommandMessage(repaintCommand);
}

void VirtualPiano::handleCommandMessage(int commandId)
{
    if (commandId == repaintCommand)
        repaint();
}

void VirtualPiano::resized()
{
    cachedImage = juce::Image();
    const juce::ScopedLock lock(keyLock);
    for (auto& state : keyStates)
        state.needsRedraw = true;
    redrawNeeded = true;
}

void VirtualPiano::paint(juce::Graphics& g)
{
    if (!cachedImage.isValid())
    {
        cachedImage =
            juce::Image(juce::Image::RGB, juce::jmax(1, getWidth()), juce::jmax(1, getHeight()), false);
        juce::Graphics(cachedImage).fillAll(backgroundColour);
    }
    if (TakeKeysToDraw())
    {
        juce::Graphics imageGraphics(cachedImage);
        DrawMarkedKeys(imageGraphics);
    }
    g.drawImageAt(cachedImage, 0, 0);
}

bool VirtualPiano::TakeKeysToDraw()
{
    const juce::ScopedLock lock(keyLock);
    if (!redrawNeeded)
        return false;
    keysToDraw = keyStates;
    for (auto& state : keyStates)
        state.needsRedraw = false;
    redrawNeeded = false;
    return true;
}

void VirtualPiano::DrawMarkedKeys(juce::Graphics& g) const
{
    for (int key = 0; key < keyCount; ++key)
        if (keysToDraw[static_cast<size_t>(key)].needsRedraw && !IsDrawnBlack(key))
            DrawWhiteKey(g, key);
    for (int key = 0; key < keyCount; ++key)
        if (keysToDraw[static_cast<size_t>(key)].needsRedraw && IsDrawnBlack(key))
            DrawBlackKey(g, key);
}

void VirtualPiano::DrawWhiteKey(juce::Graphics& g, int key) const
{
    const float w = WhiteKeyWidth();
    const auto width = static_cast<float>(getWidth());
    const auto height = static_cast<float>(getHeight());
    const float frontEdge = 0.05f * height;
    const float x = static_cast<float>(WhiteKeysBelow(key)) * w;

    if (!keysToDraw[static_cast<size_t>(key)].down)
    {
        g.setColour(whiteKeyUpColour);
        g.fillRect(x, 0.0f, w, height);
        g.setColour(keyEdgeColour);
        g.fillRect(x, 0.0f, 1.0f, height);
        g.setColour(juce::Colours::black);
        g.fillRect(x, height - frontEdge, w, frontEdge);
    }
    else
    {
        g.setColour(whiteKeyDownColour);
        g.fillRect(x, 0.0f, w, height);
        // Beside a key that is up, the higher key casts a shadow on the pressed one.
        const int lowerWhite = key - (IsDrawnBlack(key - 1) ? 2 : 1);
        if (key > 0 && keysToDraw[static_cast<size_t>(lowerWhite)].down)
        {
            g.setColour(keyEdgeColour);
            g.fillRect(x, 0.0f, 1.0f, height);
        }
        else
        {
            g.setColour(juce::Colours::black);
            g.fillRect(x, 0.0f, w / 4, height);
        }
        g.setColour(juce::Colours::black);
        g.fillRect(x, height - 1.0f, w, 1.0f);
    }
    g.setColour(juce::Colours::black);
    g.fillRect(x, 0.0f, w, frontEdge);

    if (key == keyCount - 1)
        g.fillRect(width - 1.0f, 0.0f, 2.0f, height);
    if (key == 0)
        g.fillRect(0.0f, 0.0f, 1.0f, height);
}

void VirtualPiano::DrawBlackKey(juce::Graphics& g, int key) const
{
    const float w = WhiteKeyWidth();
    const auto height = static_cast<float>(getHeight());
    const float left = static_cast<float>(WhiteKeysBelow(key)) * w - w / 4;

    g.setColour(juce::Colours::black);
    g.fillRect(left, w / 12, w / 2 + 1.0f, blackRowShare * height);
    if (!keysToDraw[static_cast<size_t>(key)].down)
    {
        g.setColour(blackKeyUpColour);
        g.fillRect(left + w / 8, w / 12, w / 4, 0.55f * height);
    }
    else
    {
        g.setColour(blackKeyDownColour);
        g.fillRect(left + w / 8, w / 8, w / 4 + 1.0f, 0.6f * height);
    }
}

float VirtualPiano::WhiteKeyWidth() const
{
    const int whiteKeyCount = (keyCount * whiteKeysPerOctave + keysPerOctave - 1) / keysPerOctave;
    return static_cast<float>(getWidth()) / static_cast<float>(whiteKeyCount);
}

// The last key always takes a white key's place, whatever its kind: the white-key count
// rounds it up to a whole white key.
bool VirtualPiano::IsDrawnBlack(int key) const
{
    return key >= 0 && key < keyCount - 1 && isBlackInOctave[key % keysPerOctave];
}

int VirtualPiano::WhiteKeysBelow(int key) const
{
    return (key / keysPerOctave) * whiteKeysPerOctave + whiteKeysBelowInOctave[key % keysPerOctave];
}

void VirtualPiano::MarkForRedraw(int key)
{
    if (key >= 0 && key < keyCount)
        keyStates[static_cast<size_t>(key)].needsRedraw = true;
}

// A white key is drawn at full height over the black keys beside it, and the next white
// key's shadow depends on whether this one is down.
void VirtualPiano::MarkNeighboursOfWhiteKey(int key)
{
    if (IsDrawnBlack(key - 1))
        MarkForRedraw(key - 1);
    if (IsDrawnBlack(key + 1))
        MarkForRedraw(key + 1);
    const int nextWhite = key + (IsDrawnBlack(key + 1) ? 2 : 1);
    MarkForRedraw(nextWhite);
    if (IsDrawnBlack(nextWhite + 1))
        MarkForRedraw(nextWhite + 1);
}

} // namespace brumalux
