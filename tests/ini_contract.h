#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "base/file_store.h"
#include "base/ini.h"

namespace orvelle::testing {

// One implementation of the INI contract under test.
struct IniImplementation {
  std::string name;
  std::function<std::unique_ptr<IniAccess>()> make;
  LegacyDecoder legacy;  // how this implementation reads a file in the legacy code page
};

// Test listings and failure messages name the implementation; without this GoogleTest prints the
// parameter as a dump of its bytes, pointers included, which changes from run to run.
inline void PrintTo(const IniImplementation& implementation, std::ostream* os) { *os << implementation.name; }

class IniContract : public ::testing::TestWithParam<IniImplementation> {};

inline std::string IniImplementationName(const ::testing::TestParamInfo<IniImplementation>& info) {
  return info.param.name;
}

}  // namespace orvelle::testing
