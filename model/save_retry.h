#pragma once

#include <cstdint>
#include <optional>

#include "model/profile_store.h"

namespace orvelle {

// When a save that failed is tried again, and when the user hears of it. Scanners, indexers,
// backups and sync clients hold a fresh file for a moment: a save they block is tried again
// quickly for a while before it counts as failed. A failed save is told once and then tried
// again every few seconds, quietly, until one succeeds.
class SaveRetry {
 public:
  static constexpr int kQuickMs = 200;     // between tries while the file may still be held briefly
  static constexpr int kPatienceMs = 2000;  // how long a held file is waited for before it counts
  static constexpr int kSlowMs = 5000;     // between tries after the user was told

  struct Step {
    std::optional<int> retryInMs;  // when to try again; none: nothing to try
    bool quick = false;            // the wait for a held file, not yet a failure
    bool tell = false;             // tell the user the save failed (once per failure)
  };

  // The next step after a save that ended in `result` at `nowMs` (a monotonic clock).
  Step After(const SaveResult& result, uint64_t nowMs);

 private:
  std::optional<uint64_t> failingSince_;
  bool told_ = false;
};

}  // namespace orvelle
