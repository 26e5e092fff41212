#include "core/anim/recovery_store.h"

#include "core/base/errors.h"
#include "core/base/file_io.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace orv {

namespace fs = std::filesystem;

namespace {

std::string FirstLine(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

// Field 22 of /proc/<process>/stat: the start time in clock ticks after the boot. The command
// name before it is in parentheses and may hold spaces and parentheses itself.
std::optional<uint64_t> StartTicks(int64_t process) {
    std::ifstream in("/proc/" + std::to_string(process) + "/stat");
    std::string stat;
    if (!std::getline(in, stat)) return std::nullopt;
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) return std::nullopt;
    std::istringstream fields(stat.substr(close + 1));
    std::string field;
    for (int k = 3; k <= 22; ++k)
        if (!(fields >> field)) return std::nullopt;
    try {
        return std::stoull(field);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::string BootId() {
    return FirstLine("/proc/sys/kernel/random/boot_id");
}

} // namespace

std::string RecoveryFolder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    // The base directory specification ignores a relative path.
    if (state && *state == '/') return (fs::path(state) / "orvanel").string();
    const char* home = std::getenv("HOME");
    if (home && *home) return (fs::path(home) / ".local" / "state" / "orvanel").string();
    return {};
}

TRecoveryOwner CurrentOwner() {
    TRecoveryOwner owner;
    std::error_code error;
    const std::string self = fs::read_symlink("/proc/self", error).string();
    try {
        owner.Process = std::stoll(self);
    } catch (const std::exception&) {
        return owner;
    }
    owner.StartTicks = StartTicks(owner.Process).value_or(0);
    owner.Boot = BootId();
    return owner;
}

bool OwnerRuns(const TRecoveryOwner& owner) {
    if (owner.Process <= 0) return false;
    const std::optional<uint64_t> ticks = StartTicks(owner.Process);
    if (!ticks) return false;
    if (owner.StartTicks == 0) return true;
    return *ticks == owner.StartTicks && (owner.Boot.empty() || owner.Boot == BootId());
}

std::string RecoveryFileName(const std::string& folder, const TRecoveryOwner& owner) {
    return (fs::path(folder) / ("recovery-" + std::to_string(owner.Process) + ".txt")).string();
}

std::vector<TFoundRecovery> FindRecoveries(const std::string& folder) {
    std::vector<TFoundRecovery> found;
    std::error_code error;
    if (folder.empty() || !fs::is_directory(folder, error)) return found;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (!name.starts_with("recovery-") || !name.ends_with(".txt")) continue;
        std::error_code status;
        if (!it->is_regular_file(status) || it->file_size(status) > kMaxRecoveryBytes || status) continue;
        std::vector<uint8_t> bytes;
        try {
            bytes = ReadWholeFile(it->path().string());
        } catch (const EOrvanelError&) {
            continue;
        }
        std::optional<TRecoveryState> state =
            ParseRecovery(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        if (!state || state->Empty() || OwnerRuns(state->Owner)) continue;
        found.push_back({it->path().string(), std::move(*state)});
    }
    std::sort(found.begin(), found.end(),
              [](const TFoundRecovery& a, const TFoundRecovery& b) { return a.Path < b.Path; });
    return found;
}

void WriteRecovery(const std::string& path, const TRecoveryState& state) {
    if (state.Empty()) {
        RemoveRecovery(path);
        return;
    }
    std::error_code error;
    fs::create_directories(fs::path(path).parent_path(), error);
    const std::string text = RecoveryText(state);
    WriteFileAtomically(path, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

void RemoveRecovery(const std::string& path) {
    std::error_code error;
    fs::remove(path, error);
}

} // namespace orv
