// Progress of a long read, told to the document's holder: the progress window in the
// program, a line on a terminal for the command-line tool. Small reads say nothing.
#pragma once

#include "core/image/document_host.h"

#include <cstdint>
#include <string>

namespace orv {

class TLoadProgress {
  public:
    // Reports only when `shown`; total is the amount of work in any unit.
    TLoadProgress(TDocumentHost& host, const std::string& fileName, uint64_t total, bool shown);
    TLoadProgress(const TLoadProgress&) = delete;
    TLoadProgress& operator=(const TLoadProgress&) = delete;
    // Hides the display, whatever happened.
    ~TLoadProgress();

    // Work done so far, in the unit of total; the holder hears of each new percent only.
    void Done(uint64_t done);

  private:
    TDocumentHost& host_;
    std::string label_;
    uint64_t total_;
    bool shown_;
    int percent_ = -1;
};

// Data units this large (in bytes) show progress while they are read.
inline constexpr uint64_t kLargeDataBytes = uint64_t(64) << 20;

} // namespace orv
