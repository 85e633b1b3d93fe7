// What the light thread drives: an engine that computes the lights' colours one pass per
// tick and can say when further passes would change nothing.
#pragma once

#include <cstdint>
#include <functional>

namespace vpc::lighting {

class ILightEngine {
public:
    virtual ~ILightEngine() = default;
    // One pass at tick `tick` (64 Hz).
    virtual void RunPass(std::uint64_t tick) = 0;
    // True when passes without new input would leave the colours as they are.
    virtual bool IsStill() const = 0;
    // Goes up with every input that may change what the passes paint.
    virtual std::uint64_t InputCount() const = 0;
    // Called after an input, outside the engine's lock; empty to stop.
    virtual void SetInputListener(std::function<void()> listener) = 0;
};

} // namespace vpc::lighting
