// The pre-flight scan on arbitrary bytes: it must stay linear (libFuzzer's -timeout catches a slow
// input), agree with itself whether it gets the bytes whole or from a file in chunks, and say why
// whenever it refuses.
#include "common/xmlpreflight.h"
#include "fuzzsupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = fuzz::bytesOf(data, size);
    common::XmlShapeLimits limits;
    limits.maxDepth = 8; // small limits, so that short inputs reach them
    limits.maxAttributes = 4;
    limits.maxNamespaces = 3;
    limits.maxNameBytes = 16;
    limits.maxValueBytes = 64;
    limits.maxMarkupBytes = 64;
    limits.maxCdataBytes = 64;
    limits.maxCanonicalSteps = 200;
    limits.allowDoctype = size % 2 == 0;
    const common::XmlPreflight whole = common::preflightXml(bytes, limits);
    const common::XmlPreflight read = common::preflightXmlFile(fuzz::writeFile(QStringLiteral("p.xml"), bytes), limits);
    fuzz::require(whole.verdict == read.verdict, "whole.verdict == read.verdict");
    fuzz::require(whole.line == read.line, "whole.line == read.line");
    fuzz::require(whole.ok() == whole.problem.isEmpty(), "whole.ok() == whole.problem.isEmpty()");
    return 0;
}
