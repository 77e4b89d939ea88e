#include "cli/cli_options.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <functional>
#include <iostream>

#include "cli/exit_status.h"
#include "cli/option_names.h"
#include "codecs/codec_table.h"
#include "cli/terminal_text.h"
#include "platform/translate.h"
#include "platform/version.h"
#include "settings/form_settings.h"
#include "settings/option_values.h"
#include "settings/settings_table.h"

namespace nuthumb {
namespace {

// The help's closing text, in the user's language like every line the command
// prints.
const char* const kFooter = N_(
    "フォルダをコマンドラインで指定しないときは、ウィンドウの設定ファイル（インストールした\n"
    "プログラムでは ~/.config/nuthumb/nuthumb.ini、ビルドしたツリーや持ち運び用のコピーでは\n"
    "プログラムの隣の nuthumb.ini）または --settings のファイルから処理内容を取ります。\n"
    "コマンドラインで指定した値が優先します。設定ファイルは読むだけで、書き込みません。\n"
    "存在するのに読めない設定ファイルは拒否します。\n"
    "\n"
    "元のファイルが自身のサムネイルで置き換えられるとき（DEST_DIR が SOURCE_DIR と同じか、\n"
    "同じファイルを指すとき）は、--overwrite always（または never）を指定しない限り\n"
    "開始しません。端末では確認し、バッチではそのエントリを実行しません。\n"
    "失敗したファイルは理由とともに標準エラー出力に示します。\n"
    "\n"
    "終了ステータス: 0 失敗したファイルなしで終了、1 失敗したファイルありで終了（または\n"
    "--error-list のファイルか標準出力に書き込めなかった）、2 使い方の誤り、フォルダの\n"
    "確認に失敗、または設定ファイルか読込み元フォルダを読めない、3 ソースファイルがない、\n"
    "130 中断（Ctrl-C）。\n"
    "\n"
    "--batch は設定ファイルに保存されたバッチリストを、--batch-file FILE は FILE の\n"
    "バッチエントリ（1 行に 1 つ、UTF-8 または CP932）を実行します。ログの各行は\n"
    "書かれたときに標準出力に出ます。バッチの終了ステータス: 0 すべてのエントリが失敗\n"
    "したファイルなしで終了、1 データエラー、フォルダの確認の失敗、ソースファイルなし、\n"
    "置き換えの拒否、または失敗したファイルのあるエントリがあった（または --error-list\n"
    "のファイルに書き込めなかった）、2 使い方の誤り、130 中断。");

// A check whose refusal is said in the user's language (CLI11's own words are
// English); `refusal` names the value given ("{}") and then `allowed`.
CLI::Validator Check(std::function<bool(const std::string&)> accepts, const char* refusal, std::string allowed) {
    return CLI::Validator(
        [accepts = std::move(accepts), refusal, allowed = std::move(allowed)](std::string& value) {
            return accepts(value) ? std::string() : Fill(Tr(refusal), {value, allowed});
        },
        "");
}

template <typename T>
CLI::Validator OneOf(const OptionNames<T>& names) {
    return Check([&names](const std::string& value) { return ValueOfName(names, value).has_value(); },
                 N_("{} は {} のどれでもありません"), ChoiceText(names));
}

// Decimal digits with an optional '-', as the option's integer takes them.
CLI::Validator WholeNumberIn(int low, int high) {
    return Check(
        [low, high](const std::string& value) {
            long long number = 0;
            const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
            return error == std::errc() && end == value.data() + value.size() && number >= low && number <= high;
        },
        N_("{} は {} の範囲の整数ではありません"), std::to_string(low) + "-" + std::to_string(high));
}

// "(default: X)": the defaults are the settings file's, so that a job without a
// settings file is the window's first job.
std::string Default(const std::string& value) { return Fill(Tr("（既定値: {}）"), {value}); }

// An option that takes one of `names`; the help shows the default among them.
template <typename T>
CLI::Option* AddChoice(CLI::App& app, const char* name, std::string& word, const std::string& help,
                       const OptionNames<T>& names, T fallback) {
    return app.add_option(name, word, help + Default(NameOfValue(names, fallback)))
        ->check(OneOf(names))
        ->type_name(ChoiceText(names));
}

// A whole number from `low` to `high`, which fill the help's two "{}".
CLI::Option* AddNumber(CLI::App& app, const char* name, std::int32_t& number, const char* help, int low, int high,
                       int fallback) {
    return app.add_option(name, number,
                          Fill(help, {std::to_string(low), std::to_string(high)}) + Default(std::to_string(fallback)))
        ->check(WholeNumberIn(low, high))
        ->type_name("N");
}

// The help's column of names without CLI11's note of a negated flag's value
// ("--auto-orient,--no-auto-orient{false}"), which reads as part of the name.
class HelpFormatter : public CLI::Formatter {
public:
    std::string make_option_name(const CLI::Option* option, bool is_positional) const override {
        std::string name = CLI::Formatter::make_option_name(option, is_positional);
        for (std::size_t open; (open = name.find('{')) != std::string::npos;) {
            const std::size_t close = name.find('}', open);
            name.erase(open, close == std::string::npos ? std::string::npos : close - open + 1);
        }
        return name;
    }
};

// The photo options, each taken over only when the command line gives it.
class PhotoWords {
public:
    void Add(CLI::App& app, const PhotoOptions& defaults) {
        auto_orient_opt_ = app.add_flag(
            "--auto-orient,!--no-auto-orient", auto_orient_,
            Tr("縮小する前に、各 JPEG を EXIF の Orientation に従って正しい向きに回転する") +
                Default(defaults.auto_orient ? "on" : "off"));
        keep_dates_opt_ = app.add_flag(
            "--keep-dates,!--no-keep-dates", keep_dates_,
            Tr("各サムネイルの更新日時を元のファイルと同じにする") + Default(defaults.keep_dates ? "on" : "off"));
        to_srgb_opt_ = app.add_flag(
            "--srgb,!--no-srgb", to_srgb_,
            Tr("縮小する前に、ICC プロファイルを埋め込んだ画像の色を sRGB に変換する") +
                Default(defaults.to_srgb ? "on" : "off"));
        quality_opt_ = AddNumber(app, "--quality", quality_, Tr("サムネイルの JPEG と WebP の画質、{} から {} まで"),
                                 keys::kQualityMin, keys::kQualityMax, defaults.quality);
        filter_opt_ = AddChoice(app, "--filter", filter_,
                                Tr("サムネイルの画素の作り方: 元の 1 画素 (nearest)、または覆う画素の平均 (area)"),
                                kFilterNames, defaults.filter);
        previews_opt_ = AddChoice(app, "--previews", previews_,
                                  Tr("ファイルに埋め込まれたプレビューが画像の縮小コピーでサムネイル以上の大きさなら"
                                     "そこからサムネイルを作る (auto)、または常に画像全体から作る (never)"),
                                  kPreviewNames, defaults.previews);
    }

    void CopyInto(CliOptions& options) const {
        if (auto_orient_opt_->count()) options.auto_orient = auto_orient_;
        if (keep_dates_opt_->count()) options.keep_dates = keep_dates_;
        if (to_srgb_opt_->count()) options.to_srgb = to_srgb_;
        if (quality_opt_->count()) options.quality = quality_;
        if (filter_opt_->count()) options.filter = ValueOfName(kFilterNames, filter_);
        if (previews_opt_->count()) options.previews = ValueOfName(kPreviewNames, previews_);
    }

private:
    bool auto_orient_ = false, keep_dates_ = false, to_srgb_ = false;
    std::int32_t quality_ = 0;
    std::string filter_, previews_;
    const CLI::Option *auto_orient_opt_ = nullptr, *keep_dates_opt_ = nullptr, *to_srgb_opt_ = nullptr,
                      *quality_opt_ = nullptr, *filter_opt_ = nullptr, *previews_opt_ = nullptr;
};

// Why the batch options cannot be used as given, or nullptr: a batch entry
// carries its own job, so no option of a single job goes with it.
const char* BatchConflict(const CLI::Option& batch, const CLI::Option& batch_file,
                          std::initializer_list<const CLI::Option*> job_options) {
    if (batch.count() && batch_file.count()) return Tr("--batch と --batch-file は一緒に指定できません");
    if (!batch.count() && !batch_file.count()) return nullptr;
    for (const CLI::Option* option : job_options)
        if (option->count())
            return Tr("バッチは処理内容を各エントリから取ります: フォルダ、--from、--to、--prefix、--suffix、"
                      "--size、--basis、--convert-only、--recursive は指定しないでください");
    return nullptr;
}

// A usage error in the user's language, with the option or argument it is about.
std::string UsageErrorText(const CLI::ParseError& error, const CLI::App& app) {
    const std::string what = error.what();
    if (dynamic_cast<const CLI::ExtrasError*>(&error)) {
        // An option the program does not know is named as such, before any
        // surplus folder.
        std::string options, extras;
        for (const std::string& arg : app.remaining()) {
            std::string& list = arg.size() > 1 && arg[0] == '-' ? options : extras;
            list += (list.empty() ? "" : " ") + arg;
        }
        return options.empty() ? Fill(Tr("余分な引数があります: {}"), {extras})
                               : Fill(Tr("不明なオプションです: {}"), {options});
    }
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&error)) {
        const std::string name = what.substr(0, what.find(':'));
        const CLI::Option* option = app.get_option_no_throw(name);
        if (option && option->count() > 1) return Fill(Tr("{}: 2 回以上指定されています"), {name});
        return Fill(Tr("{}: 値がありません"), {name});
    }
    // "Could not convert: --auto-orient = maybe"
    if (dynamic_cast<const CLI::ConversionError*>(&error)) {
        const std::size_t from = what.find(": "), equals = what.find(" = ");
        if (from != std::string::npos && equals != std::string::npos && equals > from)
            return Fill(Tr("{}: {} は使える値ではありません"), {what.substr(from + 2, equals - from - 2), what.substr(equals + 3)});
    }
    // A check's own refusal, already translated, after the option's name.
    if (dynamic_cast<const CLI::ValidationError*>(&error)) return what;
    // The parser's rarer complaints are in its own English only.
    return Tr("コマンドラインを読み取れません");
}

// Prints a usage error the way every usage error of the program reads.
void ShowUsageError(const std::string& problem) {
    std::cerr << "nuthumb-cli: " << ForStderr(problem) << "\n" << Tr("詳しくは --help を付けて実行してください。") << "\n";
}

}  // namespace

std::variant<CliOptions, CliExit> ParseCommandLine(int argc, const char* const* argv) {
    CliOptions options;
    std::string src_dir, dst_dir, from, to, prefix, suffix, basis, overwrite, error_list, settings, batch_file;
    std::int32_t size = 0;
    PhotoWords photo;
    const ThumbJob defaults = JobOfForm(FormSettings{});
    const OverwriteMode default_overwrite = OverwriteModeOfItem(keys::kRadioGroupSaveMode.fallback);

    CLI::App app{Fill(Tr("SOURCE_DIR のすべての {} 画像のサムネイルを DEST_DIR に作成します。"),
                      {FormatList(Tr("、"), Tr(" または "))}),
                 "nuthumb-cli"};
    app.formatter(std::make_shared<HelpFormatter>());
    app.footer(Tr(kFooter));
    app.get_formatter()->label("Usage", Tr("使い方"));
    app.get_formatter()->label("Positionals", Tr("引数"));
    app.get_formatter()->label("OPTIONS", Tr("オプション"));
    app.option_defaults()->group(Tr("オプション"));
    app.set_help_flag("-h,--help", Tr("このヘルプを表示して終了します"));
    app.set_version_flag("--version", "nuthumb-cli " + std::string(kVersion), Tr("バージョンを表示して終了します"));
    auto* src_opt = app.add_option("SOURCE_DIR", src_dir, Tr("元の画像のあるフォルダ"))->type_name("");
    auto* dst_opt = app.add_option("DEST_DIR", dst_dir, Tr("サムネイルを書き込むフォルダ"))->type_name("");
    auto* from_opt = AddChoice(app, "--from", from, Tr("読込みファイル形式"), kSourceNames, defaults.src_format);
    auto* to_opt =
        AddChoice(app, "--to", to, Tr("保存ファイル形式"), kTargetNames, defaults.conversion.target_format);
    auto* prefix_opt = app.add_option("--prefix", prefix, Tr("ファイル名の前に付ける文字列（既定値: なし）"));
    auto* suffix_opt = app.add_option("--suffix", suffix, Tr("ファイル名の後に付ける文字列（既定値: なし）"));
    auto* size_opt = AddNumber(app, "-s,--size", size, Tr("基準の辺の長さ、{} から {} まで"), keys::kSizeMin,
                               keys::kSizeMax, defaults.conversion.size);
    auto* basis_opt =
        AddChoice(app, "--basis", basis, Tr("サイズを合わせる辺"), kBasisNames, defaults.conversion.basis);
    auto* convert_only_opt = app.add_flag("--convert-only", options.convert_only, Tr("サイズを変更しない"));
    auto* recursive_opt = app.add_flag(
        "-r,--recursive", options.recursive,
        Tr("下のフォルダの画像も読み込み、DEST_DIR の同じ場所に書き込む（隠しフォルダ、フォルダへのリンク、SOURCE_DIR の中の "
           "DEST_DIR は読まない）"));
    photo.Add(app, defaults.conversion.photo);
    auto* overwrite_opt =
        AddChoice(app, "--overwrite", overwrite, Tr("既存の保存先ファイル"), kOverwriteNames, default_overwrite);
    app.add_flag("--report-load-errors", options.report_load_errors,
                 Tr("読み込めなかったファイルをその場で知らせる"));
    auto* error_list_opt = app.add_option(
        "--error-list", error_list,
        Tr("失敗したファイルの一覧をエラーリストファイルの形式でそこに書き込む。'-'（標準出力）、"
           "パイプ、端末には UTF-8 の行で書く"))->type_name("FILE");
    auto* settings_opt = app.add_option(
        "--settings", settings,
        Tr("コマンドラインで指定しない値をすべてこの設定ファイルから取る"))->type_name("FILE");
    app.add_flag("-q,--quiet", options.quiet, Tr("進捗表示と失敗したファイルごとの行を出さない"));
    app.add_option("-j,--jobs", options.jobs,
                   Tr("処理に先立ってファイルを読み込みデコードするスレッドの数（既定値: このプロセスが使えるコアごとに 1 つ、"
                      "最大 16。1 ではすべてを 1 つのスレッドで行う）"))
        ->check(WholeNumberIn(1, 64))
        ->type_name("N");
    app.add_option("--memory-limit", options.memory_limit_mib,
                   Tr("同時に動くデコードが合わせて使えるメモリ（MiB）。大きさにかかわらずデコードは常に 1 つは動く"
                      "（既定値: マシンのメモリの 4 分の 1、最大 1024）"))
        ->check(WholeNumberIn(1, 1 << 20))
        ->type_name("MIB");
    auto* batch_opt = app.add_flag("--batch", options.batch, Tr("設定ファイルに保存されたバッチリストを実行する"));
    auto* batch_file_opt = app.add_option("--batch-file", batch_file,
                                          Tr("FILE のバッチエントリ（1 行に 1 つ）を実行する"))->type_name("FILE");

    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& help_or_version) {
        app.exit(help_or_version);  // prints what was asked for
        return CliExit{kExitFinished};
    } catch (const CLI::ParseError& error) {
        ShowUsageError(UsageErrorText(error, app));
        return CliExit{kExitUsage};
    }
    if (const char* problem = BatchConflict(*batch_opt, *batch_file_opt,
                                            {src_opt, dst_opt, from_opt, to_opt, prefix_opt, suffix_opt,
                                             size_opt, basis_opt, convert_only_opt, recursive_opt})) {
        ShowUsageError(problem);
        return CliExit{kExitUsage};
    }
    if (src_opt->count() != dst_opt->count()) {
        ShowUsageError(Tr("SOURCE_DIR と DEST_DIR は両方とも指定するか、どちらも指定しないでください"));
        return CliExit{kExitUsage};
    }

    if (src_opt->count()) {
        options.src_dir = src_dir;
        options.dst_dir = dst_dir;
    }
    if (from_opt->count()) options.src_format = ValueOfName(kSourceNames, from);
    if (to_opt->count()) options.dst_format = ValueOfName(kTargetNames, to);
    if (prefix_opt->count()) options.prefix = prefix;
    if (suffix_opt->count()) options.suffix = suffix;
    if (size_opt->count()) options.size = size;
    if (basis_opt->count()) options.basis = ValueOfName(kBasisNames, basis);
    photo.CopyInto(options);
    if (overwrite_opt->count()) options.overwrite_mode = ValueOfName(kOverwriteNames, overwrite);
    if (error_list_opt->count()) options.error_list_path = error_list;
    if (settings_opt->count()) options.settings_path = settings;
    if (batch_file_opt->count()) options.batch_file = batch_file;
    return options;
}

}  // namespace nuthumb
