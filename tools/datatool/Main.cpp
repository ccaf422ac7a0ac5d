// tavrin-data: writes the game's image containers and localisation tables
// from pictures and text sources (see tools/datawriters/DataTool.h).

#include "tools/datawriters/DataTool.h"

#include <iostream>

int main(int argc, char** argv) { return DataTool::Run(argc, argv, std::cerr); }
