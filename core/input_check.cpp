// The output folder's check: see input_check.h.
#include "core/input_check.h"

#include "platform/platform.h"

std::string OutputDirProblem(const std::string& directory) {
    if (directory.empty()) return "Please enter an output directory.";
    if (!platform::isDirectory(directory)) return "The specified output directory does not exist.";
    return "";
}
