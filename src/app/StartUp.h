// The program's entry: fonts, single instance, skin, control classes, messages,
// the main window and its message loop, then teardown in reverse.
#pragma once

// Runs the program and returns its exit code, 0 on every path.
int RunControlCenter(int argc, char** argv);

// Points the toolkit at the skin folder, loads the language texts and registers
// the program's custom control classes.
void InitSkinResources();
