// The complex rows decoded in helper processes: whatever becomes of a helper (a
// crash, a limit, silence, a stop), that one file fails, the helper is gone,
// and the next file gets a fresh one; a file a helper refuses leaves it well.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "codecs/codec_table.h"
#include "image/contained_decode.h"
#include "image/decode_plan.h"
#include "image/decoder_messages.h"
#include "image/load_thumbnail.h"
#include "tests/image/netpbm_files.h"
#include "tests/support/child_process.h"
#include "tests/support/hostile_files.h"
#include "tests/support/jpeg_file.h"

namespace nuthumb::test {
namespace {

constexpr std::uint64_t kMiB = std::uint64_t{1} << 20;
const Conversion kThumbnail{ImageFormat::kPng, 16, Basis::kHeight, true};

class ContainedDecodeTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteHeic(MakePicture(64, 48, 3, 255, [](int x, int y, int c) { return x * 4 + y * 2 + c * 80; }), photo_);
        WriteFileAtomic(chain_, ItemChainHeif(10000));
    }
    // The thumbnail decoded in this process.
    std::vector<std::uint8_t> Expected() {
        const SourceFile source(photo_, kMaxSourceBytes);
        return LoadImage(static_cast<const ByteSource&>(source), ImageFormat::kHeic, kThumbnail).pixels;
    }
    std::vector<std::uint8_t> Decode(DecoderHelpers& helpers, const std::string& path,
                                     const DecodeOptions& options = {}) {
        const SourceFile source(path, kMaxSourceBytes);
        return helpers.Decode(source, ImageFormat::kHeic, kThumbnail, options).image.pixels;
    }
    static std::vector<pid_t> Helpers() { return ChildrenOf(::getpid()); }

    TempDir dir_;
    const std::string photo_ = dir_.path() + "/photo.heic", chain_ = dir_.path() + "/chain.heic";
};

// What the test does to the helper once it has asked for its memory.
enum class Meddle { kNone, kSignal, kPause };

struct StopRow {
    const char* name;
    bool chain;  // the crafted chain of items (Debian's libheif overflows its stack on it), else a photo
    DecoderLimits limits;
    Meddle meddle;
    bool stop_soon;      // the caller asks to stop 300 ms into the decode
    const char* reason;  // part of DecoderStopped's text; nothing when the stop ends it
};

// `memory` both before and beyond the reservation.
DecoderLimits Limits(int cpu_seconds, int silent_seconds, std::uint64_t memory) {
    DecoderLimits limits;
    limits.cpu_seconds = cpu_seconds;
    limits.silent_seconds = silent_seconds;
    limits.before_reservation = limits.beyond_reservation = memory;
    return limits;
}

#if defined(__SANITIZE_ADDRESS__)
// AddressSanitizer's own allocator meets the limit first and ends the helper:
// with exit status 1, or SIGABRT when its options say abort_on_error.
constexpr char kMemoryReason[] = "で終了しました";
#else
constexpr char kMemoryReason[] = "メモリの上限 16 MiB に達しました";
#endif
// ThreadSanitizer's runtime cannot live within 16 MiB of data at all (its
// allocator fails and can hang the helper), so that build leaves the row out.
#if defined(__SANITIZE_THREAD__)
constexpr bool kMemoryRow = false;
#else
constexpr bool kMemoryRow = true;
#endif

TEST_F(ContainedDecodeTest, AHelperThatStopsCostsOneFileAndIsReplaced) {
    const std::vector<std::uint8_t> expected = Expected();
    const StopRow rows[] = {
        // An abort stands for a crash: the sanitizers catch SIGSEGV themselves.
        {"Crash", false, {}, Meddle::kSignal, false, "シグナル SIGABRT で終了しました"},
        {"Silence", false, Limits(60, 1, 64 * kMiB), Meddle::kPause, false, "1 秒間応答がありません"},
        {"ProcessorTime", true, Limits(1, 30, 4096 * kMiB), Meddle::kNone, false, "CPU 時間の上限 1 秒を超えました"},
        {"Memory", true, Limits(60, 30, 16 * kMiB), Meddle::kNone, false, kMemoryReason},
        {"Stop", true, {}, Meddle::kNone, true, nullptr},
    };
    for (const StopRow& row : rows) {
        if (!kMemoryRow && std::string(row.name) == "Memory") continue;
        SCOPED_TRACE(row.name);
        DecoderHelpers helpers(NUTHUMB_DECODER_PATH, row.limits);
        const auto started = std::chrono::steady_clock::now();
        DecodeOptions options{[&] {
            return row.stop_soon && std::chrono::steady_clock::now() - started > std::chrono::milliseconds(300);
        }};
        options.reserve_memory = [&row](std::uint64_t, const DecodeOptions&) {
            ASSERT_EQ(Helpers().size(), 1u);
            if (row.meddle != Meddle::kNone) ::kill(Helpers()[0], row.meddle == Meddle::kSignal ? SIGABRT : SIGSTOP);
        };
        try {
            Decode(helpers, row.chain ? chain_ : photo_, options);
            ADD_FAILURE() << "decoded";
        } catch (const DecoderStopped& e) {
            ASSERT_NE(row.reason, nullptr) << e.what();
            EXPECT_NE(std::string(e.what()).find(row.reason), std::string::npos) << e.what();
            EXPECT_EQ(std::string(e.what()).find("デコーダが停止しました: "), 0u) << e.what();
        } catch (const DecodeCancelled&) {
            EXPECT_EQ(row.reason, nullptr);
        }
        // Killed and reaped at once, not left to finish on its own.
        EXPECT_TRUE(Helpers().empty());
        EXPECT_EQ(Decode(helpers, photo_), expected);
    }
}

// A damaged file is the file's failure, not the helper's: the same helper takes
// the next file. One killed while idle (by the system, say) costs no file.
TEST_F(ContainedDecodeTest, RefusedFilesKeepTheHelperAndAnIdleOneLostIsReplaced) {
    const std::vector<std::uint8_t> expected = Expected();
    DecoderHelpers helpers(NUTHUMB_DECODER_PATH);
    EXPECT_EQ(Decode(helpers, photo_), expected);
    const std::vector<pid_t> first = Helpers();
    ASSERT_EQ(first.size(), 1u);

    std::vector<std::uint8_t> cut = ReadWholeFile(photo_);
    cut.resize(cut.size() / 2);
    WriteFileAtomic(dir_.path() + "/cut.heic", cut);
    try {
        Decode(helpers, dir_.path() + "/cut.heic");
        ADD_FAILURE() << "decoded";
    } catch (const DecoderStopped& e) {
        ADD_FAILURE() << e.what();
    } catch (const LoadError&) {
    }
    EXPECT_EQ(Helpers(), first);

    ::kill(first[0], SIGKILL);
    siginfo_t ended{};  // gone, though not yet reaped
    ASSERT_EQ(::waitid(P_PID, static_cast<id_t>(first[0]), &ended, WEXITED | WNOWAIT), 0);
    EXPECT_EQ(Decode(helpers, photo_), expected);
    EXPECT_EQ(Helpers().size(), 1u);
    EXPECT_NE(Helpers(), first);
}

// Every field of a conversion reaches the helper: a box, a crop or an
// enlargement left behind would size the thumbnail by the run's size instead.
TEST(ContainedConversionTest, TheHelperDecodesWhatTheWholeConversionAsks) {
    DecodeJob job{ImageFormat::kAvif, 12345, {}, true};
    job.conversion = {ImageFormat::kWebp, 77, Basis::kWidth, false,
                      {true, 55, ScaleFilter::kArea, true, true, PreviewUse::kNever}, BoxFit::kFill, 300, 200, true};
    EXPECT_EQ(ParseJob(EncodeJob(job)), job);

    TempDir dir;
    const std::string photo = dir.path() + "/photo.heic";
    WriteHeic(MakePicture(64, 48, 3, 255, [](int x, int y, int c) { return x * 4 + y * 2 + c * 80; }), photo);
    const SourceFile source(photo, kMaxSourceBytes);
    DecoderHelpers helpers(NUTHUMB_DECODER_PATH);
    const struct {
        BoxFit box;
        std::int32_t box_width, box_height;
        bool enlarge;
        std::int32_t width, height;
    } rows[] = {
        {BoxFit::kFill, 100, 20, false, 64, 20},  // only cut: the picture is narrower than the box
        {BoxFit::kFit, 200, 200, true, 200, 150},
    };
    for (const auto& row : rows) {
        Conversion conversion = kThumbnail;
        conversion.box = row.box;
        conversion.box_width = row.box_width;
        conversion.box_height = row.box_height;
        conversion.enlarge = row.enlarge;
        const Image in_process = CodecOf(ImageFormat::kHeic).decode(source, RequestOfConversion(conversion), {}).image;
        const Image contained = helpers.Decode(source, ImageFormat::kHeic, conversion, {}).image;
        EXPECT_EQ(std::pair(contained.width, contained.height), std::pair(row.width, row.height));
        EXPECT_EQ(contained.pixels, in_process.pixels);
    }
}

}  // namespace
}  // namespace nuthumb::test
