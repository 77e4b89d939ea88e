#include "cli/cli_options.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <functional>
#include <iostream>
#include <optional>
#include <string>

#include "batch/variant_spec.h"
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
    "DEST_DIR がないときは、ない親フォルダとともに作成します。\n"
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

// A box "WxH" as --fit and --fill take it.
CLI::Validator BoxCheck() {
    return Check([](const std::string& value) { return BoxOf(value).has_value(); },
                 N_("{} は {} の大きさではありません"), "1x1-" + std::to_string(kMaxBoxSide) + "x" + std::to_string(kMaxBoxSide));
}

// Why the batch options cannot be used as given, or nullptr: a batch entry
// carries its own job, so no option of a single job goes with it.
const char* BatchConflict(const CLI::Option& batch, const CLI::Option& batch_file,
                          std::initializer_list<const CLI::Option*> job_options) {
    if (batch.count() && batch_file.count()) return Tr("--batch と --batch-file は一緒に指定できません");
    if (!batch.count() && !batch_file.count()) return nullptr;
    for (const CLI::Option* option : job_options)
        if (option->count())
            return Tr("バッチは処理内容を各エントリから取ります: フォルダ、--from、--to、--prefix、--suffix、"
                      "--size、--basis、--fit、--fill、--enlarge、--variant、--convert-only、--recursive、--photos "
                      "は指定しないでください");
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

namespace {

// The words and numbers the parser fills, and the options that fill them, so
// that what was given can be told from a default.
struct Parsed {
    std::string src_dir, dst_dir, from, to, prefix, suffix, basis, fit, fill, filter, previews, overwrite,
        error_list, settings, batch_file;
    std::int32_t size = 0, quality = 0;
    bool auto_orient = false, keep_dates = false, to_srgb = false, photos = false;
    CLI::Option *src_opt = nullptr, *dst_opt = nullptr, *photos_opt = nullptr, *from_opt = nullptr,
                *to_opt = nullptr, *prefix_opt = nullptr, *suffix_opt = nullptr, *size_opt = nullptr,
                *basis_opt = nullptr, *fit_opt = nullptr, *fill_opt = nullptr, *enlarge_opt = nullptr,
                *variant_opt = nullptr, *convert_only_opt = nullptr, *recursive_opt = nullptr,
                *auto_orient_opt = nullptr, *keep_dates_opt = nullptr, *to_srgb_opt = nullptr,
                *quality_opt = nullptr, *filter_opt = nullptr, *previews_opt = nullptr, *overwrite_opt = nullptr,
                *error_list_opt = nullptr, *settings_opt = nullptr, *batch_opt = nullptr,
                *batch_file_opt = nullptr, *dry_run_opt = nullptr;
    bool update = false, prune = false;
};

void SetUpHelp(CLI::App& app) {
    app.formatter(std::make_shared<HelpFormatter>());
    app.footer(Tr(kFooter));
    app.get_formatter()->label("Usage", Tr("使い方"));
    app.get_formatter()->label("Positionals", Tr("引数"));
    app.get_formatter()->label("OPTIONS", Tr("オプション"));
    app.option_defaults()->group(Tr("オプション"));
    app.set_help_flag("-h,--help", Tr("このヘルプを表示して終了します"));
    app.set_version_flag("--version", "nuthumb-cli " + std::string(kVersion), Tr("バージョンを表示して終了します"));
}

// What a gallery wants: boxes, crops, and several outputs of one decode.
void AddGalleryOptions(CLI::App& app, Parsed& p, CliOptions& options) {
    p.fit_opt = app.add_option("--fit", p.fit,
                               Tr("縦横比を保ったまま画像全体を W x H の枠に収める（--size と --basis の代わり）"))
                    ->check(BoxCheck())
                    ->type_name("WxH");
    p.fill_opt = app.add_option("--fill", p.fill,
                                Tr("縦横比を保ったまま W x H の枠を覆い、はみ出した部分を中央から切り取る"))
                     ->check(BoxCheck())
                     ->type_name("WxH");
    p.enlarge_opt = app.add_flag("--enlarge", options.enlarge,
                                 Tr("枠より小さい画像も枠に合わせて拡大する（既定値: 元の大きさのまま）"));
    p.variant_opt =
        app.add_option("--variant", options.variants,
                       Tr("各画像を 1 回デコードして作る出力の一つ。DEST_DIR/NAME/ に書く（DEST_DIR 自体には書かない）。SPEC は size=N、"
                          "basis=height|width|larger、fit=WxH、fill=WxH、format=bmp|jpg|png|webp、quality=N、"
                          "prefix=TEXT、suffix=TEXT、enlarge=yes|no のコンマ区切り。指定しない値は実行の値。"
                          "繰り返し指定できる"))
            ->allow_extra_args(false)
            ->type_name("NAME:SPEC");
}

// What one run makes: the folders, the formats, the names and the size.
void AddJobOptions(CLI::App& app, Parsed& p, CliOptions& options, const ThumbJob& defaults) {
    p.src_opt = app.add_option("SOURCE_DIR", p.src_dir, Tr("元の画像のあるフォルダ"))->type_name("");
    p.dst_opt = app.add_option("DEST_DIR", p.dst_dir, Tr("サムネイルを書き込むフォルダ"))->type_name("");
    // First among the options, where a new user looks.
    p.photos_opt = app.add_flag(
        "-p,--photos", p.photos,
        Tr("写真向けの設定をまとめて指定する: --from all --auto-orient --filter area --srgb --basis larger "
           "--keep-dates と同じ。個別に指定したオプションが、前後どちらにあっても優先する"));
    p.from_opt = AddChoice(app, "--from", p.from, Tr("読込みファイル形式"), kSourceNames, defaults.src_format);
    p.to_opt =
        AddChoice(app, "--to", p.to, Tr("保存ファイル形式"), kTargetNames, defaults.conversion.target_format);
    p.prefix_opt = app.add_option("--prefix", p.prefix, Tr("ファイル名の前に付ける文字列（既定値: なし）"));
    p.suffix_opt = app.add_option("--suffix", p.suffix, Tr("ファイル名の後に付ける文字列（既定値: なし）"));
    p.size_opt = AddNumber(app, "-s,--size", p.size, Tr("基準の辺の長さ、{} から {} まで"), keys::kSizeMin,
                           kMaxBoxSide, defaults.conversion.size);
    p.basis_opt =
        AddChoice(app, "--basis", p.basis, Tr("サイズを合わせる辺"), kBasisNames, defaults.conversion.basis);
    AddGalleryOptions(app, p, options);
    p.convert_only_opt = app.add_flag("--convert-only", options.convert_only, Tr("サイズを変更しない"));
    p.recursive_opt = app.add_flag(
        "-r,--recursive", options.recursive,
        Tr("下のフォルダの画像も読み込み、DEST_DIR の同じ場所に書き込む（隠しフォルダ、フォルダへのリンク、SOURCE_DIR の中の "
           "DEST_DIR は読まない）"));
}

// How photos are turned, coloured, dated and scaled.
void AddPhotoOptions(CLI::App& app, Parsed& p, const ThumbJob& defaults) {
    const PhotoOptions& photo = defaults.conversion.photo;
    p.auto_orient_opt = app.add_flag("--auto-orient,!--no-auto-orient", p.auto_orient,
                                     Tr("縮小する前に、各 JPEG を EXIF の Orientation に従って正しい向きに回転する") +
                                         Default(photo.auto_orient ? "on" : "off"));
    p.keep_dates_opt = app.add_flag(
        "--keep-dates,!--no-keep-dates", p.keep_dates,
        Tr("各サムネイルの更新日時を元のファイルと同じにする") + Default(photo.keep_dates ? "on" : "off"));
    p.to_srgb_opt = app.add_flag("--srgb,!--no-srgb", p.to_srgb,
                                 Tr("縮小する前に、ICC プロファイルを埋め込んだ画像の色を sRGB に変換する") +
                                     Default(photo.to_srgb ? "on" : "off"));
    p.quality_opt = AddNumber(app, "--quality", p.quality, Tr("サムネイルの JPEG と WebP の画質、{} から {} まで"),
                              keys::kQualityMin, keys::kQualityMax, photo.quality);
    p.filter_opt = AddChoice(app, "--filter", p.filter,
                             Tr("サムネイルの画素の作り方: 元の 1 画素 (nearest)、または覆う画素の平均 (area)"),
                             kFilterNames, photo.filter);
    p.previews_opt = AddChoice(app, "--previews", p.previews,
                               Tr("ファイルに埋め込まれたプレビューが画像の縮小コピーでサムネイル以上の大きさなら"
                                  "そこからサムネイルを作る (auto)、または常に画像全体から作る (never)"),
                               kPreviewNames, photo.previews);
}

// How the run goes: existing targets, reports, threads, memory, batches.
void AddRunOptions(CLI::App& app, Parsed& p, CliOptions& options) {
    const OverwriteMode default_overwrite = OverwriteModeOfItem(keys::kRadioGroupSaveMode.fallback);
    p.overwrite_opt =
        AddChoice(app, "--overwrite", p.overwrite, Tr("既存の保存先ファイル"), kOverwriteNames, default_overwrite);
    app.add_flag("--report-load-errors", options.report_load_errors,
                 Tr("読み込めなかったファイルをその場で知らせる"));
    p.error_list_opt = app.add_option(
        "--error-list", p.error_list,
        Tr("失敗したファイルの一覧をエラーリストファイルの形式でそこに書き込む。'-'（標準出力）、"
           "パイプ、端末には UTF-8 の行で書く"))->type_name("FILE");
    p.settings_opt = app.add_option(
        "--settings", p.settings,
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
    app.add_flag("--update", p.update,
                 Tr("なかったり古くなったりしたサムネイルだけを作る（画像か設定が変わったもの。保存先の記録 "
                    ".nuthumb-sync で確かめる）"));
    app.add_flag("--prune", p.prune,
                 Tr("記録にあるサムネイルのうち、元の画像がなくなったか読込みファイル形式でなくなったものを削除する"));
    p.dry_run_opt = app.add_flag("--dry-run", options.dry_run,
                                 Tr("--update と --prune が作るものと削除するものを表示するだけで、何も変えない"));
    p.batch_opt = app.add_flag("--batch", options.batch, Tr("設定ファイルに保存されたバッチリストを実行する"));
    p.batch_file_opt = app.add_option("--batch-file", p.batch_file,
                                      Tr("FILE のバッチエントリ（1 行に 1 つ）を実行する"))->type_name("FILE");
}

// The usage error of a parse whose options do not go together, if any.
std::optional<std::string> ConflictOf(const Parsed& p) {
    if (const char* problem = BatchConflict(*p.batch_opt, *p.batch_file_opt,
                                            {p.src_opt, p.dst_opt, p.from_opt, p.to_opt, p.prefix_opt, p.suffix_opt,
                                             p.size_opt, p.basis_opt, p.fit_opt, p.fill_opt, p.enlarge_opt,
                                             p.variant_opt, p.convert_only_opt, p.recursive_opt, p.photos_opt}))
        return problem;
    if (SizingClash(p.size_opt->count() + p.basis_opt->count() > 0, p.fit_opt->count() > 0, p.fill_opt->count() > 0))
        return Tr("--size と --basis、--fit、--fill はどれか一つにしてください");
    if (p.variant_opt->count() && p.convert_only_opt->count())
        return Tr("--variant は大きさを変える出力です: --convert-only とは一緒に指定できません");
    if ((p.batch_opt->count() || p.batch_file_opt->count()) && (p.update || p.prune || p.dry_run_opt->count()))
        return Tr("--update、--prune、--dry-run はバッチには指定できません（エントリの 10 番目のフィールドが "
                  "--update を指定します）");
    if (p.dry_run_opt->count() && !p.update && !p.prune)
        return Tr("--dry-run は --update か --prune と一緒に指定してください");
    if (p.src_opt->count() != p.dst_opt->count())
        return Tr("SOURCE_DIR と DEST_DIR は両方とも指定するか、どちらも指定しないでください");
    return std::nullopt;
}

// Only what was given: everything else comes from the settings file or the defaults.
void Collect(const Parsed& p, CliOptions& options) {
    if (p.src_opt->count()) {
        options.src_dir = p.src_dir;
        options.dst_dir = p.dst_dir;
    }
    if (p.from_opt->count()) options.src_format = ValueOfName(kSourceNames, p.from);
    if (p.to_opt->count()) options.dst_format = ValueOfName(kTargetNames, p.to);
    if (p.prefix_opt->count()) options.prefix = p.prefix;
    if (p.suffix_opt->count()) options.suffix = p.suffix;
    if (p.size_opt->count()) options.size = p.size;
    if (p.basis_opt->count()) options.basis = ValueOfName(kBasisNames, p.basis);
    const auto box = BoxOf(p.fit_opt->count() ? p.fit : p.fill);
    if (box && (p.fit_opt->count() || p.fill_opt->count())) {
        options.box = p.fit_opt->count() ? BoxFit::kFit : BoxFit::kFill;
        options.box_width = box->first;
        options.box_height = box->second;
    }
    if (p.auto_orient_opt->count()) options.auto_orient = p.auto_orient;
    if (p.keep_dates_opt->count()) options.keep_dates = p.keep_dates;
    if (p.to_srgb_opt->count()) options.to_srgb = p.to_srgb;
    if (p.quality_opt->count()) options.quality = p.quality;
    if (p.filter_opt->count()) options.filter = ValueOfName(kFilterNames, p.filter);
    if (p.previews_opt->count()) options.previews = ValueOfName(kPreviewNames, p.previews);
    if (p.overwrite_opt->count()) options.overwrite_mode = ValueOfName(kOverwriteNames, p.overwrite);
    if (p.error_list_opt->count()) options.error_list_path = p.error_list;
    if (p.settings_opt->count()) options.settings_path = p.settings;
    if (p.batch_file_opt->count()) options.batch_file = p.batch_file;
    options.update = p.update;
    options.prune = p.prune;
    if (p.photos) ApplyPhotoPreset(options);
}

}  // namespace

std::variant<CliOptions, CliExit> ParseCommandLine(int argc, const char* const* argv) {
    CliOptions options;
    Parsed parsed;
    const ThumbJob defaults = JobOfForm(FormSettings{});
    CLI::App app{Fill(Tr("SOURCE_DIR のすべての {} 画像のサムネイルを DEST_DIR に作成します。"),
                      {FormatList(Tr("、"), Tr(" または "))}),
                 "nuthumb-cli"};
    SetUpHelp(app);
    AddJobOptions(app, parsed, options, defaults);
    AddPhotoOptions(app, parsed, defaults);
    AddRunOptions(app, parsed, options);
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& help_or_version) {
        app.exit(help_or_version);  // prints what was asked for
        return CliExit{kExitFinished};
    } catch (const CLI::ParseError& error) {
        ShowUsageError(UsageErrorText(error, app));
        return CliExit{kExitUsage};
    }
    if (const std::optional<std::string> problem = ConflictOf(parsed)) {
        ShowUsageError(*problem);
        return CliExit{kExitUsage};
    }
    Collect(parsed, options);
    // Checked here, not as each is parsed, so that two of one name are refused too.
    const auto variants = ParseVariants(options.variants, ThumbJob{});
    if (const std::string* problem = std::get_if<std::string>(&variants)) {
        ShowUsageError(*problem);
        return CliExit{kExitUsage};
    }
    return options;
}

void ApplyPhotoPreset(CliOptions& options) {
    if (!options.src_format) options.src_format.emplace(kPhotoPreset.source);
    if (!options.basis) options.basis = kPhotoPreset.basis;
    if (!options.auto_orient) options.auto_orient = kPhotoPreset.auto_orient;
    if (!options.filter) options.filter = kPhotoPreset.filter;
    if (!options.to_srgb) options.to_srgb = kPhotoPreset.to_srgb;
    if (!options.keep_dates) options.keep_dates = kPhotoPreset.keep_dates;
}

}  // namespace nuthumb
