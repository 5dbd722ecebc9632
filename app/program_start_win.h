#pragma once

#include <windows.h>

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
class ProgramStarter {
 public:
  ProgramStarter();

  // Starts `start`. When it cannot be started, its path is kept and `notify` is posted to
  // `window`, which then takes the failures. At most kMaxStartsUnderWay starts run at once; a
  // start beyond them is dropped.
  void Start(HWND window, UINT notify, ProgramStart start);
  // The paths of the targets that could not be started, since the last call.
  std::vector<std::wstring> TakeFailures();

  static constexpr int kMaxStartsUnderWay = 4;

 private:
  // Shared with the threads, which may outlive the starter when the program exits.
  struct State {
    std::mutex mutex;
    std::vector<std::wstring> failed;
    int underWay = 0;
  };
  std::shared_ptr<State> state_;
};

}  // namespace orvelle
