#include "workflow/Originals.h"

#include "support/FileSearch.h"
#include "support/Messages.h"
#include "support/Paths.h"
#include "support/Result.h"
#include "workflow/PictureScan.h"
#include "workflow/Sidecar.h"
#include "workflow/Workflow.h"

#include <filesystem>
#include <system_error>

namespace zelmaro {

namespace {

namespace fs = std::filesystem;

std::string NotAFile(const std::string& name)
{
    return Fill(Tr("\"%1\" ist keine gewöhnliche Datei; das Original bleibt, wie es ist."), name);
}

std::string SystemReason(const std::error_code& error)
{
    return Fill(Tr("Das Dateisystem meldet: %1."), error.message());
}

// What the entry of that name is, a link taken as itself; not_found when there
// is none. An entry the system cannot look at (no permission to search its
// folder) is neither missing nor "not a file": the failure says why.
TResult<fs::file_type> EntryType(const std::string& path)
{
    std::error_code error;
    const fs::file_type type = fs::symlink_status(fs::path(path), error).type();
    if (error && type != fs::file_type::not_found)
        return Fail(SystemReason(error));
    return type;
}

// One original, put back or deleted under the rules of RestoreOriginals.
TOriginalResult ActOnOriginal(const std::string& directory, const std::string& original,
                              TOriginalAction action)
{
    TOriginalResult result;
    result.FileName = original.substr(0, original.size() - kOriginalSuffix.size());
    const std::string originalPath = JoinPath(directory, original);
    const std::string imagePath = JoinPath(directory, result.FileName);
    const std::string temporary = result.FileName + std::string(kToolTemporarySuffix);
    if (FileExists(JoinPath(directory, temporary)))
        result.Note =
            Fill(Tr("\"%1\" von einem abgebrochenen Schreiben liegt noch im Verzeichnis; es "
                    "wurde nicht angerührt."),
                 temporary);
    const TResult<fs::file_type> originalType = EntryType(originalPath);
    if (!originalType) {
        result.Reason = originalType.Error();
        return result;
    }
    if (*originalType != fs::file_type::regular) {
        result.Reason = NotAFile(original);
        return result;
    }
    const TResult<fs::file_type> imageType = EntryType(imagePath);
    if (!imageType) {
        result.Reason = imageType.Error();
        return result;
    }
    const fs::file_type image = *imageType;
    std::error_code error;
    if (action == TOriginalAction::oaDelete) {
        // Never the only copy, never anything but a file of this directory.
        if (image == fs::file_type::not_found) {
            result.Reason = Tr("Das Bild fehlt; sein Original ist die einzige Kopie und bleibt.");
            return result;
        }
        if (image != fs::file_type::regular) {
            result.Reason = NotAFile(result.FileName);
            return result;
        }
        fs::remove(fs::path(originalPath), error);
    } else {
        // An image gone after a write cut short gets its original back too.
        if (image != fs::file_type::regular && image != fs::file_type::not_found) {
            result.Reason = NotAFile(result.FileName);
            return result;
        }
        if (IsEmptySidecar(originalPath)) {
            // A sidecar this program made: before it there was none.
            fs::remove(fs::path(imagePath), error);
            if (!error)
                fs::remove(fs::path(originalPath), error);
        } else {
            fs::rename(fs::path(originalPath), fs::path(imagePath), error);
        }
    }
    if (error) {
        result.Reason = SystemReason(error);
        return result;
    }
    result.Done = true;
    return result;
}

} // namespace

std::optional<std::vector<TOriginalResult>>
TWorkflow::RestoreOriginals(const std::string& directory, TOriginalAction action)
{
    const std::unique_ptr<TDirectoryLock> lock = LockDirectory(directory);
    if (!lock)
        return std::nullopt;
    std::vector<TOriginalResult> results;
    std::vector<std::string> originals = ImageFileNames(directory, kOriginalSuffix);
    for (const std::string& path :
         FindFiles(JoinPath(directory, "*.XMP" + std::string(kOriginalSuffix)), false, false, true,
                   false))
        originals.push_back(FileNamePart(path));
    for (const std::string& original : originals)
        results.push_back(ActOnOriginal(directory, original, action));
    return results;
}

} // namespace zelmaro
