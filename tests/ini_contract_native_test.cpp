#include "platform/portable/portable_ini.h"
#include "platform/portable/text_codec.h"
#include "tests/ini_contract.h"

namespace orvelle::testing {

INSTANTIATE_TEST_SUITE_P(Native, IniContract,
                         ::testing::Values(IniImplementation{"Portable",
                                                             [] {
                                                               return std::unique_ptr<IniAccess>(
                                                                   new PortableIni(DiskFiles(), DecodeLatin1));
                                                             },
                                                             DecodeLatin1}),
                         IniImplementationName);

}  // namespace orvelle::testing
