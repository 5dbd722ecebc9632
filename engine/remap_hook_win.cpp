#include "engine/remap_hook_win.h"

#include "engine/remap.h"

namespace orvelle {
namespace {

HHOOK g_remapHook = nullptr;
RemapHookTargets g_targets;

}  // namespace

void BindRemapHook(const RemapHookTargets& targets) { g_targets = targets; }

void InstallRemapHook(HINSTANCE instance) {
  if (g_remapHook != nullptr) return;
  g_remapHook = SetWindowsHookExW(WH_KEYBOARD_LL, RemapHookProc, instance, 0);
}

void RemoveRemapHook() {
  if (g_remapHook != nullptr && UnhookWindowsHookEx(g_remapHook)) g_remapHook = nullptr;
}

bool IsRemapHookInstalled() { return g_remapHook != nullptr; }

LRESULT CALLBACK RemapHookProc(int code, WPARAM wParam, LPARAM lParam) noexcept {
  auto* event = reinterpret_cast<KBDLLHOOKSTRUCT*>(lParam);
  if (code != HC_ACTION || event == nullptr || g_targets.profiles == nullptr || g_targets.queue == nullptr) {
    return CallNextHookEx(g_remapHook, code, wParam, lParam);
  }
  const ProfileSet& profiles = *g_targets.profiles;
  RemapInputs inputs;
  inputs.keyboardPresent = g_targets.keyboardPresent == nullptr || *g_targets.keyboardPresent;
  inputs.activeProfile = profiles.activeProfile;
  for (int n = 1; n <= 3; ++n) inputs.keyMaps[static_cast<size_t>(n - 1)] = &profiles.Profile(n).keyMap;

  const KeyDecision decision =
      HandleKeyEvent(static_cast<int>(event->vkCode), event->flags, inputs, *g_targets.queue,
                     [] { return static_cast<int16_t>(GetKeyState(VK_NUMLOCK)); });
  event->vkCode = static_cast<DWORD>(decision.vkCode);
  switch (decision.verdict) {
    case Verdict::RemoveHookThenPass:
      RemoveRemapHook();
      return CallNextHookEx(g_remapHook, code, wParam, lParam);
    case Verdict::Swallow:
    case Verdict::SwallowAndAppend:
      return 1;
    case Verdict::Pass:
      break;
  }
  return CallNextHookEx(g_remapHook, code, wParam, lParam);
}

}  // namespace orvelle
