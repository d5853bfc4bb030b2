// vorlicon: compiles Ambrel drawings into Vorl graphics files.
#include "base/FloatControl.h"
#include "vorlicon/VorlIconTool.h"

int main(int argc, char **argv)
{
    oq::EnableFlushToZero();
    return oq::RunVorlIcon(argc, argv, stdout);
}
