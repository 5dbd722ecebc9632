#include "model/save_retry.h"

namespace orvelle {

SaveRetry::Step SaveRetry::After(const SaveResult& result, uint64_t nowMs) {
  if (result.outcome != SaveOutcome::Failed) {
    failingSince_.reset();
    told_ = false;
    return {};
  }
  if (!failingSince_) failingSince_ = nowMs;
  if (result.busy && nowMs - *failingSince_ < static_cast<uint64_t>(kPatienceMs)) return {kQuickMs, true, false};
  const bool tell = !told_;
  told_ = true;
  return {kSlowMs, false, tell};
}

}  // namespace orvelle
