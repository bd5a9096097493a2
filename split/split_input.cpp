// The check of a split's inputs: see split_input.h.
#include "split/split_input.h"

#include "core/input_check.h"
#include "platform/platform.h"
#include "split/size_text.h"

const char* const TEXT_SOURCE_IS_SEGMENT =
    "It appears you have entered as input the pathname of an already-split file segment.\r\n"
    "Are you sure you wish to continue?";

std::string CheckSplitInput(const SplitInput& input, SplitRequest& request) {
    if (input.sourcePath.empty()) return "Please enter an input file path.";
    if (!platform::pathExists(input.sourcePath)) return "The specified input file does not exist.";
    if (platform::isDirectory(input.sourcePath)) return "The specified input path is a directory, not a file.";
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
