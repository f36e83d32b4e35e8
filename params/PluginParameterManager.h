#pragma once

#include "ParameterRecord.h"

#include <juce_events/juce_events.h>

#include <atomic>
#include <memory>
#include <vector>

namespace brumalux
{

class AudioFilterBase;

// Maps each parameter index to the engine's float, its name and its range, and translates
// between the host's normalised view and the parameter's own units.
//
// Threads: registration happens once in the organ's constructor; afterwards the record
// list is read-only and needs no lock. The setters run on any host thread (the audio
// thread among them: hosts play automation from there) and on the message thread, while
// the audio thread reads the targets, hence relaxed atomic accesses; the getters may be called from any
// thread. Every write posts one coalesced change message, delivered on the message thread with this manager
// as the source.
//
// Values are stored unclamped, but a write that would store a non-finite value (NaN or
// infinity) is ignored: once in the engine it would silence the organ for good.
class PluginParameterManager : public juce::ChangeBroadcaster
{
public:
    // The owner's SetParameterAndTellHost reaches the host for changes that did not
    // come from it.
    explicit PluginParameterManager(AudioFilterBase& ownerFilter);
    ~PluginParameterManager() override;

    // Drops all records and creates count fresh, unregistered ones.
    void SetParameterCount(int count);
    void AddRangedParameter(int index, std::atomic<float>* target, const juce::String& name, float minimum,
                            float maximum);
    void AddParameter(int index, std::atomic<float>* target, const juce::String& name);

    int GetNumParameters() const noexcept;
    juce::String GetParameterName(int index) const;
    // The value in its own units with nine significant digits and a "." decimal point.
    juce::String GetParameterText(int index) const;
    // A value as the parameter texts write it (nine significant digits, a "." point).
    static juce::String FormatValue(float value);
    // The text the parameter would show at this normalised value, without setting it.
    juce::String GetParameterTextFor(int index, float normalisedValue) const;
    float GetValue(int index) const noexcept;
    // Between the host's normalised view and the parameter's own units, without clamping; 0 for
    // an unknown index.
    float ValueFor(int index, float normalisedValue) const noexcept;
    float NormalisedFor(int index, float value) const noexcept;
    // The values normalised 0 and 1 stand for; empty for an unknown index.
    juce::Range<float> GetRange(int index) const noexcept;
    float GetNormalisedValue(int index) const noexcept;

    void SetNormalisedValue(int index, float normalisedValue);
    // Writes the target alone: no change message, no report to the host, nothing that could
    // block or allocate, so the audio thread may call it (nothing is stored for an
    // unregistered index or a value that is not finite).
    void StoreNormalisedValue(int index, float normalisedValue) noexcept;
    // A value the host set in its own units (a plug-in format whose host passes values as they
    // are), written as StoreNormalisedValue writes, without the normalising round trip. The
    // editor hears of it from AnnounceStoredValues. Any thread, the audio thread included.
    void StoreValueAndAnnounceLater(int index, float value) noexcept;
    // One change message for the values StoreValueAndAnnounceLater wrote since the last call.
    // Message thread.
    void AnnounceStoredValues();
    // For changes made on our side (editor, factory programs): writes, announces, then
    // reports the change to the host as automation, on the calling thread: the message
    // thread or the host's control thread.
    void SetValueNotifyingHost(int index, float value);
    // Brackets the writes of one user gesture on one parameter (the owner tells the host).
    // Message thread.
    void BeginGesture(int index);
    void EndGesture(int index);

    // Appends every value as a 32-bit little-endian float, in index order.
    void AppendValues(juce::MemoryBlock& destination) const;
    // The same values written to a stream. Any thread.
    void WriteValues(juce::OutputStream& destination) const;
    // Sets parameters 0, 1, ... from consecutive 32-bit little-endian floats, as many as
    // fit whole into sizeInBytes; each is announced and reported to the host. Host's
    // control thread (programs and state).
    void ApplyValues(const void* data, int sizeInBytes);

    // ApplyValues in its two halves, for callers that store under a lock of their own and
    // must not call out while they hold it. StoreValues only writes the targets and
    // answers the indices it wrote; it calls nobody and allocates nothing for up to 128
    // parameters. ReportValues reports each of those parameters to the host as the owner
    // reads it now (GetNormalisedParameter, which a derived filter may answer itself),
    // then sends one change message for them all. Any thread.
    juce::BigInteger StoreValues(const void* data, int sizeInBytes);
    void ReportValues(const juce::BigInteger& writtenIndices);

private:
    // The record at index when the index is valid and registered, otherwise null.
    const ParameterRecord* FindRecord(int index) const noexcept;
    bool StoreIfFinite(const ParameterRecord& record, float value);
    void StoreAndReportToHost(int index, const ParameterRecord& record, float value);

    AudioFilterBase& owner;
    std::vector<std::unique_ptr<ParameterRecord>> records;
    std::atomic<bool> storedSinceAnnounced{false};

    JUCE_DECLARE_NON_COPYABLE(PluginParameterManager)
};

} // namespace brumalux
