// The INI contract against PortableProfile.
#include "tests/contract/ini_contract.h"

#include "tests/common/portable_profile.h"
#include "tests/contract/scratch_dir.h"

namespace ocural_test {
namespace {

class PortableEnv : public IniContractEnv {
 public:
  PortableEnv() : profile_(scratch_.Path(), "Ocural") {}
  ocural::ProfileBackend& Backend() override { return profile_; }
  std::string ScratchFolder() override { return scratch_.Path(); }
  std::string Join(const std::string& folder, const std::string& name) override {
    return folder + "/" + name;
  }

 private:
  ScratchDir scratch_;
  ocural::PortableProfile profile_;
};

std::unique_ptr<IniContractEnv> MakePortableEnv() { return std::make_unique<PortableEnv>(); }

}  // namespace

INSTANTIATE_TEST_SUITE_P(Native, IniContract,
                         ::testing::Values(IniContractBackend{"Portable", &MakePortableEnv}),
                         IniContractName);

}  // namespace ocural_test
