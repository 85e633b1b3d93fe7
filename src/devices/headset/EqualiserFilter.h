// The ten-band equaliser as a PipeWire filter-chain of peaking filters in front of the
// headset's output, run as a child `pipewire -c <file>` that one filter replaces at a time.
#pragma once

#include "CHs6533Profiledata.h"

#include <string>
#include <sys/types.h>

namespace vpc::devices::headset {

// Centre frequencies of the ten bands, in hertz.
inline constexpr int kEqBandFrequencies[data::kEqBandCount] = {31,   62,   125,  250,  500,
                                                               1000, 2000, 4000, 8000, 16000};

// The filter-chain configuration for these band gains (decibels), playing into the sink
// whose node name is given (empty: the default output).
std::string MakeEqualiserFilterChain(const data::EqValues& gains, const std::string& targetSink);

class IEqualiserFilter {
public:
    virtual ~IEqualiserFilter() = default;
    // Puts a filter with these gains in place of the one there; false when it cannot run.
    virtual bool Apply(const data::EqValues& gains) = 0;
    // Takes the filter away (the equaliser is off).
    virtual void Remove() = 0;
};

class CPipeWireEqualiser : public IEqualiserFilter {
public:
    // `program` runs the configuration ("pipewire"); `folder` holds the file written for it.
    CPipeWireEqualiser(std::string targetSink, std::string folder,
                       std::string program = "pipewire");
    ~CPipeWireEqualiser() override;
    CPipeWireEqualiser(const CPipeWireEqualiser&) = delete;
    CPipeWireEqualiser& operator=(const CPipeWireEqualiser&) = delete;

    bool Apply(const data::EqValues& gains) override;
    void Remove() override;
    // The running filter's process, -1 when none (for tests).
    pid_t RunningProcess() const { return m_child; }

private:
    std::string m_targetSink;
    std::string m_folder;
    std::string m_program;
    pid_t m_child = -1;
};

} // namespace vpc::devices::headset
