// The scripted sessions the replays' inputs are made from (replay --author).
#pragma once
#include <string>
#include <vector>

#include "testkit/player.h"

// A step that marks the frame now on screen: the replay checksums it.
Step mark(const std::string& label);

// The steps of the session of that name, and a line saying what it plays;
// no steps for an unknown name.
std::vector<Step> session_steps(const std::string& name, std::string* about);
