// The game process's entry, apart from main() so tests and tools can link the library without it.
#pragma once

// Parses the automation flags, finds the content, then creates, runs and shuts down the application.
// Returns the process exit code: 0 after a normal run, 1 when start-up failed, 2 for bad flags.
int RunGame(int argc, char** argv);
