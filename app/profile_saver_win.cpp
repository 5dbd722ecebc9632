#include "app/profile_saver_win.h"

namespace orvelle {

ProfileSaver::ProfileSaver(const std::wstring& folder, const KeyTable& table, const ProfileSet& profiles,
                           ProfileUi& ui)
    : table_(table), profiles_(profiles), ui_(ui), store_(files_, DecodeAnsi, folder) {}

void ProfileSaver::Schedule() {
  // A burst of changes costs one write; a process killed a second after an edit has the edit on
  // the disk.
  SetTimer(window_, kSaveTimer, kSaveDelayMs, nullptr);
}

void ProfileSaver::OnTimer() {
  Cancel();
  SaveNow();
}

void ProfileSaver::SaveNow() {
  const SaveResult result = store_.Save(table_, profiles_);
  if (result.outcome == SaveOutcome::Saved) failureTold_ = false;
  if (result.outcome != SaveOutcome::Failed || failureTold_) return;
  failureTold_ = true;
  ui_.Tell(result.message);
}

}  // namespace orvelle
