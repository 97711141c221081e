// Every text file goes through the engine's decoder, so tags and files read legacy text alike.
#include "textcodec.h"

#include "engine/meta/textcodec.h"

#include <string_view>

namespace {
std::string_view viewOf(const QByteArray& bytes)
{
    return std::string_view(bytes.constData(), static_cast<size_t>(bytes.size()));
}
} // namespace

bool IsValidUtf8(const QByteArray& bytes)
{
    return IsValidUtf8(viewOf(bytes));
}

QString DecodeText(const QByteArray& bytes)
{
    return QString::fromStdString(DecodeTextFile(viewOf(bytes)));
}
