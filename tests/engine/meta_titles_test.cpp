// Legacy ID3v1 titles as real files carry them: European names in Latin-1 stay European,
// Japanese names in Shift-JIS (CP932) read as Japanese, also when the 30-byte field cuts a
// two-byte character in half.
#include <gtest/gtest.h>

#include <iconv.h>

#include "enginetestutil.h"
#include "meta/tagreader.h"
#include "meta_fixtures.h"

namespace {

const char* const kEuropean[] = {
    "À la claire fontaine",
    "Édith Piaf - À quoi ça sert",
    "Ça plane pour moi",
    "Les Champs-Élysées",
    "Ève lève-toi",
    "Ô Toulouse",
    "Étienne Daho - Week-end à Rome",
    "Céline Dion - Pour que tu m'aimes encore",
    "Françoise Hardy - Tous les garçons",
    "Où sont les femmes",
    "L'Île aux enfants",
    "La Bohème",
    "Über den Wolken",
    "Über sieben Brücken",
    "Ännchen von Tharau",
    "Die Ärzte - Männer sind Schweine",
    "Herbert Grönemeyer - Männer",
    "Öresund",
    "Für Elise",
    "Mötley Crüe - Kickstart My Heart",
    "Björk - Jóga",
    "Sigur Rós - Hoppípolla",
    "España cañí",
    "Bésame mucho",
    "Él me mintió",
    "Águas de Março",
    "Pájaros de barro",
    "Canción del mariachi",
    "Håkan Hellström - Känn ingen sorg",
    "Å vestland, vestland",
    "Sissel - Vårvise",
    "Gåte - Bendik og Årolilja",
    "Straße der Ölsardinen",
    "Don't Cry for Me Argentina (Ñ)",
};

const char* const kJapanese[] = {
    "歌詞のテスト",
    "千本桜",
    "残酷な天使のテーゼ",
    "君が代",
    "上を向いて歩こう",
    "津軽海峡・冬景色",
    "川の流れのように",
    "天城越え",
    "世界に一つだけの花",
    "夜に駆ける",
    "紅蓮華",
    "恋",
    "さくらんぼ",
    "ヘビーローテーション",
    "宇多田ヒカル - First Love",
    "中島みゆき - 時代",
    "松任谷由実 - 春よ、来い",
    "サザンオールスターズ - TSUNAMI",
    "スピッツ - ロビンソン",
    "ＹＭＯ - ライディーン",
    "ｶﾞﾝﾀﾞﾑ",
    "髙橋真梨子 - ごめんね",
    "① 序曲",
    "米津玄師 - Lemon",
    "あいみょん - マリーゴールド",
    "ＡＫＢ４８ - 恋するフォーチュンクッキー", // cut at byte 30
    "坂本九 - 見上げてごらん夜の星を",         // cut
    "A 久石譲 - 人生のメリーゴーランド",       // cut inside a character
    "中森明菜 - 少女A",
    "DREAMS COME TRUE - 未来予想図Ⅱ", // cut inside Ⅱ
    "X JAPAN - 紅",
    "BUMP OF CHICKEN - 天体観測です",            // cut inside a character
    "1 いきものがかり - ありがとう、ありがとう", // cut inside a character
};

std::string convert(const std::string& utf8, const char* to)
{
    iconv_t cd = iconv_open(to, "UTF-8");
    std::string out(utf8.size() * 4 + 4, '\0');
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size();
    char* dst = out.data();
    size_t outLeft = out.size();
    const size_t rc = iconv(cd, &in, &inLeft, &dst, &outLeft);
    iconv_close(cd);
    EXPECT_NE(rc, static_cast<size_t>(-1)) << utf8;
    out.resize(out.size() - outLeft);
    return out;
}

// What a 30-byte field keeps of text: the whole characters that fit, trailing blanks dropped.
std::string fieldShows(const std::string& utf8, const char* code)
{
    std::string shown;
    size_t bytes = 0;
    for (size_t i = 0; i < utf8.size();) {
        size_t len = 1;
        const auto b = static_cast<unsigned char>(utf8[i]);
        len = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        const std::string ch = utf8.substr(i, len);
        bytes += convert(ch, code).size();
        if (bytes > 30)
            break;
        shown += ch;
        i += len;
    }
    while (!shown.empty() && shown.back() == ' ')
        shown.pop_back();
    return shown;
}

class LegacyTitleTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ToneSpec spec;
        spec.seconds = 0.3;
        s_audio = ReadFileBytes(ToneFixture("titles.mp3", spec));
    }
    // The title read back from a file whose ID3v1 title field holds bytes.
    static std::string titleOf(const std::string& bytes)
    {
        const std::string path = TestTempDir() + "/title.mp3";
        EXPECT_TRUE(WriteFileBytes(path, s_audio + MakeId3v1Block(bytes, "artist")));
        TagInfo tag;
        EXPECT_TRUE(ReadTag(path, tag));
        return tag.title;
    }
    static std::string s_audio;
};
std::string LegacyTitleTest::s_audio;

TEST_F(LegacyTitleTest, EuropeanLatin1TitlesStayEuropean)
{
    for (const char* title : kEuropean)
        EXPECT_EQ(titleOf(convert(title, "ISO-8859-1")), fieldShows(title, "ISO-8859-1"));
}

TEST_F(LegacyTitleTest, JapaneseCp932TitlesReadAsJapaneseAlsoWhenCutAtByte30)
{
    int cutInside = 0;
    for (const char* title : kJapanese) {
        const std::string bytes = convert(title, "CP932");
        const std::string shown = fieldShows(title, "CP932");
        cutInside += bytes.size() > 30 && convert(shown, "CP932").size() < 30;
        EXPECT_EQ(titleOf(bytes), shown);
    }
    EXPECT_GE(cutInside, 4); // the table does hold fields cut inside a character
}

} // namespace
