// The selection list, the dialog's initial file name and the centring arithmetic.
#include "app/selection.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/centre.h"
#include "tests/support/engine_fixture.h"

namespace tvr::test {
namespace {

// A selection list as the dialog writes it: each string zero-terminated, then an empty one.
std::string List(std::initializer_list<std::string> strings) {
  std::string list;
  for (const auto& s : strings) list += s + '\0';
  return list + '\0';
}

std::vector<std::string> Paths(const FileTable& table) {
  std::vector<std::string> paths;
  for (int i = 0; i < table.count; ++i) paths.emplace_back(table.entries[i].name);
  return paths;
}

struct ParseCase {
  const char* what;
  std::string list;
  std::vector<std::string> paths;
};

class ParseSelectionTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseSelectionTest, FillsTheTableInListedOrder) {
  auto table = std::make_unique<FileTable>();
  const SelectionResult result = ParseSelection(GetParam().list.c_str(), '\\', *table);
  EXPECT_EQ(result.status, SelectionStatus::kOk);
  EXPECT_EQ(Paths(*table), GetParam().paths);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, ParseSelectionTest,
    ::testing::Values(ParseCase{"three names in one directory",
                                List({"D:\\rec", "c.tvr", "a.tvr", "b.tvr"}),
                                {"D:\\rec\\c.tvr", "D:\\rec\\a.tvr", "D:\\rec\\b.tvr"}},
                      ParseCase{"one full path", List({"D:\\rec\\a.tvr"}), {"D:\\rec\\a.tvr"}},
                      ParseCase{"a drive root gets no second backslash",
                                List({"C:\\", "a.tvr", "b.tvr"}),
                                {"C:\\a.tvr", "C:\\b.tvr"}},
                      ParseCase{"Cyrillic names pass unchanged",
                                List({"D:\\Записи", "опыт 1.tvr", "опыт 2.tvr"}),
                                {"D:\\Записи\\опыт 1.tvr", "D:\\Записи\\опыт 2.tvr"}},
                      ParseCase{"nothing at all", std::string(2, '\0'), {}}),
    CaseName{});

TEST(ParseSelection, TakesAsManyFilesAsTheTableHoldsAndRefusesOneMore) {
  for (const int count : {FileTable::kCapacity, FileTable::kCapacity + 1}) {
    std::string list = std::string("D:\\rec") + '\0';
    for (int i = 0; i < count; ++i) {
      list.append("f").append(std::to_string(i)).append(".tvr").push_back('\0');
    }
    list += '\0';
    auto table = std::make_unique<FileTable>();
    const SelectionResult result = ParseSelection(list.c_str(), '\\', *table);
    if (count <= FileTable::kCapacity) {
      EXPECT_EQ(result.status, SelectionStatus::kOk);
      ASSERT_EQ(table->count, count);
      EXPECT_STREQ(table->entries[count - 1].name,
                   ("D:\\rec\\f" + std::to_string(count - 1) + ".tvr").c_str());
    } else {
      EXPECT_EQ(result.status, SelectionStatus::kTooMany);
      EXPECT_EQ(table->count, 0) << "a refused selection adds nothing";
    }
  }
}

// FileEntry::name holds 511 characters and the terminator.
TEST(ParseSelection, RefusesAPathLongerThanANameHoldsWithoutTakingAnyFile) {
  const std::string directory = "D:\\" + std::string(500, 'd');  // 503 characters
  const std::string fits(7, 'n');                                // 503 + 1 + 7 = 511
  const std::string tooLong(8, 'n');                             // 512
  struct Case {
    const char* what;
    std::string list;
    SelectionStatus status;
    std::string name;
  } cases[] = {
      {"the longest path", List({directory, fits}), SelectionStatus::kOk, ""},
      {"a later name one character too long", List({directory, fits, tooLong}),
       SelectionStatus::kPathTooLong, tooLong},
      {"one full path too long", List({directory + "\\" + tooLong}), SelectionStatus::kPathTooLong,
       ""},
  };
  for (const Case& c : cases) {
    auto table = std::make_unique<FileTable>();
    const SelectionResult result = ParseSelection(c.list.c_str(), '\\', *table);
    EXPECT_EQ(result.status, c.status) << c.what;
    if (c.status == SelectionStatus::kOk) {
      ASSERT_EQ(table->count, 1) << c.what;
      EXPECT_EQ(std::string(table->entries[0].name).size(), 511u) << c.what;
    } else {
      EXPECT_EQ(table->count, 0) << c.what;
      ASSERT_NE(result.name, nullptr) << c.what;
      EXPECT_EQ(result.name, c.name) << c.what;
    }
  }
}

TEST(InitialFileName, AppendsThePatternWithOneBackslash) {
  struct Case {
    const char* directory;
    const char* expected;
  } cases[] = {
      {"C:\\", "C:\\*.tvr"},
      {"C:\\data", "C:\\data\\*.tvr"},
      {"\\\\server\\share", "\\\\server\\share\\*.tvr"},
      {"Z:\\tmp\\C:\\", "Z:\\tmp\\C:\\\\*.tvr"},  // only a three-character root is cut
  };
  for (const Case& c : cases) {
    char out[300];
    ASSERT_TRUE(InitialFileName(c.directory, kSelectPattern, out, sizeof out)) << c.directory;
    EXPECT_STREQ(out, c.expected);
  }
  char small[8];
  EXPECT_FALSE(InitialFileName("C:\\data", kSelectPattern, small, sizeof small));
}

TEST(CentredOrigin, HalvesTheDifferenceTruncatingTowardZero) {
  struct Case {
    int right, bottom, width, height, x, y;
  } cases[] = {
      {1024, 768, 600, 400, 212, 184},
      {1024, 748, 601, 401, 211, 173},   // odd differences lose the half pixel
      {800, 600, 1000, 700, -100, -50},  // larger than the area: negative
      {800, 600, 801, 603, 0, -1},       // -1 / 2 is 0 and -3 / 2 is -1, not -1 and -2
  };
  for (const Case& c : cases) {
    const Origin o = CentredOrigin(c.right, c.bottom, c.width, c.height);
    EXPECT_EQ(o.x, c.x) << c.width << "x" << c.height;
    EXPECT_EQ(o.y, c.y) << c.width << "x" << c.height;
  }
}

}  // namespace
}  // namespace tvr::test
