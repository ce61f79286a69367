// Opening and saving over a fake file system that can fail any single call:
// a save either replaces the file with exactly the edited bytes or leaves it
// whole, with no file of its own left beside it and the edits still open.
#include "settings_editor/document_file.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace tolvimer::editor {
namespace {

class FakeFiles final : public EditorFiles {
 public:
  std::map<std::string, std::string> files;
  std::vector<std::string> calls;
  std::string failing;      // the call that fails, by name
  bool unreadable = false;  // ReadWhole fails on a file that is there

  bool ReadWhole(const std::string& path, std::string& bytes, bool& missing) override {
    calls.push_back("ReadWhole");
    missing = files.count(path) == 0;
    if (missing || unreadable) return false;
    bytes = files[path];
    return true;
  }
  Handle CreateNew(const std::string& path) override {
    if (Fails("CreateNew")) return kNoHandle;
    files[path].clear();
    open_ = path;
    return 7;
  }
  bool Write(Handle file, const std::string& bytes) override {
    if (file != 7 || Fails("Write")) return false;
    // A failed write can leave part of the bytes behind; this one does not.
    files[open_] += bytes;
    return true;
  }
  bool Flush(Handle file) override { return file == 7 && !Fails("Flush"); }
  bool Close(Handle file) override { return file == 7 && !Fails("Close"); }
  bool MoveOver(const std::string& from, const std::string& to) override {
    if (Fails("MoveOver") || files.count(from) == 0) return false;
    files[to] = files[from];
    files.erase(from);
    return true;
  }
  bool Remove(const std::string& path) override {
    calls.push_back("Remove");
    return files.erase(path) == 1;
  }
  std::string LastErrorText() override { return "Access is denied."; }

 private:
  bool Fails(const char* call) {
    calls.push_back(call);
    return failing == call;
  }
  std::string open_;
};

constexpr char kPath[] = "C:\\Emu\\tolvimer_launch.ini";
const std::string kBefore = "; mine\r\n[General]\r\nRegion=usa\r\n";
const std::string kAfter = "; mine\r\n[General]\r\nRegion=euro\r\n";

TEST(DocumentFileTest, SavesThroughAFileBesideFlushedAndMovedOver) {
  FakeFiles fs;
  fs.files[kPath] = kBefore;
  OpenFile file;
  ASSERT_EQ(OpenSettings(fs, kPath, file), OpenResult::kOpened);
  ASSERT_TRUE(file.document.SetValue("General", "Region", "euro"));
  fs.calls.clear();
  std::string error;
  EXPECT_EQ(SaveSettings(fs, file, false, error), SaveResult::kSaved);
  EXPECT_EQ(error, "");
  EXPECT_EQ(fs.files[kPath], kAfter);
  EXPECT_EQ(fs.files.size(), 1u);
  EXPECT_EQ(fs.calls, (std::vector<std::string>{"ReadWhole", "CreateNew", "Write", "Flush", "Close",
                                                "MoveOver"}));
  EXPECT_FALSE(file.document.modified());
  // The saved bytes are what the next save compares with.
  ASSERT_TRUE(file.document.SetValue("General", "Region", "jap"));
  EXPECT_EQ(SaveSettings(fs, file, false, error), SaveResult::kSaved);
}

TEST(DocumentFileTest, EachFailedCallLeavesTheOldFileWholeAndTheEditsOpen) {
  const struct {
    const char* call;
    SaveResult result;
  } kFailures[] = {{"CreateNew", SaveResult::kCannotWrite},
                   {"Write", SaveResult::kCannotWrite},
                   {"Flush", SaveResult::kCannotWrite},
                   {"Close", SaveResult::kCannotWrite},
                   {"MoveOver", SaveResult::kCannotReplace}};
  for (const auto& failure : kFailures) {
    SCOPED_TRACE(failure.call);
    FakeFiles fs;
    fs.files[kPath] = kBefore;
    OpenFile file;
    ASSERT_EQ(OpenSettings(fs, kPath, file), OpenResult::kOpened);
    ASSERT_TRUE(file.document.SetValue("General", "Region", "euro"));
    fs.failing = failure.call;
    std::string error;
    EXPECT_EQ(SaveSettings(fs, file, false, error), failure.result);
    EXPECT_NE(error.find("Access is denied."), std::string::npos) << error;
    EXPECT_EQ(fs.files[kPath], kBefore);
    EXPECT_EQ(fs.files.count(SavingPath(kPath)), 0u) << "nothing left beside";
    EXPECT_TRUE(file.document.modified());
    EXPECT_EQ(file.document.Bytes(), kAfter);
    // Once the cause is gone the same edits save.
    fs.failing.clear();
    EXPECT_EQ(SaveSettings(fs, file, false, error), SaveResult::kSaved);
    EXPECT_EQ(fs.files[kPath], kAfter);
  }
}

TEST(DocumentFileTest, AFileChangedOnTheDiskIsNotOverwrittenWithoutAsking) {
  const struct {
    const char* name;
    bool existed;
    bool existsNow;
  } kChanges[] = {{"changed", true, true}, {"deleted", true, false}, {"created", false, true}};
  for (const auto& change : kChanges) {
    SCOPED_TRACE(change.name);
    FakeFiles fs;
    if (change.existed) fs.files[kPath] = kBefore;
    OpenFile file;
    OpenSettings(fs, kPath, file);
    ASSERT_TRUE(file.document.SetValue("General", "Delay", "3"));
    if (change.existsNow) {
      fs.files[kPath] = "[General]\r\nRegion=jap\r\n";
    } else {
      fs.files.erase(kPath);
    }
    const std::map<std::string, std::string> onDisk = fs.files;
    std::string error;
    EXPECT_EQ(SaveSettings(fs, file, false, error), SaveResult::kChangedOnDisk);
    EXPECT_EQ(fs.files, onDisk);
    EXPECT_TRUE(file.document.modified());
    EXPECT_EQ(SaveSettings(fs, file, true, error), SaveResult::kSaved);
    EXPECT_EQ(fs.files[kPath], file.document.Bytes());
  }
}

TEST(DocumentFileTest, AMissingFileOpensEmptyAndTheFirstSaveCreatesIt) {
  FakeFiles fs;
  OpenFile file;
  EXPECT_EQ(OpenSettings(fs, kPath, file), OpenResult::kMissing);
  EXPECT_EQ(file.document.Bytes(), "");
  ASSERT_TRUE(file.document.SetValue("General", "Region", "usa"));
  std::string error;
  EXPECT_EQ(SaveSettings(fs, file, false, error), SaveResult::kSaved);
  EXPECT_EQ(fs.files[kPath], "[General]\r\nRegion=usa\r\n");
}

TEST(DocumentFileTest, AFileThatCannotBeReadIsNotOpened) {
  FakeFiles fs;
  fs.files[kPath] = kBefore;
  fs.unreadable = true;
  OpenFile file;
  EXPECT_EQ(OpenSettings(fs, kPath, file), OpenResult::kCannotRead);
}

}  // namespace
}  // namespace tolvimer::editor
