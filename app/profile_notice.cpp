#include "app/profile_notice.h"

#include "base/text.h"
#include "base/texts.h"

namespace orvelle {

namespace {

// The program's file name: a path says more than a glance can take in.
std::wstring FileNameOf(const std::wstring& program) {
  const size_t slash = program.find_last_of(L"\\/");
  return slash == std::wstring::npos ? program : program.substr(slash + 1);
}

// Long names are cut so that the notice stays small.
constexpr size_t kMaxProgramChars = 40;

}  // namespace

bool NoticeWorthy(const FollowedProfile& before, bool pausedBefore, const FollowedProfile& now, bool pausedNow) {
  if (before.profile == 0) return false;
  if (pausedBefore != pausedNow) return true;
  return !pausedNow && before.profile != now.profile;
}

std::wstring NoticeText(const FollowedProfile& followed, bool paused) {
  if (paused) return std::wstring(Text(TextId::NoticePaused));
  std::wstring text = std::wstring(Text(TextId::NoticeProfile)) + FormatInt(followed.profile);
  std::wstring program = FileNameOf(followed.program);
  if (program.empty()) return text;
  if (program.size() > kMaxProgramChars) program = program.substr(0, kMaxProgramChars - 1) + L"…";
  return text + std::wstring(Text(TextId::NoticeProgramSeparator)) + program;
}

Rect NoticePlace(const Rect& workArea, int width, int height) {
  const Point origin = CentredOrigin(workArea, width, height);
  // An eighth of the height above the bottom: clear of the taskbar's edge and of a game's bottom
  // bar, and still out of the middle of the picture.
  const int gap = workArea.Height() / 8;
  int top = Rect::SaturatingSum(workArea.bottom, -static_cast<long long>(gap) - height);
  if (top < workArea.top) top = workArea.top;
  return Rect::FromOriginAndSize(origin.x, top, width, height);
}

}  // namespace orvelle
