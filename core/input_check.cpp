// Input checks shared by the pages and the command line: see input_check.h.
#include "core/input_check.h"

#include "core/segment_name.h"
#include "platform/platform.h"
#include "split/size_text.h"

const char* const TEXT_SOURCE_IS_SEGMENT =
    "It appears you have entered as input the pathname of an already-split file segment.\r\n"
    "Are you sure you wish to continue?";

// The output directory's checks, common to both jobs.
static std::string OutputDirProblem(const std::string& directory) {
    if (directory.empty()) return "Please enter an output directory.";
    if (!platform::isDirectory(directory)) return "The specified output directory does not exist.";
    return "";
}

std::string CheckSplitInput(const SplitInput& input, SplitRequest& request) {
    if (input.sourcePath.empty()) return "Please enter an input file path.";
    if (!platform::pathExists(input.sourcePath)) return "The specified input file does not exist.";
    if (platform::isDirectory(input.sourcePath))
        return "The specified input path is a directory, not a file.";
    std::string problem = OutputDirProblem(input.outputDir);
    if (!problem.empty()) return problem;
    request.sourcePath = input.sourcePath;
    request.outputDir = input.outputDir;
    request.mode = input.mode;
    if (input.mode == SplitMode::FileCount) {
        if (!input.fileCount) return "Please enter a valid number of output files.";
        if (*input.fileCount < 2) return "Please specify at least 2 output files.";
        request.fileCount = *input.fileCount;
        return "";
    }
    problem = CustomSizeTextError(input.sizeText);
    if (!problem.empty()) return problem;
    request.customSize = LeadingDecimal(input.sizeText);
    request.sizeUnit = input.sizeUnit;
    return "";
}

std::string CheckJoinInput(const JoinRequest& request) {
    if (request.sourcePath.empty()) return "Please enter an input split file path.";
    if (!platform::pathExists(request.sourcePath)) return "The specified input file does not exist.";
    if (!isSegmentPath(request.sourcePath)) return "Please enter a valid split file pathname.";
    const std::string problem = OutputDirProblem(request.outputDir);
    if (!problem.empty()) return problem;
    if (request.outputFileName.empty()) return "Please enter an output filename.";
    return "";
}
