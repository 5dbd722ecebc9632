#include "app/ui_language.h"

#include "resources/resource.h"

namespace orvelle {
namespace {

// IDOK and IDCANCEL as the system defines them; this half does not include <windows.h>.
constexpr int kDialogOk = 1;
constexpr int kDialogCancel = 2;

constexpr ItemText kMenuItems[] = {
    {ID_OPEN_COMMAND, TextId::MenuOpen},
    {ID_PROFILE_1_COMMAND, TextId::MenuProfile1},
    {ID_PROFILE_2_COMMAND, TextId::MenuProfile2},
    {ID_PROFILE_3_COMMAND, TextId::MenuProfile3},
    {ID_PAUSE_COMMAND, TextId::MenuPause},
    {ID_AUTOSTART_COMMAND, TextId::MenuAutostart},
    {ID_RUN_AS_ADMIN_COMMAND, TextId::MenuRunAsAdmin},
    {ID_ABOUT_COMMAND, TextId::MenuAbout},
    {ID_APP_EXIT_COMMAND, TextId::MenuExit},
    {ID_IMPORT_COMMAND, TextId::MenuImport},
    {ID_EXPORT_COMMAND, TextId::MenuExport},
    {ID_PROGRAMS_COMMAND, TextId::MenuPrograms},
    {ID_LANGUAGE_RUSSIAN_COMMAND, TextId::LanguageRussian},
    {ID_LANGUAGE_ENGLISH_COMMAND, TextId::LanguageEnglish},
};

constexpr ItemText kProgramsDialog[] = {
    {IDC_PROGRAMS_INTRO, TextId::ProgramsIntro},
    {IDC_PROGRAM_ADD, TextId::ProgramsAdd},
    {IDC_PROGRAM_REMOVE, TextId::ProgramsRemove},
    {IDC_PROGRAMS_PROFILE_LABEL, TextId::ProgramsProfileLabel},
    {kDialogOk, TextId::DialogOk},
    {kDialogCancel, TextId::DialogCancel},
};

constexpr ItemText kAboutBox[] = {
    {IDC_ABOUT_DESCRIPTION, TextId::AboutDescription},
    {IDC_ABOUT_RIGHTS, TextId::AboutRights},
    {kDialogOk, TextId::DialogOk},
};

}  // namespace

std::span<const ItemText> MenuItemTexts() { return kMenuItems; }
std::span<const ItemText> ProgramsDialogTexts() { return kProgramsDialog; }
std::span<const ItemText> AboutBoxTexts() { return kAboutBox; }

int LanguageCommand(Language language) {
  return language == Language::Russian ? ID_LANGUAGE_RUSSIAN_COMMAND : ID_LANGUAGE_ENGLISH_COMMAND;
}

std::optional<Language> LanguageOfCommand(int commandId) {
  if (commandId == ID_LANGUAGE_RUSSIAN_COMMAND) return Language::Russian;
  if (commandId == ID_LANGUAGE_ENGLISH_COMMAND) return Language::English;
  return std::nullopt;
}

}  // namespace orvelle
