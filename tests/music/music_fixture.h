#pragma once
// The music tests use the common command fixture: a program folder with music directories.
#include "tests/support/command_test.h"

namespace spindeck::testing {

using MusicTest = CommandTest;

}  // namespace spindeck::testing
