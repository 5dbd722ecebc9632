#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <optional>
#include <string>

#include "app/foreground_watch_win.h"
#include "app/key_tooltip_win.h"
#include "app/main_skin_win.h"
#include "app/main_window.h"
#include "app/profile_follow.h"
#include "app/program_start_win.h"
#include "app/session_notices_win.h"
#include "app/tray_icon_win.h"
#include "assign/assign_dialog_win.h"
#include "engine/remap_session_win.h"
#include "model/key_table.h"
#include "model/profile_ops.h"
#include "model/profile_set.h"
#include "model/profile_store.h"
#include "platform/win32/dialog_base_win.h"
#include "platform/win32/file_store_win.h"
#include "resources/resource.h"

namespace orvelle {

// The main window: the keyboard picture, the profiles and everything that lives as long as the
// user interface does. It unpacks messages and hands them to the core, the remapping session,
// the tray icon and the tooltip.
class MainWindow final : public DialogBase, private ProfileUi, private ForegroundListener {
 public:
  explicit MainWindow(HINSTANCE instance);
  ~MainWindow() override;

 private:
  static constexpr UINT kIgnoredMessage = WM_USER + 101;
  // Posted at the end of start-up: the one message about the files, once the window is up.
  static constexpr UINT kStartupNoticeMessage = WM_APP + 1;
  // Posted when the main window was shown, hidden, minimised or restored: whether it is out of
  // the way is known once the change is done.
  static constexpr UINT kFollowMessage = WM_APP + 10;
  // Posted by the remap hook at the release of a program key: wParam the key code, lParam the
  // profile number.
  static constexpr UINT kStartProgramMessage = WM_APP + 2;
  // Posted by the program starter when a target could not be started.
  static constexpr UINT kProgramFailedMessage = WM_APP + 3;
  static constexpr UINT_PTR kSaveTimer = 1;
  static constexpr UINT_PTR kHookWatchTimer = 2;
  // Profiles are saved this long after the last applied change.
  static constexpr UINT kSaveDelayMs = 1000;

  BEGIN_MSG_MAP()
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
    MESSAGE_HANDLER(WM_PAINT, OnPaint)
    MESSAGE_HANDLER(WM_QUERYDRAGICON, OnQueryDragIcon)
    MESSAGE_HANDLER(WM_NCHITTEST, OnNcHitTest)
    MESSAGE_HANDLER(WM_NCMOUSEMOVE, OnNcMouseMove)
    MESSAGE_HANDLER(WM_NCMOUSEHOVER, OnNcMouseHover)
    MESSAGE_HANDLER(WM_NCMOUSELEAVE, OnNcMouseLeave)
    MESSAGE_HANDLER(WM_NCLBUTTONDOWN, OnNcLeftButtonDown)
    MESSAGE_HANDLER(kTrayCallbackMessage, OnTrayCallback)
    MESSAGE_HANDLER(kIgnoredMessage, OnIgnoredMessage)
    MESSAGE_HANDLER(kStartupNoticeMessage, OnStartupNotice)
    MESSAGE_HANDLER(kFollowMessage, OnFollow)
    MESSAGE_HANDLER(WM_SHOWWINDOW, OnShownOrSized)
    MESSAGE_HANDLER(WM_SIZE, OnShownOrSized)
    MESSAGE_HANDLER(kStartProgramMessage, OnStartProgram)
    MESSAGE_HANDLER(kProgramFailedMessage, OnProgramFailed)
    MESSAGE_HANDLER(WM_TIMER, OnTimer)
    MESSAGE_HANDLER(taskbarCreated_, OnTaskbarCreated)
    MESSAGE_HANDLER(WM_DEVICECHANGE, OnDeviceChange)
    MESSAGE_HANDLER(WM_INPUT, OnRawInput)
    MESSAGE_HANDLER(WM_POWERBROADCAST, OnPowerBroadcast)
    MESSAGE_HANDLER(WM_WTSSESSION_CHANGE, OnSessionChange)
    MESSAGE_HANDLER(WM_QUERYENDSESSION, OnQueryEndSession)
    MESSAGE_HANDLER(WM_ENDSESSION, OnEndSession)
    MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
#ifdef ORVELLE_E2E
    MESSAGE_HANDLER(WM_COPYDATA, OnCopyData)
#endif
    COMMAND_ID_HANDLER(ID_APP_EXIT_COMMAND, OnExitApplication)
    COMMAND_ID_HANDLER(ID_OPEN_COMMAND, OnOpen)
    COMMAND_ID_HANDLER(ID_ABOUT_COMMAND, OnAbout)
    COMMAND_ID_HANDLER(ID_EXPORT_COMMAND, OnExport)
    COMMAND_ID_HANDLER(ID_IMPORT_COMMAND, OnImport)
    COMMAND_RANGE_HANDLER(ID_TAP_TIME_BASE, ID_TAP_TIME_BASE + kMaxTapMs, OnTapTime)
    COMMAND_RANGE_HANDLER(ID_PROFILE_1_COMMAND, ID_PROFILE_3_COMMAND, OnProfileCommand)
    COMMAND_ID_HANDLER(ID_AUTOSTART_COMMAND, OnAutostart)
    COMMAND_ID_HANDLER(ID_PROGRAMS_COMMAND, OnPrograms)
    COMMAND_ID_HANDLER(IDOK, OnEndDialogCommand)
    COMMAND_ID_HANDLER(IDCANCEL, OnEndDialogCommand)
  END_MSG_MAP()

  // Start-up and shut-down.
  LRESULT OnInitDialog(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnStartupNotice(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnQueryEndSession(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnEndSession(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnDestroy(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnExitApplication(WORD, WORD, HWND, bool&);
  LRESULT OnEndDialogCommand(WORD, WORD, HWND, bool&);
  LRESULT OnTimer(UINT, WPARAM, LPARAM, bool&);
  // The keyboard and its hook.
  LRESULT OnDeviceChange(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnRawInput(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnStartProgram(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnProgramFailed(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnPowerBroadcast(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnSessionChange(UINT, WPARAM, LPARAM, bool&);
#ifdef ORVELLE_E2E
  LRESULT OnCopyData(UINT, WPARAM, LPARAM, bool&);
#endif
  // Painting and the mouse.
  LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnPaint(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnQueryDragIcon(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnNcHitTest(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnNcMouseMove(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnNcMouseHover(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnNcMouseLeave(UINT, WPARAM, LPARAM, bool&) { return 0; }
  LRESULT OnNcLeftButtonDown(UINT, WPARAM, LPARAM, bool&);
  // The tray icon and the menus.
  LRESULT OnTrayCallback(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnIgnoredMessage(UINT, WPARAM, LPARAM, bool&) { return 0; }
  LRESULT OnTaskbarCreated(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnOpen(WORD, WORD, HWND, bool&);
  LRESULT OnAbout(WORD, WORD, HWND, bool&);
  LRESULT OnExport(WORD, WORD, HWND, bool&);
  LRESULT OnImport(WORD, WORD, HWND, bool&);
  LRESULT OnTapTime(WORD, WORD, HWND, bool&);
  LRESULT OnProfileCommand(WORD, WORD, HWND, bool&);
  LRESULT OnAutostart(WORD, WORD, HWND, bool&);
  LRESULT OnPrograms(WORD, WORD, HWND, bool&);
  // The profile that follows the program in front.
  LRESULT OnFollow(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnShownOrSized(UINT, WPARAM, LPARAM, bool&);
  void OnForegroundChanged(HWND window) override;

  // ProfileUi: the questions and file choices of the profile operations.
  bool Confirm(std::wstring_view text) override;
  std::optional<std::wstring> ChooseExportFile() override;
  std::optional<std::wstring> ChooseImportFile() override;
  void RepaintMainWindow() override;
  void Tell(std::wstring_view text) override;

  void AfterMessage(UINT message, unsigned long long elapsedMs) override;

  void CheckKeyboardPresence();
  // The remap hook out and in again (while the program is not closing).
  void ReinstallRemapHook();
  // Acts on what the watch on the remap hook says: lost, back in; waiting, look again soon.
  void FollowHookWatch(RemapHook::WatchState state);
  // Takes both keyboard hooks out: the first step of every shut-down.
  void RemoveHooks();
  void DrawRegions(const std::vector<RegionDraw>& draws);
  void PaintMainWindow(HDC target);
  void RunScreenAction(ScreenAction action);
  void ShowPopupMenu(int menuId);
  // The key hold time choices, as a submenu of the "Menu" button's menu.
  void AddTapTimeMenu(HMENU buttonMenu);
  // The tray menu's profile and autostart items as they are now.
  void MarkTrayMenu(HMENU trayMenu);
  // The keys follow the home profile or the one the program in front brings; the tray shows
  // which, on its icon and in its tip.
  void FollowForeground();
  bool MainWindowShown() const;
  // Shut-down: edits not yet applied are applied, then everything is saved.
  void SaveProfiles();
  // The profiles changed (applied, switched, reset, imported, a key edited): the keys do what they
  // say from now on, and about a second later they go to set.ini.
  void ProfilesChanged();
  void ScheduleSave();
  void SaveNow();
  void EditKey(int entry);
  void EditMacros();

  HINSTANCE instance_;
  std::wstring folder_;  // the executable's folder, with its trailing backslash
  AssignDialogWindow assign_;   // the key assignment dialog, shown again at every use
  Win32FileStore files_;
  ProfileStore store_;
  LoadReport startupReport_;
  bool saveFailureTold_ = false;  // a failed save is told once, until a save succeeds again
  KeyTable table_;
  ProfileSet profiles_;
  MainSkin skin_;
  HICON icon_ = nullptr;  // shared resource icon, never destroyed
  KeyTooltip tooltip_;
  HoverState hover_;
  TrayIcon tray_;
  std::array<UniqueIcon, 3> trayIcons_;  // the icon with the number of profile 1, 2, 3
  std::unique_ptr<ForegroundWatch> foreground_;
  std::wstring foregroundPath_;  // of the program in front, as last told
  FollowedProfile followed_{0, {}};
#ifdef ORVELLE_E2E
  unsigned long long followedAtUs_ = 0;  // when followed_ last changed, in Unix microseconds
#endif
  UINT taskbarCreated_ = 0;
  UniqueDeviceNotify deviceNotices_;
  std::unique_ptr<SessionNotices> sessionNotices_;
  bool closing_ = false;
  ProgramStarter programs_;
  bool tellingStartFailure_ = false;  // a failed start is being told: the next ones are not
  // Last, so that it goes first: the hooks out and every key released before anything it reads.
  RemapSession session_;
};

}  // namespace orvelle
