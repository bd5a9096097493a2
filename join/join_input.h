// The check of a join's inputs before it starts, shared by the Join page and
// the command line.
#pragma once

#include "join/join_engine.h"

#include <string>

// The first problem, checked in this order: the segment (given, existing,
// named like a segment), the output directory (given, existing), the output
// name (given); "" when there is none.
std::string CheckJoinInput(const JoinRequest& request);
