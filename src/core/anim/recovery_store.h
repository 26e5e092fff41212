// Where the recovery files live and whose they are. Each running program keeps its own file,
// recovery-<process>.txt in the user's state folder ($XDG_STATE_HOME/orvanel, else
// ~/.local/state/orvanel), so that two programs running side by side never take each other's
// work; a file whose program no longer runs (same process number, start time and boot) is what
// a crash left behind.
#pragma once

#include "core/anim/recovery_file.h"

#include <optional>
#include <string>
#include <vector>

namespace orv {

// The state folder; empty when neither XDG_STATE_HOME nor HOME names one.
std::string RecoveryFolder();

// This program as a recovery file names its owner (from /proc; zeros where it cannot tell).
TRecoveryOwner CurrentOwner();
// Whether the owner still runs. An owner whose start time is unknown counts as running while a
// process of its number exists.
bool OwnerRuns(const TRecoveryOwner& owner);

// This program's file in the folder.
std::string RecoveryFileName(const std::string& folder, const TRecoveryOwner& owner);

// A file left behind: its path and what it holds.
struct TFoundRecovery {
    std::string Path;
    TRecoveryState State;
};
// The recovery files of the folder whose owner no longer runs, oldest name first. Files that
// cannot be read as ours (cut, corrupt, too large) are left out; a file with nothing to recover
// too.
std::vector<TFoundRecovery> FindRecoveries(const std::string& folder);

// The state written through a temporary file and a rename (the folder made when missing);
// an empty state removes the file instead. Throws EFileError.
void WriteRecovery(const std::string& path, const TRecoveryState& state);
// Removes the file; no error when it is already gone.
void RemoveRecovery(const std::string& path);

} // namespace orv
