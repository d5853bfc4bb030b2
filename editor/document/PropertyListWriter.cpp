// Property lists of the node text form.
#include "editor/document/PropertyListWriter.h"

#include "base/TextUtils.h"
#include "editor/platform/TextBuffer.h"
#include "kettric/KettricLiterals.h"

namespace oq {

void PropertyListWriter::BeginProperty(const char *name, bool value)
{
    buffer->AppendText(opened ? "," : " (");
    opened = true;
    buffer->AppendText(name);
    if (value) buffer->AppendText("=");
}

void PropertyListWriter::WriteFloat(const char *name, float value)
{
    BeginProperty(name, true);
    char text[kKettricFloatTextSize];
    FormatKettricFloat(value, text);
    buffer->AppendText(text);
}

void PropertyListWriter::WriteInteger(const char *name, int32_t value)
{
    BeginProperty(name, true);
    buffer->AppendInteger(value);
}

void PropertyListWriter::WriteFourCC(const char *name, uint32_t value)
{
    BeginProperty(name, true);
    buffer->AppendFourCC(value);
}

void PropertyListWriter::WriteColor(const char *name, uint32_t value)
{
    BeginProperty(name, true);
    char text[11] = {'0', 'x'};
    FormatHex8(text + 2, value);
    buffer->AppendText(text);
}

void PropertyListWriter::WriteFlag(const char *name)
{
    BeginProperty(name, false);
}

}  // namespace oq
