// Folders the library works in, looked up the Linux way.
#pragma once

#include <string>

namespace platform {

// Folder of the running executable (from /proc/self/exe), without a trailing
// slash; "" when it cannot be read. Looked up anew on every call.
std::string ProgramFolder();

// The user's documents folder: XDG_DOCUMENTS_DIR from user-dirs.dirs, else
// $HOME/Documents. Created when missing. "" when there is no home.
std::string DocumentsFolder();

// The private per-user temporary folder "<tmp>/<name>-<uid>/" (with the
// trailing slash), created with mode 0700. Refused ("" returned) when the
// path exists as a link, as something other than a folder, or is not owned
// by this user: a shared temporary folder with a predictable name is open to
// link attacks.
std::string PrivateTempFolder(const char* name);

} // namespace platform
