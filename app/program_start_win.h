#pragma once

#include <windows.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "model/program_start.h"

namespace orvelle {

// Starts program keys' targets through the shell, as a double click would open them, each on a
// thread of its own: the user-interface thread also runs the remap hook, and a slow start (a
// network path, a program that takes long to come up) must hold up neither the keys of the whole
// desktop nor the hook's place in the system's hook chain.
// `text` with its %VARIABLES% expanded from this process's environment (ExpandVariables); the
// text as it is when it cannot be expanded.
std::wstring ExpandEnvironment(const std::wstring& text);

class ProgramStarter {
 public:
  ProgramStarter();
  // Waits, at most kExitWaitMs, until no start is under way: the process must not end while a
  // thread is inside the shell with the loader's or the heap's locks held. A start that ends
  // after this posts nothing; its window is gone.
  ~ProgramStarter();
  ProgramStarter(const ProgramStarter&) = delete;
  ProgramStarter& operator=(const ProgramStarter&) = delete;

  // Starts `start`; the started program may take the foreground. When it cannot be started, its
  // path is kept and `notify` is posted to `window`, which then takes the failures; a start the
  // user cancelled (at the elevation prompt) is no failure. At most kMaxStartsUnderWay starts
  // run at once; a start beyond them is dropped.
  void Start(HWND window, UINT notify, ProgramStart start);
  // The paths of the targets that could not be started, since the last call.
  std::vector<std::wstring> TakeFailures();

  static constexpr int kMaxStartsUnderWay = 4;
  static constexpr int kExitWaitMs = 2000;

 private:
  // Shared with the threads, which may outlive the starter when a start takes longer than the
  // wait at exit.
  struct State {
    std::mutex mutex;
    std::condition_variable idle;  // told when a start ends
    std::vector<std::wstring> failed;
    int underWay = 0;
    bool windowGone = false;  // set by the starter's end: failures are posted to no one
  };
  std::shared_ptr<State> state_;
};

}  // namespace orvelle
