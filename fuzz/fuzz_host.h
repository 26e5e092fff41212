// What the fuzz targets share: the document host, which says Yes to every question so that
// doubtful files go on to be decoded, and a folder for the files a target writes.
#pragma once

#include "core/image/document_host.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace orv::fuzz {

class TYesHost : public TDocumentHost {
  public:
    TAnswer Message(TMsgKind, TButtons buttons, const std::string&) override {
        return buttons == TButtons::Ok ? TAnswer::Ok : TAnswer::Yes;
    }
};

// A folder of its own for each process (in memory when /dev/shm exists), removed at exit.
struct TScratchFolder {
    std::string Path;
    TScratchFolder() {
        const std::string shm = "/dev/shm";
        std::string pattern =
            (std::filesystem::is_directory(shm) ? shm : std::filesystem::temp_directory_path().string()) +
            "/orvanel-fuzz-XXXXXX";
        if (!::mkdtemp(pattern.data())) std::abort();
        Path = pattern;
    }
    ~TScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(Path, ec);
    }
};

} // namespace orv::fuzz
