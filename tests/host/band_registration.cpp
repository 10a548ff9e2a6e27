#include "tests/host/band_registration.h"

#include <gtest/gtest.h>

#include "host/server_registration.h"

namespace {

class BandServerRegistration final : public testing::Environment {
 public:
  void SetUp() override { ASSERT_HRESULT_SUCCEEDED(RegisterBandServer()) << PathBesideProgram("quillbar.dll"); }
};

const testing::Environment* const kRegistration = testing::AddGlobalTestEnvironment(new BandServerRegistration);

}  // namespace

HRESULT RegisterBandServer() { return RegisterServer(PathBesideProgram("quillbar.dll")); }
