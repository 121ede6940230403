#pragma once
// Copying a file over another, as the system's CopyFile does it, with its
// sharing rules: a target that a File or a loaded library holds (File.h,
// Module.h) is refused with 32 (sharing violation) and stays as it was.
//
// The target is never written in place: the copy goes to a hidden temporary
// file beside it and is renamed over it once complete, so a process that has
// the old file mapped (a loaded library) keeps its pages, and a failure
// halfway leaves the old target whole.

#include <string>

namespace platform::system {

// Copies `source` to `target` with the source's permission bits. With
// `failIfExists` an existing target is refused with 80. False with the last
// error set on failure: 2 or 3 for a missing source or target folder, 32
// for a target in use.
bool CopyFile(const std::string& source, const std::string& target, bool failIfExists);

} // namespace platform::system
