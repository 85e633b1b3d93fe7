// vorna-audio-capture: the control center's capture companion (see CaptureCompanion.h).
// Usage: vorna-audio-capture [--source NAME] [--wait-seconds N]
#include "CaptureCompanion.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    vpc::audiocapture::CompanionOptions options;
    options.runtimeFolder = vpc::audiocapture::RuntimeFolder();
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--source" && i + 1 < argc) {
            options.source = argv[++i];
        } else if (argument == "--wait-seconds" && i + 1 < argc) {
            options.waitForClientSeconds = std::max(1, std::atoi(argv[++i]));
        } else {
            std::fprintf(stderr, "usage: %s [--source NAME] [--wait-seconds N]\n", argv[0]);
            return 2;
        }
    }
    vpc::audiocapture::CCaptureCompanion companion(options);
    if (const int opened = companion.Open(); opened != 0)
        return opened == 1 ? 0 : opened;
    return companion.Run();
}
