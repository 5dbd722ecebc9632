#include "platform/portable/portable_ini.h"
#include "tests/ini_contract.h"

namespace orvelle::testing {

INSTANTIATE_TEST_SUITE_P(Native, IniContract,
                         ::testing::Values(IniImplementation{"Portable", [] {
                           return std::unique_ptr<IniAccess>(new PortableIni);
                         }}),
                         IniImplementationName);

}  // namespace orvelle::testing
