// The tag editor's text rules: how a box's text becomes a tag field, and the captions of the
// stream information labels.
#pragma once

#include <QString>

#include <optional>

#include "engine/records.h"

// The box text cut to maxChars characters and padded with blanks to exactly maxChars (the engine
// drops trailing blanks when it writes the tag). Never splits a surrogate pair.
QString FitTagField(const QString& text, int maxChars);

// The record SetTag hands to the engine: every text field fitted, the given genre (-1 = none).
TagInfo BuildTagRecord(const QString& title, const QString& artist, const QString& album,
                       const QString& year, const QString& comment, int genre);

// Why a tag could not be written to the file at path, as the user is told: missing, not
// writable (the file or its folder, since the tag is written to a copy beside it), or else
// a full disk or a file that is no audio file it can read.
QString TagWriteFailureReason(const QString& path);

// Digits grouped in threes with commas and no leading zeros; 0 gives an empty string.
QString FormatGroupedNumber(qint64 value);

// Indexes of the stream information labels, in the order they stand in the window.
enum class MpegLabel {
    Version,
    Layer,
    Protect,
    Extension,
    ChannelMode,
    Copyright,
    Original,
    Emphasis,
    Channel,
    BitRate,
    SampleRate,
    FileSize,
    Frames,
    TotalSec,
};
inline constexpr int kMpegLabelCount = 14;

// The caption a label shows before any track was read ("Version:", ...).
QString MpegLabelInitialCaption(MpegLabel label);
// The caption for label from the engine's MPEG record; nothing when the record's value is not one
// the label knows (the label then keeps what it showed). Only the labels filled from MpegInfo.
std::optional<QString> MpegLabelCaption(MpegLabel label, const MpegInfo& info);
// The captions filled from InputInfo: channels, bit rate, sample rate and length.
QString InputLabelCaption(MpegLabel label, const InputInfo& info);
