// Keys and pad buttons that the file gives to more than one action. The game
// reads menu actions (Up, Down, Left, Right, Enter, Cancel, SkipDemo) only in
// menus and the others only during play, so a menu action and a play action
// may share a key; two actions of the same kind on one key act together.
#pragma once

#include <vector>

#include "file_analysis.h"
#include "findings.h"

namespace kio::analysis {

// True for the actions the game reads only in menus and demos.
bool IsMenuAction(int action);

// One finding per shared value, at the last line that gives it to one of its
// holders: K501 (a note) when the holders are all of different kinds, K502 (a
// warning) when two play actions, or two menu actions, share it. Only values
// the file sets count: an action the file leaves to the game's default, or
// binds to nothing (0), shares no key.
void AddSharedKeys(const FileAnalysis& analysis, std::vector<Finding>& findings);

}  // namespace kio::analysis
