// Path helpers on POSIX paths.
#include "shell/cpath.h"
#include "shell/textcodec.h"

#include <gtest/gtest.h>

namespace {

cPath at(const QString& path)
{
    cPath p;
    p.FileName = path;
    return p;
}

TEST(CPathTest, SplitsFolderNameAndExtension)
{
    cPath p = at("/home/u/Music/a.b.mp3");
    EXPECT_EQ(p.GetPath(), "/home/u/Music/");
    EXPECT_EQ(p.GetFileName(), "a.b.mp3");
    EXPECT_EQ(p.GetExt(), "mp3");
    EXPECT_EQ(p.GetFileNameOnly(), "a.b");
}

TEST(CPathTest, FolderEndingInSeparatorHasNoNameOrExtension)
{
    cPath p = at("/music/dir/");
    EXPECT_EQ(p.GetFileName(), "");
    EXPECT_EQ(p.GetExt(), "");
    EXPECT_EQ(p.GetPath(), "/music/dir/");
    EXPECT_EQ(p.GetFileNameOnly(), "");
}

TEST(CPathTest, BareNameHasEmptyFolder)
{
    cPath p = at("song.mp3");
    EXPECT_EQ(p.GetPath(), "");
    EXPECT_EQ(p.GetFileName(), "song.mp3");
    EXPECT_EQ(p.GetFileNameOnly(), "song");
}

TEST(CPathTest, DotInFolderIsNotAnExtension)
{
    cPath p = at("/dir.old/song");
    EXPECT_EQ(p.GetExt(), "");
    EXPECT_EQ(p.GetFileNameOnly(), "song");
    EXPECT_EQ(at("/x/song.").GetFileNameOnly(), "song");
    EXPECT_EQ(at("/x/.ini").GetFileNameOnly(), "");
}

TEST(CPathTest, CleanFileNameSoftensAllCapitalParts)
{
    EXPECT_EQ(at("/MUSIC/MY SONG.MP3").GetCleanFileName(), "My song.Mp3");
    EXPECT_EQ(at("/Music/Song.mp3").GetCleanFileName(), "Song.mp3");
    EXPECT_EQ(at("/Music/ABC").GetCleanFileName(), "Abc.");
    EXPECT_EQ(at("/Music/123.mp3").GetCleanFileName(), "123.mp3");
    EXPECT_EQ(at(QString::fromUtf8("/音楽/さくら.MP3")).GetCleanFileName(),
              QString::fromUtf8("さくら.Mp3"));
}

TEST(CPathTest, FullPathNameAddsOneSeparator)
{
    EXPECT_EQ(cPath::GetFullPathName("/usr/bin", "x"), "/usr/bin/x");
    EXPECT_EQ(cPath::GetFullPathName("/usr/bin/"), "/usr/bin/");
    EXPECT_TRUE(cPath::GetWindowsDirectory().endsWith('/'));
}

TEST(CPathTest, QuotesOnlyWhenNeededOrAsked)
{
    EXPECT_EQ(at("/My Music/a.mp3").AddDblQuot(), "\"/My Music/a.mp3\"");
    EXPECT_EQ(at("/a,b.mp3").AddDblQuot(), "\"/a,b.mp3\"");
    EXPECT_EQ(at("/a.mp3").AddDblQuot(), "/a.mp3");
    EXPECT_EQ(at("/a.mp3").AddDblQuot(true), "\"/a.mp3\"");
    EXPECT_EQ(at("\"/x y\"").AddDblQuot(), "\"/x y\"");
}

TEST(TextCodecTest, FallsBackToShiftJisOnlyForInvalidUtf8)
{
    EXPECT_EQ(DecodeText("\xEF\xBB\xBF" "abc"), "abc");
    EXPECT_EQ(DecodeText("\xE9\x9F\xB3"), QString::fromUtf8("音"));
    EXPECT_EQ(DecodeText("\x89\xB9\x87\x40"), QString::fromUtf8("音①"));  // CP932 extension
    EXPECT_TRUE(IsValidUtf8("plain"));
    EXPECT_FALSE(IsValidUtf8("\x89\xB9"));
}

}  // namespace
