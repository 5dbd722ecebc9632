#pragma once

#include <windows.h>

#include "engine/output_queue.h"
#include "model/profile_set.h"

namespace orvelle {

// What the remap hook, a free callback, reads: the profiles (active number and the three
// profile copies' KeyMaps), the keyboard's presence state and the output queue. All of it lives
// on the user-interface thread, where the hook runs.
struct RemapHookTargets {
  const ProfileSet* profiles = nullptr;
  const bool* keyboardPresent = nullptr;
  OutputQueue* queue = nullptr;
};

void BindRemapHook(const RemapHookTargets& targets);
// Installs the hook unless one is installed already.
void InstallRemapHook(HINSTANCE instance);
// Removes the installed hook; a failed removal keeps the handle for the next try.
void RemoveRemapHook();
bool IsRemapHookInstalled();

LRESULT CALLBACK RemapHookProc(int code, WPARAM wParam, LPARAM lParam) noexcept;

}  // namespace orvelle
