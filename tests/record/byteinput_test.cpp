#include "record/byteinput.h"
#include "readertest.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct TempDir {
    std::filesystem::path path;
    TempDir()
    {
        std::string name = (std::filesystem::temp_directory_path() / "psnreader-XXXXXX").string();
        path = mkdtemp(name.data());
    }
    ~TempDir() { std::filesystem::remove_all(path); }
};

} // namespace

TEST(ByteInput, ReadsARecordFile)
{
    const std::string path = TEST_DATA_DIR "/psnreader-event.txt";
    ReadResult result = readRecordFile(path);
    auto *record = std::get_if<Record>(&result);
    ASSERT_NE(record, nullptr) << describe(result);
    EXPECT_EQ(record->sampleCount, 6);
    EXPECT_EQ(record->sampleRate, 100);
    EXPECT_EQ(record->station, "ABC");
    EXPECT_EQ(record->channel, "HHZ");
    const double values[] = {0, 1.5e-6, -2.5e-6, 1e-6, -1e-6, 2.5e-7, 0};
    ASSERT_EQ(record->samples.size(), 7u);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(record->samples[i], static_cast<float>(values[i])) << i;
}

TEST(ByteInput, FilesThatCannotBeReadAreRefused)
{
    TempDir dir;
    const std::string fifo = (dir.path / "pipe").string(), empty = (dir.path / "empty.txt").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::ofstream{empty};
    struct Row { std::string path, reason; };
    const Row rows[] = {
        {(dir.path / "missing.txt").string(), "cannot be opened: No such file or directory"},
        {dir.path.string(), "is a directory, not a regular file"},
        {fifo, "is a named pipe, not a regular file"},
        {"/dev/null", "is a character device, not a regular file"},
        {"/dev/zero", "is a character device, not a regular file"},
        {empty, notARecord},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.path);
        ReadResult result = readRecordFile(row.path);
        auto *error = std::get_if<LoadError>(&result);
        ASSERT_NE(error, nullptr);
        EXPECT_EQ(error->file, row.path);
        EXPECT_EQ(error->line, 0);
        EXPECT_EQ(error->reason, row.reason);
    }
}

TEST(ByteInput, ReadsFromAPipeWhoseSizeIsUnknown)
{
    // A writer feeds the record three bytes at a time. Without a size, a
    // count larger than the data is not refused up front: its values are
    // read until the data ends.
    struct Row { std::string text, result; };
    const Row rows[] = {
        {header(3) + "1\r\n2,3\r\n", "a record"},
        {header(1000) + "1 2", "pipe: line 4: the file ends after 2 of 1000 samples"},
    };
    for (const Row &row : rows) {
        int ends[2];
        ASSERT_EQ(::pipe(ends), 0);
        std::thread writer([&] {
            for (size_t at = 0; at < row.text.size(); at += 3)
                if (::write(ends[1], row.text.data() + at, std::min<size_t>(3, row.text.size() - at)) < 0)
                    break;
            ::close(ends[1]);
        });
        ByteInput input(ends[0], std::nullopt, true);
        // A look at the first bytes, as to choose a reader, takes nothing.
        EXPECT_EQ(input.peek(7), "Number ");
        ReadOptions options;
        options.threads.threads = 2;
        options.threads.readPartBytes = 16;
        const ReadResult result = readRecord(input, "pipe", options);
        writer.join();
        EXPECT_EQ(describe(result), row.result);
        if (auto *record = std::get_if<Record>(&result)) {
            EXPECT_EQ(record->samples, (std::vector<float>{0, 1, 2, 3}));
        }
    }
}

TEST(ByteInput, AFileShortenedWhileReadIsAnErrorNotACrash)
{
    TempDir dir;
    const auto path = (dir.path / "shrinking.psn").string();
    const int count = 300000;
    {
        std::ofstream out(path, std::ios::binary);
        out << header(count);
        for (int i = 0; i < count; ++i)
            out << "1.234567E-06\r\n";
    }
    ReadResult whole = readRecordFile(path);
    ASSERT_TRUE(std::holds_alternative<Record>(whole)) << describe(whole);

    // Another program cuts the file while its samples are read: the reads
    // end early, and the reader tells why.
    ReadOptions options;
    options.progress = [&](double) { std::filesystem::resize_file(path, 100); };
    ReadResult result = readRecordFile(path, options);
    ASSERT_TRUE(std::holds_alternative<LoadError>(result));
    EXPECT_EQ(describe(result), path + ": could not be read to its end: it was shortened, or a "
                                       "read failed, while it was read");
}
