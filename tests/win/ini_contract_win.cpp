// The INI contract against Win32Profile: the real profile functions on files
// in the Windows temp folder.
#include "tests/contract/ini_contract.h"

#include "settings/win32_profile.h"
#include "tests/win/ini_scratch_win.h"

namespace ocural_test {
namespace {

class Win32Env : public IniContractEnv {
 public:
  ocural::ProfileBackend& Backend() override { return profile_; }
  std::string ScratchFolder() override { return scratch_.Path(); }
  std::string Join(const std::string& folder, const std::string& name) override {
    return folder + "\\" + name;
  }

 private:
  WinScratch scratch_;
  ocural::Win32Profile profile_;
};

std::unique_ptr<IniContractEnv> MakeWin32Env() { return std::make_unique<Win32Env>(); }

}  // namespace

INSTANTIATE_TEST_SUITE_P(Win, IniContract,
                         ::testing::Values(IniContractBackend{"Win32Profile", &MakeWin32Env}),
                         IniContractName);

}  // namespace ocural_test
