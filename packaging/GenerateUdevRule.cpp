// Writes the udev rule of the supported devices to the file named by the first argument.
#include "UdevRule.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <rule file>\n", argv[0]);
        return 2;
    }
    std::FILE* file = std::fopen(argv[1], "w");
    if (!file) {
        std::perror(argv[1]);
        return 1;
    }
    const std::string rule = vpc::packaging::MakeUdevRule();
    const bool written = std::fwrite(rule.data(), 1, rule.size(), file) == rule.size();
    if (std::fclose(file) != 0 || !written) {
        std::fprintf(stderr, "%s: write failed\n", argv[1]);
        return 1;
    }
    return 0;
}
