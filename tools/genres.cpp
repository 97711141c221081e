// The genre list, kept as the program has always spelled it (including its misspellings, since
// users find their genres by these names).
#include "genres.h"

#include <iterator>

namespace {
// clang-format off
const char* const kNamedGenres[] = {
    "Blues", "Classic Rock", "Country", "Dance", "Disco", "Funk", "Grunge", "Hip Hop", "Jazz",
    "Metal", "New Age", "Oldies", "Other", "Pop", "R&B", "Rap", "Reggae", "Rock", "Techno",
    "Industrial", "Alternative", "Ska", "Death Metal", "Pranks", "Soundtrack", "Euro Techno",
    "Ambient", "Trip Hop", "Vocal", "Juzz+Funk", "Fusion", "Trance", "Classical", "Instrumental",
    "Acid", "House", "Game", "Sound Clip", "Gospel", "Noise", "Altern Rock", "Bass", "Soul",
    "Punk", "Space", "Meditative", "Instrumantal Pop", "Instrumantal Rock", "Ethnic", "Gothic",
    "Darkwave", "Techno Industrial", "Electronic", "Pop Fork", "Eurodance", "Dream",
    "Southern Rock", "Comedy", "Cult", "Gangsta", "Top 40", "Christian Rap", "Pop/Funk",
    "Jungle", "Native American", "Cabaret", "New Wave", "Psychadelic", "Rave", "Showtunes",
    "Trailer", "Lo Fi", "Tribal", "Acid Punk", "Acid Jazz", "Polka", "Retro", "Musical",
    "Rock & Roll", "Hard Rock", "Folk", "Folk/Rock", "National Folk", "Swing", "Fast Fusion",
    "Bedob", "Latin", "Revival", "Celtic", "Bluegrass", "Avantagarde", "Gothic Rock",
    "Progressive Rock", "Psychadelic Rock", "Symphonic Rock", "Slow Rock", "Big Band", "Chorus",
    "Easy Listening", "Acoustic", "Humour", "Speech Chanson", "Chanson", "Opera",
    "Chamber Music", "Sonata", "Symphony", "Booty Bass", "Primus", "Porn Groove", "Satire",
    "Slow Jam", "Club", "Tango", "Samba", "Folklore", "Ballad", "Power Ballad", "Rhytmic Soul",
    "Freestyle", "Duet", "Punk Rock", "Drum Solo", "Acapella", "Euro House", "Dance Hall", "Goa",
    "Drum & Bass", "Club House", "Hardcore", "Terror", "Indie", "BritPop", "Negerpunk",
    "Polsk Punk", "Beat", "Christian Gangsta Rap ", "Heavy Metal", "Black Metal", "Crossover",
    "Contemporary Christian", "Christian Rock", "Merengue", "Salsa", "Thrash Metal", "Anime",
    "JPop", "Synth Pop",
};
// clang-format on
constexpr int kNamedCount = static_cast<int>(std::size(kNamedGenres));
static_assert(kNamedCount == 148);

// The Japanese genres at the top of the range; the numbers between are unregistered.
const char* const kJapaneseGenres[] = {
    "Seiyu(J)", "Techno Ambient(J)", "Moemoe(J)", "Tokusatsu(J)", "Anime(J)",
};
constexpr int kFirstJapanese = 251;

QStringList makeEntries()
{
    QStringList entries;
    entries.reserve(kGenreCount);
    for (int n = 0; n < kGenreCount; ++n) {
        QString name;
        if (n < kNamedCount)
            name = QString::fromUtf8(kNamedGenres[n]);
        else if (n < kFirstJapanese)
            name = QStringLiteral("未登録");
        else
            name = QString::fromUtf8(kJapaneseGenres[n - kFirstJapanese]);
        entries << QStringLiteral("%1-%2").arg(n, 3, 10, QLatin1Char('0')).arg(name);
    }
    return entries;
}
} // namespace

const QStringList& GenreEntries()
{
    static const QStringList entries = makeEntries();
    return entries;
}

int GenreTypeAhead(const QStringList& entries, const QString& typed)
{
    const int count = static_cast<int>(entries.size());
    for (int step = 1; step <= count; ++step) {
        int n = step % count;
        if (entries[n].startsWith(typed, Qt::CaseInsensitive))
            return n;
    }
    return -1;
}
