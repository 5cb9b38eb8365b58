// .evtx files read a chunk at a time: a wrapped log oldest first, counts from
// the chunk headers, a seek that reads only the chunk it lands in, damage
// reported and passed over, and a file far larger than the address space a
// reader is allowed. A channel's log file written in place: an append
// writes the newest chunk's end and the headers, a failed write loses
// nothing, a clear leaves the header.
#include <fstream>

#include "platform/formats/evtx_reader.h"
#include "platform/formats/file_bytes.h"
#include "platform/host/faults/faults.h"

#include "platform/formats/evtx_writer.h"
#include "platform/host/evt/evt_query_report.h"
#include "platform/host/evt/evtx_file_records.h"
#include "platform/host/files/paths.h"
#include "tests/host_evt/wevt_fixture.h"
#include "tests/support/small_address_space.h"

namespace wevttest {
namespace {

constexpr size_t kHeader = 4096, kChunk = 65536;

// A file of `records` events (ids from 1), several chunks.
std::vector<uint8_t> ManyChunks(size_t records) {
  std::vector<formats::EvtxRecord> list;
  for (size_t i = 0; i < records; ++i) {
    formats::EvtxEventSpec s = Spec(static_cast<uint16_t>(i));
    s.recordId = i + 1;
    s.data.push_back({u"Pad", formats::EvtxValue::String(std::u16string(200 + i % 50, u'p'))});
    list.push_back(formats::BuildEvtxRecord(s));
  }
  std::vector<uint8_t> bytes;
  std::string error;
  EXPECT_TRUE(formats::WriteEvtx(list, bytes, error)) << error;
  return bytes;
}

// The file with its chunks turned round by `by`: the oldest chunk comes
// `by` chunks into the file, as in a log that wrapped around.
std::vector<uint8_t> Wrapped(const std::vector<uint8_t>& bytes, size_t by) {
  size_t chunks = (bytes.size() - kHeader) / kChunk;
  std::vector<uint8_t> out(bytes.begin(), bytes.begin() + kHeader);
  for (size_t i = 0; i < chunks; ++i) {
    size_t from = kHeader + ((i + chunks - by) % chunks) * kChunk;
    out.insert(out.end(), bytes.begin() + from, bytes.begin() + from + kChunk);
  }
  return out;
}

class FileChunks : public WevtTest {
 protected:
  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return path;
  }

  // Record ids in the order EvtNext hands them out; the query's report.
  std::vector<uint64_t> QueryIds(const std::string& path, host::evt::QueryReport* report = nullptr) {
    std::u16string windows = host::WindowsPathOf(path);
    Handle query(EvtQuery(nullptr, windows.c_str(), u"*", EvtQueryFilePath | EvtQueryForwardDirection));
    EXPECT_TRUE(query);
    std::vector<uint64_t> ids = AllIds(query.get());
    EXPECT_TRUE(!report || host::evt::QueryReportOf(query.get(), report));
    return ids;
  }

  // A channel whose events are those of the file at `path`.
  void FileChannel(const std::u16string& name, const std::string& path) {
    host::ChannelConfig c;
    c.name = name;
    c.maxSize = 1 << 24;
    host::AddFileChannel(Local(), c, path);
  }

  static std::vector<uint64_t> FileIds(const std::string& path, std::vector<std::string>* diagnostics) {
    formats::EvtxReadResult read = formats::ReadEvtxFile(path);
    *diagnostics = read.diagnostics;
    std::vector<uint64_t> ids;
    for (const auto& r : read.records) ids.push_back(r.recordId);
    return ids;
  }
};

TEST_F(FileChunks, AWrappedLogIsReadOldestFirstCountedByItsHeadersAndSeekedInOneChunk) {
  const std::vector<uint8_t> bytes = ManyChunks(600);
  ASSERT_GE((bytes.size() - kHeader) / kChunk, 4u);
  const std::string path = Write("wrapped.evtx", Wrapped(bytes, 2));
  auto file = host::EvtxFileRecords::Open(path);
  ASSERT_TRUE(file);
  EXPECT_EQ(file->size(), 600u);
  EXPECT_EQ(file->oldestRecordId(), 1u);
  EXPECT_EQ(file->newestRecordId(), 600u);
  EXPECT_EQ(file->chunksParsed(), 0u);
  bool exact = false;
  EXPECT_EQ(file->positionOf(590, &exact), 589u);
  EXPECT_TRUE(exact);
  EXPECT_EQ(file->chunksParsed(), 1u);
  EXPECT_EQ((*file->at(589))->recordId, 590u);
  EXPECT_EQ(file->chunksParsed(), 1u);
  const std::vector<uint64_t> ids = QueryIds(path);
  ASSERT_EQ(ids.size(), 600u);
  for (size_t i = 0; i < ids.size(); ++i) ASSERT_EQ(ids[i], i + 1) << i;
}

// A query and an export of a damaged file report the same damage.
TEST_F(FileChunks, DamageIsReportedAndPassedOver) {
  std::vector<uint8_t> bytes = ManyChunks(600);
  std::vector<uint8_t> badChunk = bytes;
  badChunk[kHeader + kChunk] = 'X';  // the second chunk's signature
  host::evt::QueryReport report;
  std::vector<uint64_t> ids = QueryIds(Write("bad.evtx", badChunk), &report);
  EXPECT_LT(ids.size(), 600u);
  EXPECT_GT(ids.size(), 0u);
  EXPECT_FALSE(report.diagnostics.empty());

  std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + kHeader + kChunk + kChunk / 2);
  ids = QueryIds(Write("cut.evtx", cut), &report);
  EXPECT_GT(ids.size(), 0u);
  ASSERT_FALSE(report.diagnostics.empty());
  EXPECT_NE(report.diagnostics[0].find("truncated"), std::string::npos) << report.diagnostics[0];
  const std::string out = (dir_ / "out.evtx").string();
  for (const std::string& from : {(dir_ / "cut.evtx").string(), out}) {
    const std::string to = from == out ? out + ".again" : out;
    ASSERT_TRUE(EvtExportLog(nullptr, host::WindowsPathOf(from).c_str(), nullptr, host::WindowsPathOf(to).c_str(),
                             EvtExportLogFilePath));
    const host::evt::QueryReport exported = host::evt::LastExportReport();
    EXPECT_EQ(exported.diagnostics, from == out ? std::vector<std::string>{} : report.diagnostics);
    EXPECT_EQ(exported.skipped, from == out ? 0u : report.skipped);
  }
  EXPECT_GT(report.skipped, 0u);
  EXPECT_EQ(formats::ReadEvtxFile(out).records.size(), ids.size());
}

TEST_F(FileChunks, AnAppendWritesTheNewestChunksEndAndTheHeaders) {
  const std::vector<uint8_t> bytes = ManyChunks(600);
  const std::string path = Write("live.evtx", bytes);
  FileChannel(u"Live", path);
  host::ClearFaults();
  EXPECT_EQ(host::AppendEvent(Local(), u"Live", Spec(7)), 601u);
  EXPECT_EQ(host::CallCount("WriteFile"), 3u);
  std::vector<uint8_t> after;
  ASSERT_TRUE(formats::ReadFileBytes(path, &after));
  ASSERT_EQ(after.size(), bytes.size());
  const size_t newest = bytes.size() - kChunk;
  EXPECT_TRUE(std::equal(bytes.begin() + 128, bytes.begin() + static_cast<std::ptrdiff_t>(newest), after.begin() + 128))
      << "bytes before the newest chunk changed";
  std::vector<std::string> diagnostics;
  const std::vector<uint64_t> ids = FileIds(path, &diagnostics);
  EXPECT_TRUE(diagnostics.empty()) << diagnostics[0];
  ASSERT_EQ(ids.size(), 601u);
  EXPECT_EQ(ids.back(), 601u);
  host::Lock lock;
  EXPECT_EQ(host::EventLogOf(Local()).FindChannel(u"Live")->RecordCount(), 601u);
}

// A write of an append that fails: the call fails, the file reads every
// record it held, and the next append puts it right.
TEST_F(FileChunks, AFailedAppendLosesNothingAndTheNextRepairs) {
  for (unsigned failing = 1; failing <= 3; ++failing) {
    const std::u16string name = u"Live" + std::u16string(1, static_cast<char16_t>(u'0' + failing));
    const std::string path = Write("failing" + std::to_string(failing) + ".evtx", ManyChunks(600));
    FileChannel(name, path);
    host::ClearFaults();
    host::InjectFault("WriteFile", failing, ERROR_WRITE_FAULT);
    EXPECT_EQ(host::AppendEvent(Local(), name, Spec(7)), 0u) << failing;
    host::ClearFaults();
    std::vector<std::string> diagnostics;
    std::vector<uint64_t> ids = FileIds(path, &diagnostics);
    ASSERT_GE(ids.size(), 600u) << failing;
    EXPECT_EQ(ids[599], 600u) << failing;

    const uint64_t id = host::AppendEvent(Local(), name, Spec(8));
    EXPECT_GT(id, 600u) << failing;
    ids = FileIds(path, &diagnostics);
    EXPECT_TRUE(diagnostics.empty()) << failing << ": " << diagnostics[0];
    ASSERT_FALSE(ids.empty());
    EXPECT_EQ(ids.back(), id) << failing;
    EXPECT_TRUE(std::adjacent_find(ids.begin(), ids.end(), std::greater_equal<uint64_t>()) == ids.end()) << failing;
  }
}

// A clear with a backup: the events go to the backup file, the log file
// keeps its header alone and ids start again at 1.
TEST_F(FileChunks, AClearKeepsTheHeaderAloneAfterTheBackup) {
  const std::string path = Write("cleared.evtx", ManyChunks(600));
  FileChannel(u"Cleared", path);
  const std::string backup = (dir_ / "backup.evtx").string();
  {
    host::Lock lock;
    auto& service = host::EventLogOf(Local());
    ASSERT_EQ(service.Clear(*service.FindChannel(u"Cleared"), host::WindowsPathOf(backup)), 0u);
  }
  std::vector<std::string> diagnostics;
  EXPECT_EQ(FileIds(backup, &diagnostics).size(), 600u);
  EXPECT_EQ(std::filesystem::file_size(path), kHeader);
  EXPECT_EQ(host::AppendEvent(Local(), u"Cleared", Spec(1)), 1u);
  EXPECT_EQ(FileIds(path, &diagnostics), std::vector<uint64_t>{1});
  EXPECT_TRUE(diagnostics.empty()) << diagnostics[0];
}

// A child process whose address space is limited to far less than the file
// reads every event of it.
TEST_F(FileChunks, AFileLargerThanTheAddressSpaceLimitIsRead) {
  std::vector<uint8_t> chunkBytes = ManyChunks(600);
  size_t chunks = (chunkBytes.size() - kHeader) / kChunk;
  size_t copies = 1200 / chunks + 1;  // over 75 MiB
  // The same chunks again and again: chunk headers say where the records
  // stand; the copies keep their records' own ids (counts go by the headers).
  std::string path = (dir_ / "large.evtx").string();
  {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(chunkBytes.data()), kHeader);
    for (size_t copy = 0; copy < copies; ++copy)
      out.write(reinterpret_cast<const char*>(chunkBytes.data() + kHeader), chunks * kChunk);
  }
  uint64_t expected = 600u * copies;
  std::u16string windows = host::WindowsPathOf(path);
  // Room for what the process has mapped now, plus 64 MiB: the file is larger.
  EXPECT_TRUE(testsupport::SucceedsInSmallAddressSpace(64u << 20, [&] {
    Handle query(EvtQuery(nullptr, windows.c_str(), u"*", EvtQueryFilePath | EvtQueryForwardDirection));
    uint64_t count = 0;
    EVT_HANDLE events[64];
    DWORD returned = 0;
    while (query && EvtNext(query.get(), 64, events, INFINITE, 0, &returned)) {
      for (DWORD i = 0; i < returned; ++i) EvtClose(events[i]);
      count += returned;
    }
    return count == expected;
  }));
  EXPECT_GT(std::filesystem::file_size(path), uint64_t{72} << 20);
}

}  // namespace
}  // namespace wevttest
