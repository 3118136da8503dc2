// The registry conformance suite on the real registry (Wine's under test).
#include "conformance/RegistryConformance.h"
#include "platform/win32/Win32Registry.h"
#include "win32/RegistryLinkMaker.h"
#include "win32/UnderWine.h"

namespace hs::conformance {

INSTANTIATE_TEST_SUITE_P(
    Win32, RegistryConformance,
    ::testing::Values(RegistryTarget{
        "Win32", [] { return std::make_unique<win32::Win32Registry>(); }, RootKey::CurrentUser,
        "Software\\HivesweepTest\\Conformance", test::RunningUnderWine(), test::RunningUnderWine(),
        [](RegistryBackend&, RootKey root, const std::string& link, const std::string& target) {
          return test::MakeRegistryLink(root, link, test::KernelKeyPath(root, target));
        }}),
    RegistryTargetName);

}  // namespace hs::conformance
