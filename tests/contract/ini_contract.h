// Behaviour every ProfileBackend must show through INIAccess. Include this in
// exactly one test file per test program and instantiate it with the backend:
//
//   INSTANTIATE_TEST_SUITE_P(Portable, IniContract,
//       ::testing::Values(IniContractBackend{"Portable", &MakePortableEnv}),
//       IniContractName);
//
// The suite touches files only through the backend and through plain file
// streams inside the scratch folder the environment gives it, and leaves path
// joining to the environment, so it runs unchanged against the Win32 profile
// functions.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "settings/core/ini_access.h"

namespace ocural_test {

// One backend plus an empty scratch folder, cleaned up on destruction.
class IniContractEnv {
 public:
  virtual ~IniContractEnv() = default;
  virtual ocural::ProfileBackend& Backend() = 0;
  // An existing, empty folder, in the backend's own path syntax.
  virtual std::string ScratchFolder() = 0;
  // folder + separator + name, in the backend's own path syntax.
  virtual std::string Join(const std::string& folder, const std::string& name) = 0;
};

struct IniContractBackend {
  const char* name;
  std::unique_ptr<IniContractEnv> (*make)();
};

inline void PrintTo(const IniContractBackend& backend, std::ostream* out) { *out << backend.name; }

inline std::string IniContractName(const ::testing::TestParamInfo<IniContractBackend>& info) {
  return info.param.name;
}

class IniContract : public ::testing::TestWithParam<IniContractBackend> {
 protected:
  void SetUp() override { env_ = GetParam().make(); }

  ocural::ProfileBackend& Backend() { return env_->Backend(); }
  std::string PathOf(const std::string& name) { return env_->Join(env_->ScratchFolder(), name); }
  // The path as the backend takes it (the scratch paths are plain ASCII).
  std::wstring Wide(const std::string& path) { return Backend().FromAnsi(path); }
  bool Exists(const std::string& path) { return Backend().PathExists(Wide(path)); }

  // An INIAccess on `path` with no section chosen yet.
  ocural::INIAccess IniOn(const std::string& path) {
    ocural::INIAccess ini(Backend());
    ini.FileName = Wide(path);
    return ini;
  }

  // A file with the given bytes; returns its path.
  std::string MakeFile(const std::string& name, const std::string& bytes) {
    const std::string path = PathOf(name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    EXPECT_FALSE(out.fail()) << "cannot write " << path;
    return path;
  }

  // The file's lines that hold more than blanks, line breaks removed. Backends
  // may differ in blank lines; the lines that carry data must not.
  std::vector<std::string> DataLines(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << "cannot read " << path;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> lines;
    std::string line;
    for (char c : bytes + "\n") {
      if (c == '\r') continue;
      if (c != '\n') {
        line += c;
        continue;
      }
      if (line.find_first_not_of(" \t") != std::string::npos) lines.push_back(line);
      line.clear();
    }
    return lines;
  }

  std::unique_ptr<IniContractEnv> env_;
};

using Lines = std::vector<std::string>;

TEST_P(IniContract, ReadNeedsFileNameAndSection) {
  const std::string path = MakeFile("a.ini", "[S]\r\nk=v\r\n");

  ocural::INIAccess fresh(Backend());
  EXPECT_EQ(fresh.GetINIData(L"k", L"S"), L"");
  EXPECT_EQ(fresh.Section, L"");

  ocural::INIAccess ini = IniOn(path);
  EXPECT_EQ(ini.GetINIData(L"k", L""), L"");
  EXPECT_EQ(ini.GetINIData(L"k", L"S"), L"v");
}

TEST_P(IniContract, SectionStaysUntilAnotherIsNamed) {
  ocural::INIAccess ini = IniOn(MakeFile("a.ini", "[S]\r\nk=s\r\n[T]\r\nk=t\r\n"));
  EXPECT_EQ(ini.GetINIData(L"k", L"S"), L"s");
  EXPECT_EQ(ini.GetINIData(L"k", L""), L"s");
  EXPECT_EQ(ini.GetINIData(L"k", L"T"), L"t");
  EXPECT_EQ(ini.GetINIData(L"k", L""), L"t");
  EXPECT_EQ(ini.Section, L"T");
}

TEST_P(IniContract, ReadFromMissingFileKeepsSection) {
  const std::string path = MakeFile("a.ini", "[S]\r\nk=s\r\n[T]\r\nk=t\r\n");
  ocural::INIAccess ini = IniOn(path);
  ASSERT_EQ(ini.GetINIData(L"k", L"S"), L"s");

  ini.FileName = Wide(PathOf("missing.ini"));
  EXPECT_EQ(ini.GetINIData(L"k", L"T"), L"");
  EXPECT_EQ(ini.Section, L"S");
  EXPECT_FALSE(Exists(PathOf("missing.ini")));

  ini.FileName = Wide(path);
  EXPECT_EQ(ini.GetINIData(L"k", L""), L"s");
}

TEST_P(IniContract, EmptyAndMissingValuesReadEmpty) {
  ocural::INIAccess ini =
      IniOn(MakeFile("a.ini", "[S]\r\nempty=\r\nblank=   \r\nquotes=\"\"\r\n"));
  EXPECT_EQ(ini.GetINIData(L"empty", L"S"), L"");
  EXPECT_EQ(ini.GetINIData(L"blank", L""), L"");
  EXPECT_EQ(ini.GetINIData(L"quotes", L""), L"");
  EXPECT_EQ(ini.GetINIData(L"absent", L""), L"");
  EXPECT_EQ(ini.GetINIData(L"empty", L"NoSuchSection"), L"");
}

TEST_P(IniContract, LongValueIsCutTo255Bytes) {
  std::string value;
  for (int i = 0; i < 300; ++i) value += static_cast<char>('a' + i % 26);
  ocural::INIAccess ini = IniOn(MakeFile("a.ini", "[S]\r\nlong=" + value + "\r\n"));
  EXPECT_EQ(ini.GetINIData(L"long", L"S"), Backend().FromAnsi(value.substr(0, 255)));
}

TEST_P(IniContract, WriteNeedsFileNameAndSection) {
  ocural::INIAccess fresh(Backend());
  EXPECT_FALSE(fresh.SetINIData(L"k", L"v", L"S"));

  const std::string path = PathOf("new.ini");
  ocural::INIAccess ini = IniOn(path);
  EXPECT_FALSE(ini.SetINIData(L"k", L"v", L""));
  EXPECT_FALSE(Exists(path));
}

TEST_P(IniContract, WriteCreatesMissingFile) {
  const std::string path = PathOf("new.ini");
  ocural::INIAccess ini = IniOn(path);
  ASSERT_TRUE(ini.SetINIData(L"Key", L"v", L"Sec"));
  EXPECT_EQ(ini.Section, L"Sec");
  EXPECT_TRUE(Exists(path));
  EXPECT_EQ(DataLines(path), (Lines{"[Sec]", "Key=v"}));

  // The remembered section serves the next write and read.
  ASSERT_TRUE(ini.SetINIData(L"Other", L"w", L""));
  EXPECT_EQ(DataLines(path), (Lines{"[Sec]", "Key=v", "Other=w"}));
  EXPECT_EQ(ini.GetINIData(L"Key", L""), L"v");
}

TEST_P(IniContract, WriteIntoMissingFolderFails) {
  const std::string folder = PathOf("missing");
  ocural::INIAccess ini = IniOn(env_->Join(folder, "x.ini"));
  EXPECT_FALSE(ini.SetINIData(L"k", L"v", L"S"));
  EXPECT_FALSE(Exists(folder));
}

TEST_P(IniContract, NamesIgnoreCase) {
  const std::string path = MakeFile("a.ini", "[OcuralSetting]\r\nAlwaysTop=0\r\n");
  ocural::INIAccess ini = IniOn(path);
  EXPECT_EQ(ini.GetINIData(L"alwaystop", L"OCURALSETTING"), L"0");

  ASSERT_TRUE(ini.SetINIData(L"ALWAYSTOP", L"1", L"ocuralsetting"));
  ASSERT_EQ(DataLines(path).size(), 2u);
  EXPECT_EQ(DataLines(path)[0], "[OcuralSetting]");
  EXPECT_EQ(ini.GetINIData(L"AlwaysTop", L"OcuralSetting"), L"1");
}

TEST_P(IniContract, BlanksAroundNameAndValueAreDropped) {
  ocural::INIAccess ini = IniOn(MakeFile(
      "a.ini", "[S]\r\n  Spaced  =   two  inner  spaces  \r\n\tTabbed\t=\t7\t\r\n"));
  EXPECT_EQ(ini.GetINIData(L"Spaced", L"S"), L"two  inner  spaces");
  EXPECT_EQ(ini.GetINIData(L"Tabbed", L""), L"7");
}

TEST_P(IniContract, OnePairOfMatchingQuotesIsRemoved) {
  ocural::INIAccess ini = IniOn(MakeFile("a.ini",
                                         "[S]\r\n"
                                         "double=\"two words\"\r\n"
                                         "single='x'\r\n"
                                         "padded= \"  kept  \" \r\n"
                                         "mixed=\"x'\r\n"
                                         "nested=\"\"y\"\"\r\n"
                                         "inner=a\"b\"c\r\n"));
  EXPECT_EQ(ini.GetINIData(L"double", L"S"), L"two words");
  EXPECT_EQ(ini.GetINIData(L"single", L""), L"x");
  EXPECT_EQ(ini.GetINIData(L"padded", L""), L"  kept  ");
  EXPECT_EQ(ini.GetINIData(L"mixed", L""), L"\"x'");
  EXPECT_EQ(ini.GetINIData(L"nested", L""), L"\"y\"");
  EXPECT_EQ(ini.GetINIData(L"inner", L""), L"a\"b\"c");
}

TEST_P(IniContract, LfOnlyFileReads) {
  ocural::INIAccess ini = IniOn(MakeFile("a.ini", "[S]\nfirst=1\nsecond=2\n[T]\nfirst=3"));
  EXPECT_EQ(ini.GetINIData(L"second", L"S"), L"2");
  EXPECT_EQ(ini.GetINIData(L"first", L"T"), L"3");
}

TEST_P(IniContract, LoneCrEndsALine) {
  ocural::INIAccess ini = IniOn(MakeFile("a.ini", "[S]\rk=v\r\n[T]\r\na=1\rb=2\r\n[U]\r\nk=u\r"));
  EXPECT_EQ(ini.GetINIData(L"k", L"S"), L"v");
  EXPECT_EQ(ini.GetINIData(L"a", L"T"), L"1");
  EXPECT_EQ(ini.GetINIData(L"b", L""), L"2");
  EXPECT_EQ(ini.GetINIData(L"k", L"U"), L"u");
}

TEST_P(IniContract, WritesAfterALastLineEndingInLoneCr) {
  ocural::INIAccess key = IniOn(MakeFile("key.ini", "[S]\r\nk=v\r"));
  ASSERT_TRUE(key.SetINIData(L"new", L"1", L"S"));
  EXPECT_EQ(key.GetINIData(L"k", L""), L"v");
  EXPECT_EQ(key.GetINIData(L"new", L""), L"1");

  ocural::INIAccess header = IniOn(MakeFile("header.ini", "[T]\r\na=1\r\n[S\r"));
  ASSERT_TRUE(header.SetINIData(L"k", L"v", L"S"));
  EXPECT_EQ(header.GetINIData(L"k", L""), L"v");
  EXPECT_EQ(header.GetINIData(L"a", L"T"), L"1");
}

TEST_P(IniContract, ReplacingAValueKeepsEveryOtherLine) {
  const std::string path = MakeFile("a.ini",
                                    "[A]\r\nb=0\r\n"
                                    "[S]\r\na=1\r\nb=2\r\nc=3\r\n"
                                    "[T]\r\nb=9\r\n");
  ocural::INIAccess ini = IniOn(path);
  ASSERT_TRUE(ini.SetINIData(L"b", L"20", L"S"));
  EXPECT_EQ(DataLines(path), (Lines{"[A]", "b=0", "[S]", "a=1", "b=20", "c=3", "[T]", "b=9"}));
}

TEST_P(IniContract, NewKeyEndsItsSectionAndNewSectionEndsTheFile) {
  const std::string path = MakeFile("a.ini", "[S]\r\na=1\r\n[T]\r\nb=2\r\n");
  ocural::INIAccess ini = IniOn(path);
  ASSERT_TRUE(ini.SetINIData(L"n", L"5", L"S"));
  ASSERT_TRUE(ini.SetINIData(L"k", L"v", L"New"));
  EXPECT_EQ(DataLines(path), (Lines{"[S]", "a=1", "n=5", "[T]", "b=2", "[New]", "k=v"}));
  EXPECT_EQ(ini.GetINIData(L"n", L"S"), L"5");
  EXPECT_EQ(ini.GetINIData(L"b", L"T"), L"2");
}

}  // namespace ocural_test
