#pragma once

#include <windows.h>

#include <array>
#include <string>

#include "app/dialog_base_win.h"
#include "assign/assign_dialog.h"
#include "assign/recording_hook_win.h"
#include "controls/bit_button_win.h"
#include "model/key_table.h"
#include "platform/win32/handles.h"
#include "resources/resource.h"

namespace orvelle {

// The key assignment dialog: a skinned window on template 148 whose decisions are made by
// AssignDialog. One object lives as long as the main window; every opening creates its controls
// anew and cuts its button faces from the pictures loaded once.
class CSetCongfig final : public DialogBase, private AssignUi {
 public:
  CSetCongfig(HINSTANCE instance, const std::wstring& folder);
  ~CSetCongfig() override;

  AssignDialog& logic() { return logic_; }
  // Runs the dialog modally over `owner`. OK writes the edited key's entry of `workingKeyMap`.
  INT_PTR Run(HWND owner, KeyMap& workingKeyMap, const MediaNameMap& media);
  // Ends an open dialog through its cancel handling (the program is exiting).
  void CancelIfOpen();
  // The remap hook was installed again and now heads the hook chain: the recording hook, if it
  // runs, goes back in front of it, or remapped keys would reach neither the recorder nor their
  // application as pressed.
  void PutRecordingHookFirst();
  bool recordingHookInstalled() const { return recordingHook_.installed(); }
  void RemoveRecordingHook() { recordingHook_.Remove(); }

 private:
  BEGIN_MSG_MAP()
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    MESSAGE_HANDLER(WM_NCHITTEST, OnNcHitTest)
    MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
    MESSAGE_HANDLER(WM_DRAWITEM, OnDrawItem)
    MESSAGE_HANDLER(WM_NOTIFY, OnNotify)
    MESSAGE_HANDLER(WM_ACTIVATE, OnActivate)
    MESSAGE_HANDLER(RecordingHook::kRecordedKeyMessage, OnRecordedKey)
    MESSAGE_HANDLER(WM_COMMAND, OnCommand)
  END_MSG_MAP()

  LRESULT OnInitDialog(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnNcHitTest(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnDrawItem(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnNotify(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnActivate(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnRecordedKey(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnCommand(UINT, WPARAM, LPARAM, bool&);

  // AssignUi
  std::wstring KeyName(int32_t keyNameParameter) override;
  bool ConfirmMacroDelete(std::wstring_view text) override;
  void Warn(std::wstring_view text) override;

  void LoadDialogSkin();
  void LayOutControls();
  void ShapeDialog();
  void PaintBackground(HDC dc);
  void ReleaseFaces();
  void Close(INT_PTR result);
  // Makes the controls show what the logic's view says, touching only what changed.
  void ApplyView(bool everything);
  void ApplyStepRows(const AssignView& now, const AssignView& before, bool everything);
  // The recording hook runs only while the logic wants it and the dialog is the active window:
  // another program the user switches to gets its keys.
  void SyncRecordingHook();
  HWND Item(int id) const { return GetDlgItem(hwnd(), id); }

  HINSTANCE instance_;
  std::wstring folder_;
  AssignDialog logic_;
  AssignView applied_;
  int appliedKind_ = -1;
  KeyMap* workingKeyMap_ = nullptr;
  bool active_ = false;
  RecordedKeyQueue recordedKeys_;
  RecordingHook recordingHook_{recordedKeys_};
  const MediaNameMap* media_ = nullptr;

  // Loaded once: mask, key normal/over/down, media, function, macro normal/over/down/disable,
  // macro-only background.
  enum Picture { kMask, kKeyNormal, kKeyOver, kKeyDown, kMedia, kFunction, kMacroNormal, kMacroOver, kMacroDown,
                 kMacroDisable, kMacroOnly, kPictureCount };
  std::array<UniqueBitmap, kPictureCount> pictures_;
  // The outline from the mask, built once; each opening gives the window a copy.
  UniqueRegion outline_;
  SIZE maskSize_{};
  std::array<Rect, 23> layout_{};  // entries 1..23 of "Composite.ini"
  Unique<GdiObjectTraits> keyFieldFont_;
  Unique<GdiObjectTraits> listFont_;
  std::array<CBitButtton, 18> buttons_;  // entries 1..4 and 6..18, in entry order
};

}  // namespace orvelle
