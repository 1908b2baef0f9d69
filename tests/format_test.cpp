// The header layout: where each field is read from, and what the channel word means.
#include "recording/format.h"

#include <gtest/gtest.h>

#include "tests/support/engine_fixture.h"

namespace tvr::test {
namespace {

class FormatTest : public EngineTest {
 protected:
  HeaderStatus Read(const RecordingLayout& layout, RecordingHeader* header, HeaderStage* stage) {
    const std::string path = dir / "r.tvr";
    WriteRecording(path, layout);
    const FileHandle file = platform.OpenForRead(path.c_str());
    EXPECT_NE(file, kInvalidFile);
    const HeaderStatus status = ReadRecordingHeader(platform, file, header, stage);
    platform.Close(file);
    return status;
  }
};

TEST_F(FormatTest, ReadsEveryFieldFromItsOffset) {
  RecordingLayout layout;
  layout.channels = 3;
  layout.mask = 0xdeadbeef;
  layout.freq = 1234.5;
  layout.type = -128;
  layout.lower = 5;
  layout.nbits = -1;
  layout.rangeMask = 0x01020304;
  layout.minrange = -2.5;
  layout.maxrange = 7.25;
  layout.off = 0x11223344;
  RecordingHeader h;
  HeaderStage stage;
  ASSERT_EQ(Read(layout, &h, &stage), HeaderStatus::kOk);
  EXPECT_EQ(stage, HeaderStage::kTail);
  EXPECT_EQ(h.mask, 0xdeadbeefu);
  EXPECT_EQ(h.nch, 3);
  EXPECT_EQ(h.freq, 1234.5);
  EXPECT_EQ(h.type, -128);
  EXPECT_EQ(h.lower, 5);
  EXPECT_EQ(h.nbits, -1);
  EXPECT_EQ(h.rangeMask, 0x01020304u);
  EXPECT_EQ(h.minrange, -2.5);
  EXPECT_EQ(h.maxrange, 7.25);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(h.channels[i].number, i + 1);
    EXPECT_EQ(h.channels[i].minrange, -2.5 * (i + 1));
    EXPECT_EQ(h.channels[i].maxrange, 7.25 * (i + 1));
  }
  // `off` is read but never decides where the data starts.
  EXPECT_EQ(h.off, 0x11223344u);
  EXPECT_EQ(h.headerBytes, 300u);
}

struct ChannelWordCase {
  std::uint32_t word;  // written whole: low 9 bits as channels, the rest as extra
  int nch;
  int ndev;
  std::uint32_t headerBytes;
};

class ChannelWordTest : public FormatTest, public ::testing::WithParamInterface<ChannelWordCase> {};

TEST_P(ChannelWordTest, LowNineBitsAreTheChannelCount) {
  const ChannelWordCase& c = GetParam();
  RecordingLayout layout;
  layout.channels = static_cast<int>(c.word & 0x1FF);
  layout.channelWordExtra = c.word & ~0x1FFu;
  RecordingHeader h;
  HeaderStage stage;
  ASSERT_EQ(Read(layout, &h, &stage), HeaderStatus::kOk);
  EXPECT_EQ(h.nch, c.nch);
  EXPECT_EQ(h.ndev, c.ndev);
  EXPECT_EQ(h.headerBytes, c.headerBytes);
}

INSTANTIATE_TEST_SUITE_P(
    Words, ChannelWordTest,
    ::testing::Values(ChannelWordCase{0x00000002, 2, 0, 280},       // data at 280
                      ChannelWordCase{0x00000010, 16, 0, 560},      // data at 560
                      ChannelWordCase{0x00010203, 3, 1, 300},       // bit 9 set, ndev 1
                      ChannelWordCase{0xFFFFFE01, 1, -1, 260},      // ndev is signed
                      ChannelWordCase{0x00000100, 256, 0, 5360}));  // the largest count

struct BadHeaderCase {
  const char* what;
  RecordingLayout layout;
  HeaderStatus status;
};

class BadHeaderTest : public FormatTest, public ::testing::WithParamInterface<BadHeaderCase> {};

TEST_P(BadHeaderTest, IsRefused) {
  RecordingHeader h;
  HeaderStage stage;
  EXPECT_EQ(Read(GetParam().layout, &h, &stage), GetParam().status) << GetParam().what;
}

RecordingLayout With(void (*change)(RecordingLayout&)) {
  RecordingLayout layout;
  layout.frames = 10;
  change(layout);
  return layout;
}

INSTANTIATE_TEST_SUITE_P(
    Headers, BadHeaderTest,
    ::testing::Values(
        BadHeaderCase{"wrong signature",
                      With([](RecordingLayout& s) { s.signature = "TESVARFFX"; }),
                      HeaderStatus::kBadSignature},
        BadHeaderCase{"shorter than the signature",
                      With([](RecordingLayout& s) { s.truncateAt = 8; }),
                      HeaderStatus::kBadSignature},
        BadHeaderCase{"empty file", With([](RecordingLayout& s) { s.truncateAt = 0; }),
                      HeaderStatus::kBadSignature},
        BadHeaderCase{"ends inside the signature block",
                      With([](RecordingLayout& s) { s.truncateAt = 20; }),
                      HeaderStatus::kTruncated},
        BadHeaderCase{"ends inside the channel records",
                      With([](RecordingLayout& s) { s.truncateAt = 180; }),
                      HeaderStatus::kTruncated},
        BadHeaderCase{"ends one byte before the data",
                      With([](RecordingLayout& s) { s.truncateAt = 279; }),
                      HeaderStatus::kTruncated},
        BadHeaderCase{"no channels", With([](RecordingLayout& s) { s.channels = 0; }),
                      HeaderStatus::kBadChannelCount},
        BadHeaderCase{"257 channels", With([](RecordingLayout& s) { s.channels = 257; }),
                      HeaderStatus::kBadChannelCount},
        BadHeaderCase{"511 channels", With([](RecordingLayout& s) { s.channels = 511; }),
                      HeaderStatus::kBadChannelCount}),
    CaseName());

TEST_F(FormatTest, ReadFailureIsNotTakenForAShortFile) {
  platform.FailNth(Op::kRead, 2);
  RecordingHeader h;
  HeaderStage stage;
  EXPECT_EQ(Read(RecordingLayout{}, &h, &stage), HeaderStatus::kReadError);
}

}  // namespace
}  // namespace tvr::test
