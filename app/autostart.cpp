#include "app/autostart.h"

#include "model/program_bindings.h"

namespace orvelle {

std::wstring RunCommandFor(std::wstring_view executablePath) { return L"\"" + std::wstring(executablePath) + L"\""; }

bool RunsThisProgram(std::wstring_view runValue, std::wstring_view executablePath) {
  while (!runValue.empty() && runValue.front() == L' ') runValue.remove_prefix(1);
  std::wstring_view path = runValue;
  if (!path.empty() && path.front() == L'"') {
    path.remove_prefix(1);
    path = path.substr(0, path.find(L'"'));
  } else {
    path = path.substr(0, path.find(L' '));
  }
  if (path.empty() || path.size() != executablePath.size()) return false;
  return SameProgram(path, executablePath);
}

bool StartupApprovedAllows(const std::vector<uint8_t>& state) { return state.empty() || (state.front() & 1) == 0; }

AutostartPlan PlanAutostart(bool startWithWindows, bool runAsAdmin) {
  if (!startWithWindows) return {};
  return runAsAdmin ? AutostartPlan{false, true} : AutostartPlan{true, false};
}

namespace {

// Text as XML character data: a path may hold '&' ("Tom & Jerry").
std::wstring XmlText(std::wstring_view text) {
  std::wstring out;
  for (wchar_t c : text) {
    switch (c) {
      case L'&': out += L"&amp;"; break;
      case L'<': out += L"&lt;"; break;
      case L'>': out += L"&gt;"; break;
      case L'"': out += L"&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace

std::wstring LogonTaskXml(std::wstring_view executablePath, std::wstring_view userId) {
  const std::wstring user = XmlText(userId);
  return L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n"
         L"<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\n"
         L"  <Triggers><LogonTrigger><Enabled>true</Enabled><UserId>" + user + L"</UserId></LogonTrigger></Triggers>\n"
         L"  <Principals><Principal id=\"Author\"><UserId>" + user +
         L"</UserId><LogonType>InteractiveToken</LogonType><RunLevel>HighestAvailable</RunLevel></Principal>"
         L"</Principals>\n"
         L"  <Settings><MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>"
         L"<DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>"
         L"<StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>"
         L"<ExecutionTimeLimit>PT0S</ExecutionTimeLimit><Priority>5</Priority></Settings>\n"
         L"  <Actions Context=\"Author\"><Exec><Command>" + XmlText(executablePath) + L"</Command></Exec></Actions>\n"
         L"</Task>\n";
}

RunAsAdminStep DecideRunAsAdmin(bool optionOn, bool weElevated) {
  if (optionOn) return RunAsAdminStep::TurnOff;
  return weElevated ? RunAsAdminStep::TurnOn : RunAsAdminStep::RestartElevated;
}

}  // namespace orvelle
