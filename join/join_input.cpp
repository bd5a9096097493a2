// The check of a join's inputs: see join_input.h.
#include "join/join_input.h"

#include "core/input_check.h"
#include "core/segment_name.h"
#include "platform/platform.h"

std::string CheckJoinInput(const JoinRequest& request) {
    if (request.sourcePath.empty()) return "Please enter an input split file path.";
    if (!platform::pathExists(request.sourcePath)) return "The specified input file does not exist.";
    if (!isSegmentPath(request.sourcePath)) return "Please enter a valid split file pathname.";
    const std::string problem = OutputDirProblem(request.outputDir);
    if (!problem.empty()) return problem;
    if (request.outputFileName.empty()) return "Please enter an output filename.";
    return "";
}
