#include "export/module1.hpp"

#include <gtest/gtest.h>

namespace cvn {
namespace {

using Module1::GetSaveFileNameA;
using Module1::OPENFILENAME;
using Module1::ScopedSaveDialog;

TEST(Module1, RecordSizeOfThe32BitLayout) {
  EXPECT_EQ(Module1::kOpenFileNameSize, 76);
}

TEST(Module1, ANewRecordIsAllZero) {
  const OPENFILENAME ofn;
  EXPECT_EQ(ofn.lStructSize, 0);
  EXPECT_EQ(ofn.lpstrFilter, nullptr);
  EXPECT_EQ(ofn.lpstrFile, nullptr);
  EXPECT_EQ(ofn.nMaxFile, 0);
  EXPECT_EQ(ofn.Flags, 0);
  EXPECT_EQ(ofn.lpTemplateName, nullptr);
}

TEST(Module1, NoRecordIsACancel) {
  int calls = 0;
  const ScopedSaveDialog dialog([&](OPENFILENAME&) { return ++calls; });
  EXPECT_EQ(GetSaveFileNameA(nullptr), 0);
  EXPECT_EQ(calls, 0);
}

TEST(Module1, TheInstalledDialogAnswers) {
  OPENFILENAME ofn;
  ofn.lCustData = 7;
  const ScopedSaveDialog outer([](OPENFILENAME& seen) { return seen.lCustData + 1; });
  EXPECT_EQ(GetSaveFileNameA(&ofn), 8);
  {
    const ScopedSaveDialog inner([](OPENFILENAME&) { return 99; });
    EXPECT_EQ(GetSaveFileNameA(&ofn), 99);
  }
  EXPECT_EQ(GetSaveFileNameA(&ofn), 8);
}

TEST(Module1, SetSaveDialogReturnsThePreviousOne) {
  const ScopedSaveDialog outer([](OPENFILENAME&) { return 5; });
  auto previous = Module1::setSaveDialog([](OPENFILENAME&) { return 6; });
  OPENFILENAME ofn;
  EXPECT_EQ(GetSaveFileNameA(&ofn), 6);
  ASSERT_TRUE(previous);
  EXPECT_EQ(previous(ofn), 5);
  auto mine = Module1::setSaveDialog(std::move(previous));
  EXPECT_EQ(mine(ofn), 6);
  EXPECT_EQ(GetSaveFileNameA(&ofn), 5);
}

}  // namespace
}  // namespace cvn
