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
  const SaveRetry::Step step = retry_.After(result, GetTickCount64());
  if (step.retryInMs) SetTimer(window_, kSaveTimer, static_cast<UINT>(*step.retryInMs), nullptr);
  // A message box runs a message loop, where the timer may save again: each thing is told once.
  if (!result.kept.empty() && result.kept != keptTold_) {
    keptTold_ = result.kept;
    ui_.Tell(KeptVersionMessage(result.kept), MessageKind::Warning);
  }
  if (step.tell) ui_.Tell(result.message, MessageKind::Error);
}

void ProfileSaver::SaveAtExit() {
  Cancel();
  // A wait of its own: a file held since long before the exit is still waited for now.
  SaveRetry retry;
  const ULONGLONG started = GetTickCount64();
  for (;;) {
    const SaveResult result = store_.Save(table_, profiles_);
    const SaveRetry::Step step = retry.After(result, GetTickCount64());
    if (!step.quick || GetTickCount64() - started >= kExitPatienceMs) return;
    Sleep(static_cast<DWORD>(*step.retryInMs));
  }
}

}  // namespace orvelle
