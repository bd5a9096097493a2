// The check of a job's output folder, which the split and the join make alike
// (their own input checks live beside their engines).
#pragma once

#include <string>

// The problem with the output folder, in the words the user sees ("Please
// enter an output directory.", "The specified output directory does not
// exist."), or "" when there is none.
std::string OutputDirProblem(const std::string& directory);
