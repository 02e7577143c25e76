// "Download Impedance Data": the save dialog's settings, cancel, appending whole blocks,
// and failures that name the path and leave the file as it was.
#include "ui/download_data.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "measure/fake_sweep_chip.h"
#include "ui/block_append.h"
#include "ui/csv_export.h"

namespace quelnor::ui {
namespace {

namespace fs = std::filesystem;

std::string file_text(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// A session after a sweep of `rows` points, and a fresh folder for the files.
struct ExportFixture : test::SweepSession {
  fs::path folder;
  explicit ExportFixture(std::int16_t rows = 3) {
    folder = fs::temp_directory_path() /
             ("quelnor_export_" + std::to_string(::getpid()) + "_" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder);
    fs::create_directories(folder);
    s.data.plot_point_count = rows;
    for (std::size_t i = 0; i < model::table_rows; ++i) {
      s.data.sweep_table.frequency[i] = 1000.0 + static_cast<double>(i);
    }
  }
  ~ExportFixture() { fs::remove_all(folder); }
  std::string block() const { return csv_block(s.data.sweep_table, s.data.plot_point_count); }
};

TEST(DownloadData, SaveDialogSettingsAndAnAcceptedSuggestedName) {
  ExportFixture t;
  const fs::path path = t.folder / "Impedance & Phase Data";
  t.dialogs.save_paths.push_back(path.string());
  Download_data_Click(t.s, t.folder.string());
  ASSERT_EQ(t.dialogs.save_requests.size(), 1u);
  EXPECT_EQ(t.dialogs.save_requests[0].folder, t.folder.string());
  EXPECT_EQ(t.dialogs.save_requests[0].suggested_name, "Impedance & Phase Data");
  EXPECT_EQ(t.dialogs.save_requests[0].filter, "Log Files (*.csv)|*.csv");
  EXPECT_EQ(file_text(path), t.block());  // no extension added
  EXPECT_TRUE(t.dialogs.boxes.empty());
}

TEST(DownloadData, CancelWritesNothing) {
  ExportFixture t;
  Download_data_Click(t.s, t.folder.string());
  EXPECT_TRUE(fs::is_empty(t.folder));
  EXPECT_TRUE(t.dialogs.boxes.empty());
}

TEST(DownloadData, AppendsOneBlockPerExportAfterTheExistingContent) {
  ExportFixture t(101);
  const fs::path path = t.folder / "data.csv";
  std::ofstream(path, std::ios::binary) << "earlier\r\n";
  t.dialogs.save_paths = {path.string(), path.string()};
  Download_data_Click(t.s, t.folder.string());
  const std::string first = t.block();
  t.s.data.sweep_table.frequency[0] = 5;
  Download_data_Click(t.s, t.folder.string());
  EXPECT_EQ(file_text(path), "earlier\r\n" + first + t.block());
  EXPECT_EQ(first.rfind(csv_header, 0), 0u);
}

// Only the rows the last sweep measured are written, never older rows beyond them.
TEST(DownloadData, WritesTheRowsOfTheLastSweep) {
  ExportFixture t(2);
  t.s.sweep.increment_count = 100;
  const fs::path path = t.folder / "short.csv";
  t.dialogs.save_paths.push_back(path.string());
  Download_data_Click(t.s, t.folder.string());
  EXPECT_EQ(file_text(path),
            "Frequency,Impedance,Phase,Real,Imaginary,Magnitude,\r\n"
            " 1000 , 0 , 0 , 0 , 0 , 0 \r\n"
            " 1001 , 0 , 0 , 0 , 0 , 0 \r\n");
}

TEST(DownloadData, NoMeasuredRowsSaysSoWithoutADialog) {
  ExportFixture t(0);
  Download_data_Click(t.s, t.folder.string());
  EXPECT_TRUE(t.dialogs.save_requests.empty());
  ASSERT_EQ(t.dialogs.boxes.size(), 1u);
  EXPECT_NE(t.dialogs.boxes[0].text.find("no measured data"), std::string::npos);
}

TEST(DownloadData, AFileThatCannotBeWrittenIsReportedWithItsPath) {
  ExportFixture t;
  for (const fs::path& path : {t.folder / "missing folder" / "data.csv", t.folder}) {
    t.dialogs.boxes.clear();
    t.dialogs.save_paths.push_back(path.string());
    Download_data_Click(t.s, t.folder.string());
    ASSERT_EQ(t.dialogs.boxes.size(), 1u) << path;
    const std::string& text = t.dialogs.boxes[0].text;
    EXPECT_NE(text.find("could not be saved"), std::string::npos) << text;
    EXPECT_NE(text.find(path.string()), std::string::npos) << text;
    EXPECT_EQ(t.dialogs.boxes[0].title, "Quelnor Beta Version VUD1.0");
  }
  EXPECT_FALSE(fs::exists(t.folder / "missing folder"));
}

// A write cut short (here by a file-size limit) leaves the file exactly as it was.
TEST(BlockAppend, AShortWriteLeavesNoHalfBlock) {
  ExportFixture t;
  const fs::path existing = t.folder / "existing.csv";
  const fs::path created = t.folder / "created.csv";
  const std::string before = "earlier block\r\n";
  std::ofstream(existing, std::ios::binary) << before;
  const std::string block(4096, 'x');

  rlimit old_limit{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
  const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit limit = old_limit;
  limit.rlim_cur = 1024;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  const auto existing_result = append_block(existing.string(), block);
  const auto created_result = append_block(created.string(), block);
  setrlimit(RLIMIT_FSIZE, &old_limit);
  std::signal(SIGXFSZ, old_handler);

  ASSERT_TRUE(existing_result.has_value());
  EXPECT_FALSE(existing_result->empty());
  EXPECT_EQ(file_text(existing), before);
  ASSERT_TRUE(created_result.has_value());
  EXPECT_FALSE(fs::exists(created));
}

}  // namespace
}  // namespace quelnor::ui
