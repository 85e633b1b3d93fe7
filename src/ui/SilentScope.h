// While one of these lives, changes made by the program to controls raise no
// notifications ("without notification" in the toolkit's operations).
#pragma once

class SilentScope {
public:
    SilentScope() { ++s_depth; }
    ~SilentScope() { --s_depth; }
    SilentScope(const SilentScope&) = delete;
    SilentScope& operator=(const SilentScope&) = delete;

    static bool Active() { return s_depth > 0; }

private:
    static inline thread_local int s_depth = 0;
};
