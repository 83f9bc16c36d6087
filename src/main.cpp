// Process entry: everything happens in RunGame, which the game library provides.
#include "app/game_main.h"

int main(int argc, char** argv) { return RunGame(argc, argv); }
