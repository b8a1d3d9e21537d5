#include "app/win32/system_services.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "services/free_space.h"
#include "app/win32/win32_free_space.h"

namespace orvimo::win32 {
namespace {

// Wine maps C: to its prefix and Z: to the Unix root; no other letter is mapped in a fresh prefix.
TEST(Win32FreeSpaceTest, AsksTheVolumeOfTheOutputName) {
  Win32FreeSpace freeSpace;
  const auto bytesFor = [&freeSpace](const std::string& outputTemplate) {
    return freeSpace.BytesFree(FreeSpaceQueryPath(outputTemplate, DiskDriveOf(outputTemplate)));
  };
  const int64_t c = bytesFor("C:\\rec.wav");
  EXPECT_GT(c, 0);
  EXPECT_NEAR(static_cast<double>(bytesFor("c:\\rec.wav")), static_cast<double>(c), 1e8);  // same volume
  EXPECT_GT(bytesFor("Z:\\tmp\\rec.wav"), 0);
  EXPECT_GT(bytesFor("rec.wav"), 0);       // the current directory's volume
  EXPECT_EQ(bytesFor("Q:\\rec.wav"), -1);  // no such drive
  // A missing folder fails on Windows, while Wine answers for the volume it would be on: not asserted.
}

// Privileges of this process's token, by name.
bool ShutdownPrivilegeEnabled() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  DWORD size = 0;
  GetTokenInformation(token, TokenPrivileges, nullptr, 0, &size);
  std::vector<BYTE> buffer(size);
  const bool read = GetTokenInformation(token, TokenPrivileges, buffer.data(), size, &size);
  CloseHandle(token);
  LUID shutdown{};
  if (!read || !LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &shutdown)) return false;
  const auto* privileges = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
  for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
    const LUID_AND_ATTRIBUTES& entry = privileges->Privileges[i];
    if (entry.Luid.LowPart == shutdown.LowPart && entry.Luid.HighPart == shutdown.HighPart)
      return (entry.Attributes & SE_PRIVILEGE_ENABLED) != 0;
  }
  return false;
}

TEST(Win32ShutdownTest, EnablesThePrivilegeThenAsksWithTheFlags) {
  std::vector<uint32_t> requests;
  bool privilegeAtRequest = false;
  Win32Shutdown shutdown([&](uint32_t flags) {
    privilegeAtRequest = ShutdownPrivilegeEnabled();
    requests.push_back(flags);
    return false;  // refused: the caller carries on
  });

  EXPECT_FALSE(shutdown.ShutdownComputer(kShutdownForce | kShutdownPowerOff));

  EXPECT_EQ(requests, std::vector<uint32_t>{12});
  EXPECT_TRUE(privilegeAtRequest);
}

}  // namespace
}  // namespace orvimo::win32
