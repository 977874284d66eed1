// Tests of opening data: gzip-compressed files, standard input copied to a temporary file, and
// the refusals of what is no data file.
#include "data_source.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "csv_reader.h"

namespace ruleweave_cli {
namespace {

namespace fs = std::filesystem;

class DataSourceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    mDir = fs::temp_directory_path() / ("ruleweave_source_" + std::string(info->name()));
    fs::remove_all(mDir);
    fs::create_directories(mDir);
  }
  void TearDown() override { fs::remove_all(mDir); }
  std::string Path(const std::string& name) const { return (mDir / name).string(); }

  // Writes `text` gzip-compressed to `name`.
  std::string Gzip(const std::string& name, const std::string& text) const {
    gzFile file = gzopen(Path(name).c_str(), "wb");
    gzwrite(file, text.data(), static_cast<unsigned>(text.size()));
    gzclose(file);
    return Path(name);
  }

  static std::string ReadAll(const DataSource& source) {
    std::unique_ptr<InputStream> in = source.Open();
    std::ostringstream text;
    text << in->rdbuf();
    return text.str();
  }

  static std::string ErrorOf(const DataSource& source) {
    try {
      std::unique_ptr<InputStream> in = source.Open();
      CsvReader reader(*in, source.Name());
      reader.ReadHeader();
      while (reader.NextRow()) {
      }
    } catch (const InputError& error) {
      return error.what();
    }
    return "no error";
  }

 private:
  fs::path mDir;
};

const std::string kText = "a,b\n1,x\n2,y\n";

TEST_F(DataSourceTest, ReadsGzipByNameOrMagicBytes) {
  EXPECT_EQ(ReadAll(DataSource::File(Gzip("t.csv.gz", kText))), kText);
  EXPECT_EQ(ReadAll(DataSource::File(Gzip("t.dat", kText))), kText);
}

TEST_F(DataSourceTest, RefusesWhatIsNoReadableDataFile) {
  const std::string gz = Gzip("cut.csv.gz", kText + kText + kText);
  fs::resize_file(gz, fs::file_size(gz) - 12);  // the trailer and some data lost
  EXPECT_EQ(ErrorOf(DataSource::File(gz)).rfind(gz + ":", 0), 0u);
  EXPECT_NE(ErrorOf(DataSource::File(gz)).find("the gzip-compressed data cannot be read"),
            std::string::npos);
  EXPECT_EQ(ErrorOf(DataSource::File(Path(""))), Path("") + ": is a directory, not a data file");
  std::ofstream(Path("t.xz")) << "\xFD"
                                 "7zXZ"
                              << '\0' << "rest";
  EXPECT_EQ(ErrorOf(DataSource::File(Path("t.xz"))),
            Path("t.xz") +
                ": the file is compressed with xz, which is not read directly (only gzip is): "
                "decompress it first");
}

TEST_F(DataSourceTest, StandardInputIsCopiedOnceAndRemovedWithTheLastCopy) {
  std::istringstream input(kText);
  std::string spool;
  {
    DataSource copy = DataSource::File("other.csv");
    {
      const DataSource source = DataSource::Argument("-", input);
      EXPECT_EQ(source.Name(), "standard input");
      spool = source.Path();
      EXPECT_EQ(ReadAll(source), kText);
      EXPECT_EQ(ReadAll(source), kText);  // a second pass reads the same
      EXPECT_EQ(source.Open()->FileSize(), static_cast<std::int64_t>(kText.size()));
      copy = source;
    }
    EXPECT_TRUE(fs::exists(spool));
  }
  EXPECT_FALSE(fs::exists(spool));
}

}  // namespace
}  // namespace ruleweave_cli
