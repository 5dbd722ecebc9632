#include "platform/portable/portable_ini.h"
#include "platform/win32/win32_ini.h"
#include "tests/ini_contract.h"

namespace orvelle::testing {

INSTANTIATE_TEST_SUITE_P(
    Windows, IniContract,
    ::testing::Values(IniImplementation{"System", [] { return std::unique_ptr<IniAccess>(new Win32Ini); }},
                      IniImplementation{"Portable", [] { return std::unique_ptr<IniAccess>(new PortableIni); }}),
    IniImplementationName);

}  // namespace orvelle::testing
