#pragma once

#include "base/MessageBox.h"
#include "tables/Dataset.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kalvenor {

// Opens the breaker or transformer database at the path, bound for
// write-back and ordered by the given field; the returned text, when there
// is one, tells the user what went wrong.
// - A missing file is created empty from the definitions.
// - A regular file whose contents are not this database is never
//   overwritten: it is kept under a new name beside it and an empty database
//   takes its place.
// - A file that cannot be read (no rights, a read error) or is no regular
//   file at all (a FIFO, a device, a folder) is left as it is.
// - A file its owner made read-only is opened but not replaced.
// The dataset is left bound to nothing whenever its edits could not be kept,
// so the window showing it refuses them. With `folderWritable` false the
// caller has told the user already that nothing can be saved: nothing is
// created, renamed or reported for that reason alone.
std::optional<std::string> OpenDatabase(Dataset& dataset, const std::filesystem::path& path,
                                        const std::vector<FieldDef>& fields,
                                        const std::vector<IndexDef>& indexes,
                                        const std::string& orderField, bool folderWritable = true);

// Tells the user why a table just opened takes no edits, if it takes none
// and the folder's tables can be written at all: where they cannot, the
// user has been told so once already.
void SayWhyReadOnly(const Dataset& table, bool folderWritable, MessageBoxPort& messages);

// Asks the user, when a table's file was changed by another program since
// it was read, whether to write over it (Yes) or read it again (No); any
// other answer keeps the edits in memory.
ChangedFilePolicy AskBeforeWritingOver(MessageBoxPort& messages);

// What the end of the run says of a table it could not write: which file and
// why (the error's text), and how many rows' edits are lost.
std::string UnsavedTableMessage(const FileError& failure, std::size_t edits);

// Why edits of the tables in the directory cannot be saved (no rights, a
// read-only file system, a missing folder, another copy of the program
// holding the folder's lock), naming the folder; or nothing when files can
// be created there and this copy holds the lock.
std::optional<std::string> TablesFolderProblem(const std::filesystem::path& directory,
                                               const FolderLock& lock);

}  // namespace kalvenor
