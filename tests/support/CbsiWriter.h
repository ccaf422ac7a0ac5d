#pragma once
// The container writer lives with the data tool; tests and fuzz seeds use it
// under its old name.

#include "tools/datawriters/CbsiWriter.h"
