// Entry point of the control center.
#include "StartUp.h"

int main(int argc, char** argv) {
    return RunControlCenter(argc, argv);
}
