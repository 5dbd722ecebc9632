#pragma once

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "base/language.h"

// Every text the user interface shows, by id; the words of each language live in a table of their
// own (base/texts_ru.cpp, base/texts_en.cpp), so that another language is a translation and not a
// change of the code that shows it. Stored names (profile names, the command and media names that
// set.ini reads back) are not texts: they belong to the file format and never change with the
// language.
namespace orvelle {

enum class TextId {
  AppTitle,
  TrayKeyboardMissing,
  TrayPaused,
  TrayProfile,
  TrayStartedTitle,
  TrayStartedText,
  TrayStartedHidden,
  CommandLineUsage,
  KeyboardMissing,
  LegendRemap,
  LegendCommand,
  LegendMacro,
  LegendText,
  LegendProgram,
  LegendOff,
  LegendHold,
  NumLockOffNotice,
  LoopCountHint,
  StepDelayHint,
  SingleKeysOnly,
  ClearStepsQuestion,
  StepColumnKey,
  StepColumnAction,
  StepColumnDelay,
  StepDown,
  StepUp,
  ExportDialogTitle,
  ImportDialogTitle,
  ProfileFileFilter,
  ProgramDialogTitle,
  ProgramFileFilter,
  OnScreenKeyboardFailed,
  ShortcutCtrl,
  ShortcutAlt,
  ShortcutShift,
  ShortcutSpace,
  ShortcutNumPlus,
  ShortcutNumMinus,
  ProfileChoice1,
  ProfileChoice2,
  ProfileChoice3,
  ProfileChoiceNext,
  ProfileChoicePause,
  MouseLeft,
  MouseRight,
  MouseMiddle,
  MouseX1,
  MouseX2,
  MouseWheelUp,
  MouseWheelDown,
  TurboPeriodHint,
  NoticeMenu,
  NoticeProfile,
  NoticeProgramSeparator,
  NoticePaused,
  MacroInUseQuestion,
  SwitchQuestion,
  ResetQuestion,
  ExportNameStart,
  ExportNameEnd,
  ExportDoneStart,
  ExportDoneMiddle,
  ExportUnreadable,
  ExportChangedMeanwhile,
  ExportNotWritten,
  ImportMissing,
  ImportTooLarge,
  ImportUnreadable,
  ImportNoProfile,
  TapTimeMenu,
  TapTimeOff,
  TapTimeMs,
  AboutTitle,
  AboutVersion,
  AboutDescription,
  AboutRights,
  MenuOpen,
  MenuProfile1,
  MenuProfile2,
  MenuProfile3,
  MenuPause,
  MenuAutostart,
  MenuRunAsAdmin,
  MenuAbout,
  MenuExit,
  MenuImport,
  MenuExport,
  MenuPrograms,
  MenuLanguage,
  LanguageRussian,
  LanguageEnglish,
  ProgramsTitle,
  ProgramsIntro,
  ProgramsAdd,
  ProgramsRemove,
  ProgramsProfileLabel,
  ProgramsHeadingProgram,
  ProgramsHeadingProfile,
  ProgramsBrowse,
  ProgramsProfileItem,
  DialogOk,
  DialogCancel,
  AutostartFailed,
  ElevatedProgramTitle,
  ElevatedProgramText,
  ProgramStartFailed,
  ActionMacro,
  ActionText,
  ActionProgram,
  ActionKey,
  ImportedActionsStart,
  ImportedActionsMore,
  ImportedActionsQuestion,
  SetUnreadable,
  SetTooLarge,
  SetDefaultsNote,
  FolderReadOnly,
  FolderReadOnlyNote,
  KeptVersionStart,
  KeptVersionNote,
  LayoutMissing,
  LayoutUnreadable,
  LayoutNoKeys,
  LayoutNote,
  SaveFailed,
  TipSeparator,
  TipUnchanged,
  TipKey,
  TipMacro,
  TipMedia,
  TipCommand,
  TipText,
  TipProgram,
  TipDisabled,
  TipHold,
  TipTurboBefore,
  TipTurboAfter,
  TipProfile,
  TipNextProfile,
  TipPause,
  TipMouseLeft,
  TipMouseRight,
  TipMouseMiddle,
  TipMouseX1,
  TipMouseX2,
  TipWheelUp,
  TipWheelDown,
  TipOpenQuote,
  TipCloseQuote,
  CommandOpen,
  CommandNew,
  CommandUndo,
  CommandSave,
  CommandCopy,
  CommandCut,
  CommandPaste,
  CommandFind,
  CommandSelectAll,
  CommandZoomIn,
  CommandZoomOut,
  CommandMinimize,
  CommandMaximize,
  MediaPlayPause,
  MediaPrevious,
  MediaNext,
  MediaRefresh,
  MediaStop,
  MediaBack,
  MediaForward,
  Count  // not a text: how many there are
};

inline constexpr int kTextCount = static_cast<int>(TextId::Count);

struct TextEntry {
  TextId id;
  std::wstring_view text;
};

// One language's table as its source file lists it.
std::span<const TextEntry> TextTable(Language language);

// The text `id` in `language`; empty only for an id the table lacks (a unit test keeps that from
// happening).
std::wstring_view TextIn(Language language, TextId id);

// The language the interface shows from now on, and the one it shows.
void SetLanguage(Language language);
Language CurrentLanguage();

// The text `id` in the current language.
std::wstring_view Text(TextId id);

// The text `id` with each "{}" replaced by the next of `values`, in order: a language may put the
// values where its sentence needs them.
std::wstring TextWith(TextId id, std::initializer_list<std::wstring_view> values);

}  // namespace orvelle
