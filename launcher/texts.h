// Every text the launcher shows a user, in Japanese (the original) and in English, and the choice
// of language: Japanese where the user's language is Japanese, English everywhere else. The
// platform names the user's language (LauncherPlatform::userLanguage); the forms and message boxes
// take their texts from here. Window titles, classes, settings keys and file names are no texts
// of this table: they stay the same in every language, so that copies find each other and files
// move between them.
#pragma once

#include <cstdint>
#include <iterator>

namespace orveline {

enum class Language { Japanese, English };

enum class Text {
    // The settings dialog "<Orveline>".
    Heading,
    OptionNone,
    OptionCd,
    OptionFile,
    RepeatCaption,
    CmdSet,
    CmdCancel,
    CmdOther,
    FileFilterDescription,
    FileChooserTitle,
    // Message boxes. A new message adds its id here and its row in kTexts, at the same place.
    RendererMissing,
    SaveFailed,
    PathTooLong,
    Count
};

// Linux: the language of gettext's messages, from the values of LANGUAGE, LC_ALL, LC_MESSAGES and
// LANG (null for an unset variable). The locale is the first non-empty of LC_ALL, LC_MESSAGES,
// LANG; LANGUAGE's first entry takes its place unless that locale is unset, "C" or "POSIX".
// Japanese when the chosen name's language is "ja".
Language LanguageFromLocale(const char* language, const char* lcAll, const char* lcMessages,
                            const char* lang);
// Windows: the user's UI language (a LANGID); Japanese for every LANG_JAPANESE sublanguage.
Language LanguageFromLangId(std::uint16_t langId);

// The table lives here with internal linkage, so that each file gets the texts in its own
// execution character set: UTF-8, or code page 932 in the Windows dialog files, whose 8-bit window
// functions and Shift-JIS font take exactly those bytes. English texts are ASCII, the same bytes
// on every code page.
namespace {

struct TextPair {
    Text Id;
    const char* Japanese;
    const char* English;
};

constexpr TextPair kTexts[] = {
    {Text::Heading, "BGM", "BGM"},
    {Text::OptionNone, "無し", "None"},
    {Text::OptionCd, "音楽CD", "Audio CD"},
    {Text::OptionFile, "MP3、WAV", "MP3, WAV"},
    {Text::RepeatCaption, "曲目をﾘﾋﾟｰﾄ", "Repeat track"},
    {Text::CmdSet, "設定", "OK"},
    {Text::CmdCancel, "ｷｬﾝｾﾙ", "Cancel"},
    {Text::CmdOther, "その他の作品", "More works"},
    {Text::FileFilterDescription, "BGMﾌｧｲﾙ (MP3 WAV)", "Music files (MP3 WAV)"},
    {Text::FileChooserTitle, "ﾌｧｲﾙを開く", "Open file"},
    {Text::RendererMissing, "Orveline.dll が Orveline.scr と同じﾌｫﾙﾀﾞに見つかりません！",
     "Orveline.dll is not in the folder of Orveline.scr!"},
    // Followed by the settings file's path.
    {Text::SaveFailed, "設定を保存できませんでした。次のﾌｧｲﾙに書き込めません：\n",
     "The settings could not be saved. This file cannot be written:\n"},
    // Followed by the chosen file's path; the number is kLongestMusicPath.
    {Text::PathTooLong, "ﾌｧｲﾙのﾊﾟｽが長すぎます！ 254ﾊﾞｲﾄ以内のﾊﾟｽにあるﾌｧｲﾙを選んでください：\n",
     "The file's path is too long. Choose a file whose path is at most 254 bytes long:\n"},
};

constexpr bool InTextOrder() {
    for (std::size_t i = 0; i < std::size(kTexts); ++i) {
        if (kTexts[i].Id != static_cast<Text>(i)) return false;
    }
    return std::size(kTexts) == static_cast<std::size_t>(Text::Count);
}
static_assert(InTextOrder(), "kTexts holds every text once, in the order of Text");

constexpr const char* TextOf(Text text, Language language) {
    const auto index = static_cast<std::size_t>(text);
    if (index >= std::size(kTexts)) return "";
    const TextPair& pair = kTexts[index];
    return language == Language::Japanese ? pair.Japanese : pair.English;
}

}  // namespace

}  // namespace orveline
