// Sources that try to hang a run, exhaust its memory or time, or pass for damaged
// files: each must end cleanly, promptly and reported as what it is. (Their time
// and memory are printed by bench/bench_hostile_inputs.)
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "codecs/bmp_reader.h"
#include "pixels/load_error.h"
#include "image/load_thumbnail.h"
#include "image/prepare_thumbnail.h"
#include "run/file_turn.h"
#include "run/run_folder.h"
#include "platform/file_io.h"
#include "tests/image/jpeg_fixtures.h"
#include "tests/support/folder_files.h"
#include "tests/support/hostile_files.h"
#include "tests/support/in_child.h"
#include "tests/support/unprivileged.h"
#include "tests/support/recording_host.h"
#include "tests/support/sample_images.h"
#include "tests/support/temp_dir.h"
#include "tests/support/thumb_jobs.h"
#include "tests/support/jpeg_file.h"

namespace nuthumb {
namespace {

namespace fs = std::filesystem;
using Kind = RecordedMessage::Kind;
using Bytes = std::vector<std::uint8_t>;

const std::string kCorrupt = "ファイルが壊れている可能性があります。\r\nFilename : ";
const std::string kUnreadable = "ファイルを読み込めません。\r\nFilename : ";

void MakeSparse(const std::string& path, off_t size) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, size), 0);
    ::close(fd);
}

// A source made in a folder: returns its name there.
struct FailureRow {
    std::string name;
    std::function<std::string(const std::string& dir)> make;
    std::string message;      // what the load-error message starts with, before the name
    std::string reason_part;  // and what it says after the name ("" for a damaged file)
};
void PrintTo(const FailureRow& row, std::ostream* os) { *os << row.name; }

class HostileSource : public testing::TestWithParam<FailureRow> {};

TEST_P(HostileSource, FailsCleanlyAsWhatItIs) {
    const FailureRow& row = GetParam();
    TempDir dir;
    RecordingHost host;
    host.report_load_errors = true;
    const std::string name = row.make(dir.path());
    const std::string source = dir.path() + "/" + name;
    MakeThumbnail(host, source, dir.path() + "/t.jpg", test::Scale(100, test::kBmp));

    EXPECT_EQ(host.errors, std::vector<std::string>{source});
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].kind, Kind::kError);
    const std::string& text = host.messages[0].text;
    EXPECT_EQ(text.rfind(row.message + name, 0), 0u) << text;
    if (row.reason_part.empty()) {
        EXPECT_EQ(text, row.message + name);
    } else {
        EXPECT_NE(text.find("\r\n", (row.message + name).size()), std::string::npos) << text;
        EXPECT_NE(text.find(row.reason_part), std::string::npos) << text;
    }
    EXPECT_FALSE(FileExists(dir.path() + "/t.bmp"));
    EXPECT_FALSE(host.cancel);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, HostileSource,
    testing::Values(
        // 252 KB declaring 16384 x 16384 with 1,000 empty scans: refused at the
        // scan limit (before that, it walks 512 MiB of coefficients per scan).
        FailureRow{"ProgressiveScanBomb",
                   [](const std::string& d) {
                       WriteFileAtomic(d + "/bomb.jpg", test::RepeatedScanJpeg(16384, 16384, 1000));
                       return std::string("bomb.jpg");
                   },
                   kCorrupt, ""},
        FailureRow{"SparseTwoGigabytes",
                   [](const std::string& d) {
                       MakeSparse(d + "/sparse.jpg", off_t{2} << 30);
                       return std::string("sparse.jpg");
                   },
                   kUnreadable, "2147483648 バイトあり"},
        FailureRow{"LinkToDevZero",
                   [](const std::string& d) {
                       fs::create_symlink("/dev/zero", d + "/zero.jpg");
                       return std::string("zero.jpg");
                   },
                   kUnreadable, "キャラクタデバイスであり、通常のファイルではありません"},
        FailureRow{"NamedPipe",
                   [](const std::string& d) {
                       ::mkfifo((d + "/pipe.bmp").c_str(), 0644);
                       return std::string("pipe.bmp");
                   },
                   kUnreadable, "名前付きパイプであり、通常のファイルではありません"},
        FailureRow{"FolderNamedLikeAnImage",
                   [](const std::string& d) {
                       fs::create_directory(d + "/folder.jpg");
                       return std::string("folder.jpg");
                   },
                   kUnreadable, "フォルダであり、通常のファイルではありません"},
        FailureRow{"Vanished",
                   [](const std::string&) { return std::string("gone.jpg"); },
                   kUnreadable, "No such file or directory"}),
    [](const testing::TestParamInfo<FailureRow>& info) { return info.param.name; });

// A file whose reading fails part way (a disk error) is unreadable, not damaged:
// the system's reason comes through, whatever the decoder.
class FailingBytes final : public ByteSource {
public:
    FailingBytes(Bytes bytes, std::uint64_t fail_from) : bytes_(std::move(bytes)), fail_from_(fail_from) {}
    std::uint64_t size() const override { return bytes_.size(); }
    std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const override {
        if (offset + out.size() > fail_from_) throw IoError("cannot read x: Input/output error");
        return MemoryBytes(bytes_).ReadAt(offset, out);
    }

private:
    Bytes bytes_;
    std::uint64_t fail_from_;
};

TEST(HostileSource, ReadErrorsMidFileAreReadErrorsInEveryDecoder) {
    const Bytes jpeg = test::MakeTestJpeg(300, 200, "-progressive");
    const Bytes rle = test::DenseRunLengthBitmap(510, 300);
    test::BmpBuilder plain;
    plain.width = 100;
    plain.height = 100;
    plain.pixels.assign(300 * 100, 0x5A);
    const Bytes bmp = plain.Build();
    const struct {
        const Bytes& file;
        bool jpeg;
        std::uint64_t fail_from;
    } rows[] = {{jpeg, true, jpeg.size() / 2}, {rle, false, rle.size() / 2}, {bmp, false, bmp.size() / 2},
                {bmp, false, 30}};
    for (const auto& row : rows) {
        for (const bool resize : {false, true}) {
            const FailingBytes source(row.file, row.fail_from);
            EXPECT_THROW(test::LoadImage(source, row.jpeg ? ImageFormat::kJpeg : ImageFormat::kBmp,
                                       Conversion{ImageFormat::kJpeg, 30, Basis::kHeight, resize}, {}), IoError)
                << row.jpeg << " " << row.fail_from << " " << resize;
        }
    }
}

// Up to the limit a lawful run of empty scans is only slow; past it, or at a scan
// that repeats a precision already received, the file is refused, the repeat
// before its pass (polled no more than the file without it). The area decode
// looks at every scan before decoding any, and refuses the same.
TEST(HostileSource, ScansPastTheLimitOrRepeatedAreRefused) {
    const char* const kLimit = "スキャンの数が上限を超えています (100)";
    const char* const kRepeat = "スキャンが受け取り済みの係数を同じ精度で繰り返しています";
    struct Row {
        int scans;
        bool repeat_last;
        const char* refusal;  // null: decoded
    } const rows[] = {{1, false, nullptr}, {100, false, nullptr}, {101, false, kLimit},
                      {1000, false, kLimit}, {1, true, kRepeat},     {60, true, kRepeat}};
    for (const Row& row : rows) {
        for (const bool area : {false, true}) {
            const Bytes file = test::RepeatedScanJpeg(64, 48, row.scans, false, row.repeat_last);
            const MemoryBytes bytes(file);
            int polls = 0;
            test::JpegFile codec;
            codec.ReadHeader(bytes, DecodeOptions([&polls] { return ++polls < 0; }));
            const std::string what = std::to_string(row.scans) + (row.repeat_last ? " repeated" : "") + (area ? " area" : "");
            try {
                const Image thumb = area ? codec->DecodeArea(16, 12) : codec.DecodeThumbnail(16, 12);
                EXPECT_EQ(row.refusal, nullptr) << what;
                EXPECT_EQ(thumb.width, 16) << what;
            } catch (const LoadError& e) {
                ASSERT_NE(row.refusal, nullptr) << what << ": " << e.what();
                EXPECT_NE(std::string(e.what()).find(row.refusal), std::string::npos) << what << ": " << e.what();
            }
            if (row.repeat_last) {
                int lawful_polls = 0;
                const Bytes lawful_file = test::RepeatedScanJpeg(64, 48, row.scans);
                const MemoryBytes lawful_bytes(lawful_file);
                test::JpegFile lawful;
                lawful.ReadHeader(lawful_bytes, DecodeOptions([&] { return ++lawful_polls < 0; }));
                (void)(area ? lawful->DecodeArea(16, 12) : lawful.DecodeThumbnail(16, 12));
                EXPECT_LE(polls, lawful_polls) << what;
            }
        }
    }
}

// Tiny files declaring 16384 x 16384: the thumbnail reads only the rows it picks,
// so the conversion fits in a few MiB; rows the file lacks are black.
TEST(HostileSource, BitmapBombsConvertWithinSmallMemory) {
    TempDir dir;
    WriteFileAtomic(dir.path() + "/header.bmp", test::HeaderOnlyBitmap(16384, 16384));
    WriteFileAtomic(dir.path() + "/runs.bmp", test::DenseRunLengthBitmap(16320, 16384));
    for (const std::string name : {"header", "runs"}) {
        const auto outcome = test::InChild([] { return test::CapHeapGrowth(std::size_t{64} << 20); }, [&] {
            RecordingHost host;
            MakeThumbnail(host, dir.path() + "/" + name + ".bmp", dir.path() + "/" + name + "_t.bmp", test::Scale(100, test::kBmp));
            return std::to_string(host.errors.size());
        });
        ASSERT_TRUE(outcome.has_value()) << name;
        // The header-only file is made as far as it goes and named as cut short.
        EXPECT_EQ(*outcome, name == "header" ? "1" : "0") << name;
        const Image thumb = LoadBitmap(ReadWholeFile(dir.path() + "/" + name + "_t.bmp"));
        EXPECT_EQ(thumb.height, 100);
        const bool black = std::all_of(thumb.pixels.begin(), thumb.pixels.end(), [](std::uint8_t b) { return b == 0; });
        EXPECT_EQ(black, name == "header") << name;
    }
}

// Made-up bytes of a JPEG that holds `padding` APP1 segments of 64 KiB (zeros, so
// not Exif) after its start marker, then `rest` (the file after its start marker):
// a gigabyte of metadata without a gigabyte on disk or in memory.
class App1PaddedJpeg final : public ByteSource {
public:
    static constexpr std::uint64_t kSegment = 2 + 0xFFFF;
    App1PaddedJpeg(Bytes rest, std::uint64_t padding) : rest_(std::move(rest)), padded_end_(2 + padding * kSegment) {}
    std::uint64_t size() const override { return padded_end_ + rest_.size(); }
    std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const override {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(out.size(), size() - std::min(offset, size())));
        for (std::size_t i = 0; i < n;) {
            const std::uint64_t at = offset + i;
            if (at >= padded_end_) {
                const std::size_t k = std::min(n - i, static_cast<std::size_t>(size() - at));
                std::memcpy(out.data() + i, rest_.data() + (at - padded_end_), k);
                i += k;
                continue;
            }
            if (at < 2) {
                out[i++] = at == 0 ? 0xFF : 0xD8;
                continue;
            }
            const std::uint64_t in_segment = (at - 2) % kSegment;
            static constexpr std::uint8_t kHead[] = {0xFF, 0xE1, 0xFF, 0xFF};
            out[i++] = in_segment < 4 ? kHead[in_segment] : 0;
        }
        return n;
    }

private:
    Bytes rest_;
    std::uint64_t padded_end_;
};

// Metadata and padding that cost the file nothing must cost the decode nothing:
// each conversion runs in a child whose heap may grow by 64 MiB at most.
TEST(HostileSource, PaddingIsNeverHeldWhole) {
    TempDir dir;
    // 32 x 32 run-length image followed by 512 MiB of end-of-line codes (zeros).
    const std::string padded_bmp = dir.path() + "/padded.bmp";
    test::BmpBuilder rle;
    rle.width = 32, rle.height = 32, rle.bits = 8, rle.compression = 1;
    rle.colors_used = 2;
    rle.palette = {{0, 0, 0}, {255, 255, 255}};
    WriteFileAtomic(padded_bmp, rle.Build());
    ASSERT_EQ(::truncate(padded_bmp.c_str(), off_t{512} << 20), 0);
    // 16,000 APP1 segments of 64 KiB, then an Exif segment saying "turn a quarter".
    const Bytes exif = {'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1,
                        0x01, 0x12, 0, 3, 0, 0, 0, 1, 0, 6, 0, 0, 0, 0, 0, 0};
    const Bytes jpeg = test::MakeTestJpeg(64, 48, "");
    // Sized first and filled by copies: GCC 12 at -O3 misreads an insert behind a
    // four-byte vector as a copy past its end (-Warray-bounds).
    Bytes rest(4 + exif.size() + jpeg.size() - 2);
    const std::uint8_t app1[] = {0xFF, 0xE1, 0, static_cast<std::uint8_t>(exif.size() + 2)};
    std::copy(jpeg.begin() + 2, jpeg.end(),
              std::copy(exif.begin(), exif.end(), std::copy(std::begin(app1), std::end(app1), rest.begin())));

    const auto within_64_mib = [] { return test::CapHeapGrowth(std::size_t{64} << 20); };
    for (const Conversion& conversion : {test::Scale(0, test::kBmp, false), test::Scale(16, test::kJpg)}) {
        const auto outcome = test::InChild(within_64_mib, [&] {
            std::uint64_t reserved = 0;
            DecodeOptions options;
            options.reserve_memory = [&reserved](std::uint64_t bytes, const DecodeOptions&) { reserved += bytes; };
            const PreparedThumbnail p = PrepareThumbnail(padded_bmp, conversion, options);
            if (p.outcome != PreparedThumbnail::Outcome::kReady) return std::string("not converted");
            if (p.target_bytes.size() > (256u << 10)) return "target of " + std::to_string(p.target_bytes.size());
            if (reserved > (256u << 10)) return "reserved " + std::to_string(reserved);
            return std::string("ok");
        });
        ASSERT_TRUE(outcome.has_value());
        EXPECT_EQ(*outcome, "ok") << "resize " << conversion.resize;
    }
    const auto outcome = test::InChild(within_64_mib, [&] {
        const App1PaddedJpeg source(rest, 16000);
        Conversion conversion = test::Scale(16, test::kJpg);
        conversion.photo.auto_orient = true;
        const Image thumb = test::LoadImage(source, ImageFormat::kJpeg, conversion, {});
        return std::to_string(thumb.width) + " x " + std::to_string(thumb.height);
    });
    ASSERT_TRUE(outcome.has_value());
    EXPECT_EQ(*outcome, "12 x 16") << "turned by the Exif segment after the padding";
}

// A stop request ends the decode at the first poll that sees it, in every decoder:
// nothing written, nothing recorded, and the run is cancelled.
TEST(HostileSource, StopRequestEndsALongDecodeAtOnce) {
    TempDir dir;
    WriteFileAtomic(dir.path() + "/scans.jpg", test::RepeatedScanJpeg(16384, 16384, 1000));
    WriteFileAtomic(dir.path() + "/baseline.jpg", test::MakeTestJpeg(1200, 900, ""));
    WriteFileAtomic(dir.path() + "/runs.bmp", test::DenseRunLengthBitmap(16320, 16384));
    WriteFileAtomic(dir.path() + "/header.bmp", test::HeaderOnlyBitmap(16384, 16384));
    for (const std::string name : {"scans.jpg", "baseline.jpg", "runs.bmp", "header.bmp"}) {
        RecordingHost host;
        host.report_load_errors = true;
        host.stop_at_poll = 3;
        MakeThumbnail(host, dir.path() + "/" + name, dir.path() + "/t.bmp", test::Scale(100, test::kBmp));
        EXPECT_EQ(host.stop_polls, 3) << name;
        EXPECT_TRUE(host.cancel) << name;
        EXPECT_TRUE(host.errors.empty()) << name;
        EXPECT_TRUE(host.messages.empty()) << name;
        EXPECT_FALSE(FileExists(dir.path() + "/t.bmp")) << name;
    }
}

// A source replaced by a named pipe after the listing would block a plain open
// for ever; the run records it and goes on.
TEST(HostileSource, SourceSwappedForAPipeAfterTheListing) {
    test::RunFolders folders;
    for (const char* name : {"a.bmp", "b.bmp", "c.bmp"}) test::WriteSampleBitmap(folders.in() + "/" + name);
    RecordingHost host;
    host.on_pending = [&] {
        if (host.progress_position != 1) return;
        fs::remove(folders.in() + "/b.bmp");
        ::mkfifo((folders.in() + "/b.bmp").c_str(), 0644);
    };
    EXPECT_EQ(RunFolder(host, test::FolderJob(folders.in(), test::kBmp, folders.out(), test::kJpg, 30)), kRunFinished);
    EXPECT_EQ(host.errors, std::vector<std::string>{folders.in() + "/b.bmp"});
    EXPECT_EQ(test::NamesIn(folders.out()), (std::set<std::string>{"a.jpg", "c.jpg"}));
}

// Permissions hold for an unprivileged user even when the tests run as root.
TEST(HostileSource, PermissionDeniedSaysSo) {
    TempDir dir;
    fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::others_exec | fs::perms::group_exec);
    const std::string source = dir.path() + "/locked.jpg";
    WriteFileAtomic(source, test::MakeTestJpeg(16, 16, ""));
    fs::permissions(source, fs::perms::none);
    const auto text = test::InChild(test::DropRootPrivileges, [&] {
        RecordingHost host;
        host.report_load_errors = true;
        MakeThumbnail(host, source, dir.path() + "/t.jpg", test::Scale(30, test::kJpg));
        return host.messages.empty() ? std::string() : host.messages[0].text;
    });
    if (!text) GTEST_SKIP() << "cannot run as an unprivileged user";
    EXPECT_EQ(*text, kUnreadable + "locked.jpg\r\n" + source + " を開けません: Permission denied");
}

}  // namespace
}  // namespace nuthumb
