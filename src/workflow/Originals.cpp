#include "support/Paths.h"
#include "workflow/Workflow.h"

#include <exception>

namespace zelmaro {

std::vector<TOriginalResult> TWorkflow::RestoreOriginals(const std::string& directory,
                                                         TOriginalAction action)
{
    constexpr std::string_view kSuffix = "_original";
    TToolSessionScope session(*this);
    std::vector<TOriginalResult> results;
    for (const std::string& original : ImageFileNames(directory, kSuffix)) {
        TOriginalResult result;
        result.FileName = original.substr(0, original.size() - kSuffix.size());
        const std::string image = JoinPath(directory, result.FileName);
        std::vector<std::string> lines;
        try {
            RunTool(
                {action == TOriginalAction::oaRestore ? "-restore_original" : "-delete_original!",
                 ToolPath(image)},
                lines);
        } catch (const std::exception&) {
        }
        // The tool's own report says little about a single file; the files do.
        result.Done = !FileExists(JoinPath(directory, original)) &&
                      (action == TOriginalAction::oaDelete || FileExists(image));
        results.push_back(std::move(result));
    }
    return results;
}

} // namespace zelmaro
