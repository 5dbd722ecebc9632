#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/autostart.h"
#include "app/autostart_win.h"
#include "app/command_line.h"
#include "app/key_tooltip_win.h"
#include "app/main_skin_win.h"
#include "app/main_window.h"
#include "app/popup_menus_win.h"
#include "app/profile_follower_win.h"
#include "app/profile_keys.h"
#include "app/profile_notice_win.h"
#include "app/program_start_win.h"
#include "app/remap_keeper_win.h"
#include "app/tray_presenter_win.h"
#include "app/key_tooltip.h"
#include "app/ui_language.h"
#include "app/window_face_win.h"
#include "assign/assign_dialog_win.h"
#include "model/key_table.h"
#include "model/profile_ops.h"
#include "model/profile_set.h"
#include "app/profile_saver_win.h"
#include "platform/win32/caption_drag_win.h"
#include "platform/win32/dialog_base_win.h"
#include "platform/win32/file_dialogs_win.h"
#include "resources/resource.h"

namespace orvelle {

// The main window: the keyboard picture, the profiles and everything that lives as long as the
// user interface does. It unpacks messages and hands them to the core, the remapping session,
// the tray icon and the tooltip.
class MainWindow final : public DialogBase, private ProfileUi {
 public:
  // `commands`: what the command line of this start asked for, done once the window is up.
  MainWindow(HINSTANCE instance, std::vector<RemoteCommand> commands);
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
  // Posted by the remap hook at the press of a profile key: wParam its ProfileTarget.
  static constexpr UINT kProfileKeyMessage = WM_APP + 20;
  // Posted by the remap hook while the window is shown: a key went down (lParam 1) or up (0).
  static constexpr UINT kLiveKeyMessage = WM_APP + 21;

  BEGIN_MSG_MAP()
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
    MESSAGE_HANDLER(WM_PAINT, OnPaint)
    MESSAGE_HANDLER(WM_QUERYDRAGICON, OnQueryDragIcon)
    NCHITTEST_AS_CAPTION()
    MESSAGE_HANDLER(WM_NCMOUSEMOVE, OnNcMouseMove)
    POINT_HANDLER(WM_NCMOUSEHOVER, OnNcMouseHover)
    MESSAGE_HANDLER(WM_NCMOUSELEAVE, OnNcMouseLeave)
    POINT_HANDLER(WM_NCLBUTTONDOWN, OnNcLeftButtonDown)
    MESSAGE_HANDLER(kTrayCallbackMessage, OnTrayCallback)
    MESSAGE_HANDLER(kIgnoredMessage, OnIgnoredMessage)
    MESSAGE_HANDLER(kStartupNoticeMessage, OnStartupNotice)
    MESSAGE_HANDLER(kFollowMessage, OnFollow)
    MESSAGE_HANDLER(WM_SHOWWINDOW, OnShownOrSized)
    MESSAGE_HANDLER(WM_SIZE, OnShownOrSized)
    MESSAGE_HANDLER(kStartProgramMessage, OnStartProgram)
    MESSAGE_HANDLER(kProgramFailedMessage, OnProgramFailed)
    MESSAGE_HANDLER(kProfileKeyMessage, OnProfileKey)
    MESSAGE_HANDLER(kLiveKeyMessage, OnLiveKey)
    MESSAGE_HANDLER(remoteCommand_, OnRemoteCommand)
    TIMER_HANDLER(ProfileSaver::kSaveTimer, saver_.OnTimer)
    TIMER_HANDLER(RemapKeeper::kHookWatchTimer, keeper_.OnWatchTimer)
    TIMER_HANDLER(TrayPresenter::kAddRetryTimer, tray_.OnAddRetryTimer)
    TIMER_HANDLER(MainFace::kWatchTimer, LookAtFace)
    MESSAGE_HANDLER(taskbarCreated_, OnTaskbarCreated)
    MESSAGE_HANDLER(showRequest_, OnShowRequest)
    MESSAGE_HANDLER(WM_SETTINGCHANGE, OnTraySizeMayChange)
    MESSAGE_HANDLER(WM_DISPLAYCHANGE, OnTraySizeMayChange)
    MESSAGE_HANDLER(WM_DPICHANGED, OnDpiChanged)
    MESSAGE_HANDLER(WM_DEVICECHANGE, OnDeviceChange)
    MESSAGE_HANDLER(RemapKeeper::kPresenceChangedMessage, OnPresenceChanged)
    MESSAGE_HANDLER(WM_INPUT, OnRawInput)
    EVENT_NOTICE_HANDLER(WM_POWERBROADCAST, keeper_.OnPowerBroadcast)
    EVENT_NOTICE_HANDLER(WM_WTSSESSION_CHANGE, keeper_.OnSessionChange)
    MESSAGE_HANDLER(WM_QUERYENDSESSION, OnQueryEndSession)
    MESSAGE_HANDLER(WM_ENDSESSION, OnEndSession)
    MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    MESSAGE_HANDLER(WM_COPYDATA, OnCopyData)
    COMMAND_ID_HANDLER_EX(ID_APP_EXIT_COMMAND, OnExitApplication)
    COMMAND_ID_HANDLER_EX(ID_OPEN_COMMAND, OnOpen)
    COMMAND_ID_HANDLER_EX(ID_ABOUT_COMMAND, OnAbout)
    COMMAND_ID_HANDLER_EX(ID_EXPORT_COMMAND, OnExport)
    COMMAND_ID_HANDLER_EX(ID_IMPORT_COMMAND, OnImport)
    COMMAND_RANGE_HANDLER_EX(ID_TAP_TIME_BASE, ID_TAP_TIME_BASE + kMaxTapMs, OnTapTime)
    COMMAND_RANGE_HANDLER_EX(ID_PROFILE_1_COMMAND, ID_PROFILE_3_COMMAND, OnProfileCommand)
    COMMAND_ID_HANDLER_EX(ID_AUTOSTART_COMMAND, OnAutostart)
    COMMAND_ID_HANDLER_EX(ID_PAUSE_COMMAND, OnPauseCommand)
    COMMAND_ID_HANDLER_EX(ID_RUN_AS_ADMIN_COMMAND, OnRunAsAdmin)
    COMMAND_ID_HANDLER_EX(ID_OSD_COMMAND, OnNoticeOption)
    COMMAND_ID_HANDLER_EX(ID_PROGRAMS_COMMAND, OnPrograms)
    COMMAND_RANGE_HANDLER_EX(ID_LANGUAGE_RUSSIAN_COMMAND, ID_LANGUAGE_ENGLISH_COMMAND, OnLanguageCommand)
    COMMAND_ID_HANDLER(IDOK, OnEndDialogCommand)
    COMMAND_ID_HANDLER(IDCANCEL, OnEndDialogCommand)
  END_MSG_MAP()

  // Start-up and shut-down.
  LRESULT OnInitDialog(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnStartupNotice(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnQueryEndSession(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnEndSession(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnDestroy(UINT, WPARAM, LPARAM, bool&);
  void OnExitApplication();
  LRESULT OnEndDialogCommand(WORD, WORD, HWND, bool&);
  // The keyboard and its hook.
  LRESULT OnDeviceChange(UINT, WPARAM, LPARAM, bool&);
  // The keyboard came or went: the tray and the picture say so.
  LRESULT OnPresenceChanged(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnRawInput(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnStartProgram(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnProgramFailed(UINT, WPARAM, LPARAM, bool&);
  // The live view: the key lights while it is down, and the tip names what it does.
  LRESULT OnLiveKey(UINT, WPARAM wParam, LPARAM lParam, bool&) {
    const int code = static_cast<int>(wParam);
    face_.SetPressed(code, lParam != 0);
    const int entry = EntryOfKeyCode(table_, code);
    if (lParam == 0) tooltip_.Hide();
    if (lParam == 0 || entry == kNoEntry) return 0;
    tooltip_.Show(KeyTooltipText(table_.Entry(entry).name, profiles_.working.records[static_cast<size_t>(entry - 1)]),
                  skin_.ToWindow(table_.HitRect(entry)));
    return 0;
  }
  // A profile key: a pause is the session's already; a switch is a Profile button's without the
  // question, and holds over a bound program in front until another window comes.
  LRESULT OnProfileKey(UINT, WPARAM wParam, LPARAM, bool&) {
    SwitchAsProfileKey(static_cast<ProfileTarget>(wParam));
    return 0;
  }
  // The tray menu's "Пауза": what a pause key does.
  void OnPauseCommand() {
    session_.TogglePause();
    tray_.SetPaused(session_.paused());
  }
  void SwitchAsProfileKey(ProfileTarget target) {
    tray_.SetPaused(session_.paused());
    const int profile = ProfileChosenByKey(target, session_.activeProfile());
    if (keeper_.closing() || profile == 0) return;
    keySwitch_.Switch(profiles_, profile);
    RepaintMainWindow();
    follower_.HomeChosenByHand();
    ScheduleSave();
  }
  // "/profile" and "/pause" of a start's command line, this one's or a later start's: done as a
  // profile key would do them, without showing the window.
  LRESULT OnRemoteCommand(UINT, WPARAM wParam, LPARAM, bool&) {
    const std::optional<RemoteCommand> command = RemoteCommandOfNumber(static_cast<long long>(wParam));
    if (!command || keeper_.closing()) return 0;
    if (const std::optional<bool> pause = PauseWanted(*command, session_.paused())) session_.SetPaused(*pause);
    SwitchAsProfileKey(ProfileTargetOf(*command));
    return 0;
  }
  // Commands of the test twin's driver; the program itself leaves them unhandled.
  LRESULT OnCopyData(UINT, WPARAM, LPARAM, bool&);
  // Painting and the mouse.
  LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnPaint(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnQueryDragIcon(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnNcMouseMove(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnNcMouseHover(POINT screen, bool&);
  LRESULT OnNcMouseLeave(UINT, WPARAM, LPARAM, bool&) {
    face_.OnLeave();
    tooltip_.Hide();
    return 0;
  }
  void LookAtFace() { face_.Look(session_.keyboardPresent()); }
  LRESULT OnNcLeftButtonDown(POINT screen, bool& handled);
  // The tray icon and the menus.
  LRESULT OnTrayCallback(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnIgnoredMessage(UINT, WPARAM, LPARAM, bool&) { return 0; }
  LRESULT OnTaskbarCreated(UINT, WPARAM, LPARAM, bool&) {
    tray_.Restore();
    return 0;
  }
  // The window's monitor has another scale: the skin at it, the window resized in place.
  LRESULT OnDpiChanged(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  LRESULT OnTraySizeMayChange(UINT, WPARAM, LPARAM, bool& handled) {
    tray_.SizeMayHaveChanged();
    handled = false;
    return 0;
  }
  // A second start asks for the window.
  LRESULT OnShowRequest(UINT, WPARAM, LPARAM, bool&) {
    OnOpen();
    return 0;
  }
  void OnOpen();
  void OnAbout();
  void OnExport();
  void OnImport();
  void OnTapTime(int id);
  void OnProfileCommand(int id);
  void OnAutostart();
  void OnRunAsAdmin() {
    const RunAsAdminOutcome outcome = ChooseRunAsAdmin(hwnd(), profiles_.runAsAdmin);
    if (outcome.autostartFailed) Tell(Text(TextId::AutostartFailed), MessageKind::Error);
    if (outcome.changed) ScheduleSave();
    if (outcome.exit) OnExitApplication();  // saves the option for the elevated copy
  }
  void OnPrograms();
  // "показывать смену профиля": the on-screen notice on or off, saved like every setting.
  void OnNoticeOption() {
    profiles_.osd = !profiles_.osd;
    if (!profiles_.osd) notice_.Hide();
    ScheduleSave();
  }
  // "Menu" > "Язык / Language": the choice is kept in set.ini and the whole interface switches.
  void OnLanguageCommand(int id) {
    const std::optional<Language> language = LanguageOfCommand(id);
    if (!language) return;
    profiles_.language = std::wstring(LanguageCode(*language));
    ScheduleSave();
    SetLanguage(*language);
    OnLanguageChanged();
  }
  // Menus and dialogs take the new language's texts as they open; what is on the screen now follows.
  void OnLanguageChanged() {
    skin_.ChangeLanguage(hwnd(), std::wstring(LanguageCode(CurrentLanguage())));
    tray_.LanguageChanged();
    InvalidateRect(hwnd(), nullptr, FALSE);
  }
  // The profile that follows the program in front.
  LRESULT OnFollow(UINT, WPARAM, LPARAM, bool&) {
    follower_.Follow();
    // The live view runs only while the window can be seen; hidden, its keys' releases never come.
    session_.SetLiveView(MainWindowShown());
    if (!MainWindowShown()) face_.ReleaseAll();
    face_.Watch(MainWindowShown() && !IsIconic(hwnd()), session_.keyboardPresent());
    return 0;
  }
  LRESULT OnShownOrSized(UINT, WPARAM, LPARAM, bool&);

  // ProfileUi: the questions and file choices of the profile operations.
  // Once the exit command came, no new question or message holds the exit up.
  bool Confirm(std::wstring_view text) override {
    return !exiting_ && ShowMessage(hwnd(), text, MessageKind::Question) == IDOK;
  }
  std::optional<std::wstring> ChooseExportFile(std::wstring_view name) override {
    return ChooseFile(hwnd(), kExportDialog, true, InDocumentsFolder(name));
  }
  std::optional<std::wstring> ChooseImportFile() override { return ChooseFile(hwnd(), kImportDialog, false); }
  void RepaintMainWindow() override;
  void Tell(std::wstring_view text, MessageKind kind) override {
    if (!exiting_) ShowMessage(hwnd(), text, kind);
  }

  // The exit command or the end of the session: no question or message holds it up any more. The
  // installer and the tray send the command while a box of ours may wait for an answer nobody
  // gives, and the window would end only once the box did.
  void StopAsking() {
    exiting_ = true;
    CancelThreadDialogs(hwnd());
  }
  // Takes both keyboard hooks out: the first step of every shut-down.
  void RemoveHooks();
  void RunScreenAction(ScreenAction action);
  bool MainWindowShown() const { return IsShownWindow(hwnd()); }
  // Shut-down: edits not yet applied are applied, then everything is saved.
  void SaveProfiles();
  // The profiles changed (applied, switched, reset, imported, a key edited): the keys do what they
  // say from now on, and about a second later they go to set.ini.
  void ProfilesChanged();
  void ScheduleSave();
  void EditKey(int entry);
  void EditMacros();

  HINSTANCE instance_;
  std::wstring folder_;  // the executable's folder, with its trailing backslash
  AssignDialogWindow assign_;   // the key assignment dialog, shown again at every use
  LoadReport startupReport_;
  KeyTable table_;
  ProfileSet profiles_;
  ProfileSaver saver_;
  MainSkin skin_;
  HICON icon_ = nullptr;  // shared resource icon, never destroyed
  KeyTooltip tooltip_;
  MainFace face_;
  ProfileNotice notice_;  // told by the tray, so it outlives it
  TrayPresenter tray_;
  ProfileFollower follower_;
  UINT taskbarCreated_ = 0;
  UINT showRequest_ = 0;
  UINT remoteCommand_ = 0;
  std::vector<RemoteCommand> startCommands_;
  ProgramStarter programs_;
  KeySwitch keySwitch_;  // a profile key's switch, which never asks
  bool tellingStartFailure_ = false;  // a failed start is being told: the next ones are not
  bool exiting_ = false;  // the exit command came, or the session ends
  // Last, so that it goes first: the hooks out and every key released before anything it reads.
  RemapKeeper keeper_;
  RemapSession& session_;  // the keeper's
};

}  // namespace orvelle
